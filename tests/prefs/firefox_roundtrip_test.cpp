// The engine against real Firefox ESR (headless): the profile Firefox itself makes default, the
// user.js Apply writes as Firefox reads it, the prefs.js Firefox writes back, Firefox's own
// defaults of the catalogue, and Restore.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/profile_locator.h"
#include "prefs/restore.h"
#include "settings/text_util.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

class FirefoxRoundTrip : public ::testing::Test {
protected:
    // One Firefox home for the suite: two profiles made with -CreateProfile, then a plain start
    // that lets Firefox choose (and record) its default profile.
    static void SetUpTestSuite() {
        folder_ = new test::TempFolder;
        ASSERT_EQ(RunFirefox("-CreateProfile alpha") + RunFirefox("-CreateProfile beta"), 0);
        ASSERT_EQ(StartAndQuit(), 0);
        const std::vector<fs::path> lists = Find("profiles.ini");
        ASSERT_EQ(lists.size(), 1u) << "Firefox wrote no profiles.ini";
        fs::create_directories(folder_->Path() / "appdata" / "Mozilla");
        fs::create_directory_symlink(lists[0].parent_path(),
                                     folder_->Path() / "appdata" / "Mozilla" / "Firefox");
        test::SetEnvironment("APPDATA", test::ToProgramPath(folder_->Path() / "appdata"));
    }
    static void TearDownTestSuite() { delete folder_; }

    // Firefox saves prefs.js only when a preference changed during the run; its start-up time
    // stamps, in whole seconds, are such a change only when the previous run was in another
    // second, so no run starts within a second of the previous one.
    static int RunFirefox(const std::string& arguments) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        return std::system(("HOME='" + (folder_->Path() / "home").string() +
                            "' MOZ_HEADLESS=1 timeout 120 firefox-esr --headless --no-remote " +
                            arguments + " >/dev/null 2>&1")
                               .c_str());
    }
    // Starts Firefox with its default profile, loads a blank page and quits, saving prefs.js.
    static int StartAndQuit() {
        return RunFirefox("--screenshot '" + (folder_->Path() / "s.png").string() +
                          "' about:blank");
    }
    static std::vector<fs::path> Find(const char* name) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(folder_->Path() / "home")) {
            if (entry.path().filename() == name) {
                found.push_back(fs::weakly_canonical(entry.path()));
            }
        }
        return found;
    }
    static fs::path Located(ScrambledText name) {
        wchar_t path[kPathCapacity];
        EXPECT_NE(LocateProfileFile(path, kPathCapacity, name), nullptr);
        std::string text = Utf16ToUtf8(path);
        std::replace(text.begin(), text.end(), '\\', '/');
        return fs::weakly_canonical(text);
    }

    static test::TempFolder* folder_;
};

test::TempFolder* FirefoxRoundTrip::folder_ = nullptr;

TEST_F(FirefoxRoundTrip, LocatesTheProfileFirefoxUses) {
    ASSERT_TRUE(IsFirefoxInstalled());
    EXPECT_EQ(Find("prefs.js"), std::vector{Located(kPrefsFileName)})
        << "only the profile Firefox started holds a prefs.js";
}

// Firefox keeps a preference in prefs.js only while it differs from its own default: with every
// box ticked, exactly the options whose default is an unticked box come back from prefs.js, and
// the others still read as ticked, by the catalogue's defaults.
TEST_F(FirefoxRoundTrip, TickedBoxesComeBackFromFirefoxAndRestoreRemovesThem) {
    PrefSection misc{}, privacy{}, read{}, readPrivacy{};
    for (const PrefOption& option : kPrefCatalogue) {
        SetPendingFlag(RecordOf(option, misc, privacy), 1);
    }
    SetPendingText(misc[6], "C:\\Program Files (x86)\\Editor\\editor.exe");
    ASSERT_EQ(WritePreferences(nullptr, misc, privacy), 1);
    ASSERT_EQ(StartAndQuit(), 0);
    fs::remove(Located(kUserJsFileName));
    ReadPreferences(read, readPrivacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, read, readPrivacy);
        const bool text = option.kind == PrefKind::Text;
        EXPECT_EQ(record.found, text || DefaultFlag(option) == 0) << option.preference;
        EXPECT_EQ(record.current.flag, !text) << option.preference;
    }
    EXPECT_STREQ(read[6].current.text, misc[6].pending.text);

    ASSERT_EQ(WritePreferences(nullptr, misc, privacy), 1);
    ASSERT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_FALSE(fs::exists(Located(kUserJsFileName)));
    ASSERT_EQ(StartAndQuit(), 0);
    ReadPreferences(read, readPrivacy);
    for (const PrefOption& option : kPrefCatalogue) {
        // Restore leaves the editor preferences in place; everything else is Firefox's default.
        const bool editor = std::string(option.preference).rfind("view_source.", 0) == 0;
        EXPECT_EQ(RecordOf(option, read, readPrivacy).found, editor) << option.preference;
    }
}

}  // namespace
