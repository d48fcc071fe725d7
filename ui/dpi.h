// The one scaling rule of the toolkit: design units at 96 DPI become pixels by
// lround(value x DPI / 96), with the DPI of the window measured once.
#pragma once

#include <windows.h>

// A function of user32 looked up at run time (the per-monitor DPI functions), so that the program
// still starts on systems without it; null when user32 lacks it.
template <typename Function>
Function User32Entry(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC address = user32 ? GetProcAddress(user32, name) : nullptr;
    // Through the generic function pointer type, which every function pointer converts to.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The DPI a window is laid out for: the one its top-level window last took from WM_DPICHANGED,
// else the system's (SystemDpiOf).
unsigned WindowDpi(HWND window);

// The DPI the system gives the window (GetDpiForWindow, 96 when it reports 0). Systems before
// Windows 10 1607 lack GetDpiForWindow; there the screen's DPI is used, which is the DPI such a
// system gives to a DPI-aware program.
unsigned SystemDpiOf(HWND window);

// Records the DPI that WM_DPICHANGED gave a top-level window, for WindowDpi of it and of its
// controls; ForgetWindowDpi removes the record before the window goes.
void RecordWindowDpi(HWND topLevel, unsigned dpi);
void ForgetWindowDpi(HWND topLevel);

// WindowDpi / 96.
double DpiScaleOf(HWND window);

// pixels = lround(designValue x dpiScale)
int ScaleValue(int designValue, double dpiScale);

// The outer size that window needs for a client area of width x height pixels: its frame and
// caption as the system draws them for its styles at the system's DPI for it
// (AdjustWindowRectExForDpi, or AdjustWindowRectEx on systems without it).
SIZE WindowSizeForClient(HWND window, int width, int height);
