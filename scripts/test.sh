#!/usr/bin/env bash
# The one test command: installs what is missing, builds both targets and runs every test, the
# Windows ones under Wine inside a private X display, in a single ctest run, and every fuzz target
# briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
# One ctest call that covers both build trees, and the network tests of the optimised service.
cat > build/CTestTestfile.cmake <<'CTEST'
subdirs("native")
subdirs("service-release/tests/net")
subdirs("windows")
CTEST
# Every fuzz target for a few seconds, so that none rots. The tests under Wine mostly wait, so the
# fuzz targets build and run beside them, at the lowest priority.
nice -n 19 scripts/fuzz.sh 5 >build/fuzz.log 2>&1 &
fuzz=$!
status=0
xvfb-run --auto-servernum --server-args="-screen 0 1600x1200x24" \
  ctest --test-dir build --output-on-failure --timeout 900 || status=$?
if wait "$fuzz"; then
  grep '^fuzz:' build/fuzz.log
else
  status=1
  tail -60 build/fuzz.log
fi
exit "$status"
