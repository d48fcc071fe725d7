// The toolkit's top-level window: class registration, the window procedure, the message loop,
// and the two hooks through which a derived window learns that it was shown or is being
// destroyed. MainWindow derives from it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/handles.h"
#include "ui/messages.h"
#include "ui/ui_base.h"

// Written by the UICore constructor, read by dialogs: the owner of every dialog and the icon
// resource they show. The window handle is cleared again when that window's object goes away.
extern HWND MainWindowHandle;
extern std::uint32_t MainIconId;

class UICore : private UIBase {
public:
    // Registers the class "KESTROVAN_ZEL" and creates the hidden window at the default position,
    // then sizes it to width x height design units. When registration or creation fails there is
    // no window and the object is closing: Show does nothing and RunMessageLoop returns 0.
    UICore(HINSTANCE moduleInstance, const std::wstring& title, int width, int height,
           std::uint32_t classIconId, std::uint32_t smallIconId);
    virtual ~UICore();
    UICore(const UICore&) = delete;
    UICore& operator=(const UICore&) = delete;

    // Called from the message loop after each WM_SHOWWINDOW.
    virtual void OnShown();
    // Called on WM_DESTROY, before the quit message is posted.
    virtual void OnDestroy();

    // ShowWindow with nCmdShow, or SW_SHOWDEFAULT for 0, and the focus to the first control;
    // nothing when closing.
    void Show(int nCmdShow);
    // Pumps messages until WM_QUIT and returns its exit code; 0 at once when closing. The keyboard
    // works as in a dialog: the shortcut keys first, then Tab and Shift+Tab move through the
    // visible controls in creation order, Space presses the focused control and Enter the
    // focused push button.
    int RunMessageLoop();
    // Sets closing and sends WM_CLOSE, which destroys the window.
    void Close();

    HWND Handle() const { return hwnd.Get(); }
    HINSTANCE Instance() const { return instance; }
    std::uint32_t IconId() const { return iconId; }
    bool IsClosing() const { return closing; }
    // The window's controls; null when the window was never created.
    UIControls* Controls() const { return controls.get(); }
    // The scaled creation size: the smallest the user can drag the window to.
    int MinWidth() const { return minWidth; }
    int MinHeight() const { return minHeight; }

    // The registry name of the control that sent the last WM_COMMAND, or "".
    std::string LastCommandControlName() const;

    // A key with modifiers (FCONTROL, FSHIFT, FALT) that runs the callback wherever the focus is
    // in the window.
    void AddShortcut(BYTE modifiers, WORD virtualKey, CommandCallback callback);
    // Gives the focus to the first control in the tab order; with onlyWhenLost, only when the
    // focus went away with a control that was hidden or disabled.
    void FocusFirstControl(bool onlyWhenLost = false);

    using UIBase::DispatchCommand;
    using UIBase::DpiScale;
    using UIBase::OnCommand;
    using UIBase::UpdateDpiScale;

    static constexpr const wchar_t* kClassName = L"KESTROVAN_ZEL";

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool TranslateKeyboard(MSG& message);
    LRESULT FocusedPushButton() const;
    void OnActivate(WPARAM wParam);
    void OnSetFocus(HWND previous);
    bool RegisterWindowClass(std::uint32_t smallIconId);
    void OnCreate();
    void OnSize();
    void OnDpiChanged(WPARAM wParam, const RECT& suggested);
    void OnNcDestroy();

    std::unique_ptr<UIControls> controls;
    std::wstring className;
    HINSTANCE instance;
    ui::WindowHandle hwnd;
    HWND lastCommandSource;         // not owned
    HWND focusedControl = nullptr;  // not owned: had the focus when the window was deactivated
    std::uint32_t iconId;
    int designWidth;  // the window's outer size in design units
    int designHeight;
    std::int32_t minWidth;
    std::int32_t minHeight;
    bool closing;
    bool classRegistered = false;
    ui::IconHandle classIcon;  // the class's icons, released after the class is unregistered
    ui::IconHandle classSmallIcon;
    std::vector<ACCEL> shortcuts;
    ui::AcceleratorHandle accelerators;  // made from shortcuts
};
