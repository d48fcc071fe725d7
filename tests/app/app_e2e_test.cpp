// Quorvane.exe end to end, as a user meets it: each scenario prepares the per-user folders, then
// runs a table of steps (start, answer a message box, click, tick, check a file, a setting, the
// update service's database or the pages opened). Built against the update service on the
// loopback address (NetService fixture); the ServiceStopped and HighDpi scenarios run in runs of
// their own (after the service has stopped; in a prefix set to 144 DPI).
#include <windows.h>

#include <objidl.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "settings/platform.h"
#include "settings/product.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "tests/app/program_driver.h"
#include "tests/net/live_service.h"
#include "tests/test_support.h"
#include "ui/messages.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// Command ids of the main window's controls, in creation order.
enum Control : int {
    kMiscellaneous = 200,
    kPrivacy = 201,
    kRestoreSection = 202,
    kAbout = 203,
    kCloseTab = 204,
    kContextMenu = 205,
    kInfo03 = 208,
    kEditorSwitch = 211,
    kEditorPath = 212,
    kBrowse = 213,
    kWebRtc = 214,
    kInfo10 = 215,
    kBattery = 217,
    kGeolocation = 218,
    kInfo13 = 219,
    kInfo14 = 221,
    kRestoreLabel = 222,
    kRestoreWarning = 223,
    kRestore = 224,
    kSettingsIcon = 225,
    kDonate = 226,
    kApply = 227,
};
constexpr int kOptions[] = {204, 205, 206, 207, 209, 211, 214, 216, 217, 218, 220};
constexpr int kSettingsItem = 1;
constexpr int kCheckForUpdateItem = 2;
constexpr int kNoticeDoNotShowAgain = 3006;
constexpr int kNoticeOk = 3007;
constexpr int kSettingsUpdates = 2001;
constexpr int kSettingsNotice = 2002;
constexpr int kSettingsOk = 2005;

enum class Op {
    Start,           // start the program
    MainWindow,      // its main window appears
    NoMainWindow,    // and has not appeared
    Box,             // a message box says text (up to a final '*'); press button value
    Dialog,          // a dialog captioned text appears; it becomes the current dialog
    NoDialog,        // no dialog captioned text appears for three seconds
    Tick,            // set check box id of the current dialog to value
    Ticked,          // check box id of the current dialog is value
    Press,           // press button id of the current dialog; it closes
    SaveAs,          // type the file name text into the current (save) dialog and save
    Picture,         // the current dialog shows infos\<text>.png, pixel for pixel
    Click,           // click control id of the main window
    Section,         // click toolbar button id
    Menu,            // choose item id of the Settings icon's menu
    SetCheck,        // tick (value 1) or untick check box id
    Type,            // set the text of control id to text
    Checked,         // check box id is value
    Enabled,         // control id is (value 1) or is not enabled
    Visible,         // control id is (value 1) or is not visible
    Text,            // control id shows text
    Boxes,           // the eleven option boxes, in id order, show text ("0" or "1" each)
    Release,         // the service now answers that version text is the latest
    File,            // file value (ProfileFile) holds exactly text; "-": it does not exist
    Setting,         // the integer setting named text holds value
    VersionSetting,  // the text setting named text holds this version
    Close,           // close the main window; the program ends with 0
    Exit,            // the program ends by itself with 0
    Report,          // one more usage report reached the service, with usage value
    NoReport,        // no report since the start
    Page,            // the stand-in browser was asked to open text
    Size,            // the main window's outer size is text, "width height"
    Placed,          // control id is at text, "left top width height", in the client area
    Silent,          // a stand-in on the stopped service's port accepts and never answers
    Within,          // the last action (start, menu, close) took less than value seconds
    Key,             // press the chord text ("Ctrl+Shift+Tab"); control id (if any) has the focus
    PopupMenu,       // a popup menu is open, below control id if one is given
    Tooltip,         // resting on toolbar button id shows the tooltip text
    TallAs,          // the first text line of control id is as tall as that of control value
    Photograph,      // for the documentation only: the main window and the current dialog
                     // are view text (see scripts/screenshots.sh)
    PutPicture,      // infos\03.png in the working folder ("work") or beside the program holds
                     // picture value (Picture)
};

// What Op::PutPicture writes: nothing, the real picture, an empty file, a cut-short one.
enum Picture : int { kNone = 0, kGood = 1, kEmpty = 2, kCutShort = 3 };

struct Step {
    Op op;
    int id = 0;             // a control, dialog item or button
    std::string text = {};  // UTF-8
    int value = 0;
};

Step S(Op op) {
    return {op};
}
Step S(Op op, int id, int value = 0) {
    return {op, id, "", value};
}
Step S(Op op, std::string text, int value = 0) {
    return {op, 0, std::move(text), value};
}
Step S(Op op, int id, const char* text) {
    return {op, id, text};
}

std::vector<Step> operator+(std::vector<Step> first, const std::vector<Step>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The per-user state a scenario starts from.
struct StartingState {
    const char* prefs = "";                       // prefs.js; nullptr: no Firefox at all
    const char* userJs = nullptr;                 // user.js; nullptr: none
    const char* noticeVersion = kProductVersion;  // the version the notice was last shown for
    int noticeSuppressed = 1;
    int updateCheck = 1;     // UpdateCheckEnabled
    bool ownFolder = false;  // a copy of the program in a folder of its own, started in "work"
    bool storeApp = false;   // Firefox from the Microsoft Store: its data in its package folder
};

// The files Op::File looks at: two in the profile, one chosen in the save dialog.
enum ProfileFile : int { kUserJs = 0, kPrefsJs = 1, kChosenFile = 2 };

struct Scenario {
    const char* name;
    StartingState state;
    std::vector<Step> steps;
};

const std::string kVersion = kProductVersion;
const char kFirefoxMissing[] =
    "Firefox is not installed or not found. Even without, installed Firefox can be Quorvane used "
    "to save selected preferences.";
const char kRestart[] = "Restart of Firefox is required for changes to take effect.";
const char kNewVersion[] = "New version available. Would you like to download it.";
const char kDownloadPage[] = "https://quorvane.example/download#quorvane";
const char kRestorePrefs[] =
    "// Mozilla User Preferences\n"
    "user_pref(\"app.update.lastUpdateTime.x\", 1700000000);\n"
    "user_pref(\"geo.enabled\", false);\n"
    "user_pref(\"view_source.editor.external\", true);\n"
    "user_pref(\"view_source.editor.path\", \"C:\\\\Tools\\\\ed.exe\");\n";
const char kWebRtcUserJs[] = "user_pref(\"media.peerconnection.enabled\", false);\n";
const char kTemplateUserJs[] =
    "/*** my hardening template ***/\r\n"
    "// user_pref(\"media.peerconnection.enabled\", false); // [DEFAULT: true]\r\n"
    "/* location\r\nuser_pref(\"geo.enabled\", true);\r\n*/\r\n"
    "user_pref('dom.event.contextmenu.enabled', false);\r\n"
    "user_pref(\"dom.battery.enabled\", /* why */ false);\r\n"
    "user_pref(\"my.own.pref\", 1);\r\n"
    "# overrides\r\n"
    "user_pref(\"dom.event.contextmenu.enabled\", true);\r\n"
    "user_pref(\"browser.send_pings\", true);\r\n";

// Opens Restore on the profile above and answers its warning.
std::vector<Step> RestoreSteps(int answer) {
    return {S(Op::Start),
            S(Op::MainWindow),
            S(Op::Checked, kGeolocation, 1),
            S(Op::Checked, kWebRtc, 1),
            S(Op::Text, kEditorPath, "C:\\Tools\\ed.exe"),
            S(Op::Section, kRestoreSection),
            S(Op::Visible, kRestore, 1),
            S(Op::Click, kRestore),
            S(Op::Box, "Firefox have to be closed before restoring preferences.", answer)};
}

// Sets the preview pictures in the working folder and beside the program, then opens the preview
// of option 03 and checks what it shows: picture 03 or the missing-preview bitmap 4001.
std::vector<Step> PreviewSourceSteps(int inWorkingFolder, int besideProgram, const char* shown) {
    return {S(Op::PutPicture, "work", inWorkingFolder),
            S(Op::PutPicture, "beside", besideProgram),
            S(Op::Click, kInfo03),
            S(Op::Dialog, "Info - Open new tab for search box result"),
            S(Op::Picture, shown),
            S(Op::Press, IDOK)};
}

const std::vector<Step> kPreviewSources =
    std::vector<Step>{S(Op::Start), S(Op::MainWindow)} + PreviewSourceSteps(kNone, kNone, "4001") +
    PreviewSourceSteps(kGood, kNone, "03") + PreviewSourceSteps(kNone, kGood, "03") +
    PreviewSourceSteps(kEmpty, kNone, "4001") + PreviewSourceSteps(kCutShort, kNone, "4001") +
    PreviewSourceSteps(kCutShort, kGood, "03") + std::vector<Step>{S(Op::Close)};

// Opens the preview of an Info button and checks its caption and picture.
std::vector<Step> PreviewSteps(int button, const char* caption, const char* picture) {
    return {S(Op::Click, button), S(Op::Dialog, caption), S(Op::Picture, picture),
            S(Op::Press, IDOK)};
}

const std::vector<Scenario> kScenarios = {
    {"FirstStartShowsTheNoticeAndReportsIt",
     {.noticeVersion = "", .noticeSuppressed = 0},
     {S(Op::Start), S(Op::Dialog, "License model"), S(Op::VersionSetting, "NoticeVersion"),
      S(Op::Setting, "NoticeSuppressed", 0), S(Op::Press, kNoticeOk), S(Op::MainWindow),
      S(Op::Close), S(Op::Report, "", 1), S(Op::Setting, "ReportedUsage", 1)}},
    {"DoNotShowAgainKeepsTheNoticeAway",
     {.noticeVersion = "", .noticeSuppressed = 0},
     {S(Op::Start), S(Op::Dialog, "License model"), S(Op::Tick, kNoticeDoNotShowAgain, 1),
      S(Op::Press, kNoticeOk), S(Op::MainWindow), S(Op::Close),
      S(Op::Setting, "NoticeSuppressed", 1), S(Op::Start), S(Op::MainWindow),
      S(Op::NoDialog, "License model"), S(Op::Close)}},
    {"ANewVersionBringsTheNoticeBack",
     {.noticeVersion = "1.0.0", .noticeSuppressed = 1},
     {S(Op::Start), S(Op::Dialog, "License model"), S(Op::VersionSetting, "NoticeVersion"),
      S(Op::Setting, "NoticeSuppressed", 0), S(Op::Press, kNoticeOk), S(Op::MainWindow),
      S(Op::Close), S(Op::Report, "", 1)}},
    {"SettingsDialogWritesAndShowsItsTwoBoxes",
     {},
     {S(Op::Start), S(Op::MainWindow), S(Op::Menu, kSettingsItem), S(Op::Dialog, "Settings"),
      S(Op::Ticked, kSettingsUpdates, 1), S(Op::Ticked, kSettingsNotice, 0),
      S(Op::Tick, kSettingsUpdates, 0), S(Op::Tick, kSettingsNotice, 1), S(Op::Press, kSettingsOk),
      S(Op::Setting, "UpdateCheckEnabled", 0), S(Op::Setting, "NoticeSuppressed", 0),
      S(Op::Menu, kSettingsItem), S(Op::Dialog, "Settings"), S(Op::Ticked, kSettingsUpdates, 0),
      S(Op::Ticked, kSettingsNotice, 1), S(Op::Press, IDCANCEL), S(Op::Close)}},
    {"WithoutFirefoxApplySavesTheChosenFile",
     {.prefs = nullptr},
     {S(Op::Start), S(Op::Box, kFirefoxMissing, IDOK), S(Op::MainWindow),
      S(Op::Enabled, kRestore, 0),
      S(Op::Text, kRestoreLabel, "This options is available only when Firefox is installed."),
      S(Op::SetCheck, kGeolocation, 1), S(Op::Click, kApply), S(Op::Dialog, ""),
      S(Op::Press, IDCANCEL), S(Op::NoDialog, ""), S(Op::File, "-", kChosenFile),
      S(Op::Click, kApply), S(Op::Dialog, ""), S(Op::SaveAs, "chosen.js"),
      S(Op::File,
        "user_pref(\"view_source.editor.path\", \"\");\nuser_pref(\"geo.enabled\", false);\n",
        kChosenFile),
      S(Op::Close)}},
    {"ApplyWritesTheTickedOptions",
     {.prefs = "// Mozilla User Preferences\n"},
     {S(Op::Start), S(Op::MainWindow), S(Op::SetCheck, kGeolocation, 1), S(Op::Section, kPrivacy),
      S(Op::SetCheck, kWebRtc, 1), S(Op::Click, kApply), S(Op::Box, kRestart, IDOK),
      S(Op::File,
        "user_pref(\"view_source.editor.path\", \"\");\n"
        "user_pref(\"media.peerconnection.enabled\", false);\n"
        "user_pref(\"geo.enabled\", false);\n"),
      S(Op::Close), S(Op::Report, "", 10)}},
    {"AnEditorPathWithAQuoteIsRefused",
     {.userJs = "user_pref(\"geo.enabled\", false);\n"},
     {S(Op::Start), S(Op::MainWindow), S(Op::SetCheck, kEditorSwitch, 1),
      S(Op::Enabled, kBrowse, 1), S(Op::Type, kEditorPath, "C:\\a\");user_pref(\"evil\", true);//"),
      S(Op::Click, kApply),
      S(Op::Box, "The editor path contains characters that are not allowed in a file name.", IDOK),
      S(Op::File, "user_pref(\"geo.enabled\", false);\n"), S(Op::Type, kEditorPath, ""),
      S(Op::Click, kApply), S(Op::Box, kRestart, IDOK), S(Op::Type, kEditorPath, "C:\\ed.exe"),
      S(Op::Click, kApply), S(Op::Box, kRestart, IDOK),
      S(Op::File,
        "user_pref(\"view_source.editor.external\", true);\n"
        "user_pref(\"view_source.editor.path\", \"C:\\\\ed.exe\");\n"
        "user_pref(\"geo.enabled\", false);\n"),
      S(Op::Close)}},
    {"ApplyKeepsTheUsersOwnStatementsAndNamesTheCopy",
     {.userJs = "user_pref('my.own', 1);\n"},
     {S(Op::Start), S(Op::MainWindow), S(Op::Click, kApply),
      S(Op::Box, std::string(kRestart) + " Your own preferences from user.js were saved in *",
        IDOK),
      S(Op::Close)}},
    {"CancelledRestoreChangesNothing",
     {.prefs = kRestorePrefs, .userJs = kWebRtcUserJs},
     RestoreSteps(IDCANCEL) + std::vector<Step>{S(Op::NoDialog, kProductName),
                                                S(Op::File, kRestorePrefs, kPrefsJs),
                                                S(Op::File, kWebRtcUserJs), S(Op::Close)}},
    {"RestoreRemovesTheManagedPreferences",
     {.prefs = kRestorePrefs, .userJs = kWebRtcUserJs},
     RestoreSteps(IDOK) +
         std::vector<Step>{S(Op::Box, "Firefox preferences have been successfully restored.", IDOK),
                           S(Op::File,
                             "// Mozilla User Preferences\n"
                             "user_pref(\"app.update.lastUpdateTime.x\", 1700000000);\n"
                             "user_pref(\"view_source.editor.external\", true);\n"
                             "user_pref(\"view_source.editor.path\", \"C:\\\\Tools\\\\ed.exe\");\n",
                             kPrefsJs),
                           S(Op::File, "-"), S(Op::Boxes, "00000000001"),
                           S(Op::Text, kEditorPath, ""), S(Op::Close)}},
    // A template user.js: each box shows what Firefox uses, and an Apply with nothing changed
    // writes those same values (the differential test runs Firefox on both).
    {"ATemplateUserJsShowsWhatFirefoxUsesAndApplyKeepsIt",
     {.prefs = "user_pref(\"geo.enabled\", false);\n", .userJs = kTemplateUserJs},
     {S(Op::Start), S(Op::MainWindow),
      S(Op::Checked, kWebRtc, 0),       // commented out: Firefox's default
      S(Op::Checked, kContextMenu, 0),  // the later override wins
      S(Op::Checked, kGeolocation, 1),  // in a block comment: prefs.js holds
      S(Op::Boxes, "00000000110"), S(Op::Click, kApply),
      S(Op::Box, std::string(kRestart) + " Your own preferences from user.js were saved in *",
        IDOK),
      S(Op::File,
        "user_pref(\"dom.event.contextmenu.enabled\", true);\n"
        "user_pref(\"view_source.editor.path\", \"\");\n"
        "user_pref(\"dom.battery.enabled\", false);\n"
        "user_pref(\"geo.enabled\", false);\n"
        "user_pref(\"browser.send_pings\", true);\n"),
      S(Op::Close), S(Op::Start), S(Op::MainWindow), S(Op::Boxes, "00000000110"), S(Op::Close)}},
    {"FirefoxFromTheStoreIsFound",
     {.prefs = "user_pref(\"geo.enabled\", false);\n", .storeApp = true},
     {S(Op::Start), S(Op::MainWindow), S(Op::Boxes, "00000000011"), S(Op::Enabled, kRestore, 1),
      S(Op::Click, kApply), S(Op::Box, kRestart, IDOK),
      S(Op::File,
        "user_pref(\"view_source.editor.path\", \"\");\n"
        "user_pref(\"geo.enabled\", false);\n"),
      S(Op::Close)}},
    {"SectionsSwitchApplyAndPreviewsShowTheirPictures",
     {},
     std::vector<Step>{S(Op::Start), S(Op::MainWindow), S(Op::Visible, kCloseTab, 1),
                       S(Op::Visible, kWebRtc, 0), S(Op::Section, kRestoreSection),
                       S(Op::Enabled, kApply, 0), S(Op::Visible, kCloseTab, 0),
                       S(Op::Section, kPrivacy), S(Op::Enabled, kApply, 1),
                       S(Op::Visible, kWebRtc, 1)} +
         PreviewSteps(kInfo10, "Info - Disable WebRTC", "10") +
         PreviewSteps(kInfo13, "Info - Disable geolocation", "13") +
         PreviewSteps(kInfo14, "Info - Prevent website tracking clicks", "14") +
         std::vector<Step>{S(Op::Section, kMiscellaneous)} +
         PreviewSteps(kInfo03, "Info - Open new tab for search box result", "03") +
         std::vector<Step>{S(Op::Click, kDonate), S(Op::Page, "https://quorvane.example/donate"),
                           S(Op::Close), S(Op::Report, "", 6)}},
    {"TheKeyboardReachesEveryControlSectionAndTheSettingsMenu",
     {},
     // From the first option, which has the focus from the start, backwards past the disabled
     // "..." button; Apply is disabled in the Restore section only.
     {S(Op::Start),
      S(Op::MainWindow),
      S(Op::Key, kCloseTab, ""),
      S(Op::Key, kApply, "Shift+Tab"),
      S(Op::Key, kDonate, "Shift+Tab"),
      S(Op::Key, kSettingsIcon, "Shift+Tab"),
      S(Op::Key, kEditorPath, "Shift+Tab"),
      S(Op::Key, kSettingsIcon, "Tab"),
      S(Op::Key, 0, "Enter"),
      S(Op::PopupMenu),
      S(Op::Key, kSettingsIcon, "Esc"),
      S(Op::Key, kDonate, "Tab"),
      S(Op::Key, kApply, "Tab"),
      S(Op::Key, kCloseTab, "Tab"),
      S(Op::Key, kCloseTab, "Space"),
      S(Op::Checked, kCloseTab, 1),
      S(Op::Key, kWebRtc, "Ctrl+2"),
      S(Op::Key, kInfo10, "Tab"),
      S(Op::Key, 0, "Enter"),
      S(Op::Dialog, "Info - Disable WebRTC"),
      S(Op::Key, kInfo10, "Esc"),
      S(Op::Key, kRestore, "Ctrl+Tab"),
      S(Op::Key, kSettingsIcon, "Tab"),
      S(Op::Key, kCloseTab, "Ctrl+Tab"),
      S(Op::Key, kRestore, "Ctrl+Shift+Tab"),
      S(Op::Key, 0, "Enter"),
      S(Op::Dialog, kProductName),
      S(Op::Key, kRestore, "Esc"),
      S(Op::Key, kCloseTab, "Ctrl+1"),
      S(Op::Key, kApply, "Shift+Tab"),
      S(Op::Key, 0, "Ctrl+4"),
      S(Op::Dialog, "About"),
      S(Op::Key, kApply, "Esc"),
      S(Op::Tooltip, 0, "Miscellaneous"),
      S(Op::Tooltip, 1, "Privacy"),
      S(Op::Tooltip, 2, "Restore"),
      S(Op::Tooltip, 3, "About"),
      S(Op::Text, kSettingsIcon, "Settings"),
      S(Op::Text, kDonate, "Donate"),
      S(Op::Close)}},
    {"PreviewsComeFromTheWorkingFolderOrBesideTheProgram", {.ownFolder = true}, kPreviewSources},
    {"YesToTheStartUpOfferEndsTheProgramBeforeItsWindowShows",
     {},
     {S(Op::Release, "9999.0.0"), S(Op::Start), S(Op::Box, kNewVersion, IDYES), S(Op::NoMainWindow),
      S(Op::Exit), S(Op::Page, kDownloadPage), S(Op::NoReport)}},
    {"CheckForUpdateReportsTheLatestThenOffersTheNewer",
     {},
     {S(Op::Start), S(Op::MainWindow), S(Op::Menu, kCheckForUpdateItem),
      S(Op::Box, "You are using the latest version of Quorvane", IDOK), S(Op::Release, "9999.0.0"),
      S(Op::Menu, kCheckForUpdateItem), S(Op::Box, kNewVersion, IDNO), S(Op::Section, kPrivacy),
      S(Op::Menu, kCheckForUpdateItem), S(Op::Box, kNewVersion, IDYES), S(Op::Exit),
      S(Op::Page, kDownloadPage), S(Op::Report, "", 2)}},
};

// The documentation's screenshots: a profile with a few options set, no update check.
const std::vector<Scenario> kTourScenarios = {
    {"Tour",
     {.prefs = "user_pref(\"browser.search.openintab\", true);\n"
               "user_pref(\"geo.enabled\", false);\n"
               "user_pref(\"view_source.editor.external\", true);\n"
               "user_pref(\"view_source.editor.path\", "
               "\"C:\\\\Program Files\\\\Notepad++\\\\notepad++.exe\");\n",
      .noticeVersion = "",
      .noticeSuppressed = 0,
      .updateCheck = 0},
     {S(Op::Start),
      S(Op::Dialog, "License model"),
      S(Op::MainWindow),
      S(Op::Photograph, "license"),
      S(Op::Press, kNoticeOk),
      S(Op::Photograph, "section-options"),
      S(Op::Section, kPrivacy),
      S(Op::Visible, kGeolocation, 1),
      S(Op::Photograph, "section-privacy"),
      S(Op::Click, kInfo10),
      S(Op::Dialog, "Info - Disable WebRTC"),
      S(Op::Photograph, "preview"),
      S(Op::Press, IDOK),
      S(Op::Section, kRestoreSection),
      S(Op::Visible, kGeolocation, 0),
      S(Op::Photograph, "section-restore"),
      S(Op::Section, kAbout),
      S(Op::Dialog, "About"),
      S(Op::Photograph, "about"),
      S(Op::Press, IDOK),
      S(Op::Menu, kSettingsItem),
      S(Op::Dialog, "Settings"),
      S(Op::Photograph, "settings"),
      S(Op::Press, IDCANCEL),
      S(Op::Close)}},
};

// A request waits five seconds at most: with a silent service the window still comes, the update
// command answers and the program ends, each in about 5.5 s; 9 s leaves room for a busy machine
// and still fails a second wait.
const std::vector<Scenario> kServiceStoppedScenarios = {
    {"CheckForUpdateSaysTheServiceIsUnavailable",
     {},
     {S(Op::Start), S(Op::MainWindow), S(Op::Menu, kCheckForUpdateItem),
      S(Op::Box, "Service is currently unavailable.", IDOK), S(Op::Close)}},
    {"ASilentServiceHoldsTheProgramOnlyBriefly",
     {},
     {S(Op::Silent), S(Op::Start), S(Op::MainWindow), S(Op::Within, 0, 9), S(Op::Section, kPrivacy),
      S(Op::Menu, kCheckForUpdateItem), S(Op::Box, "Service is currently unavailable.", IDOK),
      S(Op::Within, 0, 9), S(Op::Close), S(Op::Within, 0, 9)}},
};

const std::vector<Scenario> kHighDpiScenarios = {
    {"WindowAndControlsAreScaledByOneAndAHalf",
     {},
     {S(Op::Start), S(Op::MainWindow), S(Op::Size, "1374 960"),
      S(Op::Placed, kBattery, "24 255 540 38"), S(Op::Click, kSettingsIcon),
      S(Op::PopupMenu, kSettingsIcon), S(Op::Key, 0, "Esc"), S(Op::Section, kRestoreSection),
      S(Op::Visible, kRestoreWarning, 1), S(Op::TallAs, kRestoreWarning, kRestoreLabel),
      S(Op::Close)}},
    {"PreviewsComeFromTheWorkingFolderOrBesideTheProgram", {.ownFolder = true}, kPreviewSources},
};

// The test prefix's stand-in browser (scripts/record-url.sh) appends the pages the program
// opens to opened-pages.txt in the prefix; Z: is the root of the machine's file system.
fs::path OpenedPagesFile() {
    std::wstring prefix;
    platform::GetEnvironment(L"WINEPREFIX", prefix);
    return fs::path(L"Z:" + prefix + L"/opened-pages.txt");
}

// How many pixels of a picture differ from what the window's client area shows at its top left
// (a channel may be off by 2 after the conversion to the screen's colours). A PNG file must be
// shown whole; the missing-preview bitmap of an executable fills the client area, which must be
// at least 300 x 200 pixels. -1 when the picture cannot be read or does not fit.
long PixelsDiffering(HWND window, const std::wstring& source) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const bool executable = source.ends_with(L".exe");
    const HMODULE module =
        executable ? LoadLibraryExW(source.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    const auto resource = static_cast<HBITMAP>(
        executable ? LoadImageW(module, MAKEINTRESOURCEW(4001), IMAGE_BITMAP, 0, 0, 0) : nullptr);
    long differing = -1;
    {
        std::unique_ptr<Gdiplus::Bitmap> picture(
            executable ? Gdiplus::Bitmap::FromHBITMAP(resource, nullptr)
                       : new Gdiplus::Bitmap(source.c_str()));
        RECT client{};
        GetClientRect(window, &client);
        int width = static_cast<int>(picture->GetWidth());
        int height = static_cast<int>(picture->GetHeight());
        bool fits = width > 0 && client.right >= width && client.bottom >= height;
        if (executable) {
            width = std::min<int>(width, client.right);
            height = std::min<int>(height, client.bottom);
            fits = width >= 300 && height >= 200;
        }
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        const HDC screen = GetDC(nullptr);
        const HDC copy = CreateCompatibleDC(screen);
        const HBITMAP shot = CreateCompatibleBitmap(screen, width, height);
        const HGDIOBJ previous = SelectObject(copy, shot);
        BitBlt(copy, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        differing = fits ? 0 : -1;
        for (int y = 0; fits && y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Gdiplus::Color expected;
                picture->GetPixel(x, y, &expected);
                const COLORREF shown = GetPixel(copy, x, y);
                const bool alike = std::abs(GetRValue(shown) - expected.GetR()) <= 2 &&
                                   std::abs(GetGValue(shown) - expected.GetG()) <= 2 &&
                                   std::abs(GetBValue(shown) - expected.GetB()) <= 2;
                differing += alike ? 0 : 1;
            }
        }
        SelectObject(copy, previous);
        DeleteObject(shot);
        DeleteDC(copy);
        ReleaseDC(nullptr, screen);
    }
    DeleteObject(resource);
    FreeLibrary(module);
    Gdiplus::GdiplusShutdown(token);
    return differing;
}

// Types the path into a file dialog's name box and presses its OK button.
bool SaveAs(HWND fileDialog, const std::wstring& path) {
    HWND edit = nullptr;
    EnumChildWindows(
        fileDialog,
        [](HWND child, LPARAM found) -> BOOL {
            const bool isEdit = ClassOf(child) == L"Edit" && IsWindowVisible(child);
            *reinterpret_cast<HWND*>(found) = isEdit ? child : nullptr;
            return !isEdit;
        },
        reinterpret_cast<LPARAM>(&edit));
    SendTo(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(fileDialog, IDOK);
    return edit != nullptr;
}

// Rests the mouse on toolbar button `index` (after a leading separator 8 pixels wide) and waits
// for a tooltip with that text.
bool ShowsTooltip(const ProgramDriver& program, int index, const std::wstring& text) {
    const HWND toolbar = FindWindowExW(program.MainWindow(), nullptr, TOOLBARCLASSNAMEW, nullptr);
    RECT bar{};
    GetWindowRect(toolbar, &bar);
    const auto button = static_cast<DWORD>(SendTo(toolbar, TB_GETBUTTONSIZE));
    SetCursorPos(bar.left + 8 + LOWORD(button) * index + LOWORD(button) / 2,
                 bar.top + HIWORD(button) / 2);
    return program.WaitForDialog(text, seconds(20), L"tooltips_class32") != nullptr;
}

// The height of the first line of dark text in the control, read from the screen.
int FirstTextLineHeight(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    const HDC screen = GetDC(nullptr);
    int line = 0;  // rows in the first run of rows that hold a dark pixel
    for (int y = rect.top; y < rect.bottom; ++y) {
        bool ink = false;
        for (int x = rect.left; x < rect.right && !ink; ++x) {
            ink = GetGValue(GetPixel(screen, x, y)) < 96;
        }
        if (!ink && line > 0) {
            break;
        }
        line += ink ? 1 : 0;
    }
    ReleaseDC(nullptr, screen);
    return line;
}

// "left top width height" of a window's rectangle; without the origin, "width height".
std::string Geometry(const RECT& rect, bool withOrigin) {
    const std::string size =
        std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top);
    return withOrigin ? std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + size
                      : size;
}

// The state Op::Checked, Op::Enabled or Op::Visible looks at.
bool StateOf(Op op, HWND control) {
    return op == Op::Checked   ? SendTo(control, BM_GETCHECK) == BST_CHECKED
           : op == Op::Enabled ? IsWindowEnabled(control) != 0
                               : IsWindowVisible(control) != 0;
}

std::wstring Wide(const std::string& text) {
    return Utf8ToUtf16(text.c_str());
}

// The program the scenarios start: the loopback build, or the one QUORVANE_PROGRAM names (the
// package test walks the installed program).
fs::path ProgramUnderTest() {
    std::wstring path;
    return platform::GetEnvironment(L"QUORVANE_PROGRAM", path)
               ? fs::path(path)
               : fs::path(Wide(QUORVANE_TEST_PROGRAM));
}

class EndToEnd : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override { PublishRelease(kVersion.c_str()); }
    void TearDown() override { PublishRelease(kVersion.c_str()); }

    fs::path Firefox() const {
        return store_ ? folder_.Local() / "Packages" / "Mozilla.Firefox_n80bbvh6b1yt2" /
                            "LocalCache" / "Roaming" / "Mozilla" / "Firefox"
                      : folder_.Roaming() / "Mozilla" / "Firefox";
    }
    fs::path Profile() const { return Firefox() / "Profiles" / "e2e.default"; }

    void Prepare(const StartingState& state) {
        store_ = state.storeApp;
        if (state.prefs != nullptr) {
            test::WriteFileBytes(Firefox() / "profiles.ini",
                                 "[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
                                 "Path=Profiles/e2e.default\r\nDefault=1\r\n");
            test::WriteFileBytes(Profile() / "prefs.js", state.prefs);
        }
        if (state.userJs != nullptr) {
            test::WriteFileBytes(Profile() / "user.js", state.userJs);
        }
        if (*state.noticeVersion != '\0') {
            WriteSettingText("NoticeVersion", state.noticeVersion, kPrimaryRoot);
        }
        WriteSettingInt("NoticeSuppressed", state.noticeSuppressed, kPrimaryRoot);
        WriteSettingInt("UpdateCheckEnabled", state.updateCheck, kPrimaryRoot);
        DeleteFileW(OpenedPagesFile().c_str());
        if (state.ownFolder) {
            fs::create_directories(folder_.Path() / "program");
            fs::create_directories(folder_.Path() / "work");
            fs::copy_file(program_path_, folder_.Path() / "program" / "Quorvane.exe");
            program_path_ = folder_.Path() / "program" / "Quorvane.exe";
            working_ = folder_.Path() / "work";
        }
    }

    void Run(const Step& step);
    void Check(const Step& step);
    void Photograph(const std::string& view) const;

    test::UserFolders folder_;
    fs::path program_path_ = ProgramUnderTest();
    fs::path working_;  // empty: the program's own folder
    bool store_ = false;
    std::unique_ptr<ProgramDriver> program_;
    HWND dialog_ = nullptr;
    std::unique_ptr<ServiceInspection> atStart_;  // the service's counts when the program started
    std::unique_ptr<SilentService> silent_;
    std::chrono::steady_clock::time_point actedAt_;
};

// The steps that act on the program.
void EndToEnd::Run(const Step& step) {
    if (step.op == Op::Start || step.op == Op::Menu || step.op == Op::Close) {
        actedAt_ = std::chrono::steady_clock::now();
    }
    if (step.op == Op::Silent) {
        silent_ = std::make_unique<SilentService>();
        return;
    }
    if (step.op == Op::Start) {
        atStart_ = std::make_unique<ServiceInspection>();
        program_ = std::make_unique<ProgramDriver>(test::ToProgramPath(program_path_));
        ASSERT_TRUE(program_->Start(working_.empty() ? L"" : test::ToProgramPath(working_)));
        return;
    }
    if (step.op == Op::Release) {
        PublishRelease(step.text.c_str());
        return;
    }
    ASSERT_NE(program_, nullptr) << "the scenario must start the program first";
    ProgramDriver& program = *program_;
    const std::wstring text = Wide(step.text);
    const HWND control = program.Control(step.id);
    switch (step.op) {
        case Op::MainWindow:
            ASSERT_NE(program.WaitForMainWindow(), nullptr);
            return;
        case Op::Box: {
            const HWND box = program.WaitForDialog(Wide(kProductName));
            ASSERT_NE(box, nullptr) << "no message box: " << step.text;
            const std::wstring shown = WindowText(GetDlgItem(box, 0xFFFF));  // the text's static
            if (text.ends_with(L'*')) {  // a text that ends in a file name the test cannot know
                EXPECT_EQ(shown.substr(0, text.size() - 1), text.substr(0, text.size() - 1));
            } else {
                EXPECT_EQ(shown, text);
            }
            Press(box, step.value);
            ASSERT_TRUE(WaitUntil([box] { return !IsWindowVisible(box); }));
            return;
        }
        case Op::Dialog:
            dialog_ = program.WaitForDialog(text);
            ASSERT_NE(dialog_, nullptr) << "no dialog " << step.text;
            return;
        case Op::Tick:
            SendTo(GetDlgItem(dialog_, step.id), BM_SETCHECK, step.value != 0 ? BST_CHECKED : 0);
            return;
        case Op::Press:
            Press(dialog_, step.id);
            ASSERT_TRUE(WaitUntil([this] { return !IsWindowVisible(dialog_); }));
            return;
        case Op::SaveAs:
            ASSERT_TRUE(SaveAs(dialog_, test::ToProgramPath(folder_.Path() / text)));
            ASSERT_TRUE(WaitUntil([this] { return !IsWindowVisible(dialog_); }));
            return;
        case Op::Click:
            if (ClassOf(control) == L"Static") {  // a clickable icon: press and release on it
                PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
                PostMessageW(control, WM_LBUTTONUP, 0, 0);
            } else {
                PostMessageW(control, BM_CLICK, 0, 0);
            }
            return;
        case Op::Section:  // a toolbar button's command comes from the toolbar
            PostMessageW(program.MainWindow(), WM_COMMAND, MAKEWPARAM(step.id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(FindWindowExW(program.MainWindow(), nullptr,
                                                                TOOLBARCLASSNAMEW, nullptr)));
            return;
        case Op::Menu:
            PostMessageW(program.MainWindow(), WM_UI_MENUCOMMAND, static_cast<WPARAM>(step.id),
                         reinterpret_cast<LPARAM>(program.Control(kSettingsIcon)));
            return;
        case Op::SetCheck:
            if (StateOf(Op::Checked, control) != (step.value != 0)) {
                PostMessageW(control, BM_CLICK, 0, 0);
            }
            EXPECT_TRUE(
                WaitUntil([&] { return StateOf(Op::Checked, control) == (step.value != 0); }));
            return;
        case Op::Type:
            SendTo(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            return;
        case Op::Key:
            PressKeys(step.text);
            if (step.id != 0) {
                EXPECT_TRUE(WaitUntil([&] { return program.FocusedControl() == step.id; }))
                    << step.text << ": focus on " << program.FocusedControl();
            }
            return;
        case Op::PutPicture: {
            const fs::path file =
                (step.text == "work" ? working_ : program_path_.parent_path()) / "infos" / "03.png";
            const std::string picture = test::ReadFileBytes(
                fs::path(Wide(QUORVANE_TEST_PROGRAM)).parent_path() / "infos" / "03.png");
            const std::string contents[] = {"", picture, "", picture.substr(0, 200)};
            fs::remove(file);
            if (step.value != kNone) {
                test::WriteFileBytes(file, contents[step.value]);
            }
            return;
        }
        case Op::Photograph:
            Photograph(step.text);
            return;
        case Op::Close:
            PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
            [[fallthrough]];
        case Op::Exit:
            EXPECT_EQ(program.WaitForExit(), 0);
            return;
        default:
            Check(step);
    }
}

// With QUORVANE_PHOTOGRAPH set to a folder, hands the screen rectangles of the main window and
// the current dialog to the photographer (scripts/photograph.sh) as <folder>\<view>.txt and
// waits until it is done (<view>.done).
void EndToEnd::Photograph(const std::string& view) const {
    std::wstring folder;
    if (!platform::GetEnvironment(L"QUORVANE_PHOTOGRAPH", folder)) {
        return;
    }
    Sleep(300);  // let the last paint reach the screen
    std::string rectangles;
    for (HWND window : {program_->MainWindow(), dialog_}) {
        RECT rect{};
        if (window != nullptr && IsWindowVisible(window) && GetWindowRect(window, &rect)) {
            rectangles += std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                          std::to_string(rect.right) + " " + std::to_string(rect.bottom) + "\n";
        }
    }
    test::WriteFileBytes(fs::path(folder) / (view + ".txt"), rectangles);
    WaitUntil([&] { return fs::exists(fs::path(folder) / (view + ".done")); }, seconds(30));
}

// The steps that look at the program's windows and at what it left behind.
void EndToEnd::Check(const Step& step) {
    ProgramDriver& program = *program_;
    const std::wstring text = Wide(step.text);
    const HWND control = program.Control(step.id);
    const auto holds = [&](auto condition) { return WaitUntil(condition, seconds(5)); };
    switch (step.op) {
        case Op::NoMainWindow:
            EXPECT_EQ(program.WaitForMainWindow(std::chrono::milliseconds(0)), nullptr);
            return;
        case Op::NoDialog:
            EXPECT_EQ(program.WaitForDialog(text, seconds(3)), nullptr) << step.text;
            return;
        case Op::Ticked:
            EXPECT_EQ(IsDlgButtonChecked(dialog_, step.id), static_cast<UINT>(step.value))
                << step.id;
            return;
        case Op::Picture: {
            const fs::path shipped = Wide(QUORVANE_TEST_PROGRAM);
            const std::wstring source = test::ToProgramPath(
                step.text == "4001" ? shipped
                                    : shipped.parent_path() / "infos" / (step.text + ".png"));
            EXPECT_TRUE(holds([&] { return PixelsDiffering(dialog_, source) == 0; }))
                << step.text << ": " << PixelsDiffering(dialog_, source) << " pixels differ";
            return;
        }
        case Op::PopupMenu: {
            const HWND menu = program.WaitForDialog(L"", seconds(5), ProgramDriver::kMenuClass);
            ASSERT_NE(menu, nullptr);
            RECT menuRect{}, icon{};
            GetWindowRect(menu, &menuRect);
            GetWindowRect(control, &icon);
            EXPECT_TRUE(step.id == 0 || menuRect.top >= icon.bottom) << "over its icon";
            return;
        }
        case Op::Within:
            EXPECT_LT(std::chrono::steady_clock::now() - actedAt_, seconds(step.value));
            return;
        case Op::Tooltip:
            EXPECT_TRUE(ShowsTooltip(program, step.id, text)) << step.text;
            return;
        case Op::TallAs:
            EXPECT_GE(FirstTextLineHeight(control),
                      FirstTextLineHeight(program.Control(step.value)) - 2);
            return;
        case Op::Checked:
        case Op::Enabled:
        case Op::Visible:
            EXPECT_TRUE(holds([&] { return StateOf(step.op, control) == (step.value != 0); }))
                << step.id;
            return;
        case Op::Text:
            EXPECT_TRUE(holds([&] { return WindowText(control) == text; }))
                << step.id << ": " << Utf16ToUtf8(WindowText(control).c_str());
            return;
        case Op::Boxes: {
            std::string shown;
            for (int id : kOptions) {
                const LONG style = GetWindowLongW(program.Control(id), GWL_STYLE);
                shown += (style & BS_TYPEMASK) != BS_AUTOCHECKBOX    ? '?'
                         : StateOf(Op::Checked, program.Control(id)) ? '1'
                                                                     : '0';
            }
            EXPECT_EQ(shown, step.text) << "'?': not a check box";
            return;
        }
        case Op::File: {
            const fs::path files[] = {Profile() / "user.js", Profile() / "prefs.js",
                                      folder_.Path() / "chosen.js"};
            const fs::path& file = files[step.value];
            if (step.text == "-") {
                EXPECT_FALSE(fs::exists(file)) << file;
            } else {
                EXPECT_TRUE(holds([&] { return test::ReadFileBytes(file) == step.text; }))
                    << file << ":\n"
                    << test::ReadFileBytes(file);
            }
            return;
        }
        case Op::Setting:
            EXPECT_EQ(ReadSettingInt(step.text.c_str(), -1, kPrimaryRoot), step.value) << step.text;
            return;
        case Op::VersionSetting: {
            char value[32] = {};
            ReadSettingText(value, sizeof value, step.text.c_str(), "", kPrimaryRoot);
            EXPECT_EQ(value, kVersion) << step.text;
            return;
        }
        case Op::Report:
        case Op::NoReport: {
            const ServiceInspection service;
            const int sent = step.op == Op::Report ? 1 : 0;
            const std::string usage = "\"usage\":" + std::to_string(step.value);
            EXPECT_EQ(service.Count("reports"), atStart_->Count("reports") + sent)
                << service.Body();
            EXPECT_EQ(service.Count("reports", usage), atStart_->Count("reports", usage) + sent)
                << service.Body();
            return;
        }
        case Op::Page:
            EXPECT_TRUE(WaitUntil(
                [&] { return test::ReadFileBytes(OpenedPagesFile()) == step.text + "\n"; },
                seconds(10)))
                << test::ReadFileBytes(OpenedPagesFile());
            return;
        case Op::Size:
        case Op::Placed: {
            RECT rect{};
            GetWindowRect(step.op == Op::Size ? program.MainWindow() : control, &rect);
            MapWindowPoints(nullptr, step.op == Op::Size ? nullptr : program.MainWindow(),
                            reinterpret_cast<POINT*>(&rect), 2);
            EXPECT_EQ(Geometry(rect, step.op == Op::Placed), step.text);
            return;
        }
        default:
            FAIL() << "step " << static_cast<int>(step.op) << " is not a check";
    }
}

TEST_P(EndToEnd, Runs) {
    const Scenario& scenario = GetParam();
    Prepare(scenario.state);
    for (std::size_t i = 0; i < scenario.steps.size() && !HasFatalFailure(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i + 1));
        Run(scenario.steps[i]);
    }
}

std::string NameOf(const ::testing::TestParamInfo<Scenario>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Program, EndToEnd, ::testing::ValuesIn(kScenarios), NameOf);
INSTANTIATE_TEST_SUITE_P(ServiceStopped, EndToEnd, ::testing::ValuesIn(kServiceStoppedScenarios),
                         NameOf);
INSTANTIATE_TEST_SUITE_P(HighDpi, EndToEnd, ::testing::ValuesIn(kHighDpiScenarios), NameOf);
INSTANTIATE_TEST_SUITE_P(Documentation, EndToEnd, ::testing::ValuesIn(kTourScenarios), NameOf);

}  // namespace
