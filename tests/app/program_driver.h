// Drives the real Quorvane.exe from outside, as a user would: starts it, finds its windows,
// reads message boxes and presses their buttons, clicks controls and reads their state.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

class ProgramDriver {
public:
    static constexpr const wchar_t* kDialogClass = L"#32770";
    static constexpr const wchar_t* kMenuClass = L"#32768";

    explicit ProgramDriver(std::wstring program);
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // Starts the program in that working folder (default: its own); it inherits this process's
    // environment.
    bool Start(std::wstring folder = L"");
    // Waits for the program to end and returns its exit code, or -1 when it is still running.
    int WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool Running() const;

    // The main window once it is visible, or null.
    HWND WaitForMainWindow(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // A visible dialog (message box, notice, preview, file dialog) of the program with that
    // caption, or null. An empty caption matches any dialog; kMenuClass finds a popup menu.
    HWND WaitForDialog(const std::wstring& caption,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20),
                       const wchar_t* windowClass = kDialogClass) const;
    // True when no dialog with that caption appears within the time.
    bool NoDialogFor(const std::wstring& caption, std::chrono::milliseconds time) const;
    // Waits until the dialog has gone.
    bool WaitUntilClosed(HWND dialog,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

    // The text of a message box.
    static std::wstring MessageText(HWND messageBox);
    // Presses the dialog's button with that id, as a click would.
    static void Press(HWND dialog, int buttonId);
    static void SetDialogCheck(HWND dialog, int itemId, bool checked);
    // Types the path into a file dialog's name box and presses its OK button.
    static bool SaveAs(HWND fileDialog, const std::wstring& path);

    // The main window's controls, by command id.
    HWND Control(int id) const;
    void Click(int id) const;
    void ClickToolbarButton(int id) const;
    void ChooseMenuItem(int iconId, int item) const;
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked) const;
    bool IsEnabled(int id) const;
    bool IsVisible(int id) const;
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text) const;
    // Presses a chord such as "Ctrl+Shift+Tab" or "Ctrl+2" on the keyboard (SendInput): the keys
    // go down in order and up in reverse. Named keys: Shift, Ctrl, Tab, Enter, Esc, Space.
    static void PressKeys(const std::string& chord);
    // The command id of the program's control that has the keyboard focus, or 0.
    int FocusedControl() const;
    // Rests the mouse on toolbar button `index` and waits for that tooltip.
    bool ShowsTooltip(int index, const std::wstring& text) const;
    // The height of the first line of dark text in the control, read from the screen.
    int FirstTextLineHeight(int id) const;
    // The control's rectangle in the main window's client coordinates.
    RECT ControlRect(int id) const;
    HWND MainWindow() const { return mainWindow_; }
    // The folder the program lies in and starts in.
    std::wstring Folder() const { return program_.substr(0, program_.find_last_of(L"\\/")); }

    // Asks the main window to close, as its close box does.
    void CloseMainWindow() const;

private:
    std::wstring program_;
    PROCESS_INFORMATION process_{};
    HWND mainWindow_ = nullptr;
};

// Waits until condition() holds, polling; returns its last value.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return condition();
        }
        Sleep(50);
    }
    return true;
}
