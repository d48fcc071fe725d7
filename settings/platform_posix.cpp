// POSIX implementation of the platform layer, for the native test build. Wide texts are UTF-32
// here; file names become UTF-8 with '/' for '\', so Windows-style paths built by the core work.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "settings/platform.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(char32_t code, std::string& out) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = kReplacement;
    }
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one UTF-8 sequence starting at text; malformed input yields U+FFFD for one byte,
// as the Windows converter does without MB_ERR_INVALID_CHARS.
char32_t DecodeUtf8(const unsigned char*& text) {
    const unsigned char lead = *text++;
    if (lead < 0x80) {
        return lead;
    }
    int extra = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, code = lead & 0x07, minimum = 0x10000;
    } else {
        return kReplacement;
    }
    const unsigned char* next = text;
    for (int i = 0; i < extra; ++i, ++next) {
        if ((*next & 0xC0) != 0x80) {
            return kReplacement;
        }
        code = (code << 6) | (*next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return kReplacement;
    }
    text = next;
    return code;
}

std::string FileName(const wchar_t* path) {
    std::string name;
    WideToUtf8(path, name);
    for (char& c : name) {
        if (c == '\\') {
            c = '/';
        }
    }
    return name;
}

FileError ErrorOf(int code) {
    if (code == ENOENT) {
        return FileError::kMissing;
    }
    return code == EEXIST ? FileError::kExists : FileError::kFailed;
}

// The injected refusal: the error a file the user may not touch gives.
template <typename Result>
Result Refuse(Result result, FileError* error = nullptr) {
    errno = EACCES;
    if (error != nullptr) {
        *error = FileError::kFailed;
    }
    return result;
}

}  // namespace

bool GetEnvironment(const wchar_t* name, std::wstring& value) {
    std::string narrowName;
    WideToUtf8(name, narrowName);
    const char* found = std::getenv(narrowName.c_str());
    if (found == nullptr) {
        return false;
    }
    return Utf8ToWide(found, value);
}

std::FILE* OpenFile(const wchar_t* path, const wchar_t* mode, FileError* error) {
    if (FileOperationMustFail(FileOperation::kOpen, path)) {
        return Refuse<std::FILE*>(nullptr, error);
    }
    std::string narrowMode;
    WideToUtf8(mode, narrowMode);
    std::FILE* stream = std::fopen(FileName(path).c_str(), narrowMode.c_str());
    if (error != nullptr) {
        *error = stream != nullptr ? FileError::kNone : ErrorOf(errno);
    }
    return stream;
}

std::FILE* CreateNewFile(const wchar_t* path, FileError& error) {
    if (FileOperationMustFail(FileOperation::kCreate, path)) {
        return Refuse<std::FILE*>(nullptr, &error);
    }
    std::FILE* stream = std::fopen(FileName(path).c_str(), "wbx");
    error = stream != nullptr ? FileError::kNone : ErrorOf(errno);
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
    return std::fflush(stream) == 0 && fsync(fileno(stream)) == 0;
}

int MakeDirectory(const wchar_t* path) {
    return mkdir(FileName(path).c_str(), 0755) == 0 ? 0 : errno;
}

bool FileWriteTime(const wchar_t* path, std::int64_t& time) {
    struct stat status {};
    if (stat(FileName(path).c_str(), &status) != 0) {
        return false;
    }
    time = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return true;
}

FileError RemoveFile(const wchar_t* path) {
    if (FileOperationMustFail(FileOperation::kRemove, path)) {
        return Refuse(FileError::kFailed);
    }
    return std::remove(FileName(path).c_str()) == 0 ? FileError::kNone : ErrorOf(errno);
}

FileError RenameFile(const wchar_t* source, const wchar_t* target, RenameMode mode) {
    if (FileOperationMustFail(FileOperation::kRename, source)) {
        return Refuse(FileError::kFailed);
    }
    const unsigned flags = mode == RenameMode::kCreateNew ? RENAME_NOREPLACE : 0;
    return renameat2(AT_FDCWD, FileName(source).c_str(), AT_FDCWD, FileName(target).c_str(),
                     flags) == 0
               ? FileError::kNone
               : ErrorOf(errno);
}

std::int64_t CurrentTime() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool LocalTime(std::int64_t time, std::tm& out) {
    const std::time_t value = static_cast<std::time_t>(time);
    return localtime_r(&value, &out) != nullptr;
}

bool WideToUtf8(const wchar_t* text, std::string& out) {
    out.clear();
    for (; *text != L'\0'; ++text) {
        AppendUtf8(static_cast<char32_t>(*text), out);
    }
    return true;
}

bool Utf8ToWide(const char* text, std::wstring& out) {
    out.clear();
    const unsigned char* next = reinterpret_cast<const unsigned char*>(text);
    while (*next != 0) {
        out += static_cast<wchar_t>(DecodeUtf8(next));
    }
    return true;
}

}  // namespace platform
