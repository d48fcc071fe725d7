// The toolkit's private window messages.
#pragma once

#include <windows.h>

// Posted by the window to itself on every WM_SHOWWINDOW; runs OnShown from the message loop.
inline constexpr UINT WM_UI_SHOWN = WM_APP + 10;
// Posted by a static control's popup menu: wParam = chosen item number (0 when dismissed),
// lParam = the static control's HWND.
inline constexpr UINT WM_UI_MENUCOMMAND = WM_APP + 11;

static_assert(WM_UI_SHOWN == 0x800A && WM_UI_MENUCOMMAND == 0x800B);
