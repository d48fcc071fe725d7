// Helpers for the toolkit tests.
#include "tests/ui/ui_test_support.h"

#include <cstdlib>
#include <map>
#include <utility>

#include "res/resource_ids.h"
#include "tests/test_support.h"

namespace uitest {
namespace {

std::wstring blockedClass;

LRESULT CALLBACK BlockCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        // The window exists already, with its class resolved (the name the caller gave may be
        // an atom or a versioned common-controls name).
        wchar_t className[64] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), className, 64);
        if (_wcsicmp(className, blockedClass.c_str()) == 0) {
            return 1;  // cancels the creation
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::map<UINT_PTR, std::function<void()>>& PendingActions() {
    static std::map<UINT_PTR, std::function<void()>> actions;
    return actions;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto node = PendingActions().extract(timer);
    if (!node.empty()) {
        node.mapped()();
    }
}

}  // namespace

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

unsigned ExpectedDpi() {
    const char* value = std::getenv("QUORVANE_TEST_DPI");
    const unsigned dpi = value != nullptr ? static_cast<unsigned>(std::atoi(value)) : 0;
    return dpi != 0 ? dpi : 96;
}

double ExpectedScale() {
    return ExpectedDpi() / 96.0;
}

void PumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // leave it for DrainQuit
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool DrainQuit() {
    MSG message{};
    bool found = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            found = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return found;
}

TestWindow::TestWindow(int width, int height)
    : UICore(Module(), L"Quorvane", width, height, IDI_APPLICATION_MARK, IDI_APPLICATION_MARK) {}

TestWindow::~TestWindow() {
    if (Handle() != nullptr) {
        Close();
    }
    DrainQuit();
}

CreationBlocker::CreationBlocker(const wchar_t* className) {
    blockedClass = className;
    hook_ = SetWindowsHookExW(WH_CBT, BlockCreation, nullptr, GetCurrentThreadId());
}

CreationBlocker::~CreationBlocker() {
    UnhookWindowsHookEx(hook_);
    blockedClass.clear();
}

void RunLater(UINT delayMs, std::function<void()> action) {
    const UINT_PTR timer = SetTimer(nullptr, 0, delayMs, RunPendingAction);
    PendingActions()[timer] = std::move(action);
}

PixelCanvas::PixelCanvas(int width, int height, COLORREF fill)
    : width_(width), height_(height), fill_(fill), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const std::uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

PixelCanvas::~PixelCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF PixelCanvas::At(int x, int y) const {
    GdiFlush();
    const std::uint32_t pixel = bits_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

RECT PixelCanvas::Changed() const {
    RECT box{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (At(x, y) != fill_) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
    }
    if (box.right == 0) {
        return RECT{};
    }
    return box;
}

RECT ClientRectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof(font), &font);
    return font;
}

std::wstring DataFile(const char* name) {
    return test::ToProgramPath(std::filesystem::path(QUORVANE_UI_TEST_DATA) / name);
}

}  // namespace uitest
