// The two file dialogs of the preference engine: choosing the external editor and choosing where
// Apply saves the statements when Firefox is not installed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One file type of a dialog, made from a filter entry such as "Executable Files (*.exe)".
struct FileTypeFilter {
    std::wstring name;     // the entry's whole text, shown in the dialog
    std::wstring pattern;  // e.g. "*.exe"
};

// Splits a filter text ("entry|entry|...") into file types. The pattern of an entry starts one
// character before its last '(', '*' or '.' and ends before its last character; an entry without
// one of those at its second position or later matches every file.
std::vector<FileTypeFilter> SplitFileFilter(std::wstring_view filter);

#ifdef _WIN32
#include <windows.h>

// The Common Item Dialogs. Both return the chosen path, or an empty text when nothing was chosen
// (cancelled, or any failure).
std::wstring ShowOpenFileDialog(HWND owner, const std::wstring& filter);
std::wstring ShowSaveFileDialog(HWND owner, const std::wstring& defaultName,
                                const std::wstring& filter, const std::wstring& defaultExtension);
#endif
