// DPI measurement and the scaling rule.
#include "ui/dpi.h"

#include <cmath>

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// The per-monitor DPI functions are looked up at run time, so the program still starts on
// systems without them. Null when user32 lacks the function.
template <typename Function>
Function User32Entry(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC address = user32 ? GetProcAddress(user32, name) : nullptr;
    // Through the generic function pointer type, which every function pointer converts to.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
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
    static const auto entry = User32Entry<GetDpiForWindowFunction>("GetDpiForWindow");
    const unsigned dpi = entry != nullptr ? entry(window) : ScreenDpi();
    return dpi == 0 ? 96 : dpi;
}

double DpiScaleOf(HWND window) {
    return WindowDpi(window) / 96.0;
}

int ScaleValue(int designValue, double dpiScale) {
    return static_cast<int>(std::lround(designValue * dpiScale));
}

SIZE WindowSizeForClient(HWND window, int width, int height) {
    static const auto adjustForDpi =
        User32Entry<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, width, height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto extendedStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, style, FALSE, extendedStyle, WindowDpi(window));
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}
