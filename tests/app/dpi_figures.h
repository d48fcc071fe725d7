// A window's layout and state as read from outside, for comparing the program after a change of
// DPI with a fresh start at that DPI; and the GDI objects its process holds.
#pragma once

#include <windows.h>

#include <string>

// The window's client size, then one line per control in creation order: class, place and size
// in the client area, whether it is visible, and the height of the text it shows (for the
// toolbar its button size; for an icon, a checksum of its pixels instead).
std::string LayoutFigures(HWND window);

// What a change of DPI must keep: per control its check, enabled and visible states and, for
// an edit box, its text; and which control has the focus.
std::string StateFigures(HWND window);

// Sends WM_DPICHANGED for dpi, suggesting the window's rectangle grown by dpi / fromDpi about its
// top left corner, as the system does when a window moves to a monitor of that DPI.
void SendDpiChange(HWND window, unsigned dpi, unsigned fromDpi);

// The GDI objects of the window's process, counted in the handle table its PEB names; -1 when
// the table cannot be read.
long GdiObjectCount(HWND window);
