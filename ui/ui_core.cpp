// The top-level window: class registration, creation at the scaled size, the window procedure
// and the message loop.
#include "ui/ui_core.h"

#include <commctrl.h>

#include <utility>

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
      designWidth(width),
      designHeight(height),
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
        ForgetWindowDpi(hwnd.Get());
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
    FocusFirstControl(true);  // the window may have become active before it had controls
}

int UICore::RunMessageLoop() {
    if (closing) {
        return 0;
    }
    MSG message{};
    // GetMessageW returns -1 on failure; that ends the loop as well.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateKeyboard(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

bool UICore::TranslateKeyboard(MSG& message) {
    if (!hwnd) {
        return false;
    }
    if (accelerators && TranslateAcceleratorW(hwnd.Get(), accelerators.Get(), &message)) {
        return true;
    }
    // Tab, Shift+Tab, Space and Enter as in a dialog; Enter asks DM_GETDEFID which button.
    return IsDialogMessageW(hwnd.Get(), &message) != 0;
}

void UICore::AddShortcut(BYTE modifiers, WORD virtualKey, CommandCallback callback) {
    const auto id = static_cast<WORD>(shortcuts.size() + 1);
    shortcuts.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | modifiers), virtualKey, id});
    accelerators.Reset(
        CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size())));
    // An accelerator's WM_COMMAND carries 1 in the high word and no control.
    OnCommand(MAKEWPARAM(id, 1), std::move(callback));
}

void UICore::FocusFirstControl(bool onlyWhenLost) {
    const HWND focus = GetFocus();
    const bool kept =
        focus != nullptr && focus != hwnd.Get() && IsWindowVisible(focus) && IsWindowEnabled(focus);
    if (onlyWhenLost && kept) {
        return;
    }
    const HWND first = GetNextDlgTabItem(hwnd.Get(), nullptr, FALSE);
    if (first != nullptr && GetActiveWindow() == hwnd.Get()) {
        SetFocus(first);
    }
}

// Enter presses the focused push button, as in a dialog; with the focus elsewhere it presses
// nothing.
LRESULT UICore::FocusedPushButton() const {
    const HWND focus = GetFocus();
    if (!IsChild(hwnd.Get(), focus) ||
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) == 0) {
        return 0;
    }
    return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
}

// Like a dialog, the window hands the focus on to a control: the one that had it when the window
// was last deactivated, else the first in the tab order. Focus that falls back to the window from
// a control that was hidden or disabled stays until the code that hid it places it.
void UICore::OnActivate(WPARAM wParam) {
    const HWND focus = GetFocus();
    if (LOWORD(wParam) == WA_INACTIVE && IsChild(hwnd.Get(), focus)) {
        focusedControl = focus;
    }
}

void UICore::OnSetFocus(HWND previous) {
    if (IsChild(hwnd.Get(), previous)) {
        return;
    }
    if (IsChild(hwnd.Get(), focusedControl) && IsWindowVisible(focusedControl) &&
        IsWindowEnabled(focusedControl)) {
        SetFocus(focusedControl);
    } else {
        FocusFirstControl();
    }
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
        case WM_DPICHANGED:
            if (lParam != 0) {
                OnDpiChanged(wParam, *reinterpret_cast<const RECT*>(lParam));
            }
            return 0;
        case WM_SHOWWINDOW:
            PostMessageW(hwnd.Get(), WM_UI_SHOWN, 0, 0);
            return 0;
        case WM_ACTIVATE:
            OnActivate(wParam);
            return DefWindowProcW(hwnd.Get(), message, wParam, lParam);
        case WM_SETFOCUS:
            OnSetFocus(reinterpret_cast<HWND>(wParam));
            return 0;
        case DM_GETDEFID:
            return FocusedPushButton();
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

// The window moved to a monitor of another DPI (both halves of wParam hold it): everything that
// creation scaled is scaled again, through the same rule, and the window takes the rectangle the
// system suggests.
void UICore::OnDpiChanged(WPARAM wParam, const RECT& suggested) {
    const unsigned dpi = LOWORD(wParam);
    if (dpi == 0 || !controls) {
        return;
    }
    RecordWindowDpi(hwnd.Get(), dpi);
    UpdateDpiScale(hwnd.Get());
    minWidth = ScaleValue(designWidth, DpiScale());
    minHeight = ScaleValue(designHeight, DpiScale());
    // The size first: the toolbar takes the width of the window it is laid out in.
    SetWindowPos(hwnd.Get(), nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    controls->Rescale(dpi);
    OnSize();
    RedrawWindow(hwnd.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void UICore::OnNcDestroy() {
    // The system destroys the window now; the handle is no longer ours to release.
    ForgetWindowDpi(hwnd.Get());
    SetWindowLongPtrW(hwnd.Get(), GWLP_USERDATA, 0);
    if (MainWindowHandle == hwnd.Get()) {
        MainWindowHandle = nullptr;
    }
    hwnd.Release();
}
