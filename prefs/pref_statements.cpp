// The profile-file tokenizer and statement reader. It follows Firefox's own reading rules, which a
// differential test against Firefox ESR checks: what Firefox skips is skipped here too, and reading
// resumes where Firefox resumes.
#include "prefs/pref_statements.h"

#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "settings/platform.h"

namespace {

enum class CharClass : std::uint8_t {
    kOther,  // not valid outside strings and comments
    kZero,   // ends the text where a token would begin
    kSingle,
    kBlank,
    kLetter,
    kQuote,
    kSlash,
    kDigit,
    kHash,
};

constexpr std::array<CharClass, 256> MakeCharClasses() {
    std::array<CharClass, 256> classes{};
    auto set = [&classes](std::string_view chars, CharClass kind) {
        for (char c : chars) {
            classes[static_cast<unsigned char>(c)] = kind;
        }
    };
    set("()+,-;", CharClass::kSingle);
    set(kBlanks, CharClass::kBlank);
    set("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_", CharClass::kLetter);
    set("\"'", CharClass::kQuote);
    set("/", CharClass::kSlash);
    set("0123456789", CharClass::kDigit);
    set("#", CharClass::kHash);
    classes[0] = CharClass::kZero;
    return classes;
}

constexpr std::array<CharClass, 256> kCharClasses = MakeCharClasses();

enum class TokenKind {
    kEnd,
    kChar,  // one of ( ) + , - ;
    kPref,
    kUserPref,
    kStickyPref,
    kLockPref,
    kTrue,
    kFalse,
    kOtherKeyword,  // "sticky" and "locked": words Firefox knows but user files never use
    kString,
    kInt,
    kError,
};

struct Token {
    TokenKind kind = TokenKind::kEnd;
    char c = '\0';             // kChar
    std::uint32_t number = 0;  // kInt
    std::string_view text;     // kString, decoded
    std::size_t begin = 0;
};

struct Keyword {
    std::string_view word;
    TokenKind kind;
};

constexpr Keyword kKeywords[] = {
    {kPrefWord, TokenKind::kPref},
    {kUserPrefWord, TokenKind::kUserPref},
    {kStickyPrefWord, TokenKind::kStickyPref},
    {kLockPrefWord, TokenKind::kLockPref},
    {kTrueWord, TokenKind::kTrue},
    {kFalseWord, TokenKind::kFalse},
    {"sticky", TokenKind::kOtherKeyword},
    {"locked", TokenKind::kOtherKeyword},
};

constexpr std::pair<TokenKind, StatementKeyword> kStatementKeywords[] = {
    {TokenKind::kPref, StatementKeyword::kPref},
    {TokenKind::kUserPref, StatementKeyword::kUserPref},
    {TokenKind::kStickyPref, StatementKeyword::kStickyPref},
    {TokenKind::kLockPref, StatementKeyword::kLockPref},
};

bool StatementKeywordOf(TokenKind kind, StatementKeyword& keyword) {
    for (const auto& [token, statement] : kStatementKeywords) {
        if (kind == token) {
            keyword = statement;
            return true;
        }
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// A code point of a \u escape, as UTF-8, through the platform layer's converter.
void AppendUtf8(std::string& out, std::uint32_t code) {
    wchar_t wide[3] = {static_cast<wchar_t>(code)};
    if (sizeof(wchar_t) == 2 && code >= 0x10000) {  // UTF-16: a surrogate pair
        wide[0] = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
    std::string utf8;
    platform::WideToUtf8(wide, utf8);
    out += utf8;
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text)
        : text_(text), at_(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0) {}

    std::size_t Position() const { return at_; }

    // The next token; a string's decoded text, when it needs decoding, goes to buffer.
    Token Next(std::string& buffer) {
        while (at_ < text_.size()) {
            Token token;
            token.begin = at_;
            const char c = text_[at_++];
            switch (kCharClasses[static_cast<unsigned char>(c)]) {
                case CharClass::kBlank:
                    continue;
                case CharClass::kSingle:
                    token.kind = TokenKind::kChar;
                    token.c = c;
                    return token;
                case CharClass::kLetter:
                    token.kind = TakeWord(token.begin);
                    return token;
                case CharClass::kQuote:
                    token.kind =
                        TakeString(c, buffer, token.text) ? TokenKind::kString : TokenKind::kError;
                    return token;
                case CharClass::kSlash:
                    if (SkipSlashComment()) {
                        continue;
                    }
                    token.kind = TokenKind::kError;
                    return token;
                case CharClass::kDigit:
                    token.kind = TakeNumber(c, token.number);
                    return token;
                case CharClass::kHash:
                    SkipToLineEnd();
                    continue;
                case CharClass::kOther:
                    token.kind = TokenKind::kError;
                    return token;
                case CharClass::kZero:  // nothing after it is read: the text ends here
                    text_ = text_.substr(0, token.begin);
                    at_ = token.begin;
                    break;
            }
        }
        Token end;
        end.begin = text_.size();
        return end;
    }

private:
    bool AtEnd() const { return at_ >= text_.size(); }
    bool Match(char c) {
        if (!AtEnd() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    TokenKind TakeWord(std::size_t begin) {
        while (!AtEnd() &&
               kCharClasses[static_cast<unsigned char>(text_[at_])] == CharClass::kLetter) {
            ++at_;
        }
        const std::string_view word = text_.substr(begin, at_ - begin);
        for (const Keyword& keyword : kKeywords) {
            if (word == keyword.word) {
                return keyword.kind;
            }
        }
        return TokenKind::kError;
    }

    // Digits; a letter right after them makes the whole an error (the letter starts the next
    // token), and so does a number beyond 32 bits.
    TokenKind TakeNumber(char first, std::uint32_t& number) {
        std::uint64_t value = static_cast<std::uint64_t>(first - '0');
        bool overflow = false;
        while (!AtEnd() &&
               kCharClasses[static_cast<unsigned char>(text_[at_])] == CharClass::kDigit) {
            value = value * 10 + static_cast<std::uint64_t>(text_[at_++] - '0');
            overflow = overflow || value > std::numeric_limits<std::uint32_t>::max();
            value = overflow ? 0 : value;
        }
        if (!AtEnd() &&
            kCharClasses[static_cast<unsigned char>(text_[at_])] == CharClass::kLetter) {
            return TokenKind::kError;
        }
        number = static_cast<std::uint32_t>(value);
        return overflow ? TokenKind::kError : TokenKind::kInt;
    }

    // The distance from at_ to the first c before limit bytes, or limit.
    std::size_t Distance(char c, std::size_t limit) const {
        const char* start = text_.data() + at_;
        const void* found = std::memchr(start, c, limit);
        return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - start)
                                : limit;
    }

    // A line comment ends before its line end (CR, LF or CR LF), which is then a blank, or with
    // a zero byte, after which reading goes on.
    void SkipToLineEnd() {
        const std::size_t toLineEnd = Distance('\r', Distance('\n', text_.size() - at_));
        const std::size_t toZero = Distance('\0', toLineEnd);
        at_ += toZero < toLineEnd ? toZero + 1 : toLineEnd;
    }

    // After a '/': a line or block comment (true), or an error (false). A block comment that a
    // zero byte comes before its end is an error that ends after that byte, an unfinished one
    // runs to the end; a '/' before anything else takes that character with it unless it ends
    // the line.
    bool SkipSlashComment() {
        if (Match('/')) {
            SkipToLineEnd();
            return true;
        }
        if (Match('*')) {
            const std::size_t close = text_.find("*/", at_);
            const std::size_t toClose =
                close == std::string_view::npos ? text_.size() - at_ : close - at_;
            const std::size_t toZero = Distance('\0', toClose);
            if (toZero < toClose) {
                at_ += toZero + 1;
                return false;
            }
            at_ = close == std::string_view::npos ? text_.size() : close + 2;
            return close != std::string_view::npos;
        }
        if (!AtEnd() && text_[at_] != '\n' && text_[at_] != '\r') {
            ++at_;
        }
        return false;
    }

    bool TakeHex(int digits, std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < digits; ++i) {
            const int digit = AtEnd() ? -1 : HexDigit(text_[at_]);
            if (digit < 0) {
                return false;  // the character that is not a digit stays in the string
            }
            value = value * 16 + static_cast<std::uint32_t>(digit);
            ++at_;
        }
        return true;
    }

    // \uXXXX, with a following \uXXXX low half after a high surrogate. Returns the code point, or
    // 0 for a malformed one.
    std::uint32_t TakeUnicodeEscape() {
        std::uint32_t high = 0;
        if (!TakeHex(4, high) || (high & 0xFC00) == 0xDC00) {
            return 0;
        }
        if ((high & 0xFC00) != 0xD800) {
            return high;
        }
        std::uint32_t low = 0;
        if (!Match('\\') || !Match('u') || !TakeHex(4, low) || (low & 0xFC00) != 0xDC00) {
            return 0;
        }
        return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    }

    // One escape after a backslash, appended to out; false when it is malformed.
    bool TakeEscape(std::string& out) {
        if (AtEnd()) {
            return false;
        }
        const char c = text_[at_++];
        switch (c) {
            case '"':
            case '\'':
            case '\\':
                out += c;
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'r':
                out += '\r';
                return true;
            case 'x': {
                std::uint32_t value = 0;
                if (!TakeHex(2, value) || value == 0) {
                    return false;
                }
                out += static_cast<char>(value);
                return true;
            }
            case 'u': {
                const std::uint32_t code = TakeUnicodeEscape();
                if (code == 0) {
                    return false;
                }
                AppendUtf8(out, code);
                return true;
            }
            default:
                if (c == '\n' || c == '\r') {
                    --at_;  // the line end stays part of the string
                }
                return false;
        }
    }

    // A string after its opening quote. Without a backslash in it, its text is a view of the
    // file; otherwise it is decoded into buffer. A malformed escape spoils the string but reading
    // goes on to its closing quote; a zero byte in it ends it as malformed, and reading goes on
    // after that byte; a string that never closes runs to the end.
    bool TakeString(char quote, std::string& buffer, std::string_view& text) {
        const std::size_t length = Distance(quote, text_.size() - at_);
        if (at_ + length < text_.size() && Distance('\\', length) == length &&
            Distance('\0', length) == length) {
            text = text_.substr(at_, length);
            at_ += length + 1;
            return true;
        }
        buffer.clear();
        bool good = true;
        while (!AtEnd()) {
            const char c = text_[at_++];
            if (c == quote) {
                text = buffer;
                return good;
            }
            if (c == '\0') {
                return false;
            }
            if (c != '\\') {
                buffer += c;
            } else if (!TakeEscape(buffer)) {
                good = false;
            }
        }
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

class StatementParser {
public:
    StatementParser(std::string_view text, StatementVisitor& visitor)
        : tokens_(text), visitor_(visitor), size_(text.size()) {}

    void Run() {
        Token token = tokens_.Next(scratch_);
        while (token.kind != TokenKind::kEnd) {
            const std::size_t begin = token.begin;
            PrefStatement statement{};
            if (ParseStatement(token, statement)) {
                statement.begin = begin;
                statement.end = tokens_.Position();
                visitor_.OnStatement(statement);
                token = tokens_.Next(scratch_);
            } else {
                token = Recover(token, begin);
            }
        }
    }

private:
    static bool IsChar(const Token& token, char c) {
        return token.kind == TokenKind::kChar && token.c == c;
    }

    // Reads keyword ( name , value ) ; and says whether all of it is there; token is then its
    // ';', else the token where the statement went wrong.
    bool ParseStatement(Token& token, PrefStatement& statement) {
        if (!StatementKeywordOf(token.kind, statement.keyword)) {
            return false;
        }
        if (!IsChar(token = tokens_.Next(scratch_), '(')) {
            return false;
        }
        if ((token = tokens_.Next(name_)).kind != TokenKind::kString) {
            return false;
        }
        statement.name = token.text;
        if (!IsChar(token = tokens_.Next(scratch_), ',')) {
            return false;
        }
        if (!ParseValue(token, statement.value)) {
            return false;
        }
        if (!IsChar(token = tokens_.Next(scratch_), ')')) {
            return false;
        }
        return IsChar(token = tokens_.Next(scratch_), ';');
    }

    // A value, with an optional sign before a number. On failure, token is where it went wrong.
    bool ParseValue(Token& token, PrefValueData& value) {
        token = tokens_.Next(value_);
        constexpr std::uint32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
        switch (token.kind) {
            case TokenKind::kTrue:
            case TokenKind::kFalse:
                value.type = PrefValueType::kBool;
                value.boolValue = token.kind == TokenKind::kTrue;
                return true;
            case TokenKind::kString:
                value.type = PrefValueType::kString;
                value.text = token.text;
                return true;
            case TokenKind::kInt:
                return TakeNumber(token, kMaxInt, false, value);
            default:
                break;
        }
        if (!IsChar(token, '-') && !IsChar(token, '+')) {
            return false;
        }
        const bool negative = token.c == '-';
        token = tokens_.Next(scratch_);
        return token.kind == TokenKind::kInt &&
               TakeNumber(token, negative ? kMaxInt + 1 : kMaxInt, negative, value);
    }

    static bool TakeNumber(Token& token, std::uint32_t limit, bool negative, PrefValueData& value) {
        if (token.number > limit) {
            token.kind = TokenKind::kError;  // out of range: skipped from the next token on
            return false;
        }
        value.type = PrefValueType::kInt;
        const auto magnitude = static_cast<std::int64_t>(token.number);
        value.intValue = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        return true;
    }

    // Skips tokens up to and including the next ';' and returns the token after it.
    Token Recover(Token token, std::size_t begin) {
        while (token.kind != TokenKind::kEnd && !IsChar(token, ';')) {
            token = tokens_.Next(scratch_);
        }
        if (token.kind == TokenKind::kEnd) {
            visitor_.OnMalformed(begin, size_);
            return token;
        }
        visitor_.OnMalformed(begin, tokens_.Position());
        return tokens_.Next(scratch_);
    }

    Tokenizer tokens_;
    StatementVisitor& visitor_;
    std::size_t size_;
    std::string name_;
    std::string value_;
    std::string scratch_;
};

}  // namespace

void ReadStatements(std::string_view text, StatementVisitor& visitor) {
    StatementParser(text, visitor).Run();
}

void AppendPrefValue(std::string& out, const PrefValueData& value) {
    switch (value.type) {
        case PrefValueType::kBool: {
            char word[kUnscrambledCapacity];
            out += Unscramble(word, value.boolValue ? kScrambledTrue : kScrambledFalse);
            return;
        }
        case PrefValueType::kInt:
            out += std::to_string(value.intValue);
            return;
        case PrefValueType::kString:
            break;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (const char c : value.text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}
