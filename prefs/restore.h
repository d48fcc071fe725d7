// Restore: removing the managed preferences from Firefox's prefs.js and deleting user.js.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "prefs/profile_locator.h"

// Result codes of RestorePreferences.
enum RestoreResult : int {
    kRestoreDone = 0,
    kRestoreCannotOpenPrefs = 1,
    kRestorePrefsTooLarge = 2,  // or its size cannot be determined
    kRestoreNoMemory = 3,
    kRestoreReadFailed = 4,
    kRestoreCannotRewritePrefs = 5,
    kRestoreCannotLocateUserJs = 6,  // prefs.js has already been rewritten
    kRestoreCannotDeleteUserJs = 7,  // prefs.js has been rewritten, but user.js is still there
    kRestoreBackupFailed = 8,        // a backup could not be made: nothing was changed
};

// In the profile (the default profile, located now, when none is given): makes sure a whole
// backup of prefs.js exists (written the first time only) and that user.js, when it holds
// statements of the user's own, is copied beside itself (its path goes to customBackup); only
// then rewrites prefs.js without the statements that set a name of the restore list, and deletes
// user.js. prefs.js is replaced atomically.
int RestorePreferences(std::wstring* customBackup = nullptr,
                       const ProfileFolder& profile = ProfileFolder::Locate());

// Copies text into kept (room for text.size() bytes) without every statement that Firefox reads as
// setting a name of the restore list, and returns the kept length. A statement that stands alone
// on its lines goes with its lines (CR, LF and CR LF end a line); every other byte is kept:
// comments, malformed statements (Firefox skips them) and other preferences whose values merely
// mention a managed name.
std::size_t RemoveManagedStatements(std::string_view text, char* kept);
