// Windows implementation of the platform layer: the CRT's wide functions and Win32.
#include "settings/platform.h"

#include <windows.h>

#include <direct.h>
#include <io.h>
#include <cerrno>
#include <vector>

namespace platform {

bool GetEnvironment(const wchar_t* name, std::wstring& value) {
    const wchar_t* found = _wgetenv(name);
    if (found == nullptr) {
        return false;
    }
    value = found;
    return true;
}

std::FILE* OpenFile(const wchar_t* path, const wchar_t* mode) {
    return _wfopen(path, mode);
}

int MakeDirectory(const wchar_t* path) {
    return _wmkdir(path) == 0 ? 0 : errno;
}

int RemoveFile(const wchar_t* path) {
    return _wremove(path) == 0 ? 0 : errno;
}

bool RenameOver(const wchar_t* source, const wchar_t* target) {
    return MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FlushToDisk(std::FILE* stream) {
    return std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0;
}

std::int64_t CurrentTime() {
    return _time64(nullptr);
}

bool LocalTime(std::int64_t time, std::tm& out) {
    __time64_t value = time;
    const std::tm* result = _localtime64(&value);
    if (result == nullptr) {
        return false;
    }
    out = *result;
    return true;
}

bool WideToUtf8(const wchar_t* text, std::string& out) {
    out.clear();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return false;
    }
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer.data(), size, nullptr, nullptr) <= 0) {
        return false;
    }
    out.assign(buffer.data());
    return true;
}

bool Utf8ToWide(const char* text, std::wstring& out) {
    out.clear();
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (size <= 0) {
        return false;
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(size), L'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer.data(), size) <= 0) {
        return false;
    }
    out.assign(buffer.data());
    return true;
}

}  // namespace platform
