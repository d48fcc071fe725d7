// The end-to-end driver: the process of the program under test and its top-level windows.
#include "tests/app/program_driver.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

#include "ui/ui_core.h"

namespace {

constexpr UINT kSendTimeout = 5000;

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) &&
        ClassOf(window) == search->className) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, kSendTimeout, &result);
    return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND window) {
    wchar_t text[1100] = {};
    SendTo(window, WM_GETTEXT, 1100, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The screen's pixels in rect, row by row, as 0x00RRGGBB (blue in the low byte).
std::vector<COLORREF> ScreenPixels(const RECT& rect) {
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

void Press(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void PressKeys(const std::string& chord) {
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

ProgramDriver::~ProgramDriver() {
    if (process_.hProcess != nullptr) {
        if (WaitForExit(std::chrono::milliseconds(0)) == -1) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

bool ProgramDriver::Start(std::wstring folder) {
    folder = folder.empty() ? Folder() : folder;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program_ + L"\"";
    return CreateProcessW(program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process_) != 0;
}

int ProgramDriver::WaitForExit(std::chrono::milliseconds timeout) {
    DWORD code = 0;
    if (process_.hProcess == nullptr ||
        WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
            WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.hProcess, &code)) {
        return -1;
    }
    return static_cast<int>(code);
}

HWND ProgramDriver::WaitForMainWindow(std::chrono::milliseconds timeout) {
    WaitUntil(
        [this] {
            const auto windows = VisibleWindows(process_.dwProcessId, UICore::kClassName);
            mainWindow_ = windows.empty() ? nullptr : windows.front();
            return mainWindow_ != nullptr;
        },
        timeout);
    return mainWindow_;
}

HWND ProgramDriver::WaitForDialog(const std::wstring& caption, std::chrono::milliseconds timeout,
                                  const wchar_t* windowClass) const {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleWindows(process_.dwProcessId, windowClass)) {
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

int ProgramDriver::FocusedControl() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(process_.dwThreadId, &info);
    return GetDlgCtrlID(info.hwndFocus);  // 0 for none
}
