// libFuzzer targets for every parser and text transformation of the program. The file is built
// once per target, with FUZZ_TARGET naming one of the functions below (fuzz/CMakeLists.txt).
// Where a property can be stated it is checked: a violation aborts, which counts as a crash.
#include <algorithm>
#include <cstdint>
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
#include <utility>
#include <vector>

#include "net/service_request.h"
#include "net/update_check.h"
#include "prefs/custom_statements.h"
#include "prefs/file_dialogs.h"
#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/profile_locator.h"
#include "prefs/restore.h"
#include "service/form_fields.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"

namespace fuzz {

namespace fs = std::filesystem;
using Input = std::string_view;

void Check(bool property) {
    property ? void() : std::abort();
}

// The input's halves as prefs.js and user.js.
void PrefReader(Input input) {
    PrefSection misc{}, privacy{};
    const std::size_t half = input.size() / 2;
    ParsePreferences(input.substr(0, half), input.substr(half), misc, privacy);
}

// Two bytes of box states and an editor path: what the writer writes reads back the same.
void PrefWriter(Input input) {
    const std::string path(input.substr(std::min<std::size_t>(2, input.size())));
    if (input.size() < 2 || path.find('\0') != path.npos || !IsSafeEditorPath(path.c_str())) {
        return;
    }
    const unsigned states = std::uint8_t(input[0]) | std::uint8_t(input[1]) << 8;
    PrefSection misc{}, privacy{}, readMisc{}, readPrivacy{};
    for (std::size_t i = 0; i < kPrefOptionCount; ++i) {
        RecordOf(kPrefCatalogue[i], misc, privacy).found = 1;
        SetPendingFlag(RecordOf(kPrefCatalogue[i], misc, privacy), states >> i & 1);
    }
    SetPendingText(misc[6], path.c_str());
    char text[kPrefOutputCapacity] = "";
    AppendStatements(text, misc, privacy);
    ParsePreferences("", text, readMisc, readPrivacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& read = RecordOf(option, readMisc, readPrivacy);
        Check(option.kind == PrefKind::Text
                  ? read.current.text == (misc[5].pending.flag == 1 ? path : "")
                  : read.current.flag == RecordOf(option, misc, privacy).pending.flag);
    }
}

// Restore keeps every line (ended by CR, LF or CR LF) that names no managed preference in
// quotes, byte for byte, and drops the others.
void RestoreFilter(Input input) {
    std::string kept(input.size(), '\0'), expected;
    kept.resize(KeepUnmanagedLines(input, kept.data()));
    for (std::size_t at = 0, end = 0; at < input.size(); at = end) {
        end = std::min(input.find_first_of("\r\n", at), input.size() - 1) + 1;
        end += input.substr(end - 1, 2) == "\r\n";
        const Input line = input.substr(at, end - at);
        bool named = false;
        for (const char* name : kRestoreNameList) {
            named = named || line.find('"' + std::string(name) + '"') != line.npos;
        }
        expected += named ? "" : line;
    }
    Check(kept == expected);
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

// A text without statements of the user's own stays so with one more managed statement, and
// stops being so with one foreign statement.
void CustomStatements(Input input) {
    if (!HoldsForeignStatement(input)) {
        Check(!HoldsForeignStatement(std::string(input) + "\nuser_pref(\"geo.enabled\", true);"));
        Check(HoldsForeignStatement(std::string(input) + "\nuser_pref(\"my.own\", true);"));
    }
}

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
