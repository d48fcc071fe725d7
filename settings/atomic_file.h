// Replacing a file's content without ever leaving it half written.
#pragma once

#include <cstddef>

// Writes data to a temporary file beside path, flushes it to disk and then replaces path with it
// in one step. Returns false, leaving path exactly as it was, when any step fails (no room, no
// permission, a path too long for the temporary name).
bool WriteFileAtomically(const wchar_t* path, const char* data, std::size_t size);
