// Restore: which lines go, the backup, user.js and every failure code.
#include "prefs/restore.h"

#include <gtest/gtest.h>

#include <string>

#include "prefs/profile_file.h"
#include "tests/prefs/profile_fixture.h"

namespace {

namespace fs = std::filesystem;

class RestoreTest : public test::ProfileFixture {
protected:
    std::string Prefs() const { return test::ReadFileBytes(PrefsJs()); }
};

TEST_F(RestoreTest, RemovesEveryLineThatMentionsAManagedName) {
    const std::string longKept = "user_pref(\"toolbar\", \"" + std::string(5000, 'k') + "\");\n";
    const std::string longDropped = "user_pref(\"x\", \"" + std::string(3000, 'd') +
                                    "\"geo.enabled\"" + std::string(3000, 'd') + "\");\n";
    test::WriteFileBytes(PrefsJs(),
                         "// Mozilla User Preferences\r\n"
                         "user_pref(\"browser.send_pings\", false);\r\n"
                         "user_pref(\"app.update.lastUpdateTime\", 1700000000);\r\n" +
                             longKept + longDropped +
                             "user_pref(\"webgl.disabled\", true);\n"
                             "user_pref(\"view_source.editor.external\", true);\n"
                             "user_pref(\"view_source.editor.path\", \"C:\\\\e.exe\");\n"
                             "user_pref(\"a\", \"mentions \"read plugins\" too\");\n"
                             "user_pref(\"geo.enabled.extra\", true);\n"
                             "user_pref(\"b\", \"geo.enabled without quotes\");\n"
                             "user_pref(\"dom.event.contextmenu.enabled\", false);");
    test::WriteFileBytes(UserJs(), "user_pref(\"geo.enabled\", false);\n");
    ASSERT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_EQ(Prefs(),
              "// Mozilla User Preferences\r\n"
              "user_pref(\"app.update.lastUpdateTime\", 1700000000);\r\n" +
                  longKept +
                  "user_pref(\"view_source.editor.external\", true);\n"
                  "user_pref(\"view_source.editor.path\", \"C:\\\\e.exe\");\n"
                  "user_pref(\"geo.enabled.extra\", true);\n"
                  "user_pref(\"b\", \"geo.enabled without quotes\");\n");
    EXPECT_FALSE(fs::exists(UserJs()));
}

TEST_F(RestoreTest, BackupIsWrittenOnceAndNeverReplaced) {
    const std::string first = "user_pref(\"geo.enabled\", false);\nuser_pref(\"k\", 1);\n";
    test::WriteFileBytes(PrefsJs(), first);
    ASSERT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_EQ(test::ReadFileBytes(Backup()), first);

    test::WriteFileBytes(PrefsJs(), "user_pref(\"dom.battery.enabled\", false);\n");
    ASSERT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_EQ(test::ReadFileBytes(Backup()), first);
    EXPECT_EQ(Prefs(), "");
}

TEST_F(RestoreTest, EmptyBackupIsFilled) {
    test::WriteFileBytes(Backup(), "");
    test::WriteFileBytes(PrefsJs(), "user_pref(\"k\", 1);\n");
    ASSERT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_EQ(test::ReadFileBytes(Backup()), "user_pref(\"k\", 1);\n");
}

TEST_F(RestoreTest, MissingUserJsIsNoError) {
    test::WriteFileBytes(PrefsJs(), "user_pref(\"k\", 1);\n");
    EXPECT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_EQ(Prefs(), "user_pref(\"k\", 1);\n");
}

TEST_F(RestoreTest, OrdinaryLargeProfileIsRestored) {
    std::string prefs;
    while (prefs.size() < 300 * 1024) {
        prefs += "user_pref(\"services.sync.x" + std::to_string(prefs.size()) + "\", 1);\n";
    }
    test::WriteFileBytes(PrefsJs(), prefs + "user_pref(\"geo.enabled\", false);\n");
    ASSERT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_EQ(Prefs(), prefs);
}

TEST_F(RestoreTest, MissingPrefsJsOrProfileList) {
    EXPECT_EQ(RestorePreferences(), kRestoreCannotOpenPrefs);
    test::WriteFileBytes(UserJs(), "x");
    fs::remove(FirefoxFolder() / "profiles.ini");
    EXPECT_EQ(RestorePreferences(), kRestoreCannotOpenPrefs);
    EXPECT_TRUE(fs::exists(UserJs()));
}

TEST_F(RestoreTest, FileBeyondTheLimitIsRefusedUntouched) {
    std::string huge(kMaxProfileFileSize + 1, 'x');
    test::WriteFileBytes(PrefsJs(), huge);
    test::WriteFileBytes(UserJs(), "user_pref(\"geo.enabled\", false);\n");
    EXPECT_EQ(RestorePreferences(), kRestorePrefsTooLarge);
    EXPECT_EQ(fs::file_size(PrefsJs()), huge.size());
    EXPECT_TRUE(fs::exists(UserJs()));
    EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(RestoreTest, FailedRewriteKeepsPrefsJsAndUserJs) {
    const std::string before = "user_pref(\"geo.enabled\", false);\n";
    test::WriteFileBytes(PrefsJs(), before);
    test::WriteFileBytes(UserJs(), "u");
    fs::create_directory(PrefsJs().string() + ".tmp");
    EXPECT_EQ(RestorePreferences(), kRestoreCannotRewritePrefs);
    EXPECT_EQ(Prefs(), before);
    EXPECT_TRUE(fs::exists(UserJs()));
}

TEST_F(RestoreTest, UserJsThatCannotBeDeletedIsReported) {
    test::WriteFileBytes(PrefsJs(), "user_pref(\"geo.enabled\", false);\n");
    test::WriteFileBytes(UserJs() / "blocker", "x");  // a folder cannot be deleted as a file
    EXPECT_EQ(RestorePreferences(), kRestoreCannotDeleteUserJs);
    EXPECT_EQ(Prefs(), "");
}

}  // namespace
