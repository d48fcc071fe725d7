// libFuzzer targets for every parser and text transformation of the program. The file is built
// once; each target's executable adds an entry point that runs its target by name (RunTarget,
// fuzz/CMakeLists.txt).
// Where a property can be stated it is checked: a violation aborts, which counts as a crash.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "net/service_request.h"
#include "net/update_check.h"
#include "prefs/custom_statements.h"
#include "prefs/file_dialogs.h"
#include "prefs/pref_reader.h"
#include "prefs/pref_statements.h"
#include "prefs/pref_writer.h"
#include "prefs/profile_locator.h"
#include "prefs/restore.h"
#include "service/form_fields.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"

namespace fuzz {

namespace fs = std::filesystem;
using Input = std::string_view;

void Check(bool property, int line = __builtin_LINE()) {
    if (!property) {
        std::fprintf(stderr, "the property of line %d does not hold\n", line);
        std::abort();
    }
}

// A reference reading of Firefox's statement rules, written for plainness rather than speed: the
// text is first cut into a list of tokens, then the list into statements. The targets below hold
// the real reader, Restore and the statement detector to it.
namespace model {

const std::vector<std::string> kKeywords = {"pref", "user_pref", "sticky_pref", "lockPref"};

struct Token {
    char kind;  // one of ()+,-; w (word) s (string) n (number) e (error)
    std::string text;
    std::uint64_t number = 0;
    std::size_t begin = 0, end = 0;
};

struct Statement {
    std::string keyword, name, value;  // value as AppendPrefValue writes it
    std::size_t begin, end;
    bool good;
};

bool Letter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool Digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c));
}
int Hex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) ? std::stoi(std::string(1, c), nullptr, 16)
                                                        : -1;
}

void Utf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += {char(0xC0 | code >> 6), char(0x80 | (code & 0x3F))};
    } else if (code < 0x10000) {
        out +=
            {char(0xE0 | code >> 12), char(0x80 | (code >> 6 & 0x3F)), char(0x80 | (code & 0x3F))};
    } else {
        out += {char(0xF0 | code >> 18), char(0x80 | (code >> 12 & 0x3F)),
                char(0x80 | (code >> 6 & 0x3F)), char(0x80 | (code & 0x3F))};
    }
}

// Reads up to n hex digits at i; -1 (i left on the first non-digit) when fewer are there.
long HexRun(const std::string& t, std::size_t& i, int n) {
    long value = 0;
    for (int k = 0; k < n; ++k, ++i) {
        if (i >= t.size() || Hex(t[i]) < 0) {
            return -1;
        }
        value = value * 16 + Hex(t[i]);
    }
    return value;
}

// A string from its opening quote at i; false for a malformed one. i ends after it.
bool String(const std::string& t, std::size_t& i, std::string& out) {
    const char quote = t[i++];
    bool good = true;
    for (;;) {
        if (i >= t.size()) {
            return false;
        }
        const char c = t[i++];
        if (c == quote) {
            return good;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= t.size()) {
            return false;
        }
        const char e = t[i++];
        const std::string simple = "\"'\\nr", meaning = "\"'\\\n\r";
        if (simple.find(e) != std::string::npos) {
            out += meaning[simple.find(e)];
        } else if (e == 'x') {
            const long v = HexRun(t, i, 2);
            good = good && v > 0;
            v > 0 ? void(out += char(v)) : void();
        } else if (e == 'u') {
            long v = HexRun(t, i, 4);
            if (v >= 0xD800 && v <= 0xDBFF) {
                long low = -1;
                if (i < t.size() && t[i] == '\\' && ++i < t.size() && t[i] == 'u') {
                    ++i;
                    low = HexRun(t, i, 4);
                }
                v = low >= 0xDC00 && low <= 0xDFFF ? 0x10000 + (v - 0xD800) * 0x400 + low - 0xDC00
                                                   : 0;
            } else if (v >= 0xDC00 && v <= 0xDFFF) {
                v = 0;
            }
            good = good && v > 0;
            v > 0 ? Utf8(out, std::uint32_t(v)) : void();
        } else {
            good = false;
            i -= (e == '\n' || e == '\r');  // a line end stays in the string
        }
    }
}

std::vector<Token> Tokens(const std::string& t) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < t.size()) {
        const char c = t[i];
        Token token{'e', "", 0, i, 0};
        if (std::string(" \t\n\v\f\r").find(c) != std::string::npos) {
            ++i;
            continue;
        }
        if (c == '#' || t.compare(i, 2, "//") == 0) {
            while (i < t.size() && t[i] != '\n' && t[i] != '\r') {
                ++i;
            }
            continue;
        }
        if (t.compare(i, 2, "/*") == 0) {
            const std::size_t close = t.find("*/", i + 2);
            i = close == std::string::npos ? t.size() : close + 2;
            if (close != std::string::npos) {
                continue;
            }
        } else if (c == '/') {
            i += 1 + (i + 1 < t.size() && t[i + 1] != '\n' && t[i + 1] != '\r');
        } else if (std::string("()+,-;").find(c) != std::string::npos) {
            token.kind = c;
            ++i;
        } else if (Letter(c)) {
            while (i < t.size() && Letter(t[i])) {
                ++i;
            }
            token.kind = 'w';
            token.text = t.substr(token.begin, i - token.begin);
        } else if (Digit(c)) {
            while (i < t.size() && Digit(t[i])) {
                ++i;
            }
            std::string digits = t.substr(token.begin, i - token.begin);
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
            const bool fits = digits.size() < 10 || (digits.size() == 10 && digits <= "4294967295");
            if (fits && !(i < t.size() && Letter(t[i]))) {
                token.kind = 'n';
                token.number = std::stoull(digits);
            }
        } else if (c == '"' || c == '\'') {
            token.kind = String(t, i, token.text) ? 's' : 'e';
        } else {
            ++i;
        }
        token.end = i;
        out.push_back(token);
    }
    return out;
}

std::vector<Statement> Statements(const std::string& text) {
    const std::vector<Token> tokens = Tokens(text);
    std::vector<Statement> out;
    std::size_t k = 0;
    while (k < tokens.size()) {
        Statement s{"", "", "", tokens[k].begin, text.size(), false};
        PrefValueData data;
        const std::size_t first = k;
        auto is = [&](std::size_t at, char kind) {
            return at < tokens.size() && tokens[at].kind == kind;
        };
        std::size_t v = k + 4;  // the value's first token
        bool good = is(k, 'w') &&
                    std::count(kKeywords.begin(), kKeywords.end(), tokens[k].text) == 1 &&
                    is(k + 1, '(') && is(k + 2, 's') && is(k + 3, ',');
        if (good && is(v, 'w') && (tokens[v].text == "true" || tokens[v].text == "false")) {
            data.type = PrefValueType::kBool;
            data.boolValue = tokens[v].text == "true";
        } else if (good && is(v, 's')) {
            data.type = PrefValueType::kString;
        } else if (good && (is(v, 'n') || ((is(v, '-') || is(v, '+')) && is(v + 1, 'n')))) {
            const bool sign = !is(v, 'n'), negative = is(v, '-');
            const std::uint64_t n = tokens[v + sign].number;
            good = n <= 2147483647u + std::uint64_t(negative);
            data.type = PrefValueType::kInt;
            data.intValue = std::int32_t(negative ? -std::int64_t(n) : std::int64_t(n));
            v += sign;
        } else {
            good = false;
        }
        if (good && is(v + 1, ')') && is(v + 2, ';')) {
            s.keyword = tokens[k].text;
            s.name = tokens[k + 2].text;
            data.text = tokens[v].text;
            AppendPrefValue(s.value, data);
            s.good = true;
            s.end = tokens[v + 2].end;
            k = v + 3;
        } else {
            // Skipped up to and including the next ';': no ';' stands before the token where the
            // statement went wrong, so the search may start at its first token.
            k = first;
            while (k < tokens.size() && tokens[k].kind != ';') {
                ++k;
            }
            s.end = k < tokens.size() ? tokens[k].end : text.size();
            ++k;
        }
        out.push_back(s);
    }
    return out;
}

// The model leaves texts with a zero byte or a leading byte-order mark to the differential test
// against Firefox itself, which judges how Firefox reads them.
bool Reads(Input text) {
    return text.find('\0') == Input::npos && !text.starts_with("\xEF\xBB\xBF");
}

}  // namespace model

// Records the real reader's statements and skipped stretches in the model's form.
class Recorder : public StatementVisitor {
public:
    std::vector<model::Statement> seen;
    void OnStatement(const PrefStatement& s) override {
        model::Statement statement{
            model::kKeywords[int(s.keyword)], std::string(s.name), "", s.begin, s.end, true};
        AppendPrefValue(statement.value, s.value);
        seen.push_back(statement);
    }
    void OnMalformed(std::size_t begin, std::size_t end) override {
        seen.push_back({"", "", "", begin, end, false});
    }
};

bool Same(const std::vector<model::Statement>& a, const std::vector<model::Statement>& b) {
    auto key = [](const model::Statement& s) {
        return std::tie(s.keyword, s.name, s.value, s.begin, s.end, s.good);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](const auto& x, const auto& y) { return key(x) == key(y); });
}

// Each half of the input as a file: the reader sees the model's statements and skipped stretches.
// (Which of them Firefox then uses, the differential test against Firefox itself checks.)
void PrefReader(Input input) {
    for (const Input text : {input.substr(0, input.size() / 2), input.substr(input.size() / 2)}) {
        Recorder real;
        ReadStatements(text, real);
        Check(!model::Reads(text) || Same(real.seen, model::Statements(std::string(text))));
    }
    PrefSection misc{}, privacy{};
    ParsePreferences(input.substr(0, input.size() / 2), input.substr(input.size() / 2), misc,
                     privacy);
}

// Three bytes of box states and an editor path: what the writer writes reads back the same, the
// path while the editor switch is ticked or was unticked already.
void PrefWriter(Input input) {
    const std::string path(input.substr(std::min<std::size_t>(3, input.size())));
    if (input.size() < 3 || path.find('\0') != path.npos || path.size() >= kPrefTextCapacity) {
        return;
    }
    const unsigned states = std::uint8_t(input[0]) | std::uint8_t(input[1]) << 8;
    PrefSection misc{}, privacy{}, readMisc{}, readPrivacy{};
    for (std::size_t i = 0; i < kPrefOptionCount; ++i) {
        RecordOf(kPrefCatalogue[i], misc, privacy).found = 1;
        SetPendingFlag(RecordOf(kPrefCatalogue[i], misc, privacy), states >> i & 1);
    }
    misc[5].current.flag = std::uint8_t(input[2]) & 1;
    SetPendingText(misc[6], path.c_str());
    char text[kPrefOutputCapacity] = "";
    AppendStatements(text, misc, privacy);
    ParsePreferences("", text, readMisc, readPrivacy);
    const bool pathKept = misc[5].pending.flag == 1 || misc[5].current.flag == 0;
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& read = RecordOf(option, readMisc, readPrivacy);
        Check(option.kind == PrefKind::Text
                  ? read.current.text == (pathKept ? path : "")
                  : read.current.flag == RecordOf(option, misc, privacy).pending.flag);
    }
}

// Restore takes out exactly what the model reads as statements for names of the restore list,
// each with its lines when only blanks stand beside it there: reading what is left gives the
// model's other statements, and every other byte is kept.
void RestoreFilter(Input input) {
    std::string kept(input.size(), '\0');
    kept.resize(RemoveManagedStatements(input, kept.data()));
    if (!model::Reads(input)) {
        return;
    }
    const std::string text(input);
    const auto blank = [&](std::size_t from, std::size_t to) {
        return text.substr(from, to - from).find_first_not_of(" \t\v\f") == std::string::npos;
    };
    std::string expected;
    std::size_t copied = 0;
    std::vector<std::string> others;
    for (const model::Statement& s : model::Statements(text)) {
        const bool managed =
            s.good && std::any_of(std::begin(kRestoreNameList), std::end(kRestoreNameList),
                                  [&](const char* n) { return s.name == n; });
        if (!managed) {
            others.push_back(s.good ? s.keyword + s.name + "=" + s.value : "!");
            continue;
        }
        std::size_t from = s.begin, to = s.end;
        const std::size_t start = s.begin == 0 ? 0 : text.find_last_of("\r\n", s.begin - 1) + 1;
        const std::size_t stop = std::min(text.find_first_of("\r\n", s.end), text.size());
        if (blank(start, s.begin) && blank(s.end, stop)) {
            from = start;
            to = stop + (stop < text.size()) + (text.compare(stop, 2, "\r\n") == 0);
        }
        expected += text.substr(copied, from - copied);
        copied = to;
    }
    Check(kept == expected + text.substr(copied));
    std::vector<std::string> after;
    for (const model::Statement& s : model::Statements(kept)) {
        after.push_back(s.good ? s.keyword + s.name + "=" + s.value : "!");
    }
    Check(after == others);
}

// The profile Firefox starts with, read afresh from the list's lines: the first [Install...]
// section's Default= (relative as its [Profile...] section says, else unless it looks absolute),
// else the first profile marked Default=1 that has a path, else the first profile with a path.
// Lines end at LF and lose blanks (and a CR) at both ends; keys end at the first '='.
ProfileChoice ExpectedProfile(const std::wstring& list) {
    using Keys = std::map<std::wstring, std::wstring>;  // values by key, its '=' included
    std::vector<Keys> profiles;
    Keys install, ignored, *section = &ignored;
    bool installSeen = false;
    std::wistringstream lines(list);
    for (std::wstring line; std::getline(lines, line);) {
        line.erase(0, line.find_first_not_of(L" \t"));
        line.erase(line.find_last_not_of(L" \t\r") + 1);
        const std::wstring key = line.substr(0, line.find(L'=') + 1);  // empty without a '='
        if (line.starts_with(L"[Profile")) {
            section = &profiles.emplace_back();
        } else if (line.starts_with(L"[")) {
            const bool first = line.starts_with(L"[Install") && !std::exchange(installSeen, true);
            section = first ? &install : &ignored;
        } else if (!key.empty()) {
            (*section)[key] = line.substr(key.size());
        }
    }
    const std::wstring chosen = install[L"Default="];
    for (int pass = chosen.empty() ? 1 : 0; pass < 3; ++pass) {  // the install's, marked, any
        for (Keys& keys : profiles) {
            const bool wanted =
                pass == 0 ? keys[L"Path="] == chosen : pass == 2 || keys[L"Default="] == L"1";
            if (wanted && !keys[L"Path="].empty()) {
                return {keys[L"Path="], keys[L"IsRelative="] != L"0"};
            }
        }
        if (pass == 0) {
            return {chosen, !(chosen[1] == L':' || chosen.starts_with(L"\\\\") ||
                              chosen.starts_with(L"//"))};
        }
    }
    return {};
}

// The profile list as ReadProfileList hands it over: the chooser picks what the rules pick.
void ProfileList(Input input) {
    const std::wstring list = Utf8ToUtf16(std::string(input).c_str());
    const ProfileChoice chosen = ChooseDefaultProfile(list), expected = ExpectedProfile(list);
    Check(chosen.path == expected.path && chosen.isRelative == expected.isRelative);
}

// A key chosen by the first byte, a text value up to the first line end, the settings file after
// it: a write reads back (or as the default, for a value that cannot be read) or leaves the file
// as it was, and never leaves a temporary file.
void SettingsStore(Input input) {
    static const fs::path file = [] {
        const fs::path base = fs::temp_directory_path() / "quorvane-fuzz-settings";
        fs::create_directories(base / "Kestrovan" / "Quorvane");
        setenv("APPDATA", base.c_str(), 1);
        return base / "Kestrovan" / "Quorvane" / "settings.ini";
    }();
    const char* keys[] = {"Value", "A", "NoticeVersion"};
    const char* key = keys[input.empty() ? 0 : std::uint8_t(input[0]) % std::size(keys)];
    const Input rest = input.substr(std::min<std::size_t>(1, input.size()));
    const std::string value(rest.substr(0, rest.find('\n')));
    const std::string text(rest.substr(std::min(value.size() + 1, rest.size())));
    std::ofstream(file, std::ios::binary) << text;
    if (value.find('\0') != value.npos) {
        return;
    }
    if (WriteSettingText(key, value.c_str(), kPrimaryRoot) == kSettingWritten) {
        char out[64];
        ReadSettingText(out, sizeof out, key, "\x01", kPrimaryRoot);
        Check(out == (value.find('"') == value.npos && value.size() < sizeof out ? value : "\x01"));
        const auto number = static_cast<std::int32_t>(text.size());
        Check(WriteSettingInt(key, number, kPrimaryRoot) != kSettingWritten ||
              ReadSettingInt(key, -1, kPrimaryRoot) == number);
    } else {
        std::ifstream stored(file, std::ios::binary);
        Check(std::string(std::istreambuf_iterator<char>(stored), {}) == text);
    }
    Check(std::distance(fs::directory_iterator(file.parent_path()), {}) == 1);
}

// Any answer reads as up to date or newer, and newer only with the field in it. An answer whose
// field is followed by blanks, a colon and the input reads as newer exactly when the input up to
// its first comma or brace is, blanks left out, at most 50 digits that make the number 1.
void UpdateAnswer(Input input) {
    const int any = ScanVersionAnswer(input.data(), input.size());
    Check(any == kUpToDate ||
          (any == kNewVersionAvailable && input.find("\"update\"") != input.npos));
    const std::string answer = "{\"latest\":\"1.0.2\", \"update\"  :" + std::string(input);
    std::string digits(input.substr(0, input.find_first_of(",}")));
    std::erase(digits, ' ');
    const bool one = std::regex_match(digits, std::regex("0{0,49}1"));  // 50 digits at most
    Check(ScanVersionAnswer(answer.data(), answer.size()) == (one ? 1 : 0));
}

// The program's two requests, built with numbers from the input, read back by the service as they
// were sent (when their values are ones it takes), and never with the first pair left out or the
// second written in its place. A form the service takes holds every pair once, and values the
// program can send.
void ServiceForm(Input input) {
    std::int32_t registry = 0;
    std::memcpy(&registry, input.data(), std::min(input.size(), sizeof registry));
    const std::int32_t flags = input.size() > 4 ? std::int8_t(input[4]) : 1;
    char body[kUsageBodyCapacity];
    wchar_t path[kVersionUrlCapacity];
    Check(BuildUsageBody(body, sizeof body, registry, std::to_string(flags).c_str()) &&
          BuildVersionPath(path, std::size(path), flags));
    const std::wstring query = std::wcschr(path, L'?') + 1;
    const auto readsBack = [](const std::string& sent, auto parse, const auto& fields, bool taken) {
        const auto read = parse(sent, kProductNumber);
        const std::string rest = sent.substr(sent.find('&') + 1),
                          next = rest.substr(0, rest.find('&'));
        Check(read.has_value() == taken &&
              (!read || std::memcmp(&*read, &fields, sizeof fields) == 0));
        Check(!parse(rest, kProductNumber) && !parse(next + "&" + rest, kProductNumber));
    };
    readsBack(body, ParseUsageForm,
              UsageForm{kProductNumber, kVersionNumber, kEditionNumber, kUsageReportKind, registry,
                        flags},
              registry >= 0 && flags >= 1 && flags <= 15);
    readsBack({query.begin(), query.end()}, ParseVersionQuery,
              VersionQuery{kProductNumber, kVersionNumber, kEditionNumber, flags},
              flags == 0 || flags == 1);
    const auto pairs = std::count(input.begin(), input.end(), '&') + 1;
    const auto usage = ParseUsageForm(input, kProductNumber);
    const auto version = ParseVersionQuery(input, kProductNumber);
    Check(!usage || (pairs == 6 && usage->usage >= 1 && usage->usage <= 15));
    Check(!version || (pairs == 4 && version->fresh >= 0 && version->fresh <= 1));
    Check(!(usage || version) || input.size() <= kMaxFormLength);
}

void FileFilter(Input input) {
    for (const FileTypeFilter& type : SplitFileFilter(Utf8ToUtf16(std::string(input).c_str()))) {
        Check(type.pattern == L"*.*" || type.name.find(type.pattern) != type.name.npos);
    }
}

// The user's own statements are anything the model reads as other than a user_pref statement for
// a catalogue preference, and anything after a zero byte.
void CustomStatements(Input input) {
    bool foreign = false;
    for (const model::Statement& s : model::Statements(std::string(input))) {
        foreign = foreign || !s.good || s.keyword != "user_pref" ||
                  std::none_of(std::begin(kPrefCatalogue), std::end(kPrefCatalogue),
                               [&](const PrefOption& o) { return s.name == o.preference; });
    }
    Check(HoldsForeignStatement(input) == foreign || !model::Reads(input));
}

// Every target by the name of its executable and its seed corpus (fuzz/corpus/<name>).
// clang-format off
const std::map<std::string_view, void (*)(Input)> kTargets = {
    {"pref_reader", PrefReader},             {"pref_writer", PrefWriter},
    {"restore_filter", RestoreFilter},       {"profile_list", ProfileList},
    {"settings_store", SettingsStore},       {"update_answer", UpdateAnswer},
    {"service_form", ServiceForm},           {"file_filter", FileFilter},
    {"custom_statements", CustomStatements}};
// clang-format on

// Runs the target of that name on the input; false when there is none.
bool RunTarget(std::string_view name, Input input) {
    const auto target = kTargets.find(name);
    if (target != kTargets.end()) {
        target->second(input);
    }
    return target != kTargets.end();
}

}  // namespace fuzz

#ifdef QUORVANE_FUZZ_REPLAY
// Without libFuzzer (the native test tree): "fuzz_replay <target> <files>" runs each file once
// through the target, so every test run holds the program to the oracles on the seeds.
int main(int argc, char** argv) {
    bool ran = argc > 2;
    for (int i = 2; ran && i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        ran = fuzz::RunTarget(argv[1], std::string(std::istreambuf_iterator<char>(file), {}));
    }
    return ran ? 0 : 2;
}
#endif
