// Quorvane.exe end to end: started with prepared per-user folders, driven through its windows as
// a user would, checked through the files on disk and the update service's database. Built
// against the update service on the loopback address (NetService fixture).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "net/update_check.h"
#include "settings/platform.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "tests/app/program_driver.h"
#include "tests/net/live_service.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// Command ids of the main window's controls, in creation order.
enum ControlId : int {
    kMiscellaneousButton = 200,
    kPrivacyButton = 201,
    kRestoreSectionButton = 202,
    kCloseTabOption = 204,
    kInfo03 = 208,
    kInfo04 = 210,
    kEditorOption = 211,
    kEditorPath = 212,
    kBrowseButton = 213,
    kWebRtcOption = 214,
    kInfo10 = 215,
    kBatteryOption = 217,
    kGeolocationOption = 218,
    kInfo13 = 219,
    kTrackingOption = 220,
    kInfo14 = 221,
    kRestoreLabel = 222,
    kRestoreButton = 224,
    kSettingsIcon = 225,
    kApplyButton = 227,
};

constexpr int kOptionIds[] = {204, 205, 206, 207, 209, 211, 214, 216, 217, 218, 220};
constexpr int kCheckForUpdateItem = 2;
constexpr int kNoticeOkButton = 3007;
constexpr int kNoticeDoNotShowAgain = 3006;

const std::wstring kCaption = L"Quorvane";
const std::wstring kNoticeCaption = L"License model";

class QuorvaneE2E : public ::testing::Test {
protected:
    void SetUp() override { PublishRelease(QUORVANE_TEST_RELEASE_FILE, "1.0.1"); }
    void TearDown() override { PublishRelease(QUORVANE_TEST_RELEASE_FILE, "1.0.1"); }

    fs::path Roaming() const { return folder_.Roaming(); }
    fs::path Profile() const {
        return Roaming() / "Mozilla" / "Firefox" / "Profiles" / "e2e.default";
    }
    fs::path PrefsJs() const { return Profile() / "prefs.js"; }
    fs::path UserJs() const { return Profile() / "user.js"; }

    void MakeProfile(const std::string& prefs) const {
        test::WriteFileBytes(Roaming() / "Mozilla" / "Firefox" / "profiles.ini",
                             "[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
                             "Path=Profiles/e2e.default\r\nDefault=1\r\n");
        test::WriteFileBytes(PrefsJs(), prefs);
    }
    // The notice was shown for this version and the user asked not to see it again.
    static void SuppressNotice() {
        WriteSettingText("NoticeVersion", "1.0.1", kPrimaryRoot);
        WriteSettingInt("NoticeSuppressed", 1, kPrimaryRoot);
    }

    // Starts the program and waits for its main window.
    void StartToMainWindow() {
        ASSERT_TRUE(program_.Start());
        ASSERT_NE(program_.WaitForMainWindow(), nullptr);
    }
    // Answers the message box that must come next and returns its text.
    std::wstring Answer(int button) const {
        const HWND box = program_.WaitForDialog(kCaption);
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            return L"";
        }
        const std::wstring text = ProgramDriver::MessageText(box);
        ProgramDriver::Press(box, button);
        EXPECT_TRUE(program_.WaitUntilClosed(box));
        return text;
    }
    void CloseAndExpectExit() {
        program_.CloseMainWindow();
        EXPECT_EQ(program_.WaitForExit(), 0);
    }

    test::UserFolders folder_;
    ProgramDriver program_{Utf8ToUtf16(QUORVANE_TEST_PROGRAM)};
};

std::wstring Utf8(const char* text) {
    return Utf8ToUtf16(text);
}

// ---- Start-up, the notice and the usage report -------------------------------------------------

TEST_F(QuorvaneE2E, FirstStartShowsTheNoticeAndReportsUsageOnClose) {
    MakeProfile("");
    ASSERT_TRUE(program_.Start());
    const HWND notice = program_.WaitForDialog(kNoticeCaption);
    ASSERT_NE(notice, nullptr);
    char version[16] = {};
    ReadSettingText(version, sizeof version, "NoticeVersion", "", kPrimaryRoot);
    EXPECT_STREQ(version, "1.0.1");
    EXPECT_EQ(ReadSettingInt("NoticeSuppressed", -1, kPrimaryRoot), 0);
    ProgramDriver::Press(notice, kNoticeOkButton);
    ASSERT_TRUE(program_.WaitUntilClosed(notice));
    ASSERT_NE(program_.WaitForMainWindow(), nullptr);

    const long before = ServiceInspection(QUORVANE_TEST_SERVICE_PORT).Count("reports");
    CloseAndExpectExit();
    const ServiceInspection after(QUORVANE_TEST_SERVICE_PORT);
    EXPECT_EQ(after.Count("reports"), before + 1) << after.Body();
    EXPECT_NE(after.Latest("reports").find("\"usage\":1}"), std::string::npos) << after.Body();
    EXPECT_EQ(ReadSettingInt("ReportedUsage", 0, kPrimaryRoot), 1);
}

TEST_F(QuorvaneE2E, DoNotShowAgainKeepsTheNoticeAwayAtTheNextStart) {
    MakeProfile("");
    ASSERT_TRUE(program_.Start());
    const HWND notice = program_.WaitForDialog(kNoticeCaption);
    ASSERT_NE(notice, nullptr);
    ProgramDriver::SetDialogCheck(notice, kNoticeDoNotShowAgain, true);
    ProgramDriver::Press(notice, kNoticeOkButton);
    ASSERT_NE(program_.WaitForMainWindow(), nullptr);
    CloseAndExpectExit();
    EXPECT_EQ(ReadSettingInt("NoticeSuppressed", 0, kPrimaryRoot), 1);

    ProgramDriver second(Utf8(QUORVANE_TEST_PROGRAM));
    ASSERT_TRUE(second.Start());
    ASSERT_NE(second.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(second.NoDialogFor(kNoticeCaption, seconds(3)));
    second.CloseMainWindow();
    EXPECT_EQ(second.WaitForExit(), 0);
}

// ---- Without Firefox ---------------------------------------------------------------------------

TEST_F(QuorvaneE2E, WithoutFirefoxTheProgramSaysSoAndOffersOnlyApply) {
    SuppressNotice();
    ASSERT_TRUE(program_.Start());
    EXPECT_EQ(Answer(IDOK),
              L"Firefox is not installed or not found. Even without, installed Firefox can be "
              L"Quorvane used to save selected preferences.");
    ASSERT_NE(program_.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !program_.IsEnabled(kRestoreButton); }));
    EXPECT_EQ(program_.Text(kRestoreLabel),
              L"This options is available only when Firefox is installed.");
    EXPECT_TRUE(program_.IsEnabled(kApplyButton));

    program_.SetChecked(kGeolocationOption, true);
    program_.Click(kApplyButton);
    const HWND save = program_.WaitForDialog(L"");
    ASSERT_NE(save, nullptr) << "no save dialog";
    ProgramDriver::Press(save, IDCANCEL);
    ASSERT_TRUE(program_.WaitUntilClosed(save));
    EXPECT_TRUE(program_.NoDialogFor(L"", seconds(2)));
    for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
        EXPECT_NE(entry.path().extension(), ".js") << entry.path();
    }
    CloseAndExpectExit();
}

// ---- Apply and Restore -------------------------------------------------------------------------

TEST_F(QuorvaneE2E, ApplyWritesTheTickedOptionsToUserJs) {
    SuppressNotice();
    MakeProfile("// Mozilla User Preferences\n");
    StartToMainWindow();
    program_.SetChecked(kGeolocationOption, true);
    program_.ClickToolbarButton(kPrivacyButton);
    program_.SetChecked(kWebRtcOption, true);
    program_.Click(kApplyButton);
    EXPECT_EQ(Answer(IDOK), L"Restart of Firefox is required for changes to take effect.");
    EXPECT_EQ(test::ReadFileBytes(UserJs()),
              "user_pref(\"view_source.editor.path\", \"\");\n"
              "user_pref(\"media.peerconnection.enabled\", false);\n"
              "user_pref(\"geo.enabled\", false);\n");
    CloseAndExpectExit();
}

TEST_F(QuorvaneE2E, EditorPathWithAQuoteIsRefused) {
    SuppressNotice();
    MakeProfile("");
    test::WriteFileBytes(UserJs(), "user_pref(\"geo.enabled\", false);\n");
    StartToMainWindow();
    program_.SetChecked(kEditorOption, true);
    EXPECT_TRUE(WaitUntil([&] { return program_.IsEnabled(kBrowseButton); }));
    program_.SetText(kEditorPath, L"C:\\a\");user_pref(\"evil\", true);//");
    program_.Click(kApplyButton);
    EXPECT_EQ(Answer(IDOK),
              L"The editor path contains characters that are not allowed in a file name.");
    EXPECT_EQ(test::ReadFileBytes(UserJs()), "user_pref(\"geo.enabled\", false);\n");
    // The refused path is not kept: an emptied box and then a good path are taken.
    program_.SetText(kEditorPath, L"");
    program_.Click(kApplyButton);
    EXPECT_EQ(Answer(IDOK), L"Restart of Firefox is required for changes to take effect.");
    program_.SetText(kEditorPath, L"C:\\ed.exe");
    program_.Click(kApplyButton);
    EXPECT_EQ(Answer(IDOK), L"Restart of Firefox is required for changes to take effect.");
    EXPECT_NE(test::ReadFileBytes(UserJs()).find("path\", \"C:\\\\ed.exe\");"), std::string::npos);
    CloseAndExpectExit();
}

TEST_F(QuorvaneE2E, ApplyKeepsTheUsersOwnStatementsAndNamesTheCopy) {
    SuppressNotice();
    MakeProfile("");
    test::WriteFileBytes(UserJs(), "user_pref(\"my.own\", 1);\n");
    StartToMainWindow();
    program_.Click(kApplyButton);
    const std::wstring text = Answer(IDOK);
    const std::wstring start =
        L"Restart of Firefox is required for changes to take effect. Your "
        L"own preferences from user.js were saved in ";
    ASSERT_EQ(text.substr(0, start.size()), start);
    EXPECT_EQ(
        test::ReadFileBytes(fs::path(text.substr(start.size(), text.size() - start.size() - 1))),
        "user_pref(\"my.own\", 1);\n");
    CloseAndExpectExit();
}

class RestoreE2E : public QuorvaneE2E {
protected:
    const std::string prefs_ =
        "// Mozilla User Preferences\n"
        "user_pref(\"app.update.lastUpdateTime.x\", 1700000000);\n"
        "user_pref(\"geo.enabled\", false);\n"
        "user_pref(\"view_source.editor.external\", true);\n"
        "user_pref(\"view_source.editor.path\", \"C:\\\\Tools\\\\ed.exe\");\n";
    const std::string userJs_ = "user_pref(\"media.peerconnection.enabled\", false);\n";

    void SetUp() override {
        QuorvaneE2E::SetUp();
        SuppressNotice();
        MakeProfile(prefs_);
        test::WriteFileBytes(UserJs(), userJs_);
        StartToMainWindow();
        EXPECT_TRUE(program_.IsChecked(kGeolocationOption));
        EXPECT_TRUE(program_.IsChecked(kWebRtcOption));
        EXPECT_EQ(program_.Text(kEditorPath), L"C:\\Tools\\ed.exe");
        program_.ClickToolbarButton(kRestoreSectionButton);
        ASSERT_TRUE(WaitUntil([&] { return program_.IsVisible(kRestoreButton); }));
    }
    void ExpectFilesUntouched() const {
        EXPECT_EQ(test::ReadFileBytes(PrefsJs()), prefs_);
        EXPECT_EQ(test::ReadFileBytes(UserJs()), userJs_);
    }
};

TEST_F(RestoreE2E, CancelledConfirmationChangesNothing) {
    program_.Click(kRestoreButton);
    EXPECT_EQ(Answer(IDCANCEL), L"Firefox have to be closed before restoring preferences.");
    EXPECT_TRUE(program_.NoDialogFor(kCaption, seconds(2)));
    ExpectFilesUntouched();
    CloseAndExpectExit();
}

TEST_F(RestoreE2E, ConfirmedRestoreRemovesThePreferences) {
    program_.Click(kRestoreButton);
    Answer(IDOK);
    EXPECT_EQ(Answer(IDOK), L"Firefox preferences have been successfully restored.");
    EXPECT_EQ(test::ReadFileBytes(PrefsJs()),
              "// Mozilla User Preferences\n"
              "user_pref(\"app.update.lastUpdateTime.x\", 1700000000);\n"
              "user_pref(\"view_source.editor.external\", true);\n"
              "user_pref(\"view_source.editor.path\", \"C:\\\\Tools\\\\ed.exe\");\n");
    EXPECT_FALSE(fs::exists(UserJs()));
    for (int id : kOptionIds) {  // Firefox's defaults: only its pings are off by default
        EXPECT_EQ(program_.IsChecked(id), id == kTrackingOption) << id;
    }
    EXPECT_EQ(program_.Text(kEditorPath), L"");
    CloseAndExpectExit();
}

TEST_F(RestoreE2E, RunningFirefoxBlocksRestore) {
    // Firefox keeps parent.lock open without sharing while it runs.
    const HANDLE lock = CreateFileW(test::ToProgramPath(Profile() / "parent.lock").c_str(),
                                    GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    program_.Click(kRestoreButton);
    Answer(IDOK);
    EXPECT_EQ(Answer(IDOK), L"Firefox is still running. Close it and try Restore again.");
    ExpectFilesUntouched();
    EXPECT_TRUE(program_.IsChecked(kGeolocationOption));
    CloseHandle(lock);
    CloseAndExpectExit();
}

// ---- Sections and previews ---------------------------------------------------------------------

TEST_F(QuorvaneE2E, SectionsSwitchApplyAndInfoButtonsOpenPreviews) {
    SuppressNotice();
    MakeProfile("");
    StartToMainWindow();
    EXPECT_TRUE(program_.IsVisible(kCloseTabOption));
    EXPECT_FALSE(program_.IsVisible(kWebRtcOption));
    EXPECT_FALSE(program_.IsVisible(kRestoreButton));
    EXPECT_TRUE(program_.IsEnabled(kApplyButton));

    program_.ClickToolbarButton(kRestoreSectionButton);
    EXPECT_TRUE(WaitUntil([&] { return !program_.IsEnabled(kApplyButton); }));
    EXPECT_TRUE(program_.IsVisible(kRestoreButton));
    EXPECT_FALSE(program_.IsVisible(kCloseTabOption));
    program_.ClickToolbarButton(kPrivacyButton);
    EXPECT_TRUE(WaitUntil([&] { return program_.IsEnabled(kApplyButton); }));
    EXPECT_TRUE(program_.IsVisible(kWebRtcOption));

    struct Preview {
        int section;
        int button;
        const wchar_t* title;
    };
    const Preview previews[] = {
        {kMiscellaneousButton, kInfo03, L"Info - Open new tab for search box result"},
        {kMiscellaneousButton, kInfo04, L"Info - Disable about:config warning"},
        {kPrivacyButton, kInfo10, L"Info - Disable WebRTC"},
        {kPrivacyButton, kInfo13, L"Info - Disable geolocation"},
        {kPrivacyButton, kInfo14, L"Info - Prevent website tracking clicks"},
    };
    for (const Preview& preview : previews) {
        program_.ClickToolbarButton(preview.section);
        ASSERT_TRUE(WaitUntil([&] { return program_.IsVisible(preview.button); }));
        program_.Click(preview.button);
        const HWND dialog = program_.WaitForDialog(preview.title);
        ASSERT_NE(dialog, nullptr) << Utf16ToUtf8(preview.title);
        ProgramDriver::Press(dialog, IDOK);
        ASSERT_TRUE(program_.WaitUntilClosed(dialog));
    }
    const long before = ServiceInspection(QUORVANE_TEST_SERVICE_PORT).Count("reports");
    CloseAndExpectExit();
    const ServiceInspection after(QUORVANE_TEST_SERVICE_PORT);
    EXPECT_EQ(after.Count("reports"), before + 1);
    EXPECT_NE(after.Latest("reports").find("\"usage\":6}"), std::string::npos) << after.Body();
}

// ---- The update check --------------------------------------------------------------------------

// The test prefix's stand-in browser (scripts/record-url.sh) appends the pages the program
// opens to opened-pages.txt in the prefix; Z: is the root of the machine's file system.
class OpenedPages {
public:
    OpenedPages() {
        std::wstring prefix;
        platform::GetEnvironment(L"WINEPREFIX", prefix);
        path_ = L"Z:" + prefix + L"/opened-pages.txt";
        DeleteFileW(path_.c_str());
    }

    std::string Read() const { return test::ReadFileBytes(fs::path(path_)); }

private:
    std::wstring path_;
};

TEST_F(QuorvaneE2E, YesToTheStartUpOfferEndsTheProgramBeforeItsWindowShows) {
    SuppressNotice();
    MakeProfile("");
    PublishRelease(QUORVANE_TEST_RELEASE_FILE, "1.0.2");
    const OpenedPages pages;
    ASSERT_TRUE(program_.Start());
    const HWND offer = program_.WaitForDialog(kCaption);
    ASSERT_NE(offer, nullptr);
    EXPECT_EQ(ProgramDriver::MessageText(offer),
              L"New version available. Would you like to download it.");
    EXPECT_EQ(program_.WaitForMainWindow(std::chrono::milliseconds(0)), nullptr);
    ProgramDriver::Press(offer, IDYES);
    EXPECT_EQ(program_.WaitForExit(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !pages.Read().empty(); }, seconds(10)));
    EXPECT_EQ(pages.Read(), "https://quorvane.example/download#quorvane\n");
}

TEST_F(QuorvaneE2E, CheckForUpdateShowsTheLatestAndTheNewerVersion) {
    SuppressNotice();
    MakeProfile("");
    StartToMainWindow();
    program_.ChooseMenuItem(kSettingsIcon, kCheckForUpdateItem);
    EXPECT_EQ(Answer(IDOK), L"You are using the latest version of Quorvane");

    PublishRelease(QUORVANE_TEST_RELEASE_FILE, "1.0.2");
    program_.ChooseMenuItem(kSettingsIcon, kCheckForUpdateItem);
    EXPECT_EQ(Answer(IDNO), L"New version available. Would you like to download it.");
    EXPECT_TRUE(program_.Running());
    CloseAndExpectExit();
}

using ServiceStopped = QuorvaneE2E;

TEST_F(ServiceStopped, CheckForUpdateSaysTheServiceIsUnavailable) {
    SuppressNotice();
    MakeProfile("");
    StartToMainWindow();
    program_.ChooseMenuItem(kSettingsIcon, kCheckForUpdateItem);
    EXPECT_EQ(Answer(IDOK), L"Service is currently unavailable.");
    EXPECT_TRUE(program_.Running());
    CloseAndExpectExit();
}

// ---- 144 DPI (run in a prefix whose LogPixels is 144) ------------------------------------------

using HighDpi = QuorvaneE2E;

TEST_F(HighDpi, WindowAndControlsAreScaledByOneAndAHalf) {
    SuppressNotice();
    MakeProfile("");
    StartToMainWindow();
    RECT window{};
    GetWindowRect(program_.MainWindow(), &window);
    EXPECT_EQ(window.right - window.left, 1374);
    EXPECT_EQ(window.bottom - window.top, 960);
    const RECT battery = program_.ControlRect(kBatteryOption);
    EXPECT_EQ(battery.left, 24);
    EXPECT_EQ(battery.top, 255);
    EXPECT_EQ(battery.right - battery.left, 540);
    EXPECT_EQ(battery.bottom - battery.top, 38);
    CloseAndExpectExit();
}

}  // namespace
