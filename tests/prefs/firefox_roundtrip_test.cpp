// The engine against real Firefox (ESR, headless): the profile Firefox itself makes default, the
// user.js Apply writes as Firefox reads it, the prefs.js Firefox writes back, and Restore.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/profile_locator.h"
#include "prefs/restore.h"
#include "settings/text_util.h"
#include "tests/prefs/profile_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr char kEditorPath[] = "C:\\Program Files (x86)\\Editor\\editor.exe";

// Firefox keeps a preference in prefs.js only when it differs from its built-in default; this one
// is false by default, which is what ticking its box writes.
constexpr char kStoredAsDefault[] = "browser.send_pings";

class FirefoxRoundTrip : public ::testing::Test {
protected:
    // One Firefox home for the suite: two profiles made with -CreateProfile, then a plain start
    // that lets Firefox choose (and record) its default profile.
    static void SetUpTestSuite() {
        folder_ = new test::TempFolder;
        fs::create_directories(Home());
        ASSERT_EQ(RunFirefox("-CreateProfile alpha"), 0);
        ASSERT_EQ(RunFirefox("-CreateProfile beta"), 0);
        ASSERT_EQ(StartAndQuit(), 0);
        const fs::path list = FindProfileList();
        ASSERT_FALSE(list.empty()) << "Firefox wrote no profiles.ini";
        fs::create_directories(folder_->Path() / "appdata" / "Mozilla");
        fs::create_directory_symlink(list.parent_path(),
                                     folder_->Path() / "appdata" / "Mozilla" / "Firefox");
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override {
        test::SetEnvironment("APPDATA", test::ToProgramPath(folder_->Path() / "appdata"));
    }

    static fs::path Home() { return folder_->Path() / "home"; }

    static int RunFirefox(const std::string& arguments) {
        const std::string command =
            "HOME='" + Home().string() +
            "' MOZ_HEADLESS=1 timeout 120 firefox-esr --headless --no-remote " + arguments + " >'" +
            Home().string() + "/firefox.log' 2>&1";
        return std::system(command.c_str());
    }
    // Starts Firefox with its default profile, loads a blank page and quits, saving prefs.js.
    // Firefox saves prefs.js only when a preference changed during the run; its start-up time
    // stamps, in whole seconds, are such a change only when the previous run was in another
    // second, so never start two runs within one second.
    static int StartAndQuit() {
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        return RunFirefox("--screenshot '" + (folder_->Path() / "shot.png").string() +
                          "' about:blank");
    }

    static fs::path FindProfileList() {
        for (const auto& entry : fs::recursive_directory_iterator(Home())) {
            if (entry.path().filename() == "profiles.ini") {
                return entry.path();
            }
        }
        return {};
    }

    static std::vector<fs::path> PrefsFilesFirefoxWrote() {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(Home())) {
            if (entry.path().filename() == "prefs.js") {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    static fs::path Located(ScrambledText name) {
        wchar_t path[kPathCapacity];
        if (LocateProfileFile(path, kPathCapacity, name) == nullptr) {
            return {};
        }
        return fs::path(Utf16ToUtf8(path));  // POSIX: '\' separators are mapped by the platform
    }

    static test::TempFolder* folder_;
};

test::TempFolder* FirefoxRoundTrip::folder_ = nullptr;

std::string Normal(const fs::path& path) {
    std::string text = path.string();
    for (char& c : text) {
        if (c == '\\') {
            c = '/';
        }
    }
    return fs::weakly_canonical(text).string();
}

TEST_F(FirefoxRoundTrip, LocatesTheProfileFirefoxUses) {
    const auto written = PrefsFilesFirefoxWrote();
    ASSERT_EQ(written.size(), 1u) << "only the profile Firefox started holds a prefs.js";
    ASSERT_TRUE(IsFirefoxInstalled());
    EXPECT_EQ(Normal(Located(kPrefsFileName)), fs::weakly_canonical(written[0]).string());
}

TEST_F(FirefoxRoundTrip, AppliedValuesComeBackFromFirefoxAndRestoreRemovesThem) {
    const fs::path userJs = Normal(Located(kUserJsFileName));
    ASSERT_FALSE(userJs.empty());

    PrefSection misc{};
    PrefSection privacy{};
    for (const PrefOption& option : kPrefCatalogue) {
        SetPendingFlag(RecordOf(option, misc, privacy), 1);
    }
    SetPendingText(misc[6], kEditorPath);
    ASSERT_EQ(WritePreferences(nullptr, misc, privacy), 1);
    ASSERT_EQ(StartAndQuit(), 0);
    fs::remove(userJs);

    PrefSection readMisc{};
    PrefSection readPrivacy{};
    ReadPreferences(readMisc, readPrivacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, readMisc, readPrivacy);
        if (option.kind == PrefKind::Text) {
            EXPECT_STREQ(record.current.text, kEditorPath);
        } else if (std::string(option.preference) == kStoredAsDefault) {
            EXPECT_EQ(record.found, 0u) << option.preference;
        } else {
            EXPECT_EQ(record.current.flag, 1u) << option.preference;
            EXPECT_EQ(record.found, 1u) << option.preference;
        }
    }

    ASSERT_EQ(WritePreferences(nullptr, misc, privacy), 1);
    ASSERT_EQ(RestorePreferences(), kRestoreDone);
    EXPECT_FALSE(fs::exists(userJs));
    ASSERT_EQ(StartAndQuit(), 0);

    PrefSection afterMisc{};
    PrefSection afterPrivacy{};
    ReadPreferences(afterMisc, afterPrivacy);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, afterMisc, afterPrivacy);
        const bool editor = std::string(option.preference).rfind("view_source.", 0) == 0;
        // Restore leaves the editor preferences in place; everything else is Firefox's default.
        EXPECT_EQ(record.found, editor ? 1u : 0u) << option.preference;
        EXPECT_EQ(record.current.flag, editor && option.kind == PrefKind::Bool ? 1u : 0u)
            << option.preference;
    }
}

}  // namespace
