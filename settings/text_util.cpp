// Bounded copies, number formatting and encoding conversion shared by every subsystem.
#include "settings/text_util.h"

#include <cstdio>
#include <cwchar>

#include "settings/platform.h"

namespace {

template <typename Char>
std::size_t Length(const Char* text) {
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

template <typename Char>
std::size_t CopyBounded(Char* dst, const Char* src, std::size_t capacity) {
    const std::size_t sourceLength = Length(src);
    if (capacity == 0) {
        return sourceLength;
    }
    const std::size_t count = sourceLength < capacity ? sourceLength : capacity - 1;
    for (std::size_t i = 0; i < count; ++i) {
        dst[i] = src[i];
    }
    dst[count] = 0;
    return sourceLength;
}

template <typename Char>
std::size_t AppendBounded(Char* dst, const Char* src, std::size_t capacity) {
    std::size_t existing = 0;
    while (existing < capacity && dst[existing] != 0) {
        ++existing;
    }
    if (existing == capacity) {
        return capacity + Length(src);
    }
    return existing + CopyBounded(dst + existing, src, capacity - existing);
}

}  // namespace

std::size_t BoundedCopy(char* dst, const char* src, std::size_t capacity) {
    return CopyBounded(dst, src, capacity);
}

std::size_t BoundedCopyWide(wchar_t* dst, const wchar_t* src, std::size_t capacity) {
    return CopyBounded(dst, src, capacity);
}

std::size_t BoundedAppend(char* dst, const char* src, std::size_t capacity) {
    return AppendBounded(dst, src, capacity);
}

std::size_t BoundedAppendWide(wchar_t* dst, const wchar_t* src, std::size_t capacity) {
    return AppendBounded(dst, src, capacity);
}

int FormatLong(char* out, std::size_t capacity, std::int32_t value) {
    if (capacity < kFormatLongCapacity) {
        if (capacity > 0) {
            out[0] = '\0';
        }
        return kFormatCapacityTooSmall;
    }
    if (std::snprintf(out, capacity, "%ld", static_cast<long>(value)) < 0) {
        out[0] = '\0';
        return kFormatError;
    }
    return kFormatDone;
}

int FormatLongWide(wchar_t* out, std::size_t capacity, std::int32_t value) {
    if (capacity < kFormatLongCapacity) {
        if (capacity > 0) {
            out[0] = L'\0';
        }
        return kFormatCapacityTooSmall;
    }
    if (std::swprintf(out, capacity, L"%ld", static_cast<long>(value)) < 0) {
        out[0] = L'\0';
        return kFormatError;
    }
    return kFormatDone;
}

std::string Utf16ToUtf8(const wchar_t* text) {
    std::string result;
    if (text == nullptr || text[0] == L'\0') {
        return result;
    }
    platform::WideToUtf8(text, result);
    return result;
}

std::wstring Utf8ToUtf16(const char* text) {
    std::wstring result;
    if (text == nullptr || text[0] == '\0') {
        return result;
    }
    platform::Utf8ToWide(text, result);
    return result;
}
