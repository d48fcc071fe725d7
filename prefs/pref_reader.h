// Reading the values in force from the default profile's prefs.js and user.js.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/catalogue.h"
#include "prefs/pref_statements.h"
#include "prefs/profile_locator.h"

// A value that outlives the file text it was read from.
struct HeldPrefValue {
    PrefValueType type = PrefValueType::kBool;
    bool boolValue = false;
    std::int32_t intValue = 0;
    std::string text;

    void Assign(const PrefValueData& value);
    PrefValueData View() const;
};

// One preference as Firefox holds it after reading prefs.js and then user.js: its default (its
// own, or one a lockPref statement set and locked) and the user value a user_pref statement set.
struct ResolvedPref {
    std::string name;
    bool hasDefault = false;
    bool hasUser = false;
    bool locked = false;
    HeldPrefValue defaultValue;
    HeldPrefValue userValue;

    // The value Firefox uses, or null when the preference has none.
    const HeldPrefValue* InForce() const;
    // True when the value in force comes from a statement of the files, not from Firefox itself.
    bool SetByFiles() const { return locked || hasUser; }
};

// Follows Firefox through the statements of the profile's files for a few preferences, in one
// pass a file. A user_pref statement sets the user value unless its type differs from the
// default's; lockPref sets and locks the default unless the preference is locked already or its
// type differs; pref and sticky_pref statements have no effect in these files.
class PrefResolver : public StatementVisitor {
public:
    // Follows name from Firefox's own default on: the catalogue's for its preferences, none for
    // any other name.
    void Watch(std::string_view name);
    // Reads one file's text; prefs.js first, then user.js.
    void Read(std::string_view text) { ReadStatements(text, *this); }
    const std::vector<ResolvedPref>& Prefs() const { return prefs_; }

    void OnStatement(const PrefStatement& statement) override;

private:
    std::vector<ResolvedPref> prefs_;
};

// Fills current and found of every used record with the value Firefox uses after reading the
// profile's prefs.js and user.js (the default profile, located now, when none is given): found is
// 1 when a statement of the files sets it, and a preference no statement sets shows Firefox's own
// default (DefaultFlag). Records stay as they were when memory for the file texts cannot be had.
void ReadPreferences(PrefSection& misc, PrefSection& privacy,
                     const ProfileFolder& profile = ProfileFolder::Locate());

// The same on the two files' texts.
void ParsePreferences(std::string_view prefsText, std::string_view userText, PrefSection& misc,
                      PrefSection& privacy);
