// Restore: removing the managed preferences from Firefox's prefs.js and deleting user.js.
#pragma once

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
};

// Keeps a one-time backup of prefs.js, rewrites it without every line that mentions a name of
// the restore list in double quotes, and deletes user.js. prefs.js is replaced atomically.
int RestorePreferences();
