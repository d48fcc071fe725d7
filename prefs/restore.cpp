// Restore: prefs.js is filtered line by line (whole lines, however long) and replaced in one
// step, but only once nothing can be lost: a backup of the original is written the first time,
// and a user.js with the user's own statements is copied before it is deleted.
#include "prefs/restore.h"

#include <cstring>
#include <new>
#include <string_view>

#include "prefs/catalogue.h"
#include "prefs/custom_statements.h"
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
        case FileReadResult::kMissing:
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

// True once a whole backup of prefs.js is on disk: an existing non-empty one is kept as it is,
// a missing or empty one is written now.
bool EnsurePrefsBackup(const FileText& original) {
    wchar_t path[kPathCapacity];
    if (LocateProfileFile(path, kPathCapacity, kRestoreBackupFileName) == nullptr) {
        return false;
    }
    FileText existing;
    const FileReadResult read = ReadWholeFile(path, kMaxProfileFileSize, existing);
    if (read == FileReadResult::kRead && existing.size > 0) {
        return true;
    }
    if (read != FileReadResult::kMissing && read != FileReadResult::kRead) {
        return false;  // there, but unreadable: never written over
    }
    return WriteFileAtomically(path, original.data.get(), original.size);
}

// The length of the line at the start of text, its line end (CR, LF or CR LF) included.
std::size_t LineLength(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        return text.size();
    }
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    return end + (crlf ? 2 : 1);
}

}  // namespace

std::size_t KeepUnmanagedLines(std::string_view text, char* kept) {
    SearchKeys search;
    BuildSearchKeys(search);
    std::size_t length = 0;
    while (!text.empty()) {
        const std::string_view line = text.substr(0, LineLength(text));
        if (!MentionsManagedName(line, search)) {
            std::memcpy(kept + length, line.data(), line.size());
            length += line.size();
        }
        text.remove_prefix(line.size());
    }
    return length;
}

int RestorePreferences(std::wstring* customBackup) {
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
    wchar_t userJsPath[kPathCapacity];
    std::wstring backup;
    if (!EnsurePrefsBackup(original) ||
        LocateProfileFile(userJsPath, kPathCapacity, kUserJsFileName) == nullptr ||
        BackUpCustomStatements(userJsPath, backup) == CustomBackup::kFailed) {
        return kRestoreBackupFailed;
    }
    const std::size_t keptLength = KeepUnmanagedLines(original.View(), kept.get());
    if (!WriteFileAtomically(prefsPath, kept.get(), keptLength)) {
        return kRestoreCannotRewritePrefs;
    }
    if (customBackup != nullptr) {
        *customBackup = backup;
    }
    const platform::FileError removed = platform::RemoveFile(userJsPath);
    return removed == platform::FileError::kNone || removed == platform::FileError::kMissing
               ? kRestoreDone
               : kRestoreCannotDeleteUserJs;
}
