// Windows implementation of the platform layer: the CRT's wide functions and Win32.
#include "settings/platform.h"

#include <windows.h>

#include <direct.h>
#include <fcntl.h>
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

namespace {

// Only "not found" means missing: access denied and sharing violations must not.
FileError ErrorOf(unsigned long systemError) {
    switch (systemError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FileError::kMissing;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return FileError::kExists;
        default:
            return FileError::kFailed;
    }
}

// The injected refusal: the error a file the user may not touch gives.
template <typename Result>
Result Refuse(Result result, FileError* error = nullptr) {
    errno = EACCES;
    SetLastError(ERROR_ACCESS_DENIED);
    if (error != nullptr) {
        *error = FileError::kFailed;
    }
    return result;
}

}  // namespace

std::FILE* OpenFile(const wchar_t* path, const wchar_t* mode, FileError* error) {
    if (FileOperationMustFail(FileOperation::kOpen, path)) {
        return Refuse<std::FILE*>(nullptr, error);
    }
    // The CRT keeps the system's own error code beside its errno mapping; a failure of the CRT's
    // own (a bad mode) leaves it 0.
    _doserrno = 0;
    std::FILE* stream = _wfopen(path, mode);
    if (error != nullptr) {
        *error = stream != nullptr ? FileError::kNone : ErrorOf(_doserrno);
    }
    return stream;
}

// msvcrt's _wfopen knows no "x" mode: the file is created by the system and handed to the CRT.
std::FILE* CreateNewFile(const wchar_t* path, FileError& error) {
    if (FileOperationMustFail(FileOperation::kCreate, path)) {
        return Refuse<std::FILE*>(nullptr, &error);
    }
    const HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = ErrorOf(GetLastError());
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(file);
        DeleteFileW(path);
        error = FileError::kFailed;
        return nullptr;
    }
    std::FILE* stream = _wfdopen(descriptor, L"wb");
    if (stream == nullptr) {
        _close(descriptor);
        DeleteFileW(path);
        error = FileError::kFailed;
        return nullptr;
    }
    error = FileError::kNone;
    return stream;
}

bool WriteBytes(std::FILE* stream, const char* data, std::size_t size) {
    if (FileOperationMustFail(FileOperation::kWrite, nullptr)) {
        return Refuse(false);
    }
    return std::fwrite(data, 1, size, stream) == size;
}

bool FlushToDisk(std::FILE* stream) {
    if (FileOperationMustFail(FileOperation::kFlush, nullptr)) {
        return Refuse(false);
    }
    return std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0;
}

int MakeDirectory(const wchar_t* path) {
    return _wmkdir(path) == 0 ? 0 : errno;
}

bool FileWriteTime(const wchar_t* path, std::int64_t& time) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path, GetFileExInfoStandard, &data) == 0) {
        return false;
    }
    time = static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
           data.ftLastWriteTime.dwLowDateTime;
    return true;
}

FileError RemoveFile(const wchar_t* path) {
    if (FileOperationMustFail(FileOperation::kRemove, path)) {
        return Refuse(FileError::kFailed);
    }
    return DeleteFileW(path) ? FileError::kNone : ErrorOf(GetLastError());
}

FileError RenameFile(const wchar_t* source, const wchar_t* target, RenameMode mode) {
    if (FileOperationMustFail(FileOperation::kRename, source)) {
        return Refuse(FileError::kFailed);
    }
    const DWORD replace = mode == RenameMode::kReplace ? MOVEFILE_REPLACE_EXISTING : 0;
    return MoveFileExW(source, target, replace | MOVEFILE_WRITE_THROUGH) ? FileError::kNone
                                                                         : ErrorOf(GetLastError());
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
