// Recognising the statements this program writes to user.js, and backing up everything else.
#include "prefs/custom_statements.h"

#include <ctime>
#include <cwchar>
#include <iterator>
#include <vector>

#include "prefs/catalogue.h"
#include "prefs/pref_statements.h"
#include "prefs/profile_file.h"
#include "settings/atomic_file.h"
#include "settings/platform.h"

namespace {

constexpr int kMaxBackupsPerDay = 99;

bool IsCatalogueName(std::string_view name) {
    for (const PrefOption& option : kPrefCatalogue) {
        if (name == option.preference) {
            return true;
        }
    }
    return false;
}

// Looks for anything but user_pref statements for catalogue preferences; comments and blanks
// between statements are not the user's own.
class ForeignStatementFinder : public StatementVisitor {
public:
    bool found = false;

    void OnStatement(const PrefStatement& statement) override {
        found = found || statement.keyword != StatementKeyword::kUserPref ||
                !IsCatalogueName(statement.name);
    }
    void OnMalformed(std::size_t, std::size_t) override { found = true; }
};

// path + ".custom-YYYY-MM-DD[-n].bak" for attempt n (1 has no number).
std::wstring BackupName(const wchar_t* path, const std::tm& day, int attempt) {
    wchar_t date[16];
    std::swprintf(date, std::size(date), L"%04d-%02d-%02d", day.tm_year + 1900, day.tm_mon + 1,
                  day.tm_mday);
    std::wstring name = std::wstring(path) + L".custom-" + date;
    if (attempt > 1) {
        name += L"-" + std::to_wstring(attempt);
    }
    return name + L".bak";
}

}  // namespace

bool HoldsForeignStatement(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return true;  // never written by this program; what Firefox leaves unread is kept too
    }
    ForeignStatementFinder finder;
    ReadStatements(text, finder);
    return finder.found;
}

CustomBackup BackUpCustomStatements(const wchar_t* path, std::wstring& backup) {
    backup.clear();
    FileText existing;
    switch (ReadWholeFile(path, kMaxProfileFileSize, existing)) {
        case FileReadResult::kMissing:
            return CustomBackup::kNotNeeded;
        case FileReadResult::kRead:
            break;
        default:
            return CustomBackup::kFailed;  // there, but unreadable: it may hold anything
    }
    if (!HoldsForeignStatement(existing.View())) {
        return CustomBackup::kNotNeeded;
    }
    std::tm today{};
    if (!platform::LocalTime(platform::CurrentTime(), today)) {
        return CustomBackup::kFailed;
    }
    std::vector<std::wstring> names;
    for (int attempt = 1; attempt <= kMaxBackupsPerDay; ++attempt) {
        names.push_back(BackupName(path, today, attempt));
    }
    const int written = WriteNewFileAtomically(names, existing.data.get(), existing.size);
    if (written < 0) {
        return CustomBackup::kFailed;
    }
    backup = names[static_cast<std::size_t>(written)];
    return CustomBackup::kMade;
}
