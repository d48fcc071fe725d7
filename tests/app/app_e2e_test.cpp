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
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/control_names.h"
#include "net/web_site.h"
#include "prefs/catalogue.h"
#include "res/resource_ids.h"
#include "settings/platform.h"
#include "settings/product.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "tests/app/program_driver.h"
#include "tests/net/live_service.h"
#include "tests/test_support.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// The command id of a main-window control: the registry hands out ids from kFirstControlId in the
// order the layout creates the controls, which follows the program's own tables: the toolbar,
// each section's options from the catalogue with their Info and browse buttons, the Restore
// section and the bottom row.
int IdOf(const std::string& name) {
    std::vector<std::string> order = {controls::kSectionButtons[0], controls::kSectionButtons[1],
                                      controls::kSectionButtons[2], controls::kAboutButton};
    for (int section : {0, 1}) {
        for (const PrefOption& option : kPrefCatalogue) {
            if (option.section == section) {
                order.push_back(option.control);
            }
            if (option.section == section && (option.hasInfo || option.kind == PrefKind::Text)) {
                order.push_back(option.hasInfo ? controls::InfoButtonName(section, option.record)
                                               : controls::kBrowseButton);
            }
        }
    }
    order.insert(order.end(),
                 {controls::kRestoreTitle, controls::kRestoreWarning, controls::kRestoreButton,
                  controls::kSettingsIcon, controls::kDonateIcon, controls::kApplyButton});
    return static_cast<int>(UIControls::kFirstControlId +
                            (std::find(order.begin(), order.end(), name) - order.begin()));
}
// The main window's controls.
const int kMiscellaneous = IdOf(controls::kSectionButtons[0]),
          kPrivacy = IdOf(controls::kSectionButtons[1]),
          kRestoreSection = IdOf(controls::kSectionButtons[2]),
          kAbout = IdOf(controls::kAboutButton), kCloseTab = IdOf("chb0_0"),
          kInfo03 = IdOf("btnInfo0_3"), kEditorSwitch = IdOf(kEditorSwitchOption.control),
          kEditorPath = IdOf(kEditorPathOption.control), kBrowse = IdOf(controls::kBrowseButton),
          kWebRtc = IdOf("chb1_0"), kInfo10 = IdOf("btnInfo1_0"), kBattery = IdOf("chb1_2"),
          kGeolocation = IdOf("chb1_3"), kRestoreLabel = IdOf(controls::kRestoreTitle),
          kRestoreWarning = IdOf(controls::kRestoreWarning),
          kRestore = IdOf(controls::kRestoreButton), kSettingsIcon = IdOf(controls::kSettingsIcon),
          kDonate = IdOf(controls::kDonateIcon), kApply = IdOf(controls::kApplyButton);
// The Settings icon's menu items, numbered in the order the layout adds them.
constexpr int kSettingsItem = 1;
constexpr int kCheckForUpdateItem = 2;

enum class Op {
    Start,         // start the program
    MainWindow,    // its main window appears
    NoMainWindow,  // it does not appear before the program ends
    Box,           // a message box says text (up to a final '*'); press button value
    Dialog,        // a dialog captioned text appears; it becomes the current dialog
    NoDialog,      // no dialog captioned text appears while the program settles
    Press,         // press button id of the current dialog; it closes
    SaveAs,        // type the file name text into the current (save) dialog and save (value 1:
                   // the file exists, and replacing it is confirmed)
    Picture,       // the current dialog shows infos\<text>.png, pixel for pixel
    Click,         // click control id of the main window
    Section,       // click toolbar button id
    Menu,          // choose item id of the Settings icon's menu
    // Control id below is an item of the current dialog while that is shown, else a control of
    // the main window.
    SetCheck,    // tick (value 1) or untick check box id
    Type,        // set the text of control id to text
    Checked,     // check box id is value
    Enabled,     // control id is (value 1) or is not enabled
    Visible,     // control id is (value 1) or is not visible
    Text,        // control id shows text (up to a final '*')
    Boxes,       // the option boxes, in catalogue order, show text ("0" or "1" each)
    Release,     // the service now answers that version text is the latest
    File,        // file value (ProfileFile) holds exactly text; "-": it does not exist
    Put,         // file value becomes text: "-" none, a "folder", "held" open unshared (as a
                 // running Firefox holds parent.lock) or "open" for reading by others as it is
                 // (not to be replaced or deleted), the real "picture" 03.png or a "cut" one,
                 // else a file holding text
    Setting,     // the integer setting named text holds value (id 1: the text setting
                 // holds this version)
    Close,       // close the main window; the program ends with 0
    Exit,        // the program ends by itself with 0
    Report,      // one more usage report reached the service, with usage value
    NoReport,    // no report since the start
    Page,        // the stand-in browser was asked to open text
    Size,        // the main window's outer size is text, "width height" (value 1: after
                 // resizing it to that with SetWindowPos)
    Placed,      // control id is at text, "left top width height", in the client area
    Silent,      // a stand-in on the stopped service's port accepts and never answers
    Within,      // the last action (start, menu, close) took less than value seconds
    Key,         // press the chord text ("Ctrl+Shift+Tab"); control id (if any) has the focus
    PopupMenu,   // a popup menu is open, below control id if one is given
    Selected,    // toolbar button id is the one checked
    TallAs,      // the last text line of control id is as tall as the first of control value
    Photograph,  // for the documentation only: the main window and the current dialog are view
                 // text (see scripts/screenshots.sh)
    Record,      // the layout of the current dialog (else the main window) is that of view text
                 // at this DPI, kept for the run at 96 DPI
    Rescale,     // WM_DPICHANGED for value DPI to the current dialog (else the main window):
                 // it keeps its state and takes the layout of view text at that DPI, as
                 // recorded by a fresh start at 144 DPI or before the change to 144 (no text:
                 // the message is only sent, as from 96 DPI)
    GdiObjects,  // value 0: count the program's GDI objects; 1: the count is as then
};

// What Op::Picture names the missing-preview bitmap (IDB_NO_PREVIEW, from res/icons) by.
const char kNoPreview[] = "no preview";

// A step; S(op), S(op, id, value), S(op, text, value) and S(op, id, text) make one.
struct S {
    S(Op o, int i = 0, int v = 0) : op(o), id(i), value(v) {}
    S(Op o, std::string t, int v = 0) : op(o), text(std::move(t)), value(v) {}
    S(Op o, int i, std::string t, int v = 0) : op(o), id(i), text(std::move(t)), value(v) {}

    Op op;
    int id = 0;        // a control, dialog item or button
    std::string text;  // UTF-8
    int value = 0;
};
using Steps = std::vector<S>;

Steps operator+(Steps first, const Steps& second) {
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
};

// The files Op::File and Op::Put look at: four in the profile, one chosen in the save dialog, and
// the preview picture infos\03.png in the working folder and beside the program.
enum ProfileFile : int {
    kUserJs,
    kPrefsJs,
    kChosenFile,
    kPrefsBackup,
    kParentLock,
    kWork,
    kBeside
};

struct Scenario {
    const char* name;
    StartingState state;
    Steps steps;
};

const char kFirefoxMissing[] =
    "Firefox is not installed or not found. Even without, installed Firefox can be Quorvane used "
    "to save selected preferences.";
const char kRestart[] = "Restart of Firefox is required for changes to take effect.";
const char kNewVersion[] = "New version available. Would you like to download it.";
const char kDownloadPage[] = "https://quorvane.example/download#quorvane";
const char kRestoredPrefs[] =
    "// Mozilla User Preferences\n"
    "user_pref(\"app.update.lastUpdateTime.x\", 1700000000);\n"
    "user_pref(\"view_source.editor.external\", true);\n"
    "user_pref(\"view_source.editor.path\", \"C:\\\\Tools\\\\ed.exe\");\n";
// The same with a line Restore removes.
const std::string kRestorePrefs =
    std::string(kRestoredPrefs)
        .insert(std::string_view(kRestoredPrefs).find("user_pref(\"view"),
                "user_pref(\"geo.enabled\", false);\n");
const char kWebRtcUserJs[] = "user_pref(\"media.peerconnection.enabled\", false);\n";
const std::string kRestored = "Firefox preferences have been successfully restored.";
const std::string kNotRestored = "Firefox preferences have not been restored. Error: ";
const std::string kOwnKept = " Your own preferences from user.js were saved in *";

// Starts the program on the profile above and opens the Restore section.
const Steps kOpenRestore = {
    S(Op::Start), S(Op::MainWindow), S(Op::Checked, kGeolocation, 1), S(Op::Checked, kWebRtc, 1),
    S(Op::Text, kEditorPath, "C:\\Tools\\ed.exe"),
    // then the Restore section
    S(Op::Section, kRestoreSection), S(Op::Selected, kRestoreSection), S(Op::Visible, kRestore, 1)};

// Clicks Restore and answers its warning.
Steps RestoreSteps(int answer) {
    return {S(Op::Click, kRestore),
            S(Op::Box, "Firefox have to be closed before restoring preferences.", answer)};
}

// Restore fails with the message and leaves these files.
Steps RestoreFails(const std::string& message, const std::string& prefs, const std::string& user) {
    return RestoreSteps(IDOK) + Steps{S(Op::Box, message, IDOK), S(Op::File, prefs, kPrefsJs),
                                      S(Op::File, user, kUserJs)};
}

// Opens the preview of an Info button and checks its caption and picture.
Steps PreviewSteps(int button, const char* caption, const char* picture) {
    return {S(Op::Click, button), S(Op::Dialog, caption), S(Op::Picture, picture),
            S(Op::Press, IDOK)};
}

// Sets the preview pictures in the working folder and beside the program, then opens the preview
// of option 03 and checks what it shows: picture 03 or the missing-preview bitmap 4001.
Steps PreviewSourceSteps(const char* work, const char* beside, const char* shown) {
    return Steps{S(Op::Put, work, kWork), S(Op::Put, beside, kBeside)} +
           PreviewSteps(kInfo03, "Info - Open new tab for search box result", shown);
}

const Steps kPreviewSources =
    Steps{S(Op::Start), S(Op::MainWindow)} + PreviewSourceSteps("-", "-", kNoPreview) +
    PreviewSourceSteps("picture", "-", "03") + PreviewSourceSteps("-", "picture", "03") +
    PreviewSourceSteps("", "-", kNoPreview) + PreviewSourceSteps("cut", "-", kNoPreview) +
    PreviewSourceSteps("cut", "picture", "03") + Steps{S(Op::Close)};

// What the dialogs set at run time; their templates' own items and texts are not restated here.
std::string Unscrambled(const ScrambledText& stored) {
    char text[kUnscrambledCapacity];
    return Unscramble(text, stored);
}
const Steps kLicenseTexts = {
    S(Op::Text, IDC_LICENSE_TERMS, "Quorvane is free for personal and non-commercial use.*"),
    S(Op::Text, IDC_LICENSE_DONATE_LINK,
      "If you like this software, please consider <A HREF=\"" + Unscrambled(kDonationPage) +
          "\">DONATING</A>"),
    S(Op::Text, IDC_LICENSE_TEXT, "Using it in a company, in public administration*")};

// The walk through every view, in a fresh start at 144 DPI, in one at 96 and for the
// documentation's screenshots: the License notice over the main window, each section, About,
// Settings and a preview. view gives the steps for one view; ending comes before the close.
Steps Tour(Steps (*view)(const char* name), const Steps& ending = {}) {
    return Steps{S(Op::Start), S(Op::Dialog, "License model"), S(Op::MainWindow)} +
           view("license") + Steps{S(Op::Press, IDC_LICENSE_OK)} + view("section-options") +
           Steps{S(Op::Section, kPrivacy), S(Op::Visible, kGeolocation, 1)} +
           view("section-privacy") +
           Steps{S(Op::Section, kRestoreSection), S(Op::Visible, kRestore, 1)} +
           view("section-restore") + Steps{S(Op::Section, kAbout), S(Op::Dialog, "About")} +
           view("about") +
           Steps{S(Op::Press, IDOK), S(Op::Menu, kSettingsItem), S(Op::Dialog, "Settings")} +
           view("settings") +
           Steps{S(Op::Press, IDCANCEL), S(Op::Section, kPrivacy), S(Op::Click, kInfo10),
                 S(Op::Dialog, "Info - Disable WebRTC")} +
           view("preview") + Steps{S(Op::Press, IDOK)} + ending + Steps{S(Op::Close)};
}

// A profile with a few options set, no update check.
const char kTourPrefs[] =
    "user_pref(\"browser.search.openintab\", true);\n"
    "user_pref(\"geo.enabled\", false);\n"
    "user_pref(\"view_source.editor.external\", true);\n"
    "user_pref(\"view_source.editor.path\", \"C:\\\\Program "
    "Files\\\\Notepad++\\\\notepad++.exe\");\n";
const StartingState kTourState{
    .prefs = kTourPrefs, .noticeVersion = "", .noticeSuppressed = 0, .updateCheck = 0};

// A name's prefix up to '_' is the run it belongs to (tests/app/CMakeLists.txt): ServiceStopped
// after the service has stopped, HighDpi and FreshDpi in the prefix at 144 DPI, DpiChange after
// FreshDpi, Documentation the walk for the screenshots; the rest with the service.
const std::vector<Scenario> kScenarios = {
    {"FirstStartShowsTheNoticeAndReportsItDoNotShowAgainKeepsItAway",
     {.noticeVersion = "", .noticeSuppressed = 0},
     Steps{S(Op::Start), S(Op::Dialog, "License model")} + kLicenseTexts +
         Steps{S(Op::Setting, 1, "NoticeVersion"), S(Op::Setting, "NoticeSuppressed", 0),
               S(Op::SetCheck, IDC_LICENSE_DO_NOT_SHOW, 1), S(Op::Press, IDC_LICENSE_OK),
               S(Op::MainWindow), S(Op::Close), S(Op::Report, "", 1),
               S(Op::Setting, "ReportedUsage", 1), S(Op::Setting, "NoticeSuppressed", 1),
               S(Op::Start), S(Op::MainWindow), S(Op::NoDialog, "License model"), S(Op::Close)}},
    {"ANewVersionBringsTheNoticeBack",
     {.noticeVersion = "1.0.0", .noticeSuppressed = 1},
     {S(Op::Start), S(Op::Dialog, "License model"), S(Op::Setting, 1, "NoticeVersion"),
      S(Op::Setting, "NoticeSuppressed", 0), S(Op::Press, IDC_LICENSE_OK), S(Op::MainWindow),
      S(Op::Close), S(Op::Report, "", 1)}},
    {"SettingsDialogWritesAndShowsItsTwoBoxes",
     {},
     {S(Op::Start), S(Op::MainWindow), S(Op::Menu, kSettingsItem), S(Op::Dialog, "Settings"),
      S(Op::Checked, IDC_SETTINGS_UPDATE_CHECK, 1), S(Op::Checked, IDC_SETTINGS_SHOW_NOTICE, 0),
      // Enter in the dialog is Cancel: it writes nothing
      S(Op::SetCheck, IDC_SETTINGS_UPDATE_CHECK, 0), S(Op::Key, kCloseTab, "Enter"),
      S(Op::Setting, "UpdateCheckEnabled", 1), S(Op::Menu, kSettingsItem),
      S(Op::Dialog, "Settings"), S(Op::Checked, IDC_SETTINGS_UPDATE_CHECK, 1),
      S(Op::SetCheck, IDC_SETTINGS_UPDATE_CHECK, 0), S(Op::SetCheck, IDC_SETTINGS_SHOW_NOTICE, 1),
      S(Op::Press, IDC_SETTINGS_OK), S(Op::Setting, "UpdateCheckEnabled", 0),
      S(Op::Setting, "NoticeSuppressed", 0), S(Op::Menu, kSettingsItem), S(Op::Dialog, "Settings"),
      S(Op::Checked, IDC_SETTINGS_UPDATE_CHECK, 0), S(Op::Checked, IDC_SETTINGS_SHOW_NOTICE, 1),
      S(Op::Press, IDCANCEL), S(Op::Close)}},
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
      // a file that cannot be replaced: the failure is told, naming it, and the file stays
      S(Op::Put, "open", kChosenFile), S(Op::SetCheck, kGeolocation, 0), S(Op::Click, kApply),
      S(Op::Dialog, ""), S(Op::SaveAs, "chosen.js", 1),
      S(Op::Box, "The preferences could not be saved to *", IDOK),
      S(Op::File,
        "user_pref(\"view_source.editor.path\", \"\");\nuser_pref(\"geo.enabled\", false);\n",
        kChosenFile),
      S(Op::Close)}},
    {"ApplyWritesTheTickedOptionsOrSaysItCouldNot",
     {.prefs = "// Mozilla User Preferences\n"},
     {S(Op::Start), S(Op::MainWindow), S(Op::SetCheck, kGeolocation, 1), S(Op::Section, kPrivacy),
      S(Op::SetCheck, kWebRtc, 1), S(Op::Put, "folder", kUserJs), S(Op::Click, kApply),
      S(Op::Box, "The preferences could not be saved to user.js.", IDOK),
      // a user.js of the user's own is kept aside, and the message names the copy
      S(Op::Put, "user_pref('my.own', 1);\n", kUserJs), S(Op::Click, kApply),
      S(Op::Box, kRestart + kOwnKept, IDOK),
      S(Op::File,
        "user_pref(\"view_source.editor.path\", \"\");\n"
        "user_pref(\"media.peerconnection.enabled\", false);\n"
        "user_pref(\"geo.enabled\", false);\n"),
      S(Op::Close), S(Op::Report, "", 10)}},
    {"AnEditorPathItCannotWriteIsRefusedWithTheReason",
     {.userJs = "user_pref(\"geo.enabled\", false);\n"},
     {S(Op::Start), S(Op::MainWindow), S(Op::SetCheck, kEditorSwitch, 1),
      S(Op::Enabled, kBrowse, 1), S(Op::Type, kEditorPath, "C:\\a\");user_pref(\"evil\", true);//"),
      S(Op::Click, kApply),
      S(Op::Box, "The editor path contains characters that are not allowed in a file name.", IDOK),
      // a preference's name, and a path too long for the statement
      S(Op::Type, kEditorPath, "geo.enabled"), S(Op::Click, kApply),
      S(Op::Box, "The editor path is the name of a Firefox preference, not of a program.", IDOK),
      S(Op::Type, kEditorPath, std::string(1024, 'a')), S(Op::Click, kApply),
      S(Op::Box, "The editor path is too long.", IDOK),
      S(Op::File, "user_pref(\"geo.enabled\", false);\n"), S(Op::Type, kEditorPath, ""),
      S(Op::Click, kApply), S(Op::Box, kRestart, IDOK), S(Op::Type, kEditorPath, "C:\\ed.exe"),
      S(Op::Click, kApply), S(Op::Box, kRestart, IDOK),
      S(Op::File,
        "user_pref(\"view_source.editor.external\", true);\n"
        "user_pref(\"view_source.editor.path\", \"C:\\\\ed.exe\");\n"
        "user_pref(\"geo.enabled\", false);\n"),
      S(Op::Close)}},
    // Restore asks first; it waits while Firefox holds the profile's lock (a parent.lock left
    // behind, or one that cannot be opened at all, is no running Firefox) and says which step
    // failed, leaving the files as it found them.
    {"RestoreRemovesTheManagedPreferencesOrSaysWhatFailed",
     {.prefs = kRestorePrefs.c_str(), .userJs = kWebRtcUserJs},
     Steps{S(Op::Put, "held", kParentLock)} + kOpenRestore + RestoreSteps(IDCANCEL) +
         Steps{S(Op::NoDialog, kProductName)} +
         RestoreFails("Firefox is still running. Close it and try Restore again.", kRestorePrefs,
                      kWebRtcUserJs) +
         Steps{S(Op::File, "-", kPrefsBackup), S(Op::Put, "", kParentLock),
               S(Op::Put, "open", kPrefsJs)} +
         RestoreFails(kNotRestored + "5", kRestorePrefs, kWebRtcUserJs) +
         Steps{S(Op::Put, kRestorePrefs, kPrefsJs), S(Op::Put, "folder", kPrefsBackup)} +
         RestoreFails(kNotRestored + "8", kRestorePrefs, kWebRtcUserJs) +
         Steps{S(Op::Put, "-", kPrefsBackup), S(Op::Put, "folder", kParentLock)} +
         RestoreSteps(IDOK) +
         Steps{S(Op::Box, kRestored, IDOK), S(Op::File, kRestoredPrefs, kPrefsJs), S(Op::File, "-"),
               S(Op::Boxes, "00000000001"), S(Op::Text, kEditorPath, ""),
               S(Op::Put, kRestorePrefs, kPrefsJs), S(Op::Put, kWebRtcUserJs, kUserJs),
               S(Op::Put, "open", kUserJs)} +
         RestoreFails(kNotRestored + "7", kRestoredPrefs, kWebRtcUserJs) +
         Steps{S(Op::Put, "user_pref('my.own', 1);\n", kUserJs)} + RestoreSteps(IDOK) +
         Steps{S(Op::Box, kRestored + kOwnKept, IDOK), S(Op::File, "-"), S(Op::Close)}},
    // The toolbar shows the section selected; Apply follows the window's bottom right corner, the
    // two icons its bottom edge.
    {"SectionsSwitchApplyAndPreviewsShowTheirPictures",
     {},
     Steps{S(Op::Start), S(Op::MainWindow), S(Op::Selected, kMiscellaneous),
           S(Op::Visible, kCloseTab, 1), S(Op::Visible, kWebRtc, 0), S(Op::Size, "1016 700", 1),
           S(Op::Placed, kApply, "813 593 150 50"), S(Op::Placed, kSettingsIcon, "10 594 48 48"),
           S(Op::Placed, kDonate, "85 600 72 40"), S(Op::Section, kRestoreSection),
           S(Op::Enabled, kApply, 0), S(Op::Visible, kCloseTab, 0), S(Op::Section, kPrivacy),
           S(Op::Selected, kPrivacy), S(Op::Enabled, kApply, 1), S(Op::Visible, kWebRtc, 1)} +
         PreviewSteps(kInfo10, "Info - Disable WebRTC", "10") +
         Steps{S(Op::Click, kDonate), S(Op::Page, "https://quorvane.example/donate"), S(Op::Close),
               S(Op::Report, "", 6)}},
    {"TheKeyboardReachesEveryControlSectionAndTheSettingsMenu",
     {},
     {S(Op::Start), S(Op::MainWindow),
      // From the first option, which has the focus from the start, backwards past the disabled
      // "..." button; Apply is disabled in the Restore section only.
      S(Op::Key, kCloseTab, ""), S(Op::Key, kApply, "Shift+Tab"), S(Op::Key, kDonate, "Shift+Tab"),
      S(Op::Key, kSettingsIcon, "Shift+Tab"), S(Op::Key, kEditorPath, "Shift+Tab"),
      S(Op::Key, kSettingsIcon, "Tab"), S(Op::Key, 0, "Enter"), S(Op::PopupMenu),
      S(Op::Key, kSettingsIcon, "Esc"), S(Op::Key, kDonate, "Tab"), S(Op::Key, kApply, "Tab"),
      S(Op::Key, kCloseTab, "Tab"), S(Op::Key, kCloseTab, "Space"), S(Op::Checked, kCloseTab, 1),
      S(Op::Key, kWebRtc, "Ctrl+2"), S(Op::Key, kInfo10, "Tab"), S(Op::Key, 0, "Enter"),
      S(Op::Dialog, "Info - Disable WebRTC"), S(Op::Key, kInfo10, "Esc"),
      S(Op::Key, kRestore, "Ctrl+Tab"), S(Op::Key, kSettingsIcon, "Tab"),
      S(Op::Key, kCloseTab, "Ctrl+Tab"), S(Op::Key, kRestore, "Ctrl+Shift+Tab"),
      S(Op::Key, 0, "Enter"), S(Op::Dialog, kProductName), S(Op::Key, kRestore, "Esc"),
      S(Op::Key, kCloseTab, "Ctrl+1"), S(Op::Key, kApply, "Shift+Tab"), S(Op::Key, 0, "Ctrl+4"),
      S(Op::Dialog, "About"), S(Op::Text, IDC_ABOUT_EMAIL, Unscrambled(kSupportAddress)),
      S(Op::Key, kApply, "Esc"), S(Op::Text, kSettingsIcon, "Settings"),
      S(Op::Text, kDonate, "Donate"), S(Op::Close)}},
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
    // A request waits five seconds at most: with a silent service the window still comes, the
    // update command answers and the program ends, each in about 5.5 s; 9 s leaves room for a busy
    // machine and still fails a second wait.
    {"ServiceStopped_CheckForUpdateSaysTheServiceIsUnavailable",
     {},
     {S(Op::Start), S(Op::MainWindow), S(Op::Menu, kCheckForUpdateItem),
      S(Op::Box, "Service is currently unavailable.", IDOK), S(Op::Close)}},
    {"ServiceStopped_ASilentServiceHoldsTheProgramOnlyBriefly",
     {},
     {S(Op::Silent), S(Op::Start), S(Op::MainWindow), S(Op::Within, 0, 9), S(Op::Section, kPrivacy),
      S(Op::Menu, kCheckForUpdateItem), S(Op::Box, "Service is currently unavailable.", IDOK),
      S(Op::Within, 0, 9), S(Op::Close), S(Op::Within, 0, 9)}},

    {"HighDpi_WindowAndControlsAreScaledByOneAndAHalf",
     {},
     {S(Op::Start), S(Op::MainWindow), S(Op::Size, "1374 960"),
      S(Op::Placed, kBattery, "24 255 540 38"), S(Op::Click, kSettingsIcon),
      S(Op::PopupMenu, kSettingsIcon), S(Op::Key, 0, "Esc"), S(Op::Section, kRestoreSection),
      S(Op::Visible, kRestoreWarning, 1), S(Op::TallAs, kRestoreWarning, kRestoreLabel),
      S(Op::TallAs, kRestoreWarning, kRestoreWarning), S(Op::Close)}},
    // A preview picture keeps its own pixels; the missing-preview bitmap fills the dialog.
    {"HighDpi_PreviewsShowTheirPictureAtItsOwnSize",
     {.ownFolder = true},
     Steps{S(Op::Start), S(Op::MainWindow)} + PreviewSourceSteps("picture", "-", "03") +
         PreviewSourceSteps("-", "-", kNoPreview) + Steps{S(Op::Close)}},

    // The screenshots end with the options section as if moved to a monitor of 144 DPI.
    {"Documentation_Tour", kTourState,
     Tour([](const char* name) { return Steps{S(Op::Photograph, name)}; },
          {S(Op::Section, kMiscellaneous), S(Op::Rescale, "", 144),
           S(Op::Photograph, "section-options-changed-to-144dpi")})},

    {"FreshDpi_FreshStartLayoutIsRecorded", kTourState,
     Tour([](const char* name) { return Steps{S(Op::Record, name)}; })},

    // To 144 DPI and back in every view; around the main window's round trip, no GDI object is
    // left.
    {"DpiChange_EveryWindowFollowsAChangeOfDpi", kTourState, Tour([](const char* name) {
         const Steps there = {S(Op::Rescale, name, 144), S(Op::Rescale, name, 96)};
         return std::string(name) == "section-options"
                    ? Steps{S(Op::GdiObjects, 0, 0)} + there + Steps{S(Op::GdiObjects, 0, 1)} +
                          there + Steps{S(Op::GdiObjects, 0, 1)}
                    : there;
     })},
};

// The test prefix's stand-in browser (scripts/record-url.sh) appends the pages the program
// opens to opened-pages.txt in the prefix; Z: is the root of the machine's file system.
fs::path OpenedPagesFile() {
    std::wstring prefix;
    platform::GetEnvironment(L"WINEPREFIX", prefix);
    return fs::path(L"Z:" + prefix + L"/opened-pages.txt");
}

// How many pixels of a picture file differ from what the window's client area shows at its top
// left (a channel may be off by 2 after the conversion to the screen's colours). A preview
// picture must fill the client area exactly; the missing-preview bitmap fills the client area,
// which must be at least 300 x 200 pixels. -1 when the picture cannot be read or does not fit.
long PixelsDiffering(HWND window, const std::wstring& file, bool fillsExactly) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    long differing = -1;
    {
        Gdiplus::Bitmap picture(file.c_str());
        RECT client{};
        GetClientRect(window, &client);
        int width = static_cast<int>(picture.GetWidth());
        int height = static_cast<int>(picture.GetHeight());
        bool fits = width > 0 && client.right == width && client.bottom == height;
        if (!fillsExactly) {
            width = std::min<int>(width, client.right);
            height = std::min<int>(height, client.bottom);
            fits = width >= 300 && height >= 200;
        }
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        const auto shown = ScreenPixels({origin.x, origin.y, origin.x + width, origin.y + height});
        differing = fits ? 0 : -1;
        for (int y = 0; fits && y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Gdiplus::Color expected;
                picture.GetPixel(x, y, &expected);
                const COLORREF pixel = shown[static_cast<std::size_t>(y * width + x)];
                const bool alike = std::abs(GetBValue(pixel) - expected.GetR()) <= 2 &&
                                   std::abs(GetGValue(pixel) - expected.GetG()) <= 2 &&
                                   std::abs(GetRValue(pixel) - expected.GetB()) <= 2;
                differing += alike ? 0 : 1;
            }
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return differing;
}

// A visible window that owner owns (a message box it shows), or null.
HWND OwnedWindow(HWND owner) {
    const auto windows = WindowsBelow(nullptr);
    const auto owned = std::find_if(windows.begin(), windows.end(), [owner](HWND window) {
        return IsWindowVisible(window) && GetWindow(window, GW_OWNER) == owner;
    });
    return owned == windows.end() ? nullptr : *owned;
}

// Types the path into a file dialog's name box and presses its OK button.
bool SaveAs(HWND fileDialog, const std::wstring& path) {
    const auto children = WindowsBelow(fileDialog);
    const auto edit = std::find_if(children.begin(), children.end(), [](HWND child) {
        return ClassOf(child) == L"Edit" && IsWindowVisible(child);
    });
    if (edit != children.end()) {
        SendTo(*edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Press(fileDialog, IDOK);
    }
    return edit != children.end();
}

// The state Op::Checked, Op::Enabled or Op::Visible looks at.
bool StateOf(Op op, HWND control) {
    return op == Op::Checked   ? SendTo(control, BM_GETCHECK) == BST_CHECKED
           : op == Op::Enabled ? IsWindowEnabled(control) != 0
                               : IsWindowVisible(control) != 0;
}

// The text shown, or as far as the wanted one goes when that ends in '*' (a file name or a text
// the test cannot know follows).
std::wstring Matching(const std::wstring& shown, const std::wstring& wanted) {
    return wanted.ends_with(L'*') ? shown.substr(0, wanted.size() - 1) + L'*' : shown;
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
    void SetUp() override { PublishRelease(kProductVersion); }
    void TearDown() override { PublishRelease(kProductVersion); }

    fs::path Firefox() const { return folder_.Roaming() / "Mozilla" / "Firefox"; }
    fs::path Profile() const { return Firefox() / "Profiles" / "e2e.default"; }
    fs::path FileOf(int file) const {
        const char* name[] = {"user.js", "prefs.js", "", "prefs.js.quorvane-backup", "parent.lock"};
        return file == kChosenFile ? folder_.Path() / "chosen.js"
               : file < kWork
                   ? Profile() / name[file]
                   : (file == kWork ? working_ : program_path_.parent_path()) / "infos" / "03.png";
    }

    void Prepare(const StartingState& state) {
        if (state.prefs != nullptr) {
            test::WriteFileBytes(Firefox() / "profiles.ini",
                                 "[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
                                 "Path=Profiles/e2e.default\r\nDefault=1\r\n");
            test::WriteFileBytes(FileOf(kPrefsJs), state.prefs);
        }
        if (state.userJs != nullptr) {
            test::WriteFileBytes(FileOf(kUserJs), state.userJs);
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

    void Run(const S& step);
    void Photograph(const std::string& view) const;
    void RunDpiStep(const S& step);

    test::UserFolders folder_;
    fs::path program_path_ = ProgramUnderTest();
    fs::path working_;  // empty: the program's own folder
    std::unique_ptr<ProgramDriver> program_;
    HWND dialog_ = nullptr;
    std::unique_ptr<ServiceInspection> atStart_;  // the service's counts when the program started
    std::unique_ptr<SilentService> silent_;
    std::chrono::steady_clock::time_point actedAt_;
    ui::KernelHandle held_;                          // Op::Put "held" or "open"
    std::map<std::string, std::string> layoutAt96_;  // by view, before Op::Rescale to 144
    long gdiObjects_ = 0;                            // Op::GdiObjects 0
};

// The fresh start's layouts at 144 DPI, one file per view.
fs::path FreshLayoutFile(const std::string& view) {
    return fs::path(QUORVANE_TEST_FRESH_LAYOUT) / (view + ".txt");
}

void EndToEnd::RunDpiStep(const S& step) {
    const HWND window =
        dialog_ != nullptr && IsWindowVisible(dialog_) ? dialog_ : program_->MainWindow();
    if (step.op == Op::GdiObjects) {
        const long count = GdiObjectCount(window);
        ASSERT_GT(count, 0) << "the GDI handle table cannot be read";
        if (step.value == 0) {
            gdiObjects_ = count;
        } else {
            EXPECT_EQ(count, gdiObjects_);
        }
        return;
    }
    if (step.op == Op::Record) {
        fs::create_directories(FreshLayoutFile(step.text).parent_path());
        test::WriteFileBytes(FreshLayoutFile(step.text), SettledLayout(window));
        return;
    }
    const bool to144 = step.value == 144;
    if (to144 && !step.text.empty()) {
        layoutAt96_[step.text] = SettledLayout(window);
    }
    const std::string state = StateFigures(window);
    SendDpiChange(window, static_cast<unsigned>(step.value), to144 ? 96 : 144);
    if (step.text.empty()) {
        return;
    }
    const std::string wanted =
        to144 ? test::ReadFileBytes(FreshLayoutFile(step.text)) : layoutAt96_[step.text];
    ASSERT_FALSE(wanted.empty()) << "no layout of a fresh start for " << step.text;
    EXPECT_EQ(SettledLayout(window), wanted) << step.text << " at " << step.value;
    EXPECT_EQ(StateFigures(window), state) << step.text << " at " << step.value;
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

// Acts on the program or checks its windows and what it left behind.
void EndToEnd::Run(const S& step) {
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
    if (step.op == Op::Put) {
        const fs::path file = FileOf(step.value);
        held_.Reset();
        if (step.text == "held" || step.text == "open") {
            const HANDLE opened = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                              step.text == "open" ? FILE_SHARE_READ : 0, nullptr,
                                              OPEN_ALWAYS, 0, nullptr);
            ASSERT_NE(opened, INVALID_HANDLE_VALUE);
            held_.Reset(opened);
            return;
        }
        fs::remove_all(file);
        const std::string picture = test::ReadFileBytes(
            fs::path(Wide(QUORVANE_TEST_PROGRAM)).parent_path() / "infos" / "03.png");
        if (step.text == "folder") {
            fs::create_directory(file);
        } else if (step.text != "-") {
            test::WriteFileBytes(file, step.text == "picture" ? picture
                                       : step.text == "cut"   ? picture.substr(0, 200)
                                                              : step.text);
        }
        return;
    }
    if (step.op == Op::Release) {
        PublishRelease(step.text.c_str());
        return;
    }
    ASSERT_NE(program_, nullptr) << "the scenario must start the program first";
    ProgramDriver& program = *program_;
    const std::wstring text = Wide(step.text);
    const HWND control = dialog_ != nullptr && IsWindowVisible(dialog_)
                             ? GetDlgItem(dialog_, step.id)
                             : program.Control(step.id);
    const auto holds = [&](auto condition) { return WaitUntil(condition, seconds(5)); };
    switch (step.op) {
        case Op::MainWindow:
            ASSERT_NE(program.WaitForMainWindow(), nullptr);
            return;
        case Op::Box: {
            const HWND box = program.WaitForDialog(Wide(kProductName));
            ASSERT_NE(box, nullptr) << "no message box: " << step.text;
            const std::wstring shown = WindowText(GetDlgItem(box, 0xFFFF));  // the text's static
            EXPECT_EQ(Matching(shown, text), text) << Utf16ToUtf8(shown.c_str());
            Press(box, step.value);
            ASSERT_TRUE(WaitUntil([box] { return !IsWindowVisible(box); }));
            return;
        }
        case Op::Dialog:
            dialog_ = program.WaitForDialog(text);
            ASSERT_NE(dialog_, nullptr) << "no dialog " << step.text;
            return;
        case Op::Press:
            Press(dialog_, step.id);
            ASSERT_TRUE(WaitUntil([this] { return !IsWindowVisible(dialog_); }));
            return;
        case Op::SaveAs: {
            ASSERT_TRUE(SaveAs(dialog_, test::ToProgramPath(folder_.Path() / text)));
            HWND prompt = nullptr;
            ASSERT_TRUE(step.value == 0 ||
                        WaitUntil([&] { return (prompt = OwnedWindow(dialog_)) != nullptr; }));
            if (prompt != nullptr) {
                Press(prompt, IDYES);
            }
            ASSERT_TRUE(WaitUntil([this] { return !IsWindowVisible(dialog_); }));
            return;
        }
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
                         reinterpret_cast<LPARAM>(program.Toolbar()));
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
        case Op::Photograph:
            Photograph(step.text);
            return;
        case Op::Record:
        case Op::Rescale:
        case Op::GdiObjects:
            RunDpiStep(step);
            return;
        case Op::Close:
            PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
            [[fallthrough]];
        case Op::Exit:
            EXPECT_EQ(program.WaitForExit(), 0);
            return;

        // The steps that look at the program's windows and at what it left behind.
        case Op::NoMainWindow: {  // watched until the program has ended by itself
            bool shown = false;
            WaitUntil([&] {
                shown = shown || program.WaitForMainWindow(std::chrono::milliseconds(0));
                return shown || program.WaitForExit(std::chrono::milliseconds(0)) != -1;
            });
            EXPECT_FALSE(shown);
            return;
        }
        case Op::NoDialog: {  // watched until the program's window has answered three times
            HWND dialog = nullptr;
            for (int answers = 0; answers < 3 && dialog == nullptr; ++answers) {
                SendTo(program.MainWindow(), WM_NULL);
                dialog = program.WaitForDialog(text, std::chrono::milliseconds(100));
            }
            EXPECT_EQ(dialog, nullptr) << step.text;
            return;
        }
        case Op::Picture: {
            const bool preview = step.text != kNoPreview;
            const std::wstring file =
                test::ToProgramPath(preview ? fs::path(Wide(QUORVANE_TEST_PROGRAM)).parent_path() /
                                                  "infos" / (step.text + ".png")
                                            : fs::path(QUORVANE_TEST_NO_PREVIEW));
            EXPECT_TRUE(holds([&] { return PixelsDiffering(dialog_, file, preview) == 0; }))
                << step.text << ": " << PixelsDiffering(dialog_, file, preview) << " pixels differ";
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
        case Op::TallAs:  // once painted; bold and regular faces may differ by two pixels
            EXPECT_TRUE(holds([&] {
                return TextLineHeights(control).back() >=
                       TextLineHeights(program.Control(step.value)).front() -
                           (step.id == step.value ? 0 : 2);
            }));
            return;
        case Op::Selected: {  // and no other section's
            const auto on = [&](int id) {
                return SendTo(program.Toolbar(), TB_ISBUTTONCHECKED, id);
            };
            EXPECT_TRUE(holds([&] {
                return on(kMiscellaneous) + on(kPrivacy) + on(kRestoreSection) == 1 && on(step.id);
            }));
            return;
        }
        case Op::Checked:
        case Op::Enabled:
        case Op::Visible:
            EXPECT_TRUE(holds([&] { return StateOf(step.op, control) == (step.value != 0); }))
                << step.id;
            return;
        case Op::Text:
            EXPECT_TRUE(holds([&] { return Matching(WindowText(control), text) == text; }))
                << step.id << ": " << Utf16ToUtf8(WindowText(control).c_str());
            return;
        case Op::Boxes: {
            std::string shown;
            for (const PrefOption& option : kPrefCatalogue) {
                if (option.kind != PrefKind::Text) {
                    shown +=
                        StateOf(Op::Checked, program.Control(IdOf(option.control))) ? "1" : "0";
                }
            }
            EXPECT_EQ(shown, step.text);
            return;
        }
        case Op::File: {
            const fs::path file = FileOf(step.value);
            if (step.text == "-") {
                EXPECT_FALSE(fs::exists(file)) << file;
            } else {
                EXPECT_TRUE(holds([&] { return test::ReadFileBytes(file) == step.text; }))
                    << file << ":\n"
                    << test::ReadFileBytes(file);
            }
            return;
        }
        case Op::Setting: {
            char version[32] = {};
            ReadSettingText(version, sizeof version, step.text.c_str(), "", kPrimaryRoot);
            EXPECT_TRUE(step.id == 1
                            ? version == std::string(kProductVersion)
                            : ReadSettingInt(step.text.c_str(), -1, kPrimaryRoot) == step.value)
                << step.text;
            return;
        }
        case Op::Report:
        case Op::NoReport: {
            const ServiceInspection service;
            ASSERT_GE(service.Count("reports"), 0) << "the service's admin page did not come";
            ASSERT_GE(atStart_->Count("reports"), 0) << "nor did it when the program started";
            for (const std::string& fields :
                 {std::string(), "\"usage\":" + std::to_string(step.value)}) {
                EXPECT_EQ(service.Count("reports", fields),
                          atStart_->Count("reports", fields) + (step.op == Op::Report ? 1 : 0))
                    << service.Body();
            }
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
            const HWND window = step.op == Op::Placed ? control : program.MainWindow();
            std::istringstream numbers(step.text);
            const std::vector<int> wanted{std::istream_iterator<int>(numbers), {}};
            if (step.value == 1) {
                SetWindowPos(window, nullptr, 0, 0, wanted[0], wanted[1],
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            RECT rect{};
            GetWindowRect(window, &rect);
            MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
            const std::vector<int> found = {rect.left, rect.top, rect.right - rect.left,
                                            rect.bottom - rect.top};
            EXPECT_EQ(std::vector<int>(found.end() - static_cast<long>(wanted.size()), found.end()),
                      wanted);
            return;
        }
        default:
            FAIL() << "step " << static_cast<int>(step.op) << " is not known";
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

}  // namespace
