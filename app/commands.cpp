// The main window's commands: what each button, menu item and icon does.
#include <string>

#include "app/control_names.h"
#include "app/main_window.h"
#include "app/profile_in_use.h"

#include <shellapi.h>
#include "dialogs/about_dialog.h"
#include "dialogs/info_dialog.h"
#include "dialogs/settings_dialog.h"
#include "net/net_client.h"
#include "prefs/file_dialogs.h"
#include "prefs/pending_values.h"
#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/restore.h"
#include "res/resource_ids.h"
#include "settings/text_util.h"
#include "ui/message_box.h"

namespace {

constexpr std::size_t kInfoPrefixLength = sizeof controls::kInfoButtonPrefix - 1;

// Why Apply refused the editor path.
const wchar_t* EditorPathRefusal(EditorPathCheck check) {
    switch (check) {
        case EditorPathCheck::kTooLong:
            return L"The editor path is too long.";
        case EditorPathCheck::kPreferenceName:
            return L"The editor path is the name of a Firefox preference, not of a program.";
        default:
            return L"The editor path contains characters that are not allowed in a file name.";
    }
}

// One more sentence for a success message when the user's own user.js was kept aside.
std::wstring BackupNote(const std::wstring& backup) {
    return backup.empty() ? L""
                          : L" Your own preferences from user.js were saved in " + backup + L".";
}

}  // namespace

void MainWindow::SelectSectionCommand(int section) {
    UIControls& registry = *Controls();
    registry.ShowSection(section);
    if (UIToolbarButton* button = registry.FindToolbarButton(controls::kSectionButtons[section])) {
        button->Select();
    }
    if (UIButton* apply = registry.FindPushButton(controls::kApplyButton)) {
        apply->Enable(section != controls::kRestoreSection);
    }
    FocusFirstControl(true);  // the focus may have gone with the section that was hidden
}

// A section chosen from the keyboard takes the focus to its first control.
void MainWindow::SectionKeyCommand(int section) {
    SelectSectionCommand(section);
    FocusFirstControl();
}

void MainWindow::ShowAboutCommand() {
    dlgAbout about(IDD_ABOUT);
    about.RunDialog();
}

void MainWindow::ShowSettingsCommand() {
    dlgSettings settings(IDD_SETTINGS);
    settings.RunDialog();
}

void MainWindow::CheckUpdateCommand() {
    OfferDownload(CheckForUpdate(kRequestedCheck, updateState), kRequestedCheck);
}

void MainWindow::DonateCommand() {
    wchar_t verb[kUnscrambledCapacity];
    wchar_t address[kUnscrambledCapacity];
    ShellExecuteW(nullptr, UnscrambleWide(verb, scrambledConstants.shellVerb),
                  UnscrambleWide(address, scrambledConstants.donationPage), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

void MainWindow::EditorToggleCommand() {
    UIControls& registry = *Controls();
    const UIControl* editorSwitch = registry.FindCheckBox(kEditorSwitchOption.control);
    const bool checked = editorSwitch != nullptr && editorSwitch->IsChecked();
    if (UIButton* browse = registry.FindPushButton(controls::kBrowseButton)) {
        browse->Enable(checked);
    }
}

void MainWindow::ShowInfoCommand() {
    UIControls& registry = *Controls();
    const std::string name = LastCommandControlName();
    if (name.size() < kInfoPrefixLength) {
        return;
    }
    const std::string suffix = name.substr(kInfoPrefixLength);
    std::wstring title;
    if (const UIControl* box = registry.FindCheckBox("chb" + suffix)) {
        title = L" - " + box->Text();
    }
    const std::size_t underscore = suffix.find('_');
    if (underscore == std::string::npos) {
        return;
    }
    const std::string previewKey = suffix.substr(0, underscore) + suffix.substr(underscore + 1);
    dlgInfo preview(IDD_PREVIEW, previewKey, title);
    preview.SetCloseOnClick();
    preview.RunDialog();
    usageInfoOpened = true;
}

void MainWindow::BrowseEditorCommand() {
    const std::wstring path = ShowOpenFileDialog(Handle(), L"Executable Files (*.exe)");
    if (path.empty()) {
        return;
    }
    if (UIFontControl* edit = Controls()->FindEdit(kEditorPathOption.control)) {
        edit->SetText(path);
    }
}

// The check boxes and the editor path as shown, taken into the records' pending values.
EditorPathCheck MainWindow::TakePendingValues() {
    UIControls& registry = *Controls();
    ShownOptions options;
    for (std::size_t i = 0; i < kPrefOptionCount; ++i) {
        const UIControl* box = registry.FindCheckBox(kPrefCatalogue[i].control);
        options.checked[i] = box != nullptr && box->IsChecked();
    }
    if (const UIFontControl* edit = registry.FindEdit(kEditorPathOption.control)) {
        options.editorPath = edit->Text();
    }
    return ::TakePendingValues(options, miscPrefs, privacyPrefs);
}

void MainWindow::ApplyCommand() {
    if (const EditorPathCheck refused = TakePendingValues(); refused != EditorPathCheck::kSafe) {
        Tell(EditorPathRefusal(refused));
        return;
    }
    if (firefoxInstalled) {
        const ProfileFolder profile = ProfileFolder::Locate();
        std::wstring backup;
        const int written = WritePreferences(profile, miscPrefs, privacyPrefs, &backup);
        ReadPreferences(miscPrefs, privacyPrefs, profile);
        Tell(written == 1 ? L"Restart of Firefox is required for changes to take effect." +
                                BackupNote(backup)
                          : L"The preferences could not be saved to user.js.");
    } else {
        const std::wstring target =
            ShowSaveFileDialog(Handle(), L"user", L"Preferences (*.js)", L"js");
        if (!target.empty() && WritePreferences(target.c_str(), miscPrefs, privacyPrefs) != 1) {
            Tell(L"The preferences could not be saved to " + target + L".");
        }
    }
    usageApplied = true;
}

void MainWindow::RestoreCommand() {
    if (Tell(L"Firefox have to be closed before restoring preferences.", MB_OKCANCEL) != IDOK) {
        return;
    }
    const ProfileFolder profile = ProfileFolder::Locate();
    if (IsProfileInUse(profile)) {
        Tell(L"Firefox is still running. Close it and try Restore again.");
        return;
    }
    std::wstring backup;
    const int result = RestorePreferences(&backup, profile);
    if (result != kRestoreDone) {
        Tell(L"Firefox preferences have not been restored. Error: " + std::to_wstring(result));
        return;
    }
    SetBoxes(false);
    Tell(L"Firefox preferences have been successfully restored." + BackupNote(backup));
}
