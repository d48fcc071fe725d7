// Drives the real Quorvane.exe from outside, as a user would: starts it, finds its windows and
// talks to them with messages and key presses; and reads its windows' layout, state and GDI
// objects, for comparing the program after a change of DPI with a fresh start at that DPI.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ui/handles.h"
#include "ui/ui_core.h"

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

// A message to a window of another process, given up after five seconds.
inline LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, 5000, &result);
    return static_cast<LRESULT>(result);
}

inline std::wstring WindowText(HWND window) {
    wchar_t text[1100] = {};
    SendTo(window, WM_GETTEXT, 1100, reinterpret_cast<LPARAM>(text));
    return text;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The screen's pixels in rect, row by row, as 0x00RRGGBB (blue in the low byte).
inline std::vector<COLORREF> ScreenPixels(const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels(static_cast<std::size_t>(std::max(width * height, 0)));
    const HDC screen = GetDC(nullptr), copy = CreateCompatibleDC(screen);
    const HBITMAP shot = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(copy, shot);
    BitBlt(copy, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(copy, previous);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(copy, shot, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(shot);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The top-level windows (parent null) or every window below parent, in the system's order.
inline std::vector<HWND> WindowsBelow(HWND parent) {
    std::vector<HWND> found;
    const WNDENUMPROC collect = [](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    };
    if (parent == nullptr) {
        EnumWindows(collect, reinterpret_cast<LPARAM>(&found));
    } else {
        EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&found));
    }
    return found;
}

inline std::vector<HWND> VisibleWindows(DWORD processId, const wchar_t* className) {
    std::vector<HWND> windows = WindowsBelow(nullptr);
    std::erase_if(windows, [&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        return owner != processId || !IsWindowVisible(window) || ClassOf(window) != className;
    });
    return windows;
}

// Which rows of the control's rectangle, less inset pixels on each side, hold a dark pixel; in a
// check box only right of the box, whose size the control takes from the system, not from the
// program.
inline std::vector<bool> DarkRows(HWND control, int inset) {
    RECT rect{};
    GetWindowRect(control, &rect);
    InflateRect(&rect, -inset, -inset);
    const int width = std::max(0, static_cast<int>(rect.right - rect.left));
    const auto pixels = ScreenPixels(rect);
    const auto dark = [&](int x, int y) { return GetGValue(pixels[y * width + x]) < 96; };
    const int height = width == 0 ? 0 : static_cast<int>(pixels.size()) / width;
    std::vector<bool> darkColumn(width), darkRow(height);
    int x = 0;  // the first column of the text
    if ((GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX &&
        ClassOf(control) == L"Button") {
        for (int y = 0; y < height; ++y) {
            for (int column = 0; column < width; ++column) {
                darkColumn[column] = darkColumn[column] || dark(column, y);
            }
        }
        const auto box = std::find(darkColumn.begin(), darkColumn.end(), true);
        x = static_cast<int>(std::find(box, darkColumn.end(), false) - darkColumn.begin());
    }
    for (int y = 0; y < height; ++y) {
        for (int column = x; column < width && !darkRow[y]; ++column) {
            darkRow[y] = dark(column, y);
        }
    }
    return darkRow;
}

// The height of the text a control shows: from the first to the last dark row inside a 2-pixel
// border.
inline int TextHeight(HWND control) {
    const std::vector<bool> rows = DarkRows(control, 2);
    const auto first = std::find(rows.begin(), rows.end(), true);
    const auto last = std::find(rows.rbegin(), rows.rend(), true);
    return first == rows.end() ? 0 : static_cast<int>(rows.rend() - last - (first - rows.begin()));
}

// FNV-1a over a control's pixels (with width, as far as that from its left): equal for the same
// picture at the same size.
inline std::uint64_t PixelChecksum(HWND control, LONG width = 0) {
    RECT rect{};
    GetWindowRect(control, &rect);
    if (width > 0) {
        rect.right = std::min(rect.right, rect.left + width);
    }
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (COLORREF pixel : ScreenPixels(rect)) {
        hash = (hash ^ pixel) * 0x100000001b3ull;
    }
    return hash;
}

inline std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// The heights of the lines of dark text in the control, top to bottom, read from the screen: the
// runs of rows that hold a dark pixel. A line cut by the control's bottom edge comes out short.
inline std::vector<int> TextLineHeights(HWND control) {
    std::vector<int> lines{0};
    for (bool dark : DarkRows(control, 0)) {
        if (dark) {
            ++lines.back();
        } else if (lines.back() > 0) {
            lines.push_back(0);
        }
    }
    if (lines.size() > 1 && lines.back() == 0) {
        lines.pop_back();
    }
    return lines;
}

// Presses the dialog's button with that id, as a click would.
inline void Press(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

// Presses a chord such as "Ctrl+Shift+Tab" or "Ctrl+2" (SendInput): the keys go down in order
// and up in reverse. Named keys: Shift, Ctrl, Tab, Enter, Esc, Space.
inline void PressKeys(const std::string& chord) {
    static const std::map<std::string, WORD> kNamedKeys = {
        {"Shift", VK_SHIFT},  {"Ctrl", VK_CONTROL}, {"Tab", VK_TAB},
        {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE},   {"Space", VK_SPACE}};
    std::vector<INPUT> inputs;  // the downs in order, then the ups in reverse
    std::istringstream names(chord);
    for (std::string name; std::getline(names, name, '+');) {
        const auto named = kNamedKeys.find(name);
        INPUT key{INPUT_KEYBOARD, {}};
        key.ki.wVk = named != kNamedKeys.end() ? named->second : static_cast<WORD>(name[0]);
        inputs.insert(inputs.begin() + static_cast<std::ptrdiff_t>(inputs.size() / 2), {key, key});
        inputs[inputs.size() / 2].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The window's client size, then one line per control in creation order: class, place and size
// in the client area, whether it is visible, and the height of the text it shows (for the
// toolbar its button size; for an icon, a checksum of its pixels instead).
inline std::string LayoutFigures(HWND window) {
    std::ostringstream figures;
    RECT client{};
    GetClientRect(window, &client);
    // The size the program gives: a dialog's client area, the main window's outer size.
    if (ClassOf(window) == L"#32770") {
        figures << "client " << client.right << ' ' << client.bottom << '\n';
    } else {
        RECT outer{};
        GetWindowRect(window, &outer);
        figures << "window " << outer.right - outer.left << ' ' << outer.bottom - outer.top << '\n';
    }
    for (HWND child : Children(window)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        const std::wstring className = ClassOf(child);
        const bool visible = IsWindowVisible(child) != 0;
        const LONG width = rect.right - rect.left;
        const bool toolbar = className == TOOLBARCLASSNAMEW;
        figures << std::string(className.begin(), className.end()) << ' ' << rect.left << ' '
                << rect.top << ' ';
        // The toolbar spans the client area, whose width depends on the frame too.
        if (toolbar && width == client.right) {
            figures << "full";
        } else {
            figures << width;
        }
        figures << ' ' << rect.bottom - rect.top << ' ' << visible << ' ';
        if (toolbar) {
            const auto buttons = static_cast<DWORD>(SendTo(child, TB_GETBUTTONSIZE));
            figures << "buttons " << buttons << " pixels "
                    << PixelChecksum(child, 5 * LOWORD(buttons));
        } else if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                   className == L"Static") {
            figures << "pixels " << (visible ? PixelChecksum(child) : 0);
        } else {
            figures << "text " << (visible ? TextHeight(child) : 0);
        }
        figures << '\n';
    }
    return figures.str();
}

// The layout once painting has settled: two readings a moment apart agree.
inline std::string SettledLayout(HWND window) {
    std::string last;
    std::string now = LayoutFigures(window);
    for (int i = 0; i < 25 && now != last; ++i) {
        Sleep(200);
        last = now;
        now = LayoutFigures(window);
    }
    return now;
}

// What a change of DPI must keep: per control its check, enabled and visible states and, for
// an edit box, its text; and which control has the focus.
inline std::string StateFigures(HWND window) {
    std::ostringstream figures;
    const std::vector<HWND> children = Children(window);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const HWND child = children[i];
        figures << i << ' ' << SendTo(child, BM_GETCHECK) << IsWindowEnabled(child)
                << IsWindowVisible(child) << (child == thread.hwndFocus ? " focus" : "");
        if (ClassOf(child) == L"Edit") {
            const std::wstring text = WindowText(child);
            figures << ' ' << std::string(text.begin(), text.end());
        }
        figures << '\n';
    }
    return figures.str();
}

// Sends WM_DPICHANGED for dpi, suggesting the window's rectangle grown by dpi / fromDpi about its
// top left corner, as the system does when a window moves to a monitor of that DPI.
inline void SendDpiChange(HWND window, unsigned dpi, unsigned fromDpi) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const double factor = static_cast<double>(dpi) / fromDpi;
    rect.right = rect.left + std::lround((rect.right - rect.left) * factor);
    rect.bottom = rect.top + std::lround((rect.bottom - rect.top) * factor);
    SendTo(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
}

// The GDI objects of the window's process, counted in the handle table its PEB names; -1 when
// the table cannot be read.
inline long GdiObjectCount(HWND window) {
    // One entry per handle: the object's address (0 when free), owner, type and user data.
    struct HandleEntry {
        std::uint64_t object;
        std::uint32_t owner;
        std::uint32_t type;
        std::uint64_t user;
    };
    constexpr std::size_t kEntries = 0x10000;
    constexpr std::size_t kTableOffset = 0xF8;  // of GdiSharedHandleTable in a 64-bit PEB
    using QueryFunction = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    PROCESS_BASIC_INFORMATION basic{};
    std::uint64_t table = 0;
    std::vector<HandleEntry> entries(kEntries);
    const bool read =
        process != nullptr && query != nullptr &&
        query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(
            process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + kTableOffset,
            &table, sizeof table, nullptr) &&
        table != 0 &&
        ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                          entries.size() * sizeof(HandleEntry), nullptr);
    if (process != nullptr) {
        CloseHandle(process);
    }
    long count = 0;
    for (const HandleEntry& entry : entries) {
        count += entry.object != 0 ? 1 : 0;
    }
    return read ? count : -1;
}

class ProgramDriver {
public:
    static constexpr const wchar_t* kDialogClass = L"#32770";
    static constexpr const wchar_t* kMenuClass = L"#32768";

    explicit ProgramDriver(std::wstring program) : program_(std::move(program)) {}
    ~ProgramDriver() {
        if (process_ && WaitForExit(std::chrono::milliseconds(0)) == -1) {
            TerminateProcess(process_.Get(), 99);
            WaitForSingleObject(process_.Get(), 5000);
        }
    }
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // Starts the program in that working folder (default: its own); it inherits this process's
    // environment.
    bool Start(std::wstring folder = L"") {
        folder = folder.empty() ? program_.substr(0, program_.find_last_of(L"\\/")) : folder;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + program_ + L"\"";
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, folder.c_str(), &startup, &started)) {
            return false;
        }
        CloseHandle(started.hThread);
        process_.Reset(started.hProcess);
        processId_ = started.dwProcessId;
        threadId_ = started.dwThreadId;
        return true;
    }
    // Waits for the program to end and returns its exit code, or -1 when it is still running.
    int WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        DWORD code = 0;
        if (!process_ ||
            WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeout.count())) !=
                WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_.Get(), &code)) {
            return -1;
        }
        return static_cast<int>(code);
    }

    // The main window once it is visible, or null.
    HWND WaitForMainWindow(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        WaitUntil(
            [this] {
                const auto windows = VisibleWindows(processId_, UICore::kClassName);
                mainWindow_ = windows.empty() ? nullptr : windows.front();
                return mainWindow_ != nullptr;
            },
            timeout);
        return mainWindow_;
    }
    // A visible dialog (message box, notice, preview, file dialog) of the program with that
    // caption, or null. An empty caption matches any; kMenuClass finds a popup menu.
    HWND WaitForDialog(const std::wstring& caption,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20),
                       const wchar_t* windowClass = kDialogClass) const {
        HWND dialog = nullptr;
        WaitUntil(
            [&] {
                for (HWND window : VisibleWindows(processId_, windowClass)) {
                    if (caption.empty() || WindowText(window) == caption) {
                        dialog = window;
                        return true;
                    }
                }
                return false;
            },
            timeout);
        return dialog;
    }

    HWND MainWindow() const { return mainWindow_; }
    HWND Toolbar() const { return FindWindowExW(mainWindow_, nullptr, TOOLBARCLASSNAMEW, nullptr); }
    // A control of the main window by its command id.
    HWND Control(int id) const { return GetDlgItem(mainWindow_, id); }
    // The command id of the control that has the keyboard focus, or 0.
    int FocusedControl() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId_, &info);
        return GetDlgCtrlID(info.hwndFocus);  // 0 for none
    }

private:
    std::wstring program_;
    ui::KernelHandle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND mainWindow_ = nullptr;
};
