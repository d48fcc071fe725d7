// The user.js writer: statements in catalogue order, written whole and atomically.
#include "prefs/pref_writer.h"

#include <cstring>
#include <memory>
#include <new>

#include "prefs/custom_statements.h"
#include "prefs/pref_statements.h"
#include "prefs/profile_locator.h"
#include "settings/atomic_file.h"
#include "settings/text_util.h"

namespace {

constexpr auto kLineSuffix = Scramble(");");
constexpr char kValueSeparator[] = "\", ";
constexpr char kLineEnd[] = "\n";

void AppendLinePrefix(char* output, std::size_t capacity, const char* name) {
    char keyword[kUnscrambledCapacity];
    BoundedAppend(output, Unscramble(keyword, kStatementKeyword), capacity);
    BoundedAppend(output, "\"", capacity);
    BoundedAppend(output, name, capacity);
}

bool ShouldWrite(const PrefRecord& record) {
    return record.found == 1 || record.current.flag != record.pending.flag;
}

// The editor path is written while the switch is ticked, and kept while it stays unticked; only
// unticking it clears the path.
bool WritesEditorPath(const PrefRecord& editorSwitch) {
    return editorSwitch.pending.flag == 1 || editorSwitch.current.flag == 0;
}

// A box's preference that holds a value of another type (a number, a text) keeps it while the box
// is left as it was read.
bool KeepsForeignValue(const PrefRecord& record) {
    return record.current.text[0] != '\0' && record.pending.flag == record.current.flag;
}

void AppendRawPrefLine(char* output, std::size_t capacity, const char* name, const char* value) {
    char suffix[kUnscrambledCapacity];
    AppendLinePrefix(output, capacity, name);
    BoundedAppend(output, kValueSeparator, capacity);
    BoundedAppend(output, value, capacity);
    BoundedAppend(output, Unscramble(suffix, kLineSuffix), capacity);
    BoundedAppend(output, kLineEnd, capacity);
}

// The box state as the literal Firefox stores: inverted options store false when ticked.
bool StoresSetLiteral(const PrefOption& option, std::uint32_t pending) {
    const bool checked = pending != 0;
    return option.kind == PrefKind::InvertedBool ? !checked : checked;
}

}  // namespace

void AppendStatements(char* output, const PrefSection& misc, const PrefSection& privacy) {
    const PrefRecord& editorSwitch = RecordOf(kEditorSwitchOption, misc, privacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, misc, privacy);
        if (option.kind == PrefKind::Text) {
            AppendTextPrefLine(output, kPrefOutputCapacity, option.preference,
                               WritesEditorPath(editorSwitch) ? record.pending.text : "");
        } else if (KeepsForeignValue(record)) {
            AppendRawPrefLine(output, kPrefOutputCapacity, option.preference, record.current.text);
        } else if (ShouldWrite(record)) {
            AppendBoolPrefLine(output, kPrefOutputCapacity, option.preference,
                               StoresSetLiteral(option, record.pending.flag));
        }
    }
}

void SetPendingFlag(PrefRecord& record, std::uint32_t checked) {
    record.pending.flag = checked;
}

void SetPendingText(PrefRecord& record, const char* utf8Text) {
    BoundedCopy(record.pending.text, utf8Text, kPrefTextCapacity);
}

EditorPathCheck CheckEditorPath(const char* utf8Path) {
    for (const char* name : kRestoreNameList) {
        if (std::strcmp(utf8Path, name) == 0) {
            return EditorPathCheck::kPreferenceName;
        }
    }
    std::size_t escapedLength = 0;
    for (const char* next = utf8Path; *next != '\0'; ++next) {
        const auto byte = static_cast<unsigned char>(*next);
        if (byte < 0x20 || byte == 0x7F || byte == '"') {
            return EditorPathCheck::kForbiddenCharacter;
        }
        escapedLength += byte == '\\' ? 2 : 1;
    }
    return escapedLength <= kMaxEscapedPathLength ? EditorPathCheck::kSafe
                                                  : EditorPathCheck::kTooLong;
}

bool IsSafeEditorPath(const char* utf8Path) {
    return CheckEditorPath(utf8Path) == EditorPathCheck::kSafe;
}

bool PendingEditorPathIsUnsafe(const PrefSection& misc) {
    static_assert(kEditorSwitchOption.section == 0 && kEditorPathOption.section == 0);
    const auto& editorSwitch = misc[static_cast<std::size_t>(kEditorSwitchOption.record)];
    const auto& editorPath = misc[static_cast<std::size_t>(kEditorPathOption.record)];
    return editorSwitch.pending.flag == 1 &&
           std::strcmp(editorPath.pending.text, editorPath.current.text) != 0 &&
           !IsSafeEditorPath(editorPath.pending.text);
}

void AppendBoolPrefLine(char* output, std::size_t capacity, const char* name, bool setLiteral) {
    char word[kUnscrambledCapacity];
    AppendRawPrefLine(output, capacity, name,
                      Unscramble(word, setLiteral ? kSetLiteral : kClearLiteral));
}

void AppendTextPrefLine(char* output, std::size_t capacity, const char* name, const char* value) {
    PrefValueData text;
    text.type = PrefValueType::kString;
    text.text = value;
    std::string quoted;
    AppendPrefValue(quoted, text);
    AppendRawPrefLine(output, capacity, name, quoted.c_str());
}

int WritePreferences(const wchar_t* target, const PrefSection& misc, const PrefSection& privacy,
                     std::wstring* customBackup) {
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
    std::wstring backup;
    if (BackUpCustomStatements(target, backup) == CustomBackup::kFailed ||
        !WriteFileAtomically(target, output.get(), length)) {
        return 0;
    }
    if (customBackup != nullptr) {
        *customBackup = backup;
    }
    return 1;
}
