// Reading a profile file whole into one heap buffer.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// Profile files larger than this are not read: 16 MiB is far beyond any real prefs.js.
inline constexpr std::size_t kMaxProfileFileSize = 16u * 1024u * 1024u;

enum class FileReadResult {
    kRead,
    kMissing,     // the file does not exist
    kCannotOpen,  // it exists but cannot be opened (access denied, in use)
    kTooLarge,    // also when the size cannot be determined
    kNoMemory,
    kReadError,
};

// A file's bytes followed by a zero byte.
struct FileText {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;

    std::string_view View() const { return data ? std::string_view(data.get(), size) : ""; }
};

FileReadResult ReadWholeFile(const wchar_t* path, std::size_t maxSize, FileText& out);
