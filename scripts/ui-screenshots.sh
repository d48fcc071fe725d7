#!/usr/bin/env bash
# Screenshots of the toolkit under Xvfb: the empty main window and each of the four dialog
# templates over it, shown by the ui_showcase test build inside a Wine virtual desktop (so the
# window frames are drawn as Windows draws them), one PNG per view.
#   scripts/ui-screenshots.sh [OUTPUT_FOLDER] [DPI]
# OUTPUT_FOLDER defaults to build/ui-screenshots, DPI to 96. The program is built with the
# windows preset into build/windows, or into QUORVANE_BUILD_DIR when that is set.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/ui-screenshots}")
dpi=${2:-96}
build=$(realpath -m "${QUORVANE_BUILD_DIR:-build/windows}")
views=(window about settings license preview)

if [ -z "${QUORVANE_SCREENSHOTS_IN_XVFB:-}" ]; then
  if [ ! -e "$build/CMakeCache.txt" ]; then
    cmake --preset windows -B "$build" >/dev/null
  fi
  cmake --build "$build" -j2 --target ui_showcase
  mkdir -p "$out"
  export QUORVANE_SCREENSHOTS_IN_XVFB=1
  # The prefix's whole life stays inside this one X display.
  exec xvfb-run --auto-servernum --server-args="-screen 0 1600x1200x24" "$0" "$out" "$dpi"
fi

exe="$build/tests/ui/ui_showcase.exe"
prefix="$build/wineprefix-screenshots-$dpi"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scripts/wine-prefix.sh start "$prefix" "$dpi" >/dev/null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

for view in "${views[@]}"; do
  report="$work/$view.txt"
  wine explorer /desktop=quorvane,1600x1200 "$exe" "$view" --report "$(winepath -w "$report")" \
    --close-after 2000 &
  if ! scripts/photograph.sh "$report" "$out/$view.png"; then
    wineserver -k || true
    exit 1
  fi
  wait || true
  wineserver -w
done
scripts/wine-prefix.sh stop "$prefix"
