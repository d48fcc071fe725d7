// Restore: the statements that set managed preferences are taken out of prefs.js, which is
// replaced in one step, but only once nothing can be lost: a backup of the original is written
// the first time, and a user.js with the user's own statements is copied before it is deleted.
#include "prefs/restore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "prefs/catalogue.h"
#include "prefs/custom_statements.h"
#include "prefs/pref_statements.h"
#include "prefs/profile_file.h"
#include "settings/atomic_file.h"
#include "settings/platform.h"

namespace {

bool IsRestoreName(std::string_view name) {
    for (const char* restored : kRestoreNameList) {
        if (name == restored) {
            return true;
        }
    }
    return false;
}

// Blanks other than line ends, as Firefox reads them between tokens.
bool AllBlank(std::string_view text) {
    return text.find_first_not_of(kBlanksWithinLine) == std::string_view::npos;
}

// The stretches of text to drop: every statement that sets a name of the restore list, with the
// whole of its lines when nothing else stands on them.
class ManagedStatementFinder : public StatementVisitor {
public:
    explicit ManagedStatementFinder(std::string_view text)
        : text_(text), firstLine_(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0) {}

    std::vector<std::pair<std::size_t, std::size_t>> drops;

    void OnStatement(const PrefStatement& statement) override {
        if (!IsRestoreName(statement.name)) {
            return;
        }
        std::size_t begin = statement.begin;
        std::size_t end = statement.end;
        const std::size_t lineStart = text_.find_last_of(kLineEnds, begin == 0 ? 0 : begin - 1);
        const std::size_t first =
            lineStart == std::string_view::npos || begin == 0 ? firstLine_ : lineStart + 1;
        const std::size_t lineEnd = std::min(text_.size(), text_.find_first_of(kLineEnds, end));
        if (AllBlank(text_.substr(first, begin - first)) &&
            AllBlank(text_.substr(end, lineEnd - end))) {
            begin = first;
            end = lineEnd + LineEndLength(lineEnd);
        }
        drops.emplace_back(begin, end);
    }

private:
    std::size_t LineEndLength(std::size_t at) const {
        if (at >= text_.size()) {
            return 0;
        }
        return text_.substr(at, 2) == "\r\n" ? 2 : 1;
    }

    std::string_view text_;
    std::size_t firstLine_;  // where the first line begins: a leading mark stays
};

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
bool EnsurePrefsBackup(const ProfileFolder& profile, const FileText& original) {
    wchar_t path[kPathCapacity];
    if (profile.FilePath(path, kPathCapacity, kRestoreBackupFileName) == nullptr) {
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

}  // namespace

std::size_t RemoveManagedStatements(std::string_view text, char* kept) {
    ManagedStatementFinder finder(text);
    ReadStatements(text, finder);
    std::size_t length = 0;
    std::size_t at = 0;
    for (const auto& [begin, end] : finder.drops) {
        std::memcpy(kept + length, text.data() + at, begin - at);
        length += begin - at;
        at = end;
    }
    std::memcpy(kept + length, text.data() + at, text.size() - at);
    length += text.size() - at;
    // A byte-order mark that followed a removed first statement would now lead the file, and
    // Firefox skips a leading mark only: the statement after it, which Firefox did not read
    // before, would start to count. A line end ahead keeps the mark where Firefox stumbles on it.
    // There is room: the removed statement was longer than one byte.
    if (!text.starts_with(kByteOrderMark) &&
        std::string_view(kept, length).starts_with(kByteOrderMark)) {
        std::memmove(kept + 1, kept, length);
        kept[0] = '\n';
        ++length;
    }
    return length;
}

int RestorePreferences(std::wstring* customBackup, const ProfileFolder& profile) {
    wchar_t prefsPath[kPathCapacity];
    if (profile.FilePath(prefsPath, kPathCapacity, kPrefsFileName) == nullptr) {
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
    if (!EnsurePrefsBackup(profile, original) ||
        profile.FilePath(userJsPath, kPathCapacity, kUserJsFileName) == nullptr ||
        BackUpCustomStatements(userJsPath, backup) == CustomBackup::kFailed) {
        return kRestoreBackupFailed;
    }
    const std::size_t keptLength = RemoveManagedStatements(original.View(), kept.get());
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
