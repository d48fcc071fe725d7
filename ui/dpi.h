// The one scaling rule of the toolkit: design units at 96 DPI become pixels by
// lround(value x DPI / 96), with the DPI of the window measured once.
#pragma once

#include <windows.h>

// The DPI of a window (GetDpiForWindow, 96 when it reports 0). Systems before Windows 10 1607
// lack GetDpiForWindow; there the screen's DPI is used, which is the DPI such a system gives to
// a DPI-aware program.
unsigned WindowDpi(HWND window);

// WindowDpi / 96.
double DpiScaleOf(HWND window);

// pixels = lround(designValue x dpiScale)
int ScaleValue(int designValue, double dpiScale);

// The outer size that window needs for a client area of width x height pixels: its frame and
// caption as the system draws them for its styles at its DPI (AdjustWindowRectExForDpi, or
// AdjustWindowRectEx on systems without it).
SIZE WindowSizeForClient(HWND window, int width, int height);
