// The preference reader: one pass over prefs.js and one over user.js, following Firefox's rules
// for which statement's value is in force.
#include "prefs/pref_reader.h"

#include "prefs/profile_file.h"
#include "settings/text_util.h"

namespace {

// Firefox's own default of a catalogue preference, if Firefox defines one.
bool FirefoxDefaultOf(std::string_view name, HeldPrefValue& value) {
    for (const PrefOption& option : kPrefCatalogue) {
        if (name == option.preference && option.firefoxDefault != FirefoxDefault::kNone) {
            value.type = option.firefoxDefault == FirefoxDefault::kEmptyText
                             ? PrefValueType::kString
                             : PrefValueType::kBool;
            value.boolValue = option.firefoxDefault == FirefoxDefault::kTrue;
            return true;
        }
    }
    return false;
}

// Firefox keeps a preference's type once it has a default: a user value must match it. A default
// must match the type the preference has so far, from its default or else its user value.
bool TypeAllows(const ResolvedPref& pref, const PrefStatement& statement) {
    const PrefValueType type = statement.value.type;
    if (pref.hasDefault) {
        return pref.defaultValue.type == type;
    }
    const bool setsDefault = statement.keyword != StatementKeyword::kUserPref;
    return !setsDefault || !pref.hasUser || pref.userValue.type == type;
}

// A value of another type than a box shows is written back as it stands while the box is left
// alone; it is kept, in the record's text, only when it fits there whole.
void KeepForeignValue(PrefRecord& record, const HeldPrefValue& value) {
    std::string kept;
    AppendPrefValue(kept, value.View());
    if (kept.size() < kPrefTextCapacity) {
        BoundedCopy(record.current.text, kept.c_str(), kPrefTextCapacity);
        record.found = 1;
    }
}

void SetRecord(const PrefOption& option, const ResolvedPref& pref, PrefRecord& record) {
    record.current.flag = DefaultFlag(option);
    record.current.text[0] = '\0';
    record.found = 0;
    const HeldPrefValue* value = pref.InForce();
    if (value == nullptr) {
        return;
    }
    const std::uint32_t found = pref.SetByFiles() ? 1 : 0;
    if (option.kind == PrefKind::Text) {
        if (value->type == PrefValueType::kString) {
            BoundedCopy(record.current.text, value->text.c_str(), kPrefTextCapacity);
            record.found = found;
        }
    } else if (value->type == PrefValueType::kBool) {
        const bool checked =
            option.kind == PrefKind::InvertedBool ? !value->boolValue : value->boolValue;
        record.current.flag = checked ? 1 : 0;
        record.found = found;
    } else if (found == 1) {
        KeepForeignValue(record, *value);
    }
}

// Reads one profile file; any failure but a lack of memory leaves the text empty.
bool LoadProfileText(const ProfileFolder& profile, ScrambledText fileName, FileText& text) {
    wchar_t path[kPathCapacity];
    if (profile.FilePath(path, kPathCapacity, fileName) == nullptr) {
        return true;
    }
    return ReadWholeFile(path, kMaxProfileFileSize, text) != FileReadResult::kNoMemory;
}

}  // namespace

void HeldPrefValue::Assign(const PrefValueData& value) {
    type = value.type;
    boolValue = value.boolValue;
    intValue = value.intValue;
    text.assign(value.text);
}

PrefValueData HeldPrefValue::View() const {
    PrefValueData value;
    value.type = type;
    value.boolValue = boolValue;
    value.intValue = intValue;
    value.text = text;
    return value;
}

const HeldPrefValue* ResolvedPref::InForce() const {
    if (locked || (!hasUser && hasDefault)) {
        return &defaultValue;
    }
    return hasUser ? &userValue : nullptr;
}

void PrefResolver::Watch(std::string_view name) {
    ResolvedPref& pref = prefs_.emplace_back();
    pref.name = name;
    pref.hasDefault = FirefoxDefaultOf(name, pref.defaultValue);
}

void PrefResolver::OnStatement(const PrefStatement& statement) {
    for (ResolvedPref& pref : prefs_) {
        if (pref.name.size() != statement.name.size() || pref.name != statement.name) {
            continue;
        }
        if (!TypeAllows(pref, statement)) {
            return;
        }
        if (statement.keyword == StatementKeyword::kUserPref) {
            pref.userValue.Assign(statement.value);
            pref.hasUser = true;
        } else if (statement.keyword == StatementKeyword::kLockPref && !pref.locked) {
            pref.defaultValue.Assign(statement.value);
            pref.hasDefault = true;
            pref.locked = true;
        }
        return;
    }
}

void ParsePreferences(std::string_view prefsText, std::string_view userText, PrefSection& misc,
                      PrefSection& privacy) {
    PrefResolver resolver;
    for (const PrefOption& option : kPrefCatalogue) {
        resolver.Watch(option.preference);
    }
    resolver.Read(prefsText);
    resolver.Read(userText);
    for (std::size_t i = 0; i < kPrefOptionCount; ++i) {
        const PrefOption& option = kPrefCatalogue[i];
        SetRecord(option, resolver.Prefs()[i], RecordOf(option, misc, privacy));
    }
}

void ReadPreferences(PrefSection& misc, PrefSection& privacy, const ProfileFolder& profile) {
    FileText prefsFile;
    FileText userFile;
    if (LoadProfileText(profile, kPrefsFileName, prefsFile) &&
        LoadProfileText(profile, kUserJsFileName, userFile)) {
        ParsePreferences(prefsFile.View(), userFile.View(), misc, privacy);
    }
}
