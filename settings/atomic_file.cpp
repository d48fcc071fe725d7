// Atomic writes: temporary file in the same folder, flush, then one rename.
#include "settings/atomic_file.h"

#include <utility>

#include "settings/platform.h"

namespace {

using platform::FileError;

constexpr int kTemporaryNameAttempts = 100;

// A flushed temporary file beside path holding data, named path + ".<n>.tmp" for the first n
// whose file could be created: another writer (a second instance, a file left by a crash) never
// shares or loses its temporary file.
class TemporaryFile {
public:
    TemporaryFile(const wchar_t* path, const char* data, std::size_t size) {
        for (int attempt = 1; attempt <= kTemporaryNameAttempts; ++attempt) {
            name_ = path + (L"." + std::to_wstring(attempt) + L".tmp");
            if (name_.size() >= kPathCapacity) {
                return;
            }
            FileError error = FileError::kNone;
            platform::UniqueFile stream(platform::CreateNewFile(name_.c_str(), error));
            if (stream) {
                created_ = true;
                written_ = WriteFlushAndClose(std::move(stream), data, size);
                return;
            }
            if (error != FileError::kExists) {
                return;
            }
        }
    }
    ~TemporaryFile() {
        if (created_) {
            platform::RemoveFile(name_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Written() const { return written_; }
    // Renames the file to target; it is then no longer removed.
    FileError RenameTo(const wchar_t* target, platform::RenameMode mode) {
        const FileError result = platform::RenameFile(name_.c_str(), target, mode);
        created_ = created_ && result != FileError::kNone;
        return result;
    }

private:
    static bool WriteFlushAndClose(platform::UniqueFile stream, const char* data,
                                   std::size_t size) {
        if (!platform::WriteBytes(stream.Get(), data, size) ||
            !platform::FlushToDisk(stream.Get())) {
            return false;
        }
        return std::fclose(stream.Release()) == 0;
    }

    std::wstring name_;
    bool created_ = false;
    bool written_ = false;
};

}  // namespace

bool WriteFileAtomically(const wchar_t* path, const char* data, std::size_t size) {
    TemporaryFile temporary(path, data, size);
    return temporary.Written() &&
           temporary.RenameTo(path, platform::RenameMode::kReplace) == FileError::kNone;
}

int WriteNewFileAtomically(const std::vector<std::wstring>& names, const char* data,
                           std::size_t size) {
    if (names.empty()) {
        return -1;
    }
    TemporaryFile temporary(names.front().c_str(), data, size);
    for (std::size_t i = 0; i < names.size() && temporary.Written(); ++i) {
        const FileError result =
            temporary.RenameTo(names[i].c_str(), platform::RenameMode::kCreateNew);
        if (result == FileError::kNone) {
            return static_cast<int>(i);
        }
        if (result != FileError::kExists) {
            break;
        }
    }
    return -1;
}
