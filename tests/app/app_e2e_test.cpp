// Quorvane.exe end to end: started with prepared per-user folders, driven through its windows as
// a user would, checked through the files on disk and the update service's database. Built
// against the update service on the loopback address (NetService fixture).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

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
    kPrivacyButton = 201,
    kRestoreSectionButton = 202,
    kCloseTabOption = 204,
    kInfo03 = 208,
    kEditorOption = 211,
    kEditorPath = 212,
    kBrowseButton = 213,
    kWebRtcOption = 214,
    kInfo10 = 215,
    kBatteryOption = 217,
    kGeolocationOption = 218,
    kRestoreLabel = 222,
    kRestoreWarning = 223,
    kRestoreButton = 224,
    kSettingsIcon = 225,
    kDonateIcon = 226,
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

    // Option 03's preview comes from infos\ of the working folder, else from infos\ beside the
    // program, else it is bitmap 4001 at the dialog's normal size; a file that is no picture
    // counts as missing. The program runs from a folder of its own, started in another one.
    void CheckPreviewSources() {
        SuppressNotice();
        MakeProfile("");
        const fs::path original(Utf8ToUtf16(QUORVANE_TEST_PROGRAM));
        const fs::path program = folder_.Path() / "program/Quorvane.exe";
        const fs::path working = folder_.Path() / "work/infos/03.png";
        const fs::path beside = program.parent_path() / "infos/03.png";
        const std::string picture = test::ReadFileBytes(original.parent_path() / "infos/03.png");
        const std::string empty, corrupt = picture.substr(0, 200);
        fs::create_directories(working.parent_path());
        fs::create_directories(beside.parent_path());
        fs::copy_file(original, program);
        ProgramDriver driver(test::ToProgramPath(program));
        ASSERT_TRUE(driver.Start(test::ToProgramPath(working.parent_path().parent_path())));
        ASSERT_NE(driver.WaitForMainWindow(), nullptr);
        // The file in the working folder and beside the program (null: none), the picture shown.
        const std::tuple<const std::string*, const std::string*, bool> rows[] = {
            {nullptr, nullptr, false},  // first, for the normal size
            {&picture, nullptr, true},  {nullptr, &picture, true}, {&empty, nullptr, false},
            {&corrupt, nullptr, false}, {&corrupt, &picture, true}};
        std::pair<long, long> normal;
        for (const auto& row : rows) {
            const auto& [inWorkingFolder, besideProgram, pictureShown] = row;
            for (const auto& [file, bytes] :
                 {std::pair{working, inWorkingFolder}, std::pair{beside, besideProgram}}) {
                bytes != nullptr ? test::WriteFileBytes(file, *bytes) : void(fs::remove(file));
            }
            driver.Click(kInfo03);
            const HWND preview = driver.WaitForDialog(L"Info - Open new tab for search box result");
            ASSERT_NE(preview, nullptr);
            // A paint asked for and waited on: the first one sizes the dialog.
            SendMessageTimeoutW(preview, WM_PAINT, 0, 0, SMTO_BLOCK, 5000, nullptr);
            RECT client{};
            GetClientRect(preview, &client);
            normal = normal.first == 0 ? std::pair(client.right, client.bottom) : normal;
            EXPECT_EQ(std::pair(client.right, client.bottom),
                      pictureShown ? std::pair(640L, 400L) : normal)
                << "row " << &row - rows;
            ProgramDriver::Press(preview, IDOK);
            ASSERT_TRUE(driver.WaitUntilClosed(preview));
        }
        driver.CloseMainWindow();
        EXPECT_EQ(driver.WaitForExit(), 0);
    }

    test::UserFolders folder_;
    ProgramDriver program_{Utf8ToUtf16(QUORVANE_TEST_PROGRAM)};
};

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

    ProgramDriver second(Utf8ToUtf16(QUORVANE_TEST_PROGRAM));
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
    for (int id : kOptionIds) {
        EXPECT_FALSE(program_.IsChecked(id)) << id;
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

TEST_F(QuorvaneE2E, PreviewsComeFromTheWorkingFolderOrBesideTheProgram) {
    CheckPreviewSources();
}

// ---- The keyboard ------------------------------------------------------------------------------

// A chord of keys, then the control that must have the focus, or the caption of the window it
// must open ("": the Settings menu), which Esc in the next row closes again.
struct KeyStep {
    const char* keys;
    int focus;
    const wchar_t* opens = nullptr;
};

TEST_F(QuorvaneE2E, TheKeyboardReachesEveryControlSectionAndTheSettingsMenu) {
    SuppressNotice();
    MakeProfile("");
    StartToMainWindow();
    // From the first option, which has the focus from the start, backwards past the disabled
    // "..." button; Apply is disabled in the Restore section only.
    // clang-format off
    const KeyStep steps[] = {
        {"", kCloseTabOption},        {"Shift+Tab", kApplyButton}, {"Shift+Tab", kDonateIcon},
        {"Shift+Tab", kSettingsIcon}, {"Shift+Tab", kEditorPath},  {"Tab", kSettingsIcon},
        {"Enter", 0, L""},            {"Esc", kSettingsIcon},      {"Tab", kDonateIcon},
        {"Tab", kApplyButton},        {"Tab", kCloseTabOption},    {"Space", kCloseTabOption},
        {"Ctrl+2", kWebRtcOption},    {"Tab", kInfo10},
        {"Enter", 0, L"Info - Disable WebRTC"},                    {"Esc", kInfo10},
        {"Ctrl+Tab", kRestoreButton}, {"Tab", kSettingsIcon},      {"Ctrl+Tab", kCloseTabOption},
        {"Ctrl+Shift+Tab", kRestoreButton},  {"Enter", 0, L"Quorvane"},  {"Esc", kRestoreButton},
        {"Ctrl+1", kCloseTabOption},  {"Shift+Tab", kApplyButton}, {"Ctrl+4", 0, L"About"},
        {"Esc", kApplyButton}};
    // clang-format on
    for (const KeyStep& step : steps) {
        ProgramDriver::PressKeys(step.keys);
        const bool reached =
            step.opens == nullptr
                ? WaitUntil([&] { return program_.FocusedControl() == step.focus; })
                : program_.WaitForDialog(step.opens, seconds(5),
                                         *step.opens != 0 ? ProgramDriver::kDialogClass
                                                          : ProgramDriver::kMenuClass) != nullptr;
        ASSERT_TRUE(reached) << "row " << &step - steps << ": focus on "
                             << program_.FocusedControl();
    }
    EXPECT_TRUE(program_.IsChecked(kCloseTabOption)) << "Space ticks the focused box";
    const wchar_t* const sections[] = {L"Miscellaneous", L"Privacy", L"Restore", L"About"};
    for (int button = 0; button < 4; ++button) {
        EXPECT_TRUE(program_.ShowsTooltip(button, sections[button])) << button;
    }
    EXPECT_EQ(program_.Text(kSettingsIcon), L"Settings");  // what screen readers announce
    EXPECT_EQ(program_.Text(kDonateIcon), L"Donate");
    const long before = ServiceInspection(QUORVANE_TEST_SERVICE_PORT).Count("reports");
    CloseAndExpectExit();
    const ServiceInspection after(QUORVANE_TEST_SERVICE_PORT);  // a section and a preview seen
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

    // The Settings menu opens below its icon; the bold warning is about as tall as the regular
    // text above it (unscaled it was 12 pixels against 18).
    PostMessageW(program_.Control(kSettingsIcon), WM_LBUTTONUP, 0, 0);
    RECT menuRect{}, icon{};
    GetWindowRect(program_.WaitForDialog(L"", seconds(5), ProgramDriver::kMenuClass), &menuRect);
    GetWindowRect(program_.Control(kSettingsIcon), &icon);
    EXPECT_GE(menuRect.top, icon.bottom);
    ProgramDriver::PressKeys("Esc");
    program_.ClickToolbarButton(kRestoreSectionButton);
    ASSERT_TRUE(WaitUntil([&] { return program_.IsVisible(kRestoreWarning); }));
    EXPECT_GE(program_.FirstTextLineHeight(kRestoreWarning),
              program_.FirstTextLineHeight(kRestoreLabel) - 2);
    CloseAndExpectExit();
}

TEST_F(HighDpi, PreviewsComeFromTheWorkingFolderOrBesideTheProgram) {
    CheckPreviewSources();
}

}  // namespace
