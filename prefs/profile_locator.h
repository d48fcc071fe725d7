// Finding Firefox's per-user data and the default profile's files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/platform.h"
#include "settings/scrambled_text.h"

// The profile file names callers pass to ProfileFolder::FilePath and LocateProfileFile.
extern const ScrambledText kPrefsFileName;          // Firefox's own preference file
extern const ScrambledText kUserJsFileName;         // the file Apply writes
extern const ScrambledText kRestoreBackupFileName;  // Restore's one-time copy of prefs.js
extern const ScrambledText kProfileLockFileName;    // held open by a running Firefox

// Firefox's profile list is looked for in the usual per-user folder (%APPDATA%\Mozilla\Firefox)
// and in the Microsoft Store app's (below %LOCALAPPDATA%\Packages); when both hold one, the list
// written last is the one in force, and relative profile paths lie below its folder.

// True when Firefox's profile list can be read, by the same rules ProfileFolder::Locate reads it.
bool IsFirefoxInstalled();

// The default profile's folder as one reading of the profile list found it. A command locates it
// once and passes it to every step, so that all its files lie in one profile even when the list
// changes meanwhile.
class ProfileFolder {
public:
    // Reads the profile list now. The folder is not located when the list cannot be read or the
    // folder's path would not fit kPathCapacity.
    static ProfileFolder Locate();

    bool Located() const { return folder_[0] != L'\0'; }

    // Writes the full path of fileName in the folder into out and returns out; returns null with
    // out emptied when the folder is not located or the path would not fit capacity.
    wchar_t* FilePath(wchar_t* out, std::size_t capacity, ScrambledText fileName) const;

private:
    wchar_t folder_[kPathCapacity] = {};  // empty when not located
};

// One file of the default profile, for a single lookup: ProfileFolder::Locate().FilePath(...).
wchar_t* LocateProfileFile(wchar_t* out, std::size_t capacity, ScrambledText fileName);

// The default profile named by a profile list: the first install's default, else the profile
// marked Default=1, else the first profile. An empty path when the list names none.
struct ProfileChoice {
    std::wstring path;
    bool isRelative = true;
};
ProfileChoice ChooseDefaultProfile(std::wstring_view profileList);
