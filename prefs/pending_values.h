// What an Apply takes from the main window: the check boxes and the editor path as shown become
// the records' pending values.
#pragma once

#include <array>
#include <string>

#include "prefs/catalogue.h"
#include "prefs/pref_writer.h"

// The options as the window shows them: a box state for each catalogue option, by its index
// there (the editor path's entry unused), and the text of the editor path's edit box.
struct ShownOptions {
    std::array<bool, kPrefOptionCount> checked{};
    std::wstring editorPath;
};

// What the window shows right after a read: each box as its record's value, the path as read.
ShownOptions ShownAfterReading(const PrefSection& misc, const PrefSection& privacy);

// Takes the shown options into the records' pending values. A path that is not the one read
// must pass CheckEditorPath: with the editor switch ticked an unsafe path refuses the whole
// Apply (every pending value stays as it was, and the check says why); unticked, it is not
// taken. An empty path is never taken, so the last one taken is written. A path left as read is
// taken as the bytes read, so an Apply with nothing changed writes back the value Firefox uses.
EditorPathCheck TakePendingValues(const ShownOptions& shown, PrefSection& misc,
                                  PrefSection& privacy);
