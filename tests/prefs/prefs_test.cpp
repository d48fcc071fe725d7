// The preference engine: locating the default profile, the boxes read (with Firefox's defaults),
// writing user.js, and every file operation of Apply, Restore and a settings write failing in
// turn. (Which profile a list names, what Restore takes out of prefs.js, which texts hold the
// user's own statements and the file dialogs' filters: the seeds of the fuzz targets
// profile_list, restore_filter, custom_statements and file_filter, and what is found against an
// editor path typed in: pref_writer's, with their expected answers; which value Firefox uses: the
// differential test against Firefox itself.)
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <regex>
#include <tuple>
#include <vector>

#include "prefs/pending_values.h"
#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/profile_file.h"
#include "prefs/profile_locator.h"
#include "prefs/restore.h"
#include "settings/platform_faults.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using Files = test::FileTree;
using namespace std::string_literals;

// One statement line as Firefox and the writer put it: Pref("geo.enabled", "true").
std::string Pref(const std::string& name, const std::string& value) {
    return "user_pref(\"" + name + "\", " + value + ");\n";
}

const std::string kPathLine = Pref("view_source.editor.path", "\"\"");
const std::string kOwn = Pref("my.own", "1");
const std::string kMark = "\xEF\xBB\xBF";  // UTF-8 byte-order mark

// A fake per-user data folder with Firefox's profile list and one default profile.
class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        WriteProfileList("[Profile0]\nIsRelative=1\nPath=Profiles/p1.default\nDefault=1\n");
        fs::create_directories(ProfileFolder());
        test::SetEnvironment("APPDATA", test::ToProgramPath(folder_.Path()));
        test::UnsetEnvironment("LOCALAPPDATA");  // no Store app's list unless a case makes one
    }

    fs::path FirefoxFolder() const { return folder_.Path() / "Mozilla" / "Firefox"; }
    fs::path ProfileFolder() const { return FirefoxFolder() / "Profiles" / "p1.default"; }
    void WriteProfileList(const std::string& text) const {
        test::WriteFileBytes(FirefoxFolder() / "profiles.ini", text);
    }
    // The files of the profile folder by name, read or made exactly so.
    Files ProfileFiles() const { return test::ReadFileTree(ProfileFolder()); }
    void SetProfileFiles(const Files& files) const { test::WriteFileTree(ProfileFolder(), files); }
    // A profile file's path below the Firefox folder, or "<none>" (the output then empty).
    std::wstring Locate(ScrambledText name) {
        wchar_t out[kPathCapacity] = L"junk";
        if (LocateProfileFile(out, kPathCapacity, name) == nullptr) {
            EXPECT_STREQ(out, L"");
            return L"<none>";
        }
        const std::wstring firefox = test::ToProgramPath(FirefoxFolder());
        return std::wstring(out).find(firefox) == 0 ? out + firefox.size() : out;
    }
    // The record of the catalogue entry with this preference name.
    PrefRecord& Record(const char* name) {
        const PrefOption* option = std::find_if(
            std::begin(kPrefCatalogue), std::end(kPrefCatalogue),
            [name](const PrefOption& o) { return std::string_view(o.preference) == name; });
        EXPECT_NE(option, std::end(kPrefCatalogue)) << "not in the catalogue: " << name;
        return RecordOf(option == std::end(kPrefCatalogue) ? kPrefCatalogue[0] : *option, misc_,
                        privacy_);
    }
    std::string Statements() const {
        char out[kPrefOutputCapacity] = "";
        AppendStatements(out, misc_, privacy_);
        return out;
    }

    test::TempFolder folder_;
    PrefSection misc_{};
    PrefSection privacy_{};
};

// Each row: a profile list and where prefs.js is then looked for.
TEST_F(Engine, LocatesFilesInsideTheDefaultProfile) {
    EXPECT_EQ(Locate(kRestoreBackupFileName), L"\\Profiles\\p1.default\\prefs.js.quorvane-backup");
    wchar_t out[8];
    EXPECT_EQ(LocateProfileFile(nullptr, 8, kPrefsFileName), nullptr);
    EXPECT_EQ(LocateProfileFile(out, 0, kPrefsFileName), nullptr);
    const std::string elsewhere = Utf16ToUtf8(test::ToProgramPath(folder_.Path() / "e").c_str());
    const std::size_t room = kPathCapacity - test::ToProgramPath(FirefoxFolder()).size() - 11;
    const std::pair<std::string, std::wstring> cases[] = {
        {"[Profile0]\nPath=Profiles/deep/k3\n", L"\\Profiles\\deep\\k3\\prefs.js"},
        {"\xEF\xBB\xBF[Profile0]\nPath=J\xC3\xB8rn\n", L"\\J\u00F8rn\\prefs.js"},
        {"[Profile0]\nIsRelative=0\nPath=" + elsewhere + "\r\n",
         Utf8ToUtf16(elsewhere.c_str()) + L"\\prefs.js"},
        {"[General]\nVersion=2\n", L"\\prefs.js"},
        {"[Profile0]\nPath=" + std::string(room, 'p'),
         L"\\" + std::wstring(room, L'p') + L"\\prefs.js"},
        {"[Profile0]\nPath=" + std::string(room + 1, 'p'), L"<none>"},
        {"[Profile0]\nPath=p\n" + std::string(1024 * 1024, '#'), L"<none>"},  // too large a list
    };
    for (const auto& [list, path] : cases) {
        WriteProfileList(list);
        EXPECT_EQ(Locate(kPrefsFileName), path) << list.substr(0, 80);
        EXPECT_EQ(IsFirefoxInstalled(), list.size() <= 1024 * 1024) << list.substr(0, 80);
    }
    WriteProfileList("[Profile0]\nPath=x\n");
    test::UnsetEnvironment("APPDATA");
    EXPECT_FALSE(IsFirefoxInstalled());
    EXPECT_EQ(Locate(kPrefsFileName), L"<none>");
}

// Firefox from the Microsoft Store keeps its profile list in its package's folder: it is used
// when the usual one is missing, and when it was written last. Each row: which lists exist, which
// of them is newer, and the folder whose profile is then used.
TEST_F(Engine, UsesTheStoreAppsProfileListWhenItIsTheOneInForce) {
    const fs::path local = folder_.Path() / "local";
    const fs::path store =
        local / "Packages/Mozilla.Firefox_n80bbvh6b1yt2/LocalCache/Roaming/Mozilla/Firefox";
    test::SetEnvironment("LOCALAPPDATA", test::ToProgramPath(local));
    const auto now = fs::file_time_type::clock::now();
    const std::wstring usualJs = L"\\Profiles\\p1.default\\user.js";
    const std::wstring storeJs = test::ToProgramPath(store / "Profiles/s/user.js");
    const std::tuple<bool, bool, int, std::wstring> cases[] = {
        {true, false, 0, usualJs}, {false, true, 0, storeJs}, {true, true, 1, storeJs},
        {true, true, -1, usualJs}, {true, true, 0, usualJs},  {false, false, 0, L"<none>"},
    };
    for (const auto& [usual, fromStore, storeNewer, used] : cases) {
        fs::remove(FirefoxFolder() / "profiles.ini");
        fs::remove_all(store);
        if (usual) {
            WriteProfileList("[Profile0]\nPath=Profiles/p1.default\n");
            fs::last_write_time(FirefoxFolder() / "profiles.ini", now);
        }
        if (fromStore) {
            test::WriteFileBytes(store / "profiles.ini", "[Profile0]\nPath=Profiles/s\n");
            fs::last_write_time(store / "profiles.ini", now + std::chrono::seconds(storeNewer));
        }
        EXPECT_EQ(IsFirefoxInstalled(), usual || fromStore);
        EXPECT_EQ(Locate(kUserJsFileName), used);
    }
}

// Each row: prefs.js, user.js, a preference, and the box state, found flag and text read for it.
// A preference no statement sets shows Firefox's own default. (Which value Firefox uses, and that
// an Apply with every box left as read keeps it: the differential test against Firefox itself.)
TEST_F(Engine, ParsingShowsEachPreferenceAsItsBox) {
    const std::string geo = "geo.enabled", path = "view_source.editor.path";
    const std::string plugins = "read plugins";
    const std::tuple<std::string, std::string, std::string, std::uint32_t, std::uint32_t,
                     const char*>
        cases[] = {
            {Pref(geo, "true"), "", geo, 0, 1, ""},
            {Pref(geo, "false"), "", geo, 1, 1, ""},
            {Pref("browser.search.openintab", "true"), "", "browser.search.openintab", 1, 1, ""},
            {"", Pref(plugins, "true"), plugins, 1, 1, ""},
            {"", Pref(plugins, "-5"), plugins, 0, 1, "-5"},  // kept as it stands
            {"", Pref(plugins, "'a\"b'"), plugins, 0, 1, "\"a\\\"b\""},
            {"", "", "browser.send_pings", 1, 0, ""},  // Firefox sends no pings unless told to
            {"", "", "dom.event.contextmenu.enabled", 0, 0, ""},
            {Pref(path, R"("C:\\A (x86)\\\\e")"), "", path, 0, 1, "C:\\A (x86)\\\\e"},
            {"", "", path, 0, 0, ""},
            // Byte-order marks and zero bytes: each row's files were given to Firefox ESR 153
            // (headless), and the row holds what it then used for geo.enabled.
            {kMark + Pref(geo, "false"), "", geo, 1, 1, ""},
            {"", kMark + Pref(geo, "false"), geo, 1, 1, ""},
            {"", kMark + kMark + Pref(geo, "false"), geo, 0, 0, ""},  // the second is no blank
            {"", Pref(geo, "false") + kMark + Pref(geo, "true"), geo, 1, 1, ""},
            {"", Pref(geo, "false") + "\0"s + Pref(geo, "true"), geo, 1, 1, ""},
            {"", "// a\0"s + Pref(geo, "false"), geo, 1, 1, ""},
            {"", "# a\0"s + Pref(geo, "false"), geo, 1, 1, ""},
            {"", "/* a\0 */"s + Pref(geo, "true") + Pref(geo, "false"), geo, 1, 1, ""},
            {"", "user_pref(\"geo.enabled\", \"a\0;\n"s + Pref(geo, "false"), geo, 1, 1, ""},
            {"", "user_pref(\"geo.enabled\", \"a\\\0\");"s + Pref(geo, "false"), geo, 1, 1, ""},
        };
    for (const auto& [prefs, user, name, flag, found, text] : cases) {
        ParsePreferences(prefs, user, misc_, privacy_);
        EXPECT_EQ(Record(name.c_str()).current.flag, flag) << prefs << user;
        EXPECT_EQ(Record(name.c_str()).found, found) << prefs << user;
        EXPECT_STREQ(Record(name.c_str()).current.text, text) << prefs << user;
    }
}

TEST_F(Engine, WritesChangedAndFoundPreferencesInCatalogueOrder) {
    EXPECT_EQ(Statements(), kPathLine);
    for (const char* name : {"geo.enabled", "media.peerconnection.enabled",
                             "browser.search.openintab", "dom.battery.enabled"}) {
        SetPendingFlag(Record(name), 1);
    }
    Record("browser.tabs.closeWindowWithLastTab").found = 1;
    Record("read plugins").found = 1;
    Record("view_source.editor.external").current.flag = 1;  // unticked since the last read
    SetPendingText(misc_[6], "C:\\e.exe");                   // not written: the switch is off
    EXPECT_EQ(Statements(),
              Pref("browser.tabs.closeWindowWithLastTab", "true") +
                  Pref("browser.search.openintab", "true") +
                  Pref("view_source.editor.external", "false") + kPathLine +
                  Pref("media.peerconnection.enabled", "false") + Pref("read plugins", "false") +
                  Pref("dom.battery.enabled", "false") + Pref("geo.enabled", "false"));
    SetPendingFlag(misc_[5], 1);
    EXPECT_NE(Statements().find(Pref("view_source.editor.path", "\"C:\\\\e.exe\"")),
              std::string::npos);
}

// An Apply takes the boxes and the path as shown; a path left as read is Firefox's value already
// and is written back as read, whatever it holds, while the same text typed in is refused.
TEST_F(Engine, AnEditorPathLeftAsReadIsWrittenBackAsRead) {
    const std::string path = Pref("view_source.editor.path", "\"a\\\"b\\n\"");
    ParsePreferences("", Pref("view_source.editor.external", "true") + path, misc_, privacy_);
    ShownOptions shown = ShownAfterReading(misc_, privacy_);
    ASSERT_EQ(TakePendingValues(shown, misc_, privacy_), EditorPathCheck::kSafe);
    EXPECT_NE(Statements().find(path), std::string::npos) << Statements();
    EXPECT_FALSE(PendingEditorPathIsUnsafe(misc_));
    shown.editorPath = L"c\"d";
    EXPECT_EQ(TakePendingValues(shown, misc_, privacy_), EditorPathCheck::kForbiddenCharacter);
    EXPECT_NE(Statements().find(path), std::string::npos) << "a refused Apply changed nothing";
}

const std::string kProfile = "Mozilla/Firefox/Profiles/p1.default/";

// The name of the first copy of user.js made at this moment, taken anew at every call.
std::string TodaysBackup() {
    const std::time_t now = std::time(nullptr);
    char name[40];
    std::strftime(name, sizeof name, "user.js.custom-%Y-%m-%d.bak", std::localtime(&now));
    return kProfile + name;
}
std::wstring reportedCopy;  // the copy of user.js the last Apply or Restore reported making
const auto Apply = +[] { return WritePreferences(nullptr, {}, {}, &reportedCopy); };
const auto Restore = +[] { return RestorePreferences(&reportedCopy); };
const auto WriteInt = +[] { return WriteSettingInt("A", 7, kPrimaryRoot); };
const auto WriteText = +[] { return WriteSettingText("B", "1.0.1", kPrimaryRoot); };

// What a work reports when the last of these file operations fails: Apply 0, a settings write
// that it cannot write, Restore the step the operation is part of: deleting user.js; rewriting
// prefs.js (its temporary file prefs.js.<n>.tmp); once prefs.js is read, making sure of both
// backups; before, finding and reading prefs.js.
int Failure(int (*work)(), const std::vector<platform::FileOperationRecord>& done) {
    const std::wstring& failed = done.back().path;
    const bool read = std::any_of(done.begin(), done.end() - 1, [](const auto& record) {
        return record.path.ends_with(L"\\prefs.js");
    });
    return work == Apply     ? 0
           : work != Restore ? int{kSettingCannotWrite}
           : failed.ends_with(L"\\user.js") &&
                   done.back().operation == platform::FileOperation::kRemove
               ? kRestoreCannotDeleteUserJs
           : std::regex_match(failed, std::wregex(L".*\\\\prefs\\.js\\.[0-9]+\\.tmp"))
               ? kRestoreCannotRewritePrefs
           : read ? kRestoreBackupFailed
                  : kRestoreCannotOpenPrefs;
}

// Each row: the files before an Apply, a Restore or a settings write, and what it reports when no
// file operation fails. Then every file operation made to fail in turn, n = 1, 2, ... until the
// work completes: each failure gives the result of the failed operation's step, leaves every file
// byte for byte its old or its new self and no temporary file, and leaves the files agreeing
// with each other: prefs.js changed only with its whole first backup beside it, a user.js with
// statements of the user's own (anything but the program's kPathLine) gone or replaced only with
// a dated copy beside it, which is the one copy made and the one reported.
TEST_F(Engine, EveryFileIsOldOrNewAndEveryFailureIsReported) {
    const std::string prefs = kProfile + "prefs.js", userJs = kProfile + "user.js";
    const std::string backup = prefs + ".quorvane-backup", old = Pref("geo.enabled", "false");
    const std::tuple<Files, int (*)(), int> cases[] = {
        {{{prefs, old}}, Apply, 1},
        {{{userJs, kOwn}}, Apply, 1},
        {{{userJs, kPathLine}}, Apply, 1},
        {{{userJs, kOwn}, {TodaysBackup(), "earlier"}}, Apply, 1},
        {{{userJs, kOwn}, {userJs + ".tmp", "crash"}, {userJs + ".1.tmp", "crash"}}, Apply, 1},
        {{{prefs, old}, {userJs, kOwn}}, Restore, kRestoreDone},
        {{{prefs, old}}, Restore, kRestoreDone},
        {{{prefs, old}, {backup, "old"}, {userJs, "x"}}, Restore, kRestoreDone},
        {{{prefs, old}, {backup, ""}, {userJs, kOwn}}, Restore, kRestoreDone},
        {{{prefs, old + kOwn}, {prefs + ".1.tmp", "c"}, {userJs, kOwn}, {TodaysBackup(), "x"}},
         Restore,
         kRestoreDone},
        {{{userJs, kOwn}}, Restore, kRestoreCannotOpenPrefs},
        {{}, WriteInt, kSettingWritten},
        {{{"Kestrovan/Quorvane/settings.ini", "A=1\nB=\"1\"\n"}}, WriteText, kSettingWritten},
    };
    const auto state = [](const Files& files, const std::string& path) {
        return files.count(path) != 0 ? files.at(path) : "<no file>";
    };
    const std::regex userJsCopy(userJs + "\\.custom-[-0-9]{10}(-[2-9]|-[1-9][0-9])?\\.bak");
    const auto agree = [&](const Files& before, const Files& now) {
        const std::string first = state(before, backup), own = state(before, userJs);
        const bool copied = std::any_of(now.begin(), now.end(), [&](const auto& file) {
            return std::regex_match(file.first, userJsCopy) && file.second == own;
        });
        EXPECT_TRUE(state(now, prefs) == state(before, prefs) ||
                    state(now, backup) ==
                        (first != "" && first != "<no file>" ? first : state(before, prefs)))
            << "prefs.js changed without its whole first backup";
        EXPECT_TRUE(own == "<no file>" || own == kPathLine || state(now, userJs) == own || copied)
            << "user.js gone or replaced without a copy";
    };
    for (const auto& [files, work, done] : cases) {
        SCOPED_TRACE(files.empty() ? "no files" : files.rbegin()->first);
        Files before = files;
        before.insert({"Mozilla/Firefox/profiles.ini", "[Profile0]\nPath=Profiles/p1.default\n"});
        test::WriteFileTree(folder_.Path(), before);
        reportedCopy.clear();
        const std::string firstCopyBefore = TodaysBackup();
        ASSERT_EQ(work(), done);
        const Files after = test::ReadFileTree(folder_.Path());
        agree(before, after);
        const auto made = std::find_if(after.begin(), after.end(), [&](const auto& file) {
            return before.count(file.first) == 0 && std::regex_match(file.first, userJsCopy);
        });
        const std::string own = state(before, userJs);
        EXPECT_EQ(made != after.end(),
                  own != "<no file>" && own != kPathLine && state(after, userJs) != own);
        EXPECT_EQ(reportedCopy,
                  made == after.end() ? L"" : test::ToProgramPath(folder_.Path() / made->first));
        // Dated the day of the work (before or after a midnight during it), with a number only
        // when that day's first name was taken.
        EXPECT_TRUE(made == after.end() ||
                    (made->first == firstCopyBefore || made->first == TodaysBackup()) ==
                        !before.count(made->first.substr(0, userJs.size() + 18) + ".bak"))
            << made->first;
        for (int n = 1;; ++n) {
            test::WriteFileTree(folder_.Path(), before);
            platform::FailFileOperation(n);
            const int result = work();
            const Files now = test::ReadFileTree(folder_.Path());
            auto operations = platform::FailFileOperation(0);
            if (operations.size() < static_cast<std::size_t>(n)) {
                EXPECT_TRUE(result == done && now == after);
                break;
            }
            operations.resize(static_cast<std::size_t>(n));
            EXPECT_EQ(result, Failure(work, operations))
                << "failed operation " << n << ": " << operations.back().path;
            agree(before, now);
            for (const Files& tree : {now, before, after}) {
                for (const auto& [path, ignored] : tree) {
                    EXPECT_TRUE(state(now, path) == state(before, path) ||
                                state(now, path) == state(after, path))
                        << path << " after a failure of operation " << n;
                }
            }
        }
    }
    // Too large a prefs.js or user.js, kept out of the table: its trials would each write 16 MiB.
    // Restore refuses the one; the other reads as empty, and Apply refuses to replace it.
    const std::string tooLarge(kMaxProfileFileSize + 1, 'x');
    test::WriteFileBytes(ProfileFolder() / "prefs.js", tooLarge);
    EXPECT_EQ(RestorePreferences(), kRestorePrefsTooLarge);
    test::WriteFileBytes(ProfileFolder() / "user.js", tooLarge);
    EXPECT_EQ(Apply(), 0);
    EXPECT_EQ(test::ReadFileBytes(ProfileFolder() / "user.js"), tooLarge);
}

// A command locates the profile once and works on that profile alone, even when the profile list
// changes meanwhile: the steps of an Apply, of reading the boxes and of a Restore take the folder
// located and read the list no more; Restore and reading, given none, read it once. Reading takes
// both files whole, leaves what is pending as it was, and without a profile finds nothing.
TEST_F(Engine, ACommandReadsTheProfileListOnce) {
    SetProfileFiles({{"prefs.js", Pref("a", '"' + std::string(2 << 20, 'z') + '"') +
                                      Pref("dom.battery.enabled", "false")},
                     {"user.js", kOwn + Pref("geo.enabled", "true")}});
    const auto located = ::ProfileFolder::Locate();
    WriteProfileList("[Profile0]\nPath=Profiles/other\n");
    test::WriteFileBytes(FirefoxFolder() / "Profiles/other/user.js", Pref("geo.enabled", "false"));
    const std::wstring inside = test::ToProgramPath(ProfileFolder()) + L"\\";
    platform::FailFileOperation(0);
    SetPendingFlag(Record("geo.enabled"), 1);
    ReadPreferences(misc_, privacy_, located);
    EXPECT_EQ(Record("dom.battery.enabled").current.flag, 1u);
    EXPECT_EQ(std::pair(Record("geo.enabled").current.flag, Record("geo.enabled").pending.flag),
              std::pair(0u, 1u));
    EXPECT_EQ(WritePreferences(located, misc_, privacy_), 1);
    EXPECT_EQ(RestorePreferences(nullptr, located), kRestoreDone);
    for (const auto& record : platform::FailFileOperation(0)) {
        EXPECT_TRUE(record.path.starts_with(inside)) << record.path;
    }
    const auto listReads = [] {
        const auto done = platform::FailFileOperation(0);
        return std::count_if(done.begin(), done.end(), [](const auto& record) {
            return record.path.ends_with(L"profiles.ini");
        });
    };
    RestorePreferences();
    EXPECT_EQ(listReads(), 1);
    ReadPreferences(misc_, privacy_);  // the other profile's, which sets geo.enabled
    EXPECT_EQ(listReads(), 1);
    fs::remove(FirefoxFolder() / "profiles.ini");
    ReadPreferences(misc_, privacy_);
    EXPECT_EQ(Record("geo.enabled").current.flag + Record("geo.enabled").found, 0u);
}

}  // namespace
