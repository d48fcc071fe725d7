// The fuzz targets: each reads libFuzzer's input as the program's input of one kind, holds the
// program to properties that must hold for any input, and answers what the program made of it.
// A seed whose expected answer lies beside it is a test case (replay_main.cpp). Which values
// Firefox uses, and what it makes of the files Apply and Restore leave, the differential test
// against Firefox itself judges. fuzz/CMakeLists.txt lists the targets.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/properties.h"
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
#include "service/release.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "tests/test_support.h"

namespace fuzz {

namespace fs = std::filesystem;
using Input = std::string_view;

// Each half of the input as a file: the reader reports its pieces in order, each statement where
// it stands and written again as read (properties.h), and the halves read as prefs.js and user.js
// are never read past (the first is copied to a buffer of its own size, for the sanitizer). The
// answer is each half's pieces, a line each.
std::string PrefReader(Input input) {
    const std::vector<char> first(input.begin(), input.begin() + input.size() / 2);
    const Input prefs(first.data(), first.size()), user = input.substr(first.size());
    std::string answer;
    for (const Input half : {prefs, user}) {
        CheckReadingInOrder(half);
        for (const ReadPiece& piece : ReadPieces(half)) {
            answer += piece.Described(half) + "\n";
        }
    }
    PrefSection misc{}, privacy{};
    ParsePreferences(prefs, user, misc, privacy);
    return answer;
}

// Three bytes of box states and an editor path: what the writer writes is none of the user's own
// statements and reads back the same, the path while the editor switch is ticked or was unticked
// already. The answer is what an Apply finds against the path typed in (CheckEditorPath).
std::string PrefWriter(Input input) {
    const std::string path(input.substr(std::min<std::size_t>(3, input.size())));
    const char* checks[] = {"safe\n", "forbidden character\n", "too long\n", "preference name\n"};
    const std::string answer = checks[int(CheckEditorPath(path.c_str()))];
    if (input.size() < 3 || path.find('\0') != path.npos || path.size() >= kPrefTextCapacity) {
        return answer;
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
    Check(!HoldsForeignStatement(text));
    ParsePreferences("", text, readMisc, readPrivacy);
    const bool pathKept = misc[5].pending.flag == 1 || misc[5].current.flag == 0;
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& read = RecordOf(option, readMisc, readPrivacy);
        Check(option.kind == PrefKind::Text
                  ? read.current.text == (pathKept ? path : "")
                  : read.current.flag == RecordOf(option, misc, privacy).pending.flag);
    }
    return answer;
}

// Restore keeps every byte but the statements it takes out and blanks beside them, and reading
// what it keeps gives every other statement and malformed stretch (properties.h). The answer is
// the text kept.
std::string RestoreFilter(Input input) {
    std::string kept(input.size(), '\0');
    kept.resize(RemoveManagedStatements(input, kept.data()));
    CheckRestoreKeepsTheRest(input, kept);
    return kept;
}

// The profile list as ReadProfileList hands it over: the profile chosen is one the list names.
// The answer is its path and whether that is relative.
std::string ProfileList(Input input) {
    const std::wstring list = Utf8ToUtf16(std::string(input).c_str());
    const ProfileChoice chosen = ChooseDefaultProfile(list);
    Check(list.find(chosen.path) != list.npos);
    return Utf16ToUtf8(chosen.path.c_str()) + (chosen.isRelative ? "\nrelative\n" : "\nabsolute\n");
}

// A key chosen by the first byte, a text value up to the first line end, the settings file after
// it: a write reads back (or as the default, for a value that cannot be read) or leaves the file
// as it was, and never leaves a temporary file. The answer is what the file gives for the key
// before the write, as an integer (default -99) and as a text (default "dflt", in 64 bytes):
// "<integer> <characters read>:<text>".
std::string SettingsStore(Input input) {
    static const test::TempFolder folder;  // this run's own, removed when the run ends
    static const fs::path file = [] {
        fs::create_directories(folder.Path() / "Kestrovan" / "Quorvane");
        setenv("APPDATA", folder.Path().c_str(), 1);
        return folder.Path() / "Kestrovan" / "Quorvane" / "settings.ini";
    }();
    const char* keys[] = {"Value", "A", "NoticeVersion"};
    const char* key = keys[input.empty() ? 0 : std::uint8_t(input[0]) % std::size(keys)];
    const Input rest = input.substr(std::min<std::size_t>(1, input.size()));
    const std::string value(rest.substr(0, rest.find('\n')));
    const std::string text(rest.substr(std::min(value.size() + 1, rest.size())));
    std::ofstream(file, std::ios::binary) << text;
    char read[64];
    const std::size_t copied = ReadSettingText(read, sizeof read, key, "dflt", kPrimaryRoot);
    const std::string answer = std::to_string(ReadSettingInt(key, -99, kPrimaryRoot)) + " " +
                               std::to_string(copied) + ":" + read + "\n";
    if (value.find('\0') != value.npos) {
        return answer;
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
    return answer;
}

// Any answer reads as up to date or newer, and newer only with the field in it. The answer is
// which.
std::string UpdateAnswer(Input input) {
    const int read = ScanVersionAnswer(input.data(), input.size());
    Check(read == kUpToDate ||
          (read == kNewVersionAvailable && input.find("\"update\"") != input.npos));
    return read == kUpToDate ? "up to date\n" : "newer\n";
}

// The program's two requests, built with numbers from the input, read back by the service as they
// were sent (when their values are ones it takes), and never with the first pair left out or the
// second written in its place. A form the service takes holds every pair once, and values the
// program can send. The answer is whether the input is a version query and a usage form the
// service takes.
std::string ServiceForm(Input input) {
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
    return std::string(version ? "a version query\n" : "no version query\n") +
           (usage ? "a usage form\n" : "no usage form\n");
}

// Every file type has a pattern, in its name unless it is every file. The answer is the types as
// name=pattern lines.
std::string FileFilter(Input input) {
    std::string answer;
    for (const FileTypeFilter& type : SplitFileFilter(Utf8ToUtf16(std::string(input).c_str()))) {
        Check(type.pattern == L"*.*" || type.name.find(type.pattern) != type.name.npos);
        answer += Utf16ToUtf8((type.name + L"=" + type.pattern).c_str()) + "\n";
    }
    return answer;
}

// The answer is whether the text holds statements of the user's own.
std::string CustomStatements(Input input) {
    return HoldsForeignStatement(input) ? "own statements\n" : "none\n";
}

// The published version line: a version read back has the number its parts make, and the text
// kept is the line without its line end. The answer is the text and number, or "none".
std::string ReleaseFile(Input input) {
    const auto version = ParseReleaseVersion(input);
    if (!version) {
        return "none\n";
    }
    const std::int32_t number = version->number;
    const std::string parts = std::to_string(number / 100000) + "." +
                              std::to_string(number / 1000 % 100) + "." +
                              std::to_string(number % 1000);
    const auto again = ParseReleaseVersion(parts);
    Check(again && again->number == number && input.starts_with(version->text));
    return version->text + " " + std::to_string(number) + "\n";
}

}  // namespace fuzz
