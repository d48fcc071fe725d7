#!/usr/bin/env bash
# Runs the preference reader against Firefox ESR on N generated profiles (default 500), two
# Firefox processes at a time; the files of every disagreement are kept in
# build/firefox-differential. The test run does the same on a handful.
#   scripts/firefox-differential.sh [N] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target pref_probe >/dev/null
rm -rf build/firefox-differential
python3 tests/prefs/firefox_differential.py --probe build/native/tests/prefs/pref_probe \
  --files "${1:-500}" --seed "${2:-1}" --keep build/firefox-differential
