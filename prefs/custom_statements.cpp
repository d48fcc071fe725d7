// Recognising the statements this program writes to user.js, and backing up everything else.
#include "prefs/custom_statements.h"

#include <algorithm>
#include <ctime>
#include <cwchar>
#include <iterator>
#include <vector>

#include "prefs/catalogue.h"
#include "prefs/profile_file.h"
#include "settings/atomic_file.h"
#include "settings/platform.h"

namespace {

constexpr int kMaxBackupsPerDay = 99;

// Reads a user preference file token by token, as Firefox's own parser does: blanks and three
// kinds of comment between the tokens.
class StatementScanner {
public:
    explicit StatementScanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return at_ == text_.size(); }

    // Skips blanks and comments; false at a block comment that never ends.
    bool SkipSpace() {
        while (!AtEnd()) {
            const std::string_view rest = text_.substr(at_);
            if (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\r' ||
                rest.front() == '\n') {
                ++at_;
            } else if (rest.substr(0, 2) == "//" || rest.front() == '#') {
                at_ = std::min(text_.size(), text_.find_first_of("\r\n", at_));
            } else if (rest.substr(0, 2) == "/*") {
                const std::size_t end = text_.find("*/", at_ + 2);
                if (end == std::string_view::npos) {
                    return false;
                }
                at_ = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    // The token, then what follows it up to the next token.
    bool Take(std::string_view token) {
        if (text_.substr(at_, token.size()) != token) {
            return false;
        }
        at_ += token.size();
        return SkipSpace();
    }

    // A quoted text in single or double quotes; escaped is set when it holds a backslash.
    bool TakeString(std::string_view& content, bool& escaped) {
        if (AtEnd() || (text_[at_] != '"' && text_[at_] != '\'')) {
            return false;
        }
        const char quote = text_[at_];
        escaped = false;
        for (std::size_t next = at_ + 1; next < text_.size(); ++next) {
            if (text_[next] == '\\') {
                escaped = true;
                ++next;
            } else if (text_[next] == quote) {
                content = text_.substr(at_ + 1, next - at_ - 1);
                at_ = next + 1;
                return SkipSpace();
            }
        }
        return false;
    }

    // true, false, a quoted text or a whole number with an optional sign.
    bool TakeValue() {
        std::string_view content;
        bool escaped = false;
        if (Take("true") || Take("false") || TakeString(content, escaped)) {
            return true;
        }
        std::size_t next = at_;
        if (next < text_.size() && (text_[next] == '+' || text_[next] == '-')) {
            ++next;
        }
        const std::size_t digits = next;
        while (next < text_.size() && text_[next] >= '0' && text_[next] <= '9') {
            ++next;
        }
        if (next == digits) {
            return false;
        }
        at_ = next;
        return SkipSpace();
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

bool IsCatalogueName(std::string_view name) {
    for (const PrefOption& option : kPrefCatalogue) {
        if (name == option.preference) {
            return true;
        }
    }
    return false;
}

bool TakeManagedStatement(StatementScanner& scanner) {
    std::string_view name;
    bool escaped = false;
    return scanner.Take("user_pref") && scanner.Take("(") && scanner.TakeString(name, escaped) &&
           !escaped && IsCatalogueName(name) && scanner.Take(",") && scanner.TakeValue() &&
           scanner.Take(")") && scanner.Take(";");
}

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
    StatementScanner scanner(text);
    if (!scanner.SkipSpace()) {
        return true;
    }
    while (!scanner.AtEnd()) {
        if (!TakeManagedStatement(scanner)) {
            return true;
        }
    }
    return false;
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
