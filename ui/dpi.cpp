// DPI measurement and the scaling rule.
#include "ui/dpi.h"

#include <cmath>

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Looked up at run time so the program still starts on systems without the function.
GetDpiForWindowFunction GetDpiForWindowEntry() {
    static const auto entry = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        FARPROC address = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        // Through the generic function pointer type, which every function pointer converts to.
        return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(address));
    }();
    return entry;
}

unsigned ScreenDpi() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 0;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 0;
}

}  // namespace

unsigned WindowDpi(HWND window) {
    const GetDpiForWindowFunction entry = GetDpiForWindowEntry();
    const unsigned dpi = entry != nullptr ? entry(window) : ScreenDpi();
    return dpi == 0 ? 96 : dpi;
}

double DpiScaleOf(HWND window) {
    return WindowDpi(window) / 96.0;
}

int ScaleValue(int designValue, double dpiScale) {
    return static_cast<int>(std::lround(designValue * dpiScale));
}
