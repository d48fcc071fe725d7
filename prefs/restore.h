// Restore: removing the managed preferences from Firefox's prefs.js and deleting user.js.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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

// Makes sure a whole backup of prefs.js exists (written the first time only) and that user.js,
// when it holds statements of the user's own, is copied beside itself (its path goes to
// customBackup); only then rewrites prefs.js without every line that mentions a name of the
// restore list in double quotes, and deletes user.js. prefs.js is replaced atomically.
int RestorePreferences(std::wstring* customBackup = nullptr);

// Copies every line of text that mentions no name of the restore list in double quotes into
// kept (room for text.size() bytes) and returns the kept length. CR, LF and CR LF end a line.
std::size_t KeepUnmanagedLines(std::string_view text, char* kept);
