// libFuzzer targets for every parser and text transformation of the program. The file is built
// once per target, with FUZZ_TARGET naming one of the functions below (fuzz/CMakeLists.txt).
// Where a property can be stated it is checked: a violation aborts, which counts as a crash.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

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

void ProfileList(Input input) {
    const std::wstring list = Utf8ToUtf16(std::string(input).c_str());
    Check(list.find(ChooseDefaultProfile(list).path) != list.npos);
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

void UpdateAnswer(Input input) {
    ScanVersionAnswer(input.data(), input.size());
}

void ServiceForm(Input input) {
    ParseVersionQuery(input, 5);
    ParseUsageForm(input, 5);
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
