// What the engine makes of a prefs.js and a user.js, for the differential test against Firefox:
//   pref_probe PREFS USERJS APPLIED < NAMES
// prints, for each name read from the input (one a line), the value the reader says Firefox uses:
//   <type: none|bool|int|string> <value: 0/1, decimal, or x and hex bytes> <user> <locked> <name>
// and writes to APPLIED the user.js an Apply with every box left as read would write (the old one
// when that Apply would be refused).
//   pref_probe names          prints the catalogue's preference names, one a line
// On the default profile of the Firefox folder below APPDATA, as the program finds it:
//   pref_probe tick-all PATH  applies every box ticked and the editor path PATH
//   pref_probe restore        restores
//   pref_probe boxes          reads, and prints for each option of the catalogue
//                             "<found> <flag> <default flag> <text in hex> <name>"
// (the first two fail, with status 1, when the program would report a failure).
#include <cstdio>
#include <iostream>

#include "prefs/pending_values.h"
#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/restore.h"
#include "tests/test_support.h"

namespace {

std::string Hex(std::string_view bytes) {
    std::string hex = "x";  // never empty, so the fields stay separate
    for (const char c : bytes) {
        hex += {"0123456789abcdef"[(c >> 4) & 15], "0123456789abcdef"[c & 15]};
    }
    return hex;
}

void PrintResolved(const ResolvedPref& pref) {
    const HeldPrefValue* value = pref.InForce();
    constexpr const char* kTypes[] = {"bool", "int", "string"};  // by PrefValueType
    const std::string shown = value == nullptr ? "-"
                              : value->type == PrefValueType::kBool
                                  ? std::to_string(value->boolValue)
                              : value->type == PrefValueType::kInt ? std::to_string(value->intValue)
                                                                   : Hex(value->text);
    std::printf("%s %s %d %d %s\n", value ? kTypes[int(value->type)] : "none", shown.c_str(),
                pref.hasUser ? 1 : 0, pref.locked ? 1 : 0, pref.name.c_str());
}

// The modes that work on the default profile; -1 for another mode.
int OnProfile(const std::string& mode, const char* path) {
    PrefSection misc{}, privacy{};
    if (mode == "names") {
        for (const PrefOption& option : kPrefCatalogue) {
            std::printf("%s\n", option.preference);
        }
        return 0;
    }
    if (mode == "tick-all") {
        for (const PrefOption& option : kPrefCatalogue) {
            SetPendingFlag(RecordOf(option, misc, privacy), 1);
        }
        SetPendingText(misc[6], path);
        return WritePreferences(nullptr, misc, privacy) == 1 ? 0 : 1;
    }
    if (mode == "restore") {
        return RestorePreferences() == kRestoreDone ? 0 : 1;
    }
    if (mode != "boxes") {
        return -1;
    }
    ReadPreferences(misc, privacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, misc, privacy);
        std::printf("%u %u %u %s %s\n", record.found, record.current.flag, DefaultFlag(option),
                    Hex(record.current.text).c_str(), option.preference);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int onProfile = argc > 1 ? OnProfile(argv[1], argc > 2 ? argv[2] : "") : -1;
    if (onProfile >= 0) {
        return onProfile;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: pref_probe PREFS USERJS APPLIED < NAMES\n");
        return 2;
    }
    const std::string prefs = test::ReadFileBytes(argv[1]), user = test::ReadFileBytes(argv[2]);
    PrefResolver resolver;
    for (std::string name; std::getline(std::cin, name);) {
        resolver.Watch(name);
    }
    resolver.Read(prefs);
    resolver.Read(user);
    for (const ResolvedPref& pref : resolver.Prefs()) {
        PrintResolved(pref);
    }
    PrefSection misc{}, privacy{};
    ParsePreferences(prefs, user, misc, privacy);
    // An Apply with every box and the editor path left as the main window shows them after
    // reading; one refused writes nothing.
    std::string applied = user;
    if (TakePendingValues(ShownAfterReading(misc, privacy), misc, privacy) ==
            EditorPathCheck::kSafe &&
        !PendingEditorPathIsUnsafe(misc)) {
        char statements[kPrefOutputCapacity] = "";
        AppendStatements(statements, misc, privacy);
        applied = statements;
    }
    test::WriteFileBytes(argv[3], applied);
    return 0;
}
