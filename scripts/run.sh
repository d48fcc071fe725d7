#!/usr/bin/env bash
# The one run command: installs what is missing, builds, and starts Quorvane.exe under Wine.
# In the user's own X display when there is one; otherwise inside Xvfb, where it takes a
# screenshot of the program's window into build/quorvane.png and ends the program.
# QUORVANE_FIREFOX_DATA=<folder holding profiles.ini> points the program at a Firefox profile;
# without it the program finds no Firefox, except inside Xvfb, where a small demonstration
# profile in build/demo-firefox stands in so that the screenshot shows the options.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
prefix=$root/build/windows/wineprefix-run
program=$root/build/windows/app/Quorvane.exe
screenshot=$root/build/quorvane.png

if [ -z "${QUORVANE_RUN_IN_XVFB:-}" ]; then
  scripts/install-deps.sh
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target Quorvane
  if ! { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
    export QUORVANE_RUN_IN_XVFB=1
    # The prefix's whole life stays inside this one X display.
    exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$0"
  fi
fi

if [ -n "${QUORVANE_RUN_IN_XVFB:-}" ] && [ -z "${QUORVANE_FIREFOX_DATA:-}" ]; then
  demo=$root/build/demo-firefox
  mkdir -p "$demo/Profiles/demo.default"
  printf '[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/demo.default\r\nDefault=1\r\n' \
    >"$demo/profiles.ini"
  printf 'user_pref("geo.enabled", false);\nuser_pref("browser.search.openintab", true);\n' \
    >"$demo/Profiles/demo.default/prefs.js"
  export QUORVANE_FIREFOX_DATA=$demo
fi
scripts/wine-prefix.sh start "$prefix" >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${QUORVANE_FIREFOX_DATA:-}" ]; then
  roaming=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
  mkdir -p "$roaming/Mozilla"
  ln -sfn "$(realpath "$QUORVANE_FIREFOX_DATA")" "$roaming/Mozilla/Firefox"
  echo "Firefox data: $QUORVANE_FIREFOX_DATA"
fi
cd "$(dirname "$program")"  # the preview pictures are read from infos\ of the current folder

if [ -z "${QUORVANE_RUN_IN_XVFB:-}" ]; then
  echo "Starting Quorvane.exe in your display ($DISPLAY)."
  wine "$program"
  exit 0
fi

wine explorer /desktop=quorvane,1024x768 "$program" &
sleep 8
import -window root "$screenshot"
wineserver -k || true
echo "No X display: Quorvane.exe ran inside Xvfb. Screenshot of its window: $screenshot"
