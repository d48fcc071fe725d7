// Reading a window's layout, state and GDI objects from another process.
#include "tests/app/dpi_figures.h"

#include <winternl.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

#include "tests/app/program_driver.h"

namespace {

// The height of the text a control shows, read from the screen: from the first to the last row
// with a dark pixel, inside a 2-pixel border and, in a check box, right of the box (whose size
// the control takes from the system, not from the program).
int TextHeight(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    InflateRect(&rect, -2, -2);
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
    const auto first = std::find(darkRow.begin(), darkRow.end(), true);
    const auto last = std::find(darkRow.rbegin(), darkRow.rend(), true);
    return first == darkRow.end()
               ? 0
               : static_cast<int>(darkRow.rend() - last - (first - darkRow.begin()));
}

// FNV-1a over a control's pixels (with width, as far as that from its left): equal for the same
// picture at the same size.
std::uint64_t PixelChecksum(HWND control, LONG width = 0) {
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

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

}  // namespace

std::string LayoutFigures(HWND window) {
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

std::string StateFigures(HWND window) {
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

void SendDpiChange(HWND window, unsigned dpi, unsigned fromDpi) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const double factor = static_cast<double>(dpi) / fromDpi;
    rect.right = rect.left + std::lround((rect.right - rect.left) * factor);
    rect.bottom = rect.top + std::lround((rect.bottom - rect.top) * factor);
    SendTo(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
}

long GdiObjectCount(HWND window) {
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
