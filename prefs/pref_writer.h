// Writing the chosen values into user.js as Firefox preference statements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "prefs/catalogue.h"
#include "prefs/pref_statements.h"
#include "prefs/profile_locator.h"

// Capacity of the generated text.
inline constexpr std::size_t kPrefOutputCapacity = 20480;

// Store the value taken from a control at Apply.
void SetPendingFlag(PrefRecord& record, std::uint32_t checked);
void SetPendingText(PrefRecord& record, const char* utf8Text);

// Why an editor path cannot be written, if it cannot: it holds a double quote or a control
// character (no program path does, and Firefox would hand it to the system as it stands), it
// would not fit whole once its backslashes are doubled, or it is a name Restore removes.
enum class EditorPathCheck { kSafe, kForbiddenCharacter, kTooLong, kPreferenceName };
EditorPathCheck CheckEditorPath(const char* utf8Path);

// True when CheckEditorPath finds nothing against the path.
bool IsSafeEditorPath(const char* utf8Path);

// True when Apply would write an editor path other than the one read, and that path is not safe
// (the one read is Firefox's value already, written back exactly).
bool PendingEditorPathIsUnsafe(const PrefSection& misc);

// Appends the statements of every record that meets the write condition (found, or pending
// differs from current) and the editor path line, in catalogue order, to output
// (kPrefOutputCapacity bytes), one a line, each value as AppendPrefValue writes it:
//   user_pref("name", true);   and   user_pref("name", "value");
// The path line holds the path while the editor switch is ticked or
// stays unticked, and is empty once the switch has been unticked. A box left as it was read keeps
// a value of another type that its preference held (see ReadPreferences), so that an Apply with
// nothing changed leaves every managed value Firefox uses as it was.
void AppendStatements(char* output, const PrefSection& misc, const PrefSection& privacy);

// Builds the statements in catalogue order and writes them to target. The file is replaced
// atomically. A target that holds statements of the user's own is first copied beside itself
// (BackUpCustomStatements); the copy's path goes to customBackup, which stays empty when none was
// made. Returns 1 when the file was written, 0 otherwise (nothing on disk changes then).
int WritePreferences(const wchar_t* target, const PrefSection& misc, const PrefSection& privacy,
                     std::wstring* customBackup = nullptr);
// The same for the user.js of the profile; a null target above locates the profile first.
int WritePreferences(const ProfileFolder& profile, const PrefSection& misc,
                     const PrefSection& privacy, std::wstring* customBackup = nullptr);
