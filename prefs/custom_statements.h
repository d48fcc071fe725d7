// The user's own statements in user.js: recognising them, and keeping a dated copy of a user.js
// that holds any before Apply replaces it or Restore deletes it.
#pragma once

#include <string>
#include <string_view>

// True unless the text holds nothing but comments and user_pref statements for catalogue
// preferences, as Firefox reads them. Anything else (another statement keyword, another name, a
// malformed statement, a zero byte anywhere) counts as the user's own: when in doubt, the file
// is kept.
bool HoldsForeignStatement(std::string_view text);

enum class CustomBackup {
    kNotNeeded,  // no file there, or nothing in it that the program did not write
    kMade,       // copied whole to the file named in backup
    kFailed,     // a copy was needed and could not be made, or the file could not be read
};

// Copies the file at path, when it holds foreign statements, to a name not yet taken beside it:
// path + ".custom-YYYY-MM-DD.bak", then "-2" to "-99" before ".bak".
CustomBackup BackUpCustomStatements(const wchar_t* path, std::wstring& backup);
