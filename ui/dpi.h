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
