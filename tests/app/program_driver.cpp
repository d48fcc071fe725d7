// The end-to-end driver: processes, top-level windows and controls of the program under test.
#include "tests/app/program_driver.h"

#include <commctrl.h>

#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "ui/messages.h"

namespace {

constexpr wchar_t kMainWindowClass[] = L"KESTROVAN_ZEL";
constexpr wchar_t kTooltipClass[] = L"tooltips_class32";
constexpr int kMessageTextId = 0xFFFF;  // the static that holds a message box's text
constexpr UINT kSendTimeout = 5000;

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1100] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1100, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        kSendTimeout, &ignored);
    return text;
}

LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, kSendTimeout, &result);
    return static_cast<LRESULT>(result);
}

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

ProgramDriver::ProgramDriver(std::wstring program) : program_(std::move(program)) {}

ProgramDriver::~ProgramDriver() {
    if (process_.hProcess != nullptr) {
        if (Running()) {
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

bool ProgramDriver::Running() const {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

int ProgramDriver::WaitForExit(std::chrono::milliseconds timeout) {
    if (process_.hProcess == nullptr ||
        WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
            WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
}

HWND ProgramDriver::WaitForMainWindow(std::chrono::milliseconds timeout) {
    WaitUntil(
        [this] {
            const auto windows = VisibleWindows(process_.dwProcessId, kMainWindowClass);
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

bool ProgramDriver::NoDialogFor(const std::wstring& caption, std::chrono::milliseconds time) const {
    return WaitForDialog(caption, time) == nullptr;
}

bool ProgramDriver::WaitUntilClosed(HWND dialog, std::chrono::milliseconds timeout) const {
    return WaitUntil([dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeout);
}

std::wstring ProgramDriver::MessageText(HWND messageBox) {
    return WindowText(GetDlgItem(messageBox, kMessageTextId));
}

void ProgramDriver::Press(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void ProgramDriver::SetDialogCheck(HWND dialog, int itemId, bool checked) {
    SendTo(GetDlgItem(dialog, itemId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool ProgramDriver::SaveAs(HWND fileDialog, const std::wstring& path) {
    struct Search {
        HWND edit = nullptr;
    } search;
    EnumChildWindows(
        fileDialog,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto* found = reinterpret_cast<Search*>(parameter);
            if (ClassOf(child) == L"Edit" && IsWindowVisible(child)) {
                found->edit = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.edit == nullptr) {
        return false;
    }
    SendTo(search.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(fileDialog, IDOK);
    return true;
}

HWND ProgramDriver::Control(int id) const {
    return GetDlgItem(mainWindow_, id);
}

void ProgramDriver::Click(int id) const {
    const HWND control = Control(id);
    if (ClassOf(control) == L"Static") {  // a clickable icon: press and release the mouse on it
        PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageW(control, WM_LBUTTONUP, 0, 0);
        return;
    }
    PostMessageW(control, BM_CLICK, 0, 0);
}

void ProgramDriver::ClickToolbarButton(int id) const {
    const HWND toolbar = FindWindowExW(mainWindow_, nullptr, TOOLBARCLASSNAMEW, nullptr);
    PostMessageW(mainWindow_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(toolbar));
}

void ProgramDriver::ChooseMenuItem(int iconId, int item) const {
    PostMessageW(mainWindow_, WM_UI_MENUCOMMAND, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(Control(iconId)));
}

bool ProgramDriver::IsChecked(int id) const {
    return SendTo(Control(id), BM_GETCHECK) == BST_CHECKED;
}

void ProgramDriver::SetChecked(int id, bool checked) const {
    if (IsChecked(id) != checked) {
        Click(id);
        WaitUntil([&] { return IsChecked(id) == checked; });
    }
}

bool ProgramDriver::IsEnabled(int id) const {
    return IsWindowEnabled(Control(id)) != 0;
}

bool ProgramDriver::IsVisible(int id) const {
    return IsWindowVisible(Control(id)) != 0;
}

std::wstring ProgramDriver::Text(int id) const {
    return WindowText(Control(id));
}

void ProgramDriver::SetText(int id, const std::wstring& text) const {
    SendTo(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ProgramDriver::PressKeys(const std::string& chord) {
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

int ProgramDriver::FocusedControl() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(process_.dwThreadId, &info);
    return GetDlgCtrlID(info.hwndFocus);  // 0 for none
}

bool ProgramDriver::ShowsTooltip(int index, const std::wstring& text) const {
    const HWND toolbar = FindWindowExW(mainWindow_, nullptr, TOOLBARCLASSNAMEW, nullptr);
    RECT bar{};
    GetWindowRect(toolbar, &bar);
    const auto button = static_cast<DWORD>(SendTo(toolbar, TB_GETBUTTONSIZE));
    // The buttons follow a leading separator 8 pixels wide.
    SetCursorPos(bar.left + 8 + LOWORD(button) * index + LOWORD(button) / 2,
                 bar.top + HIWORD(button) / 2);
    return WaitUntil([&] {
        const auto tips = VisibleWindows(process_.dwProcessId, kTooltipClass);
        return !tips.empty() && WindowText(tips.front()) == text;
    });
}

int ProgramDriver::FirstTextLineHeight(int id) const {
    RECT rect{};
    GetWindowRect(Control(id), &rect);
    const HDC screen = GetDC(nullptr);
    int line = 0;  // rows in the first run of rows that hold a dark pixel
    for (int y = rect.top; y < rect.bottom; ++y) {
        bool ink = false;
        for (int x = rect.left; x < rect.right && !ink; ++x) {
            ink = GetGValue(GetPixel(screen, x, y)) < 96;
        }
        if (!ink && line > 0) {
            break;
        }
        line += ink ? 1 : 0;
    }
    ReleaseDC(nullptr, screen);
    return line;
}

RECT ProgramDriver::ControlRect(int id) const {
    RECT rect{};
    GetWindowRect(Control(id), &rect);
    MapWindowPoints(nullptr, mainWindow_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ProgramDriver::CloseMainWindow() const {
    PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
}
