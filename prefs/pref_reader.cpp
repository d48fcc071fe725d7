// The preference reader: a search for each quoted name, not a statement parser, so that it reads
// whatever Firefox and this program write without caring about the rest of the file.
#include "prefs/pref_reader.h"

#include <cstring>

#include "prefs/profile_file.h"
#include "prefs/profile_locator.h"
#include "settings/text_util.h"

namespace {

constexpr std::size_t kMaxCollected = kRawValueCapacity - 1;  // reaching it empties the value
constexpr std::size_t kEscapeScratchCapacity = 1025;
constexpr std::size_t kCollapsedPathCapacity = 1024;

// Collects bytes into a value buffer; once kMaxCollected bytes are in, the value is dropped.
class ValueCollector {
public:
    explicit ValueCollector(char* value) : value_(value) { value_[0] = '\0'; }

    bool Empty() const { return length_ == 0; }
    // Returns false once the value has grown too long (it is then empty).
    bool Add(char c) {
        value_[length_++] = c;
        if (length_ == kMaxCollected) {
            length_ = 0;
            value_[0] = '\0';
            return false;
        }
        value_[length_] = '\0';
        return true;
    }

private:
    char* value_;
    std::size_t length_ = 0;
};

// A quoted value: everything up to the closing quote; an escaped character is kept with its
// backslash, for EscapePrefText to collapse later.
void CollectQuoted(std::string_view text, std::size_t at, ValueCollector& value) {
    for (; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] == '\\' && at + 1 < text.size()) {
            if (!value.Add(text[at++])) {
                return;
            }
        }
        if (!value.Add(text[at])) {
            return;
        }
    }
}

// A bare value: leading spaces skipped, quotes skipped, ends at ')' or the end of the text.
void CollectBare(std::string_view text, std::size_t at, ValueCollector& value) {
    for (; at < text.size() && text[at] != ')'; ++at) {
        const char c = text[at];
        if ((c == ' ' && value.Empty()) || c == '"') {
            continue;
        }
        if (!value.Add(c)) {
            return;
        }
    }
}

std::size_t SkipLeadingSpaces(std::string_view text, std::size_t at) {
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    return at;
}

bool RecogniseBool(std::string_view value, bool& isSet) {
    char literal[kUnscrambledCapacity];
    if (value.size() == kSetLiteralLength && value == Unscramble(literal, kSetLiteral)) {
        isSet = true;
        return true;
    }
    if (value.size() == kClearLiteralLength && value == Unscramble(literal, kClearLiteral)) {
        isSet = false;
        return true;
    }
    return false;
}

// Shared body of the two boolean parsers; storedIfSet is what a set literal means for the box.
void ParseBoolean(PrefRecord& record, std::string_view prefsText, std::string_view userText,
                  const char* name, std::uint32_t defaultValue, std::uint32_t storedIfSet) {
    record.current.flag = defaultValue;
    record.found = 0;
    char value[kRawValueCapacity];
    for (std::string_view text : {userText, prefsText}) {
        bool isSet = false;
        if (FindPrefValue(text, name, value) && RecogniseBool(value, isSet)) {
            record.current.flag = isSet ? storedIfSet : 1 - storedIfSet;
            record.found = 1;
            return;
        }
    }
}

// Reads one profile file; any failure but a lack of memory leaves the text empty.
bool LoadProfileText(ScrambledText fileName, FileText& text) {
    wchar_t path[kPathCapacity];
    if (LocateProfileFile(path, kPathCapacity, fileName) == nullptr) {
        return true;
    }
    return ReadWholeFile(path, kMaxProfileFileSize, text) != FileReadResult::kNoMemory;
}

}  // namespace

bool FindPrefValue(std::string_view text, const char* name, char* value) {
    value[0] = '\0';
    char keyword[kUnscrambledCapacity];
    const std::size_t statement = text.find(Unscramble(keyword, kStatementKeyword));
    if (statement == std::string_view::npos) {
        return false;
    }
    const std::size_t firstQuote = text.find('"', statement + std::strlen(keyword));
    if (firstQuote == std::string_view::npos) {
        return false;
    }
    char key[kRawValueCapacity];
    BoundedCopy(key, "\"", sizeof key);
    BoundedAppend(key, name, sizeof key);
    BoundedAppend(key, "\"", sizeof key);
    const std::size_t at = text.find(key, firstQuote);
    if (at == std::string_view::npos) {
        return false;
    }
    const std::size_t comma = text.find(',', at + std::strlen(key));
    if (comma == std::string_view::npos) {
        return false;
    }
    ValueCollector collector(value);
    const std::size_t start = SkipLeadingSpaces(text, comma + 1);
    if (start < text.size() && text[start] == '"') {
        CollectQuoted(text, start + 1, collector);
    } else {
        CollectBare(text, start, collector);
    }
    return true;
}

void ParseInvertedBoolPref(PrefRecord& record, std::string_view prefsText,
                           std::string_view userText, const char* name,
                           std::uint32_t defaultValue) {
    ParseBoolean(record, prefsText, userText, name, defaultValue, 0);
}

void ParseBoolPref(PrefRecord& record, std::string_view prefsText, std::string_view userText,
                   const char* name, std::uint32_t defaultValue) {
    ParseBoolean(record, prefsText, userText, name, defaultValue, 1);
}

void ParseTextPref(PrefRecord& record, std::string_view prefsText, std::string_view userText,
                   const char* name, const char* defaultText) {
    BoundedCopy(record.current.text, defaultText, kPrefTextCapacity);
    record.found = 0;
    char value[kRawValueCapacity];
    for (std::string_view text : {userText, prefsText}) {
        if (FindPrefValue(text, name, value)) {
            BoundedCopy(record.current.text, value, kPrefTextCapacity);
            record.found = 1;
            return;
        }
    }
}

void EscapePrefText(char* text, std::size_t capacity, int collapse) {
    char scratch[kEscapeScratchCapacity] = {};
    const std::size_t limit = kEscapeScratchCapacity - 1;
    std::size_t written = 0;
    for (const char* next = text; *next != '\0' && written < limit; ++next) {
        scratch[written++] = *next;
        if (*next != '\\') {
            continue;
        }
        if (collapse != 0) {
            if (next[1] == '\\') {
                ++next;
            }
        } else if (written < limit) {
            scratch[written++] = '\\';
        }
    }
    BoundedCopy(text, scratch, capacity);
}

void ParsePreferences(std::string_view prefsText, std::string_view userText, PrefSection& misc,
                      PrefSection& privacy) {
    for (const PrefOption& option : kPrefCatalogue) {
        PrefRecord& record = RecordOf(option, misc, privacy);
        switch (option.kind) {
            case PrefKind::InvertedBool:
                ParseInvertedBoolPref(record, prefsText, userText, option.preference,
                                      DefaultFlag(option));
                break;
            case PrefKind::Bool:
                ParseBoolPref(record, prefsText, userText, option.preference, DefaultFlag(option));
                break;
            case PrefKind::Text:
                ParseTextPref(record, prefsText, userText, option.preference, "");
                EscapePrefText(record.current.text, kCollapsedPathCapacity, 1);
                break;
        }
    }
}

void ReadPreferences(PrefSection& misc, PrefSection& privacy) {
    FileText prefsFile;
    FileText userFile;
    if (LoadProfileText(kPrefsFileName, prefsFile) && LoadProfileText(kUserJsFileName, userFile)) {
        ParsePreferences(prefsFile.View(), userFile.View(), misc, privacy);
    }
}
