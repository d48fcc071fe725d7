// Whole-file reads for the preference engine.
#include "prefs/profile_file.h"

#include <new>

#include "settings/platform.h"

FileReadResult ReadWholeFile(const wchar_t* path, std::size_t maxSize, FileText& out) {
    out = FileText{};
    platform::FileError error = platform::FileError::kNone;
    platform::UniqueFile stream(platform::OpenFile(path, L"rb", &error));
    if (!stream) {
        return error == platform::FileError::kMissing ? FileReadResult::kMissing
                                                      : FileReadResult::kCannotOpen;
    }
    if (std::fseek(stream.Get(), 0, SEEK_END) != 0) {
        return FileReadResult::kTooLarge;
    }
    const long size = std::ftell(stream.Get());
    if (size < 0 || static_cast<unsigned long>(size) > maxSize) {
        return FileReadResult::kTooLarge;
    }
    std::rewind(stream.Get());
    const auto length = static_cast<std::size_t>(size);
    out.data.reset(new (std::nothrow) char[length + 1]);
    if (!out.data) {
        return FileReadResult::kNoMemory;
    }
    out.size = std::fread(out.data.get(), 1, length, stream.Get());
    out.data[out.size] = '\0';
    if (std::ferror(stream.Get())) {
        out = FileText{};
        return FileReadResult::kReadError;
    }
    return FileReadResult::kRead;
}
