#!/usr/bin/env bash
# Screenshots of the real program for the documentation: the three sections of the main window
# and its four dialogs, taken under Xvfb in a Wine virtual desktop (so window frames are drawn as
# Windows draws them) while the end-to-end test's documentation tour (tests/app) walks through
# them.
#   scripts/screenshots.sh [OUTPUT_FOLDER] [DPI]      (default: docs/ at 96 DPI)
# At 96 DPI the tour ends with the options section after WM_DPICHANGED to 144 DPI. At another DPI
# only the options and Restore sections, the preview and About are taken, as <view>-<DPI>dpi.png.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs}")
dpi=${2:-96}
build=$(realpath -m build/windows)
views=(license section-options section-privacy section-restore about settings preview
       section-options-changed-to-144dpi)
wanted=" ${views[*]} "
suffix=
if [ "$dpi" != 96 ]; then
  wanted=" section-options preview section-restore about "
  suffix=-${dpi}dpi
fi

if [ -z "${QUORVANE_SCREENSHOTS_IN_XVFB:-}" ]; then
  scripts/install-deps.sh
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target app_e2e_test
  mkdir -p "$out"
  export QUORVANE_SCREENSHOTS_IN_XVFB=1
  # The prefix's whole life stays inside this one X display.
  exec xvfb-run --auto-servernum --server-args="-screen 0 1600x1200x24" "$0" "$out" "$dpi"
fi

prefix="$build/wineprefix-docs-$dpi"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scripts/wine-prefix.sh start "$prefix" "$dpi" >/dev/null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

QUORVANE_PHOTOGRAPH=$(winepath -w "$work") wine explorer /desktop=quorvane,1600x1200 \
  "$build/tests/app/app_e2e_test.exe" --gtest_filter='*/Documentation_*' >/dev/null &
tour=$!
for view in "${views[@]}"; do
  if [[ "$wanted" != *" $view "* ]]; then
    touch "$work/$view.done"  # the tour shows it, but it is not taken
    continue
  fi
  if ! scripts/photograph.sh "$work/$view.txt" "$out/$view$suffix.png"; then
    wineserver -k || true
    exit 1
  fi
  touch "$work/$view.done"
done
wait "$tour" || true
wineserver -w
scripts/wine-prefix.sh stop "$prefix"
