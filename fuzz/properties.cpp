// The properties of fuzz/properties.h.
#include "fuzz/properties.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "prefs/catalogue.h"
#include "prefs/pref_statements.h"

namespace fuzz {

namespace {

class PieceRecorder : public StatementVisitor {
public:
    std::vector<ReadPiece> pieces;

    void OnStatement(const PrefStatement& s) override {
        pieces.push_back({true, s.keyword, std::string(s.name), s.value.type, s.value.boolValue,
                          s.value.intValue, std::string(s.value.text), s.begin, s.end});
    }
    void OnMalformed(std::size_t begin, std::size_t end) override {
        pieces.push_back(
            {false, StatementKeyword::kPref, "", PrefValueType::kBool, false, 0, "", begin, end});
    }
};

bool IsRestoreName(const std::string& name) {
    return std::count(std::begin(kRestoreNameList), std::end(kRestoreNameList), name) != 0;
}

// The text without the blanks and line ends the statement reader skips.
std::string Ink(std::string_view text) {
    std::string ink;
    std::copy_if(text.begin(), text.end(), std::back_inserter(ink),
                 [](char c) { return kBlanks.find(c) == std::string_view::npos; });
    return ink;
}

}  // namespace

void Check(bool property, int line) {
    if (!property) {
        std::fprintf(stderr, "the property of fuzz/*.cpp line %d does not hold\n", line);
        std::abort();
    }
}

std::string ReadPiece::Described(std::string_view text) const {
    if (!statement) {
        return "malformed " + std::string(text.substr(begin, end - begin));
    }
    const std::string shown = type == PrefValueType::kString ? decoded
                              : type == PrefValueType::kInt  ? std::to_string(intValue)
                                                             : std::to_string(boolValue);
    return std::to_string(int(keyword)) + " " + name + " " + std::to_string(int(type)) + shown;
}

std::vector<ReadPiece> ReadPieces(std::string_view text) {
    PieceRecorder recorder;
    ReadStatements(text, recorder);
    return recorder.pieces;
}

void CheckReadingInOrder(std::string_view text) {
    std::size_t last = 0;
    for (const ReadPiece& piece : ReadPieces(text)) {
        Check(last <= piece.begin && piece.begin < piece.end && piece.end <= text.size());
        last = piece.end;
        if (!piece.statement) {
            continue;
        }
        const std::string_view range = text.substr(piece.begin, piece.end - piece.begin);
        const std::vector<ReadPiece> alone = ReadPieces(range);
        Check(alone.size() == 1 && alone[0].end == range.size() &&
              alone[0].Described(range) == piece.Described(text));
        // The keyword as it stands, then the name and value written again.
        const auto word = std::find_if_not(range.begin(), range.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
        });
        std::string again(range.begin(), word);
        again += '(';
        AppendPrefValue(again, {PrefValueType::kString, false, 0, piece.name});
        again += ',';
        AppendPrefValue(again, piece.Value());
        again += ");";
        const std::vector<ReadPiece> read = ReadPieces(again);
        Check(read.size() == 1 && read[0].statement &&
              read[0].Described(again) == piece.Described(text));
    }
}

void CheckRestoreKeepsTheRest(std::string_view text, std::string_view kept) {
    std::string outside;
    std::vector<std::string> others;
    std::size_t at = 0;
    for (const ReadPiece& piece : ReadPieces(text)) {
        if (piece.statement && IsRestoreName(piece.name)) {
            outside += text.substr(at, piece.begin - at);
            at = piece.end;
        } else {
            others.push_back(piece.Described(text));
        }
    }
    outside += text.substr(at);
    Check(Ink(kept) == Ink(outside));
    std::vector<std::string> after;
    for (const ReadPiece& piece : ReadPieces(kept)) {
        after.push_back(piece.Described(kept));
    }
    Check(after == others);
}

}  // namespace fuzz
