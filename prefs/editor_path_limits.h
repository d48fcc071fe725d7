// How long the external editor's path may be on its way from the edit box to user.js and back.
#pragma once

#include <cstddef>

// The edit box takes up to 260 characters as typed: MAX_PATH, the longest path the ordinary
// Windows file functions accept, which every program path the user picks fits.
inline constexpr unsigned kEditorPathMaxCharacters = 260;

// A record's text: 1024 bytes of UTF-8 and a terminating zero, room for the box's 260 characters
// at up to 3 bytes each and for a short value of another type kept as written.
inline constexpr std::size_t kPrefTextCapacity = 1025;

// The longest editor path, escaped, that Apply writes: read back, the path is never longer than
// this, so it fits a record's text whole and the next Apply writes the same path again.
inline constexpr std::size_t kMaxEscapedPathLength = 1023;
static_assert(kMaxEscapedPathLength < kPrefTextCapacity);
