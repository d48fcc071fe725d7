#!/usr/bin/env bash
# Start-up benchmark: how long Quorvane.exe takes from process start to its visible main window,
# against an empty Win32 window (tools/startup/empty_window.cpp), both measured under Wine in the
# same run inside Xvfb, in turns. Prints both medians and the ratio; the goal is 1.5 or less.
#   scripts/startup-benchmark.sh [RUNS]    (default 40)
# The program starts as a returning user's would: Firefox is found, the license notice is
# suppressed for this version and the daily update check is switched off (no network wait).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${1:-40}
prefix=$root/build/windows/wineprefix-startup

if [ -z "${QUORVANE_BENCH_IN_XVFB:-}" ]; then
  scripts/install-deps.sh
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target Quorvane empty_window startup_timer >/dev/null
  ls -l build/windows/app/Quorvane.exe | awk '{printf "Quorvane.exe: %d bytes (%.1f KB)\n", $5, $5 / 1024}'
  export QUORVANE_BENCH_IN_XVFB=1
  exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$0" "$runs"
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
scripts/wine-prefix.sh start "$prefix" >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
roaming=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
firefox=$roaming/Mozilla/Firefox
mkdir -p "$firefox/Profiles/bench.default" "$roaming/Kestrovan/Quorvane"
printf '[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/bench.default\r\nDefault=1\r\n' \
  >"$firefox/profiles.ini"
printf 'user_pref("geo.enabled", false);\n' >"$firefox/Profiles/bench.default/prefs.js"
printf 'UpdateCheckEnabled=0\nNoticeVersion="%s"\nNoticeSuppressed=1\n' "$version" \
  >"$roaming/Kestrovan/Quorvane/settings.ini"

tools=build/windows/tools/startup
wine "$tools/startup_timer.exe" "$runs" "$(winepath -w "$tools/empty_window.exe")" \
  "$(winepath -w build/windows/app/Quorvane.exe)" | tr -d '\r'
scripts/wine-prefix.sh stop "$prefix"
