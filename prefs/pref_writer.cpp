// The user.js writer: statements in catalogue order, written whole and atomically.
#include "prefs/pref_writer.h"

#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <string_view>

#include "prefs/pref_reader.h"
#include "prefs/profile_file.h"
#include "prefs/profile_locator.h"
#include "settings/atomic_file.h"
#include "settings/platform.h"
#include "settings/text_util.h"

namespace {

constexpr auto kBoolLineSuffix = Scramble(");");
constexpr auto kTextLineSuffix = Scramble("\");");
constexpr char kBoolSeparator[] = "\", ";
constexpr char kTextSeparator[] = "\", \"";
constexpr char kLineEnd[] = "\n";
constexpr std::size_t kPathCapacityForBackup = kPathCapacity;
constexpr int kMaxBackupsPerDay = 99;

void AppendLinePrefix(char* output, std::size_t capacity, const char* name) {
    char keyword[kUnscrambledCapacity];
    BoundedAppend(output, Unscramble(keyword, kStatementKeyword), capacity);
    BoundedAppend(output, "\"", capacity);
    BoundedAppend(output, name, capacity);
}

bool ShouldWrite(const PrefRecord& record) {
    return record.found == 1 || record.current.flag != record.pending.flag;
}

// The box state as the literal Firefox stores: inverted options store false when ticked.
bool StoresSetLiteral(const PrefOption& option, std::uint32_t pending) {
    const bool checked = pending != 0;
    return option.kind == PrefKind::InvertedBool ? !checked : checked;
}

bool IsCatalogueName(std::string_view name) {
    for (const PrefOption& option : kPrefCatalogue) {
        if (name == option.preference) {
            return true;
        }
    }
    return false;
}

// True when the text holds a statement (user_pref, pref, lockPref, ...) for a preference this
// program does not manage: the user's own lines, which a plain replacement would lose.
bool HoldsForeignStatement(std::string_view text) {
    for (std::size_t at = text.find("ref("); at != std::string_view::npos;
         at = text.find("ref(", at + 1)) {
        std::size_t start = at + 4;
        while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) {
            ++start;
        }
        if (start >= text.size() || text[start] != '"') {
            continue;
        }
        const std::size_t end = text.find('"', start + 1);
        if (end != std::string_view::npos &&
            !IsCatalogueName(text.substr(start + 1, end - start - 1))) {
            return true;
        }
    }
    return false;
}

bool Exists(const wchar_t* path) {
    return platform::UniqueFile(platform::OpenFile(path, L"rb")) != nullptr;
}

// target + ".custom-YYYY-MM-DD[-n].bak": a name that does not exist yet.
bool ChooseBackupName(const wchar_t* target, wchar_t* out) {
    std::tm now{};
    if (!platform::LocalTime(platform::CurrentTime(), now)) {
        return false;
    }
    for (int attempt = 1; attempt <= kMaxBackupsPerDay; ++attempt) {
        std::wstring name = target;
        name += L".custom-" + std::to_wstring(now.tm_year + 1900) + L"-";
        name += (now.tm_mon < 9 ? L"0" : L"") + std::to_wstring(now.tm_mon + 1) + L"-";
        name += (now.tm_mday < 10 ? L"0" : L"") + std::to_wstring(now.tm_mday);
        if (attempt > 1) {
            name += L"-" + std::to_wstring(attempt);
        }
        name += L".bak";
        if (BoundedCopyWide(out, name.c_str(), kPathCapacityForBackup) >= kPathCapacityForBackup) {
            return false;
        }
        if (!Exists(out)) {
            return true;
        }
    }
    return false;
}

// Keeps the user's own statements: copies an existing target that holds any before it is
// replaced. Returns false when such a copy was needed and could not be made.
bool BackUpForeignStatements(const wchar_t* target) {
    FileText existing;
    switch (ReadWholeFile(target, kMaxProfileFileSize, existing)) {
        case FileReadResult::kCannotOpen:
            return true;  // nothing there to lose
        case FileReadResult::kRead:
            break;
        default:
            return false;
    }
    if (!HoldsForeignStatement(existing.View())) {
        return true;
    }
    wchar_t backup[kPathCapacityForBackup];
    return ChooseBackupName(target, backup) &&
           WriteFileAtomically(backup, existing.data.get(), existing.size);
}

void AppendStatements(char* output, const PrefSection& misc, const PrefSection& privacy) {
    const PrefRecord& editorSwitch = RecordOf(kEditorSwitchOption, misc, privacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, misc, privacy);
        if (option.kind == PrefKind::Text) {
            char path[kPrefTextCapacity] = {};
            if (editorSwitch.pending.flag == 1) {
                BoundedCopy(path, record.pending.text, sizeof path);
                EscapePrefText(path, sizeof path, 0);
            }
            AppendTextPrefLine(output, kPrefOutputCapacity, option.preference, path);
        } else if (ShouldWrite(record)) {
            AppendBoolPrefLine(output, kPrefOutputCapacity, option.preference,
                               StoresSetLiteral(option, record.pending.flag));
        }
    }
}

}  // namespace

void SetPendingFlag(PrefRecord& record, std::uint32_t checked) {
    record.pending.flag = checked;
}

void SetPendingText(PrefRecord& record, const char* utf8Text) {
    BoundedCopy(record.pending.text, utf8Text, kPrefTextCapacity);
}

bool IsSafeEditorPath(const char* utf8Path) {
    for (const char* next = utf8Path; *next != '\0'; ++next) {
        const auto byte = static_cast<unsigned char>(*next);
        if (byte < 0x20 || byte == 0x7F || byte == '"') {
            return false;
        }
    }
    return true;
}

bool PendingEditorPathIsUnsafe(const PrefSection& misc) {
    static_assert(kEditorSwitchOption.section == 0 && kEditorPathOption.section == 0);
    const auto& editorSwitch = misc[static_cast<std::size_t>(kEditorSwitchOption.record)];
    const auto& editorPath = misc[static_cast<std::size_t>(kEditorPathOption.record)];
    return editorSwitch.pending.flag == 1 && !IsSafeEditorPath(editorPath.pending.text);
}

void AppendBoolPrefLine(char* output, std::size_t capacity, const char* name, bool setLiteral) {
    char word[kUnscrambledCapacity];
    AppendLinePrefix(output, capacity, name);
    BoundedAppend(output, kBoolSeparator, capacity);
    BoundedAppend(output, Unscramble(word, setLiteral ? kSetLiteral : kClearLiteral), capacity);
    BoundedAppend(output, Unscramble(word, kBoolLineSuffix), capacity);
    BoundedAppend(output, kLineEnd, capacity);
}

void AppendTextPrefLine(char* output, std::size_t capacity, const char* name, const char* value) {
    char suffix[kUnscrambledCapacity];
    AppendLinePrefix(output, capacity, name);
    BoundedAppend(output, kTextSeparator, capacity);
    BoundedAppend(output, value, capacity);
    BoundedAppend(output, Unscramble(suffix, kTextLineSuffix), capacity);
    BoundedAppend(output, kLineEnd, capacity);
}

int WritePreferences(const wchar_t* target, const PrefSection& misc, const PrefSection& privacy) {
    if (PendingEditorPathIsUnsafe(misc)) {
        return 0;
    }
    std::unique_ptr<char[]> output(new (std::nothrow) char[kPrefOutputCapacity]);
    if (!output) {
        return 0;
    }
    output[0] = '\0';
    AppendStatements(output.get(), misc, privacy);
    const std::size_t length = std::strlen(output.get());
    if (length == 0) {
        return 0;
    }
    wchar_t profileTarget[kPathCapacity];
    if (target == nullptr) {
        target = LocateProfileFile(profileTarget, kPathCapacity, kUserJsFileName);
        if (target == nullptr) {
            return 0;
        }
    }
    if (!BackUpForeignStatements(target)) {
        return 0;
    }
    return WriteFileAtomically(target, output.get(), length) ? 1 : 0;
}
