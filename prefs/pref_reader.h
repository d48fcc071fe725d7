// Reading the values in force from the default profile's user.js and Firefox's prefs.js.
#pragma once

#include <cstddef>
#include <string_view>

#include "prefs/catalogue.h"

// Capacity of a raw value: at most 1023 collected bytes and a terminating zero.
inline constexpr std::size_t kRawValueCapacity = 1025;

// Fills current and found of every used record; user.js wins over prefs.js, and a preference in
// neither shows Firefox's own default (DefaultFlag). Records stay as they were when memory for the
// file texts cannot be had.
void ReadPreferences(PrefSection& misc, PrefSection& privacy);

// The same on the two files' texts.
void ParsePreferences(std::string_view prefsText, std::string_view userText, PrefSection& misc,
                      PrefSection& privacy);

// Looks for "name" after the text's first statement and collects the value after the next comma
// into value (kRawValueCapacity bytes). A quoted value ends at its closing quote, honouring \\ and
// \" escapes; any other value ends at ')'. Returns false when the name or the comma is absent.
bool FindPrefValue(std::string_view text, const char* name, char* value);

// One parser per PrefKind: search user.js first, then prefs.js.
void ParseInvertedBoolPref(PrefRecord& record, std::string_view prefsText,
                           std::string_view userText, const char* name, std::uint32_t defaultValue);
void ParseBoolPref(PrefRecord& record, std::string_view prefsText, std::string_view userText,
                   const char* name, std::uint32_t defaultValue);
void ParseTextPref(PrefRecord& record, std::string_view prefsText, std::string_view userText,
                   const char* name, const char* defaultText);

// Rewrites a path value in place: collapse = 1 turns each doubled backslash into one, collapse = 0
// doubles every backslash (as the writer stores it). The result is cut to capacity.
void EscapePrefText(char* text, std::size_t capacity, int collapse);
