// Bounded text routines for fixed-capacity buffers (strlcpy/strlcat rules on bytes and on wide
// units), number formatting into small buffers, and UTF-8 <-> UTF-16 conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Copies src into dst, writing at most capacity - 1 characters and always a terminator (unless
// capacity is 0). Returns the length of src: a result >= capacity means the copy was cut.
std::size_t BoundedCopy(char* dst, const char* src, std::size_t capacity);
std::size_t BoundedCopyWide(wchar_t* dst, const wchar_t* src, std::size_t capacity);

// Appends src to the text in dst without exceeding capacity (terminator included). Returns the
// length of the text it tried to create; when dst holds no terminator within capacity, nothing
// is written and the result is capacity + length of src.
std::size_t BoundedAppend(char* dst, const char* src, std::size_t capacity);
std::size_t BoundedAppendWide(wchar_t* dst, const wchar_t* src, std::size_t capacity);

// Result codes of FormatLong and FormatLongWide.
enum FormatLongResult : int {
    kFormatDone = 0,
    kFormatCapacityTooSmall = 1,
    kFormatError = 2,
};

// The smallest capacity that holds every 32-bit value, sign and terminator included.
constexpr std::size_t kFormatLongCapacity = 12;

// Writes value in decimal. Capacity below 12 empties the output and returns 1.
int FormatLong(char* out, std::size_t capacity, std::int32_t value);
int FormatLongWide(wchar_t* out, std::size_t capacity, std::int32_t value);

// Converts between UTF-16 (wide) and UTF-8. A failed system conversion gives an empty result.
std::string Utf16ToUtf8(const wchar_t* text);
std::wstring Utf8ToUtf16(const char* text);
