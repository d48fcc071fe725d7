#!/usr/bin/env bash
# Starts or stops the private Wine prefix the Windows tests run in.
#   wine-prefix.sh start PREFIX [DPI]   create or update the prefix and start its server; with
#                                       DPI, set the prefix's screen resolution (LogPixels)
#   wine-prefix.sh stop PREFIX          stop its server so no later run finds it bound to a dead
#                                       display
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$action" in
  start)
    wineserver -k 2>/dev/null || true
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    if [ -n "${3:-}" ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$3" /f >/dev/null 2>&1
    fi
    wineserver -w
    echo "Wine prefix ready: $WINEPREFIX"
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 start|stop PREFIX [DPI]" >&2
    exit 2
    ;;
esac
