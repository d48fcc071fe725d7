// Settings file: path building, whole-file reads, the key=value grammar and atomic rewrites.
#include "settings/settings_store.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <string_view>

#include "settings/atomic_file.h"
#include "settings/data_roots.h"
#include "settings/product.h"
#include "settings/text_util.h"

namespace {

constexpr auto kSettingsFileName = Scramble("settings.ini");
constexpr auto kReadMode = Scramble("rb");
constexpr auto kWriteMode = Scramble("wb");

// The company and product names are widened into this, 30 characters at most.
constexpr std::size_t kFolderNameCapacity = 31;

// What a new line needs besides its key and value: '=', its line feed and one that may first end
// the old last line; a text value adds its two quotes.
constexpr std::size_t kNewLineExtra = 3;
constexpr std::size_t kQuotesLength = 2;
// Every working buffer keeps room for a line with the longest key: the key, '=', two quotes and
// the line feed.
constexpr std::size_t kBufferOverhead = kMaxSettingKeyLength + 1 + kQuotesLength + 1;
// An integer write's further allowance: the longest number with its terminator.
constexpr std::size_t kIntegerWriteAllowance = kFormatLongCapacity;
// A new file's buffer for an integer: that room and the longest number, -2147483648.
constexpr std::size_t kNewIntegerFileSize = kBufferOverhead + kFormatLongCapacity - 1;
// The key, '=' and the terminator.
constexpr std::size_t kKeyPatternCapacity = kMaxSettingKeyLength + 2;

// Appends "\" and a product-identity folder name (widened with mbstowcs) to path.
bool AppendFolder(wchar_t* path, const char* name) {
    wchar_t wide[kFolderNameCapacity] = {};
    if (std::mbstowcs(wide, name, kFolderNameCapacity - 1) == static_cast<std::size_t>(-1)) {
        return false;
    }
    return BoundedAppendWide(path, L"\\", kPathCapacity) < kPathCapacity &&
           BoundedAppendWide(path, wide, kPathCapacity) < kPathCapacity;
}

// Builds the full path of the settings file and creates its two folders. A path that would be
// cut at 259 characters is refused rather than used truncated.
bool BuildSettingsPath(ScrambledText fileName, SettingsRoot root, wchar_t* path) {
    path[0] = L'\0';
    if (root != kPrimaryRoot && root != kSecondaryRoot) {
        return false;
    }
    wchar_t variable[kUnscrambledCapacity];
    UnscrambleWide(variable, root == kPrimaryRoot ? kRoamingDataVariable : kLocalDataVariable);
    std::wstring base;
    if (!platform::GetEnvironment(variable, base) ||
        BoundedCopyWide(path, base.c_str(), kPathCapacity) >= kPathCapacity) {
        return false;
    }
    if (!AppendFolder(path, kCompanyName)) {
        return false;
    }
    platform::MakeDirectory(path);
    if (!AppendFolder(path, kProductName)) {
        return false;
    }
    platform::MakeDirectory(path);
    wchar_t name[kUnscrambledCapacity];
    UnscrambleWide(name, fileName);
    return BoundedAppendWide(path, L"\\", kPathCapacity) < kPathCapacity &&
           BoundedAppendWide(path, name, kPathCapacity) < kPathCapacity;
}

bool IsUsableKey(const char* key) {
    const std::size_t length = std::strlen(key);
    return length > 0 && length <= kMaxSettingKeyLength;
}

// The file's bytes in a heap buffer with room to grow to usable bytes. The text is handled by
// its length, not by a terminator, so a stray zero byte in the file loses nothing after it.
struct SettingsText {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::size_t usable = 0;

    std::string_view View() const { return {data.get(), size}; }
};

enum class LoadResult { kLoaded, kTooLarge, kNoMemory };

std::size_t WorkingBufferSize(std::size_t fileSize, std::size_t allowance) {
    return ((fileSize + kBufferOverhead + allowance) & ~static_cast<std::size_t>(3)) + 3;
}

// True when a file of this size is still read: the working buffer of a read must fit the limit.
bool IsReadableSize(std::size_t fileSize) {
    return fileSize <= kMaxSettingsBufferSize &&
           WorkingBufferSize(fileSize, 0) <= kMaxSettingsBufferSize;
}

bool Allocate(SettingsText& text, std::size_t usable) {
    text.data.reset(new (std::nothrow) char[usable]);
    text.size = 0;
    text.usable = text.data ? usable : 0;
    return text.data != nullptr;
}

// Reads the whole open file into a working buffer with the given growth allowance.
LoadResult LoadSettingsText(std::FILE* stream, std::size_t allowance, SettingsText& text) {
    if (std::fseek(stream, 0, SEEK_END) != 0) {
        return LoadResult::kTooLarge;
    }
    const long size = std::ftell(stream);
    std::rewind(stream);
    if (size < 0 || static_cast<std::size_t>(size) > kMaxSettingsBufferSize) {
        return LoadResult::kTooLarge;
    }
    const std::size_t usable = WorkingBufferSize(static_cast<std::size_t>(size), allowance);
    if (usable > kMaxSettingsBufferSize) {
        return LoadResult::kTooLarge;
    }
    if (!Allocate(text, usable)) {
        return LoadResult::kNoMemory;
    }
    text.size = std::fread(text.data.get(), 1, usable, stream);
    return LoadResult::kLoaded;
}

bool LoadForReading(const char* key, SettingsRoot root, SettingsText& text) {
    if (!IsUsableKey(key)) {
        return false;
    }
    platform::UniqueFile stream = OpenSettingsFile(kSettingsFileName, kReadMode, root);
    return stream && LoadSettingsText(stream.Get(), 0, text) == LoadResult::kLoaded;
}

// Finds key followed by '=' anywhere in the text; returns the offset of the value's first byte.
std::size_t FindValue(std::string_view text, const char* key) {
    char pattern[kKeyPatternCapacity];
    BoundedCopy(pattern, key, sizeof pattern);
    BoundedAppend(pattern, "=", sizeof pattern);
    const std::size_t found = text.find(pattern);
    return found == std::string_view::npos ? found : found + std::strlen(pattern);
}

// The value from its first byte up to (not including) the line feed that ends its line.
std::string_view LineRemainder(std::string_view text, std::size_t value) {
    const std::string_view rest = text.substr(value);
    return rest.substr(0, rest.find('\n'));
}

// Loads the existing file for a write, or starts an empty text when there is none. A file that
// is there but cannot be read is not replaced: it would lose every other setting.
int PrepareWrite(std::size_t allowance, std::size_t newFileSize, SettingsRoot root,
                 SettingsText& text) {
    platform::FileError error = platform::FileError::kNone;
    platform::UniqueFile stream = OpenSettingsFile(kSettingsFileName, kReadMode, root, &error);
    if (!stream) {
        if (error != platform::FileError::kMissing) {
            return kSettingCannotWrite;
        }
        return Allocate(text, newFileSize) ? kSettingWritten : kSettingNoMemory;
    }
    switch (LoadSettingsText(stream.Get(), allowance, text)) {
        case LoadResult::kTooLarge:
            return kSettingFileTooLarge;
        case LoadResult::kNoMemory:
            return kSettingNoMemory;
        case LoadResult::kLoaded:
            break;
    }
    return kSettingWritten;
}

// A value as written after "key=": the body, enclosed in quote on both sides ("" for integers).
struct SettingValue {
    const char* quote;
    const char* body;

    std::size_t Length() const { return 2 * std::strlen(quote) + std::strlen(body); }
};

void Put(SettingsText& text, std::size_t at, const char* piece) {
    const std::size_t length = std::strlen(piece);
    std::memcpy(text.data.get() + at, piece, length);
}

// Replaces the old value (from value up to its line end) with the new one.
bool ReplaceValue(SettingsText& text, std::size_t value, const SettingValue& replacement) {
    const std::size_t oldLength = LineRemainder(text.View(), value).size();
    const std::size_t newLength = replacement.Length();
    if (text.size - oldLength + newLength > text.usable) {
        return false;
    }
    char* data = text.data.get();
    std::memmove(data + value + newLength, data + value + oldLength, text.size - value - oldLength);
    text.size = text.size - oldLength + newLength;
    const std::size_t quoteLength = std::strlen(replacement.quote);
    Put(text, value, replacement.quote);
    Put(text, value + quoteLength, replacement.body);
    Put(text, value + newLength - quoteLength, replacement.quote);
    return true;
}

// Appends a new "key=value" line, starting it on a line of its own. The caller has checked that
// it fits.
void AppendLine(SettingsText& text, const char* key, const SettingValue& value) {
    const bool needsLineEnd = text.size > 0 && text.data[text.size - 1] != '\n';
    for (const char* piece :
         {needsLineEnd ? "\n" : "", key, "=", value.quote, value.body, value.quote, "\n"}) {
        Put(text, text.size, piece);
        text.size += std::strlen(piece);
    }
}

int SaveSettingsText(const SettingsText& text, SettingsRoot root) {
    wchar_t path[kPathCapacity];
    if (!IsReadableSize(text.size) || !BuildSettingsPath(kSettingsFileName, root, path)) {
        return kSettingCannotWrite;
    }
    return WriteFileAtomically(path, text.data.get(), text.size) ? kSettingWritten
                                                                 : kSettingCannotWrite;
}

// The shared body of both writes: value is the text that follows "key=" on the line.
int WriteSettingValue(const char* key, const SettingValue& value, std::size_t allowance,
                      std::size_t newFileSize, std::size_t appendReserve, SettingsRoot root) {
    SettingsText text;
    if (const int status = PrepareWrite(allowance, newFileSize, root, text);
        status != kSettingWritten) {
        return status;
    }
    const std::size_t old = FindValue(text.View(), key);
    if (old != std::string_view::npos) {
        if (!ReplaceValue(text, old, value)) {
            return kSettingCannotWrite;
        }
    } else {
        if (text.usable < appendReserve + text.size) {
            return kSettingCannotWrite;
        }
        AppendLine(text, key, value);
    }
    return SaveSettingsText(text, root);
}

}  // namespace

const ScrambledText kSettingsReadMode = kReadMode;
const ScrambledText kSettingsWriteMode = kWriteMode;

platform::UniqueFile OpenSettingsFile(ScrambledText fileName, ScrambledText mode, SettingsRoot root,
                                      platform::FileError* error) {
    wchar_t path[kPathCapacity];
    if (!BuildSettingsPath(fileName, root, path)) {
        if (error != nullptr) {
            *error = platform::FileError::kFailed;
        }
        return {};
    }
    wchar_t modeText[kUnscrambledCapacity];
    UnscrambleWide(modeText, mode);
    return platform::UniqueFile(platform::OpenFile(path, modeText, error));
}

std::int32_t ReadSettingInt(const char* key, std::int32_t defaultValue, SettingsRoot root) {
    SettingsText text;
    if (key == nullptr || !LoadForReading(key, root, text)) {
        return defaultValue;
    }
    const std::size_t at = FindValue(text.View(), key);
    if (at == std::string_view::npos) {
        return defaultValue;
    }
    const std::string_view value = LineRemainder(text.View(), at);
    if (value.size() >= kFormatLongCapacity) {
        return defaultValue;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        const bool sign = i == 0 && value[i] == '-';
        if (!sign && (value[i] < '0' || value[i] > '9')) {
            return defaultValue;
        }
    }
    char digits[kFormatLongCapacity] = {};
    value.copy(digits, value.size());
    errno = 0;
    const long converted = std::strtol(digits, nullptr, 10);
    if (errno == ERANGE || converted < INT32_MIN || converted > INT32_MAX) {
        return defaultValue;
    }
    return static_cast<std::int32_t>(converted);
}

std::size_t ReadSettingText(char* out, std::size_t capacity, const char* key,
                            const char* defaultText, SettingsRoot root) {
    if (out == nullptr || capacity == 0) {
        return 0;
    }
    const auto useDefault = [&]() -> std::size_t {
        BoundedCopy(out, defaultText != nullptr ? defaultText : "", capacity);
        return 0;
    };
    if (key == nullptr) {
        if (defaultText != nullptr) {
            BoundedCopy(out, defaultText, capacity);
        }
        return 0;
    }
    SettingsText text;
    if (!LoadForReading(key, root, text)) {
        return useDefault();
    }
    const std::string_view all = text.View();
    const std::size_t at = FindValue(all, key);
    if (at == std::string_view::npos || at == all.size() || all[at] != '"') {
        return useDefault();
    }
    std::size_t copied = 0;
    for (std::size_t next = at + 1; next < all.size(); ++next) {
        if (all[next] == '"') {
            if (next + 1 < all.size() && all[next + 1] != '\n') {
                return useDefault();
            }
            out[copied] = '\0';
            return copied;
        }
        if (all[next] == '\n' || all[next] == '\0' || copied + 1 >= capacity) {
            return useDefault();
        }
        out[copied++] = all[next];
    }
    return useDefault();  // no closing quote before the end of the text
}

int WriteSettingInt(const char* key, std::int32_t value, SettingsRoot root) {
    if (key == nullptr) {
        return kSettingMissingArgument;
    }
    if (!IsUsableKey(key)) {
        return kSettingBadKeyLength;
    }
    char digits[kFormatLongCapacity];
    FormatLong(digits, sizeof digits, value);
    const std::size_t reserve = std::strlen(key) + kNewLineExtra + std::strlen(digits);
    return WriteSettingValue(key, {"", digits}, kIntegerWriteAllowance, kNewIntegerFileSize,
                             reserve, root);
}

int WriteSettingText(const char* key, const char* text, SettingsRoot root) {
    if (key == nullptr || text == nullptr) {
        return kSettingMissingArgument;
    }
    if (!IsUsableKey(key)) {
        return kSettingBadKeyLength;
    }
    const std::size_t textLength = std::strlen(text);
    const std::size_t reserve = std::strlen(key) + kNewLineExtra + kQuotesLength + textLength;
    return WriteSettingValue(key, {"\"", text}, textLength + kQuotesLength,
                             textLength + kBufferOverhead, reserve, root);
}
