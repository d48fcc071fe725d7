// The properties the fuzz targets hold the program to, where no other judge can: a property that
// does not hold aborts, which libFuzzer and the seed replay report as a crash. (Which values
// Firefox uses, the differential test against Firefox itself judges.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/pref_statements.h"

namespace fuzz {

void Check(bool property, int line = __builtin_LINE());

// One stretch of a text as the statement reader reports it: a statement or a malformed stretch.
struct ReadPiece {
    bool statement;
    StatementKeyword keyword;
    std::string name;
    PrefValueType type;
    bool boolValue;
    std::int32_t intValue;
    std::string decoded;  // a string value
    std::size_t begin;
    std::size_t end;

    PrefValueData Value() const { return {type, boolValue, intValue, decoded}; }

    // The piece wherever it stands: a statement's keyword, name and value, or the bytes of a
    // malformed stretch.
    std::string Described(std::string_view text) const;
};

std::vector<ReadPiece> ReadPieces(std::string_view text);

// The reader reports the pieces of text in order, each inside the text and after the one before;
// a statement's byte range read alone is that statement; and a statement written again (its
// keyword as it stands, its name and value as AppendPrefValue writes them) reads back the same.
void CheckReadingInOrder(std::string_view text);

// kept is text once Restore took out the statements for names of the restore list: every byte
// outside them but blanks and line ends is kept in order, and reading kept gives every other
// piece of text.
void CheckRestoreKeepsTheRest(std::string_view text, std::string_view kept);

}  // namespace fuzz
