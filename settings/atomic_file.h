// Writing a file's content without ever leaving it half written.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Writes data to a temporary file beside path (a name of its own, created exclusively), flushes
// it to disk and then renames it over path in one step. Returns false, leaving path exactly as it
// was and no temporary file behind, when any step fails (no room, no permission, a path too long
// for the temporary name).
bool WriteFileAtomically(const wchar_t* path, const char* data, std::size_t size);

// The same for a new file: the flushed temporary file gets the first of names (all in one
// folder) that is not taken yet; no existing file is ever replaced. Returns the index of the name
// written, or -1 when none was free or any step failed (nothing is left behind then).
int WriteNewFileAtomically(const std::vector<std::wstring>& names, const char* data,
                           std::size_t size);
