// DPI measurement and the scaling rule.
#include "ui/dpi.h"

#include <cmath>

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

unsigned ScreenDpi() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 0;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 0;
}

// The window property that holds the DPI a top-level window took from WM_DPICHANGED.
constexpr wchar_t kDpiProperty[] = L"Quorvane.Dpi";

}  // namespace

unsigned SystemDpiOf(HWND window) {
    static const auto entry = User32Entry<GetDpiForWindowFunction>("GetDpiForWindow");
    const unsigned dpi = entry != nullptr ? entry(window) : ScreenDpi();
    return dpi == 0 ? 96 : dpi;
}

// WM_DPICHANGED names the DPI to lay the window out for; what the system reports for the window
// may lag behind it, so the recorded DPI counts first.
unsigned WindowDpi(HWND window) {
    const HWND topLevel = GetAncestor(window, GA_ROOT);
    const auto recorded = reinterpret_cast<UINT_PTR>(GetPropW(topLevel, kDpiProperty));
    return recorded != 0 ? static_cast<unsigned>(recorded) : SystemDpiOf(window);
}

void RecordWindowDpi(HWND topLevel, unsigned dpi) {
    SetPropW(topLevel, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dpi)));
}

void ForgetWindowDpi(HWND topLevel) {
    RemovePropW(topLevel, kDpiProperty);
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
        adjustForDpi(&rect, style, FALSE, extendedStyle, SystemDpiOf(window));
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}
