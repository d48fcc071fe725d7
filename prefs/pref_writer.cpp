// The user.js writer: statements in catalogue order, written whole and atomically.
#include "prefs/pref_writer.h"

#include <cstring>
#include <memory>
#include <new>

#include "prefs/custom_statements.h"
#include "settings/atomic_file.h"
#include "settings/text_util.h"

namespace {

constexpr auto kLineSuffix = Scramble(");");
constexpr char kValueSeparator[] = "\", ";
constexpr char kLineEnd[] = "\n";

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

// A statement line with a value already written as the file holds it.
void AppendWrittenPrefLine(char* output, std::size_t capacity, const char* name,
                           const char* value) {
    char opening[kUnscrambledCapacity];
    char suffix[kUnscrambledCapacity];
    BoundedAppend(output, Unscramble(opening, kScrambledStatementOpening), capacity);
    BoundedAppend(output, name, capacity);
    BoundedAppend(output, kValueSeparator, capacity);
    BoundedAppend(output, value, capacity);
    BoundedAppend(output, Unscramble(suffix, kLineSuffix), capacity);
    BoundedAppend(output, kLineEnd, capacity);
}

// A statement line with the value written as every value is (AppendPrefValue).
void AppendPrefLine(char* output, std::size_t capacity, const char* name,
                    const PrefValueData& value) {
    std::string written;
    AppendPrefValue(written, value);
    AppendWrittenPrefLine(output, capacity, name, written.c_str());
}

// The box state as the literal Firefox stores: inverted options store false when ticked.
PrefValueData StoredBool(const PrefOption& option, std::uint32_t pending) {
    const bool checked = pending != 0;
    PrefValueData value;
    value.boolValue = option.kind == PrefKind::InvertedBool ? !checked : checked;
    return value;
}

PrefValueData StoredText(const char* text) {
    PrefValueData value;
    value.type = PrefValueType::kString;
    value.text = text;
    return value;
}

}  // namespace

void AppendStatements(char* output, const PrefSection& misc, const PrefSection& privacy) {
    const PrefRecord& editorSwitch = RecordOf(kEditorSwitchOption, misc, privacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, misc, privacy);
        if (option.kind == PrefKind::Text) {
            AppendPrefLine(output, kPrefOutputCapacity, option.preference,
                           StoredText(WritesEditorPath(editorSwitch) ? record.pending.text : ""));
        } else if (KeepsForeignValue(record)) {
            AppendWrittenPrefLine(output, kPrefOutputCapacity, option.preference,
                                  record.current.text);
        } else if (ShouldWrite(record)) {
            AppendPrefLine(output, kPrefOutputCapacity, option.preference,
                           StoredBool(option, record.pending.flag));
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

int WritePreferences(const wchar_t* target, const PrefSection& misc, const PrefSection& privacy,
                     std::wstring* customBackup) {
    if (target == nullptr) {
        return WritePreferences(ProfileFolder::Locate(), misc, privacy, customBackup);
    }
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

int WritePreferences(const ProfileFolder& profile, const PrefSection& misc,
                     const PrefSection& privacy, std::wstring* customBackup) {
    wchar_t userJs[kPathCapacity];
    if (profile.FilePath(userJs, kPathCapacity, kUserJsFileName) == nullptr) {
        return 0;
    }
    return WritePreferences(userJs, misc, privacy, customBackup);
}
