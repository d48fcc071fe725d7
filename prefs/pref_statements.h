// Reading a profile's preference files (prefs.js, user.js) statement by statement, as Firefox
// reads them: one tokenizer for every feature that looks at those files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/scrambled_text.h"

// The words of a statement as Firefox spells them: the four keywords and the two boolean values.
inline constexpr char kPrefWord[] = "pref";
inline constexpr char kUserPrefWord[] = "user_pref";
inline constexpr char kStickyPrefWord[] = "sticky_pref";
inline constexpr char kLockPrefWord[] = "lockPref";
inline constexpr char kTrueWord[] = "true";
inline constexpr char kFalseWord[] = "false";

enum class StatementKeyword { kPref, kUserPref, kStickyPref, kLockPref };

// The blanks Firefox skips between tokens: first those within a line, then the two line ends.
inline constexpr std::string_view kBlanks = " \t\v\f\r\n";
inline constexpr std::string_view kBlanksWithinLine = kBlanks.substr(0, 4);
inline constexpr std::string_view kLineEnds = kBlanks.substr(4);

// What the program writes is held scrambled: the opening of its statements up to the name's
// quote, and the boolean values.
inline constexpr auto kScrambledStatementOpening = ScrambleJoined(kUserPrefWord, "(\"");
inline constexpr auto kScrambledTrue = Scramble(kTrueWord);
inline constexpr auto kScrambledFalse = Scramble(kFalseWord);

enum class PrefValueType { kBool, kInt, kString };

// One value as Firefox holds it: strings decoded (escapes resolved).
struct PrefValueData {
    PrefValueType type = PrefValueType::kBool;
    bool boolValue = false;
    std::int32_t intValue = 0;
    std::string_view text;  // kString only; valid while the visitor runs
};

// A well-formed statement. begin is the keyword's first byte, end is just after its ';'.
struct PrefStatement {
    StatementKeyword keyword;
    std::string_view name;  // decoded; valid while the visitor runs
    PrefValueData value;
    std::size_t begin;
    std::size_t end;
};

class StatementVisitor {
public:
    virtual ~StatementVisitor() = default;
    virtual void OnStatement(const PrefStatement& statement) = 0;
    // A malformed stretch that Firefox skips: from the first token of the statement that went
    // wrong to just after the ';' where reading resumes (or the end of the text).
    virtual void OnMalformed(std::size_t begin, std::size_t end) {
        static_cast<void>(begin);
        static_cast<void>(end);
    }
};

// Firefox skips one UTF-8 byte-order mark at the very start of a file; any other is an
// unexpected character.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Reads text in one pass, as Firefox reads a user preference file: one leading UTF-8 byte-order
// mark skipped, blanks and three kinds of comment between tokens, strings in either quote with
// their escapes, the four statement keywords, values true, false, 32-bit whole numbers and
// strings. After a malformed statement, reading resumes after the next ';' token, as Firefox
// does. A zero byte where a token would begin ends the text; one inside a token or comment ends
// that (a block comment or a string as malformed) and reading goes on after it.
void ReadStatements(std::string_view text, StatementVisitor& visitor);

// Appends value in a form the reader gives back unchanged: true, false, a number, or a string in
// double quotes with backslashes, quotes and control characters escaped. Every value the program
// writes is written here.
void AppendPrefValue(std::string& out, const PrefValueData& value);
