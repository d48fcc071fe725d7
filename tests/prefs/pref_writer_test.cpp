// The writer: statements byte for byte, the write condition, the editor path, the user's own
// statements and failed writes.
#include "prefs/pref_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "prefs/pref_reader.h"
#include "tests/prefs/profile_fixture.h"

namespace {

namespace fs = std::filesystem;

class WritePreferencesTest : public test::ProfileFixture {
protected:
    PrefRecord& Record(const char* preference) {
        return test::RecordFor(preference, misc_, privacy_);
    }
    int Write() { return WritePreferences(nullptr, misc_, privacy_); }
    std::string Written() const { return test::ReadFileBytes(UserJs()); }
    // Every file in the profile folder but prefs.js and user.js.
    std::vector<fs::path> OtherFiles() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(ProfileFolder())) {
            const auto name = entry.path().filename();
            if (name != "user.js" && name != "prefs.js") {
                files.push_back(entry.path());
            }
        }
        return files;
    }
};

constexpr char kEmptyPathLine[] = "user_pref(\"view_source.editor.path\", \"\");\n";

TEST(PrefLines, AreFirefoxStatements) {
    char out[256] = "";
    AppendBoolPrefLine(out, sizeof out, "geo.enabled", false);
    AppendBoolPrefLine(out, sizeof out, "read plugins", true);
    AppendTextPrefLine(out, sizeof out, "view_source.editor.path", "C:\\\\e.exe");
    EXPECT_STREQ(out,
                 "user_pref(\"geo.enabled\", false);\n"
                 "user_pref(\"read plugins\", true);\n"
                 "user_pref(\"view_source.editor.path\", \"C:\\\\e.exe\");\n");
}

TEST(PrefLines, AreCutAtCapacity) {
    char out[16] = "";
    AppendBoolPrefLine(out, sizeof out, "geo.enabled", false);
    EXPECT_STREQ(out, "user_pref(\"geo.");
}

TEST_F(WritePreferencesTest, NothingChangedWritesOnlyTheEmptyPathLine) {
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(Written(), kEmptyPathLine);
}

TEST_F(WritePreferencesTest, TickedOptionsInCatalogueOrder) {
    SetPendingFlag(Record("geo.enabled"), 1);
    SetPendingFlag(Record("media.peerconnection.enabled"), 1);
    SetPendingFlag(Record("browser.search.openintab"), 1);
    SetPendingFlag(Record("browser.send_pings"), 1);
    SetPendingFlag(Record("dom.battery.enabled"), 1);
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(Written(), "user_pref(\"browser.search.openintab\", true);\n" +
                             std::string(kEmptyPathLine) +
                             "user_pref(\"media.peerconnection.enabled\", false);\n"
                             "user_pref(\"dom.battery.enabled\", false);\n"
                             "user_pref(\"geo.enabled\", false);\n"
                             "user_pref(\"browser.send_pings\", false);\n");
}

TEST_F(WritePreferencesTest, FoundPreferencesAreWrittenAgainUnchanged) {
    Record("browser.tabs.closeWindowWithLastTab").found = 1;
    Record("read plugins").found = 1;
    Record("read plugins").current.flag = 1;
    Record("read plugins").pending.flag = 1;
    Record("view_source.editor.external").current.flag = 1;  // unticked since the last read
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(Written(),
              "user_pref(\"browser.tabs.closeWindowWithLastTab\", true);\n"
              "user_pref(\"view_source.editor.external\", false);\n" +
                  std::string(kEmptyPathLine) + "user_pref(\"read plugins\", true);\n");
}

TEST_F(WritePreferencesTest, EditorPathIsWrittenOnlyWithTheSwitchAndReadsBackWhole) {
    const char* path = "C:\\Program Files (x86)\\Editor\\editor.exe";
    SetPendingText(misc_[6], path);
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(Written(), kEmptyPathLine);

    SetPendingFlag(Record("view_source.editor.external"), 1);
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(Written(),
              "user_pref(\"view_source.editor.external\", true);\n"
              "user_pref(\"view_source.editor.path\", \"C:\\\\Program Files "
              "(x86)\\\\Editor\\\\editor.exe\");\n");
    ReadPreferences(misc_, privacy_);
    EXPECT_STREQ(misc_[6].current.text, path);
    EXPECT_EQ(Record("view_source.editor.external").current.flag, 1u);
}

TEST_F(WritePreferencesTest, UnsafeEditorPathIsRefusedAndNothingIsWritten) {
    test::WriteFileBytes(UserJs(), "user_pref(\"geo.enabled\", false);\n");
    SetPendingFlag(Record("view_source.editor.external"), 1);
    for (const char* path :
         {"C:\\a\");\nuser_pref(\"x\", \"y", "C:\\a\nb.exe", "C:\\a\tb.exe", "C:\\a\"b.exe"}) {
        SetPendingText(misc_[6], path);
        EXPECT_FALSE(IsSafeEditorPath(path));
        EXPECT_TRUE(PendingEditorPathIsUnsafe(misc_));
        EXPECT_EQ(Write(), 0) << path;
        EXPECT_EQ(Written(), "user_pref(\"geo.enabled\", false);\n");
    }
    EXPECT_TRUE(
        IsSafeEditorPath("D:\\Tools\\\xC3\xA9"
                         "diteur (64)\\ed.exe"));
    SetPendingFlag(Record("view_source.editor.external"), 0);
    EXPECT_FALSE(PendingEditorPathIsUnsafe(misc_)) << "an unused path is not written";
}

TEST_F(WritePreferencesTest, ChosenTargetIsWrittenInstead) {
    const fs::path chosen = folder_.Path() / "chosen user.js";
    SetPendingFlag(Record("geo.enabled"), 1);
    ASSERT_EQ(WritePreferences(test::ToProgramPath(chosen).c_str(), misc_, privacy_), 1);
    EXPECT_EQ(test::ReadFileBytes(chosen),
              std::string(kEmptyPathLine) + "user_pref(\"geo.enabled\", false);\n");
    EXPECT_FALSE(fs::exists(UserJs()));
}

TEST_F(WritePreferencesTest, NoProfileMeansNoWrite) {
    fs::remove(FirefoxFolder() / "profiles.ini");
    EXPECT_EQ(Write(), 0);
}

TEST_F(WritePreferencesTest, UsersOwnStatementsAreBackedUpOnce) {
    const std::string own =
        "// my settings\nuser_pref(\"browser.startup.homepage\", \"https://a.example\");\n"
        "user_pref(\"geo.enabled\", true);\n";
    test::WriteFileBytes(UserJs(), own);
    ASSERT_EQ(Write(), 1);
    const auto backups = OtherFiles();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(test::ReadFileBytes(backups[0]), own);
    EXPECT_NE(backups[0].filename().string().find("user.js.custom-"), std::string::npos);
    EXPECT_EQ(Written(), kEmptyPathLine);

    ASSERT_EQ(Write(), 1);  // only managed statements now: no second backup
    EXPECT_EQ(OtherFiles().size(), 1u);

    test::WriteFileBytes(UserJs(), "lockPref(\"other.pref\", 1);\n");
    ASSERT_EQ(Write(), 1);  // new own lines on the same day get a backup of their own
    EXPECT_EQ(OtherFiles().size(), 2u);
}

TEST_F(WritePreferencesTest, OnlyManagedStatementsNeedNoBackup) {
    test::WriteFileBytes(UserJs(), "user_pref(\"geo.enabled\", false);\n// a comment\n");
    ASSERT_EQ(Write(), 1);
    EXPECT_TRUE(OtherFiles().empty());
}

TEST_F(WritePreferencesTest, FailedWriteKeepsOldFileAndReportsIt) {
    const std::string before = "user_pref(\"geo.enabled\", false);\n";
    test::WriteFileBytes(UserJs(), before);
    fs::create_directory(UserJs().string() + ".tmp");  // the temporary file cannot be made
    SetPendingFlag(Record("dom.battery.enabled"), 1);
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(Written(), before);
}

}  // namespace
