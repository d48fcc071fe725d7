// Measures how long programs take from process start to their first visible top-level window:
//     startup_timer RUNS PROGRAM...
// Each program is started RUNS times, in turns, from its own folder; after one unmeasured
// warm-up start each, it prints every program's median and fastest time and, for two programs,
// the second's median as a multiple of the first's.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) == nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Starts the program, waits for its window, closes it. A negative result means it failed.
double TimeOneStart(const std::wstring& program) {
    std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        return -1;
    }
    Search search{process.dwProcessId, nullptr};
    LARGE_INTEGER now = start;
    while (search.found == nullptr && Milliseconds(start, now) < kWindowTimeoutMs) {
        EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        if (search.found == nullptr) {
            Sleep(1);
        }
    }
    const double elapsed = search.found != nullptr ? Milliseconds(start, now) : -1;
    if (search.found != nullptr) {
        PostMessageW(search.found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kExitTimeoutMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 2 ? _wtoi(argv[1]) : 0;
    if (runs <= 0) {
        std::fwprintf(stderr, L"usage: startup_timer RUNS PROGRAM...\n");
        return 2;
    }
    const std::vector<std::wstring> programs(argv + 2, argv + argc);
    std::vector<std::vector<double>> times(programs.size());
    for (int run = -1; run < runs; ++run) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            // Alternate the order, so neither program always runs right after the other.
            const std::size_t which = run % 2 == 0 ? i : programs.size() - 1 - i;
            const double elapsed = TimeOneStart(programs[which]);
            if (elapsed < 0) {
                std::fwprintf(stderr, L"%ls showed no window\n", programs[which].c_str());
                return 1;
            }
            if (run >= 0) {
                times[which].push_back(elapsed);
            }
        }
    }
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const std::wstring& program = programs[i];
        std::wprintf(L"%-16ls median %7.1f ms  fastest %7.1f ms  (%d runs)\n",
                     program.substr(program.find_last_of(L"\\/") + 1).c_str(), Median(times[i]),
                     *std::min_element(times[i].begin(), times[i].end()), runs);
    }
    if (programs.size() == 2) {
        std::wprintf(L"ratio %.2f\n", Median(times[1]) / Median(times[0]));
    }
    return 0;
}
