// Drives the real Quorvane.exe from outside, as a user would: starts it, finds its windows and
// talks to them with messages and key presses; and reads its windows' layout, state and GDI
// objects, for comparing the program after a change of DPI with a fresh start at that DPI.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

// A message to a window of another process, given up after five seconds.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
// The screen's pixels in rect, row by row, as 0x00RRGGBB (blue in the low byte).
std::vector<COLORREF> ScreenPixels(const RECT& rect);
// The heights of the lines of dark text in the control, top to bottom, read from the screen: the
// runs of rows that hold a dark pixel. A line cut by the control's bottom edge comes out short.
std::vector<int> TextLineHeights(HWND control);
// Presses the dialog's button with that id, as a click would.
void Press(HWND dialog, int buttonId);
// Presses a chord such as "Ctrl+Shift+Tab" or "Ctrl+2" (SendInput): the keys go down in order
// and up in reverse. Named keys: Shift, Ctrl, Tab, Enter, Esc, Space.
void PressKeys(const std::string& chord);

// The window's client size, then one line per control in creation order: class, place and size
// in the client area, whether it is visible, and the height of the text it shows (for the
// toolbar its button size; for an icon, a checksum of its pixels instead).
std::string LayoutFigures(HWND window);
// The layout once painting has settled: two readings a moment apart agree.
std::string SettledLayout(HWND window);

// What a change of DPI must keep: per control its check, enabled and visible states and, for
// an edit box, its text; and which control has the focus.
std::string StateFigures(HWND window);

// Sends WM_DPICHANGED for dpi, suggesting the window's rectangle grown by dpi / fromDpi about its
// top left corner, as the system does when a window moves to a monitor of that DPI.
void SendDpiChange(HWND window, unsigned dpi, unsigned fromDpi);

// The GDI objects of the window's process, counted in the handle table its PEB names; -1 when
// the table cannot be read.
long GdiObjectCount(HWND window);

class ProgramDriver {
public:
    static constexpr const wchar_t* kDialogClass = L"#32770";
    static constexpr const wchar_t* kMenuClass = L"#32768";

    explicit ProgramDriver(std::wstring program) : program_(std::move(program)) {}
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // Starts the program in that working folder (default: its own); it inherits this process's
    // environment.
    bool Start(std::wstring folder = L"");
    // Waits for the program to end and returns its exit code, or -1 when it is still running.
    int WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // The main window once it is visible, or null.
    HWND WaitForMainWindow(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // A visible dialog (message box, notice, preview, file dialog) of the program with that
    // caption, or null. An empty caption matches any; kMenuClass finds a popup menu.
    HWND WaitForDialog(const std::wstring& caption,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20),
                       const wchar_t* windowClass = kDialogClass) const;

    HWND MainWindow() const { return mainWindow_; }
    HWND Toolbar() const { return FindWindowExW(mainWindow_, nullptr, TOOLBARCLASSNAMEW, nullptr); }
    // A control of the main window by its command id.
    HWND Control(int id) const { return GetDlgItem(mainWindow_, id); }
    // The command id of the control that has the keyboard focus, or 0.
    int FocusedControl() const;
    // The folder the program lies in.
    std::wstring Folder() const { return program_.substr(0, program_.find_last_of(L"\\/")); }

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
