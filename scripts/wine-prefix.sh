#!/usr/bin/env bash
# Starts or stops a private Wine prefix for the program, its tests and its screenshots.
#   wine-prefix.sh start PREFIX [DPI]   create or update the prefix; with DPI, set the prefix's
#                                       screen resolution (LogPixels)
#   wine-prefix.sh start-tests PREFIX [DPI]
#                                       the same for a test run in a display without a window
#                                       manager, and keep the prefix's server running until stop
#   wine-prefix.sh stop PREFIX          stop its server so no later run finds it bound to a dead
#                                       display
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$action" in
  start|start-tests)
    wineserver -k 2>/dev/null || true
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    # No real browser in tests: pages the program opens are recorded by record-url.sh.
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers \
      /d "$(cd "$(dirname "$0")" && pwd)/record-url.sh" /f >/dev/null 2>&1
    # Wine's own Tahoma and Marlett (the dialog font and the caption buttons' glyphs) where the
    # system finds them. Without Tahoma the stand-in font reports '!' as its word-break character,
    # and link controls then show "<A HREF=...>" as plain text.
    for font in /usr/share/wine/fonts/{marlett,tahoma,tahomabd}.ttf; do
      if [ -e "$font" ]; then
        cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
      fi
    done
    if [ -n "${3:-}" ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$3" /f >/dev/null 2>&1
    fi
    if [ "$action" = start-tests ]; then
      # The tests' X display has no window manager. Wine then waits two seconds for one to
      # acknowledge every top-level window it hides or destroys; unmanaged windows (which Wine
      # frames itself, as it must there anyway) end at once.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    wineserver -w
    if [ "$action" = start-tests ]; then
      # One server, with Wine's own services, for the whole test run: a program then starts in
      # a fraction of a second instead of booting them anew each time. Nothing of it may hold
      # the caller's output open.
      wineserver -p </dev/null >/dev/null 2>&1
      wine cmd /c exit </dev/null >/dev/null 2>&1
    fi
    echo "Wine prefix ready: $WINEPREFIX"
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 start|start-tests|stop PREFIX [DPI]" >&2
    exit 2
    ;;
esac
