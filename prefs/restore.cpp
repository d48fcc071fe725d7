// Restore: prefs.js is filtered line by line (whole lines, however long) and replaced in one
// step; a backup of the original is written the first time only.
#include "prefs/restore.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string_view>

#include "prefs/catalogue.h"
#include "prefs/profile_file.h"
#include "prefs/profile_locator.h"
#include "settings/atomic_file.h"
#include "settings/platform.h"
#include "settings/text_util.h"

namespace {

constexpr std::size_t kSearchKeyCapacity = 512;

struct SearchKeys {
    char keys[kRestoreNameCount][kSearchKeyCapacity];
};

// "name" in double quotes for every name of the restore list.
void BuildSearchKeys(SearchKeys& search) {
    for (std::size_t i = 0; i < kRestoreNameCount; ++i) {
        BoundedCopy(search.keys[i], "\"", kSearchKeyCapacity);
        BoundedAppend(search.keys[i], kRestoreNameList[i], kSearchKeyCapacity);
        BoundedAppend(search.keys[i], "\"", kSearchKeyCapacity);
    }
}

bool MentionsManagedName(std::string_view line, const SearchKeys& search) {
    for (const char* key : search.keys) {
        if (line.find(key) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

int ResultOf(FileReadResult read) {
    switch (read) {
        case FileReadResult::kRead:
            return kRestoreDone;
        case FileReadResult::kCannotOpen:
            return kRestoreCannotOpenPrefs;
        case FileReadResult::kTooLarge:
            return kRestorePrefsTooLarge;
        case FileReadResult::kNoMemory:
            return kRestoreNoMemory;
        case FileReadResult::kReadError:
            break;
    }
    return kRestoreReadFailed;
}

// Writes the original text to the backup file unless a non-empty backup already exists. A
// failure here does not stop Restore.
void WriteBackupOnce(const FileText& original) {
    wchar_t path[kPathCapacity];
    if (LocateProfileFile(path, kPathCapacity, kRestoreBackupFileName) == nullptr) {
        return;
    }
    FileText existing;
    const FileReadResult read = ReadWholeFile(path, kMaxProfileFileSize, existing);
    if (read == FileReadResult::kCannotOpen ||
        (read == FileReadResult::kRead && existing.size == 0)) {
        WriteFileAtomically(path, original.data.get(), original.size);
    }
}

// Copies every line that mentions no managed name into kept; returns the kept length.
std::size_t KeepUnmanagedLines(std::string_view text, char* kept) {
    SearchKeys search;
    BuildSearchKeys(search);
    std::size_t length = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t lineLength = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(0, lineLength);
        if (!MentionsManagedName(line, search)) {
            std::memcpy(kept + length, line.data(), line.size());
            length += line.size();
        }
        text.remove_prefix(lineLength);
    }
    return length;
}

}  // namespace

int RestorePreferences() {
    wchar_t prefsPath[kPathCapacity];
    if (LocateProfileFile(prefsPath, kPathCapacity, kPrefsFileName) == nullptr) {
        return kRestoreCannotOpenPrefs;
    }
    FileText original;
    if (const int result = ResultOf(ReadWholeFile(prefsPath, kMaxProfileFileSize, original));
        result != kRestoreDone) {
        return result;
    }
    std::unique_ptr<char[]> kept(new (std::nothrow) char[original.size + 1]);
    if (!kept) {
        return kRestoreNoMemory;
    }
    WriteBackupOnce(original);
    const std::size_t keptLength = KeepUnmanagedLines(original.View(), kept.get());
    if (!WriteFileAtomically(prefsPath, kept.get(), keptLength)) {
        return kRestoreCannotRewritePrefs;
    }
    wchar_t userJsPath[kPathCapacity];
    if (LocateProfileFile(userJsPath, kPathCapacity, kUserJsFileName) == nullptr) {
        return kRestoreCannotLocateUserJs;
    }
    const int removed = platform::RemoveFile(userJsPath);
    return removed == 0 || removed == ENOENT ? kRestoreDone : kRestoreCannotDeleteUserJs;
}
