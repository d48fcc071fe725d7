// The top-level window: class registration, creation at the scaled size, the window procedure
// and the message loop.
#include "ui/ui_core.h"

#include <commctrl.h>

#include "ui/dpi.h"

HWND MainWindowHandle = nullptr;
std::uint32_t MainIconId = 0;

namespace {

constexpr DWORD kCommonControlClasses = ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                        ICC_NATIVEFNTCTL_CLASS | ICC_STANDARD_CLASSES |
                                        ICC_LINK_CLASS;
static_assert(kCommonControlClasses == 0xE014);

}  // namespace

UICore::UICore(HINSTANCE moduleInstance, const std::wstring& title, int width, int height,
               std::uint32_t classIconId, std::uint32_t smallIconId)
    : controls(),
      className(kClassName),
      instance(moduleInstance),
      hwnd(),
      lastCommandSource(nullptr),
      iconId(classIconId),
      minWidth(0),
      minHeight(0),
      closing(false) {
    INITCOMMONCONTROLSEX commonControls{sizeof(commonControls), kCommonControlClasses};
    InitCommonControlsEx(&commonControls);

    if (!RegisterWindowClass(smallIconId)) {
        closing = true;
        return;
    }
    // WM_NCCREATE and WM_CREATE arrive during this call and set hwnd, the DPI scale and controls.
    const HWND created =
        CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, width, height, nullptr, nullptr, instance, this);
    if (created == nullptr || !hwnd) {
        // No window to show or to wait for: the program ends the way a failed registration does.
        closing = true;
        return;
    }
    minWidth = ScaleValue(width, DpiScale());
    minHeight = ScaleValue(height, DpiScale());
    SetWindowPos(hwnd.Get(), HWND_NOTOPMOST, 0, 0, minWidth, minHeight, SWP_NOMOVE | SWP_NOZORDER);
    MainWindowHandle = hwnd.Get();
    MainIconId = smallIconId;
}

UICore::~UICore() {
    if (hwnd) {
        // The derived part is already gone: detach first, so that destroying the window from
        // here runs no hooks and posts no quit message.
        SetWindowLongPtrW(hwnd.Get(), GWLP_USERDATA, 0);
        if (MainWindowHandle == hwnd.Get()) {
            MainWindowHandle = nullptr;
        }
        hwnd.Reset();
    }
    controls.reset();
    if (classRegistered) {
        UnregisterClassW(className.c_str(), instance);
    }
}

bool UICore::RegisterWindowClass(std::uint32_t smallIconId) {
    classIcon.Reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    classSmallIcon.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(smallIconId),
                                                       IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0)));

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = classIcon.Get();
    windowClass.hIconSm = classSmallIcon.Get();
    windowClass.hCursor = static_cast<HCURSOR>(
        LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
    windowClass.lpszClassName = className.c_str();
    classRegistered = RegisterClassExW(&windowClass) != 0;
    return classRegistered;
}

void UICore::OnShown() {}

void UICore::OnDestroy() {}

void UICore::Show(int nCmdShow) {
    if (closing) {
        return;
    }
    ShowWindow(hwnd.Get(), nCmdShow != 0 ? nCmdShow : SW_SHOWDEFAULT);
}

int UICore::RunMessageLoop() {
    if (closing) {
        return 0;
    }
    MSG message{};
    // GetMessageW returns -1 on failure; that ends the loop as well.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void UICore::Close() {
    closing = true;
    if (hwnd) {
        SendMessageW(hwnd.Get(), WM_CLOSE, 0, 0);
    }
}

std::string UICore::LastCommandControlName() const {
    if (!controls) {
        return std::string();
    }
    return controls->NameOf(lastCommandSource);
}

LRESULT CALLBACK UICore::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* core = static_cast<UICore*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        core->hwnd.Reset(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(core));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Null before WM_NCCREATE (WM_GETMINMAXINFO comes first) and after detaching.
    auto* core = reinterpret_cast<UICore*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (core == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return core->HandleMessage(message, wParam, lParam);
}

LRESULT UICore::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETMINMAXINFO:
            if (minWidth > 0 && minHeight > 0) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = POINT{minWidth, minHeight};
            }
            return 0;
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_SHOWWINDOW:
            PostMessageW(hwnd.Get(), WM_UI_SHOWN, 0, 0);
            return 0;
        case WM_UI_SHOWN:
            OnShown();
            return 0;
        case WM_COMMAND:
            lastCommandSource = reinterpret_cast<HWND>(lParam);
            DispatchCommand(lastCommandSource, wParam);
            return 0;
        case WM_UI_MENUCOMMAND:
            DispatchCommand(reinterpret_cast<HWND>(lParam), wParam);
            return 0;
        case WM_DESTROY:
            OnDestroy();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            const HWND window = hwnd.Get();
            OnNcDestroy();
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            return DefWindowProcW(hwnd.Get(), message, wParam, lParam);
    }
}

void UICore::OnCreate() {
    UpdateDpiScale(hwnd.Get());
    controls = std::make_unique<UIControls>(instance, hwnd.Get(), DpiScale());
}

void UICore::OnSize() {
    if (!controls) {
        return;
    }
    RECT windowRect{};
    GetWindowRect(hwnd.Get(), &windowRect);
    controls->LayoutAnchors(minWidth, minHeight, windowRect);
}

void UICore::OnNcDestroy() {
    // The system destroys the window now; the handle is no longer ours to release.
    SetWindowLongPtrW(hwnd.Get(), GWLP_USERDATA, 0);
    if (MainWindowHandle == hwnd.Get()) {
        MainWindowHandle = nullptr;
    }
    hwnd.Release();
}
