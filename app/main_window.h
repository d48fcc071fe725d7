// The program's one window: start-up, the three sections of options and their commands, and
// the usage report when it closes.
#pragma once

#include <windows.h>

#include <string>

#include "net/update_check.h"
#include "prefs/catalogue.h"
#include "prefs/pref_writer.h"
#include "settings/scrambled_text.h"
#include "ui/ui_core.h"

class MainWindow : public UICore {
public:
    MainWindow(HINSTANCE moduleInstance, const std::wstring& title, int width, int height,
               std::uint32_t classIconId, std::uint32_t smallIconId);
    ~MainWindow() override;

    void OnShown() override;
    void OnDestroy() override;

private:
    // The fixed names the window itself uses, held scrambled.
    struct ScrambledConstants {
        ScrambledText noticeSuppressedKey;
        ScrambledText noticeVersionKey;
        ScrambledText shellVerb;
        ScrambledText donationPage;
    };

    void BuildLayout();
    void BuildToolbar(UIControls& registry);
    void BuildOptionSection(UIControls& registry, int section);
    void BuildRestoreSection(UIControls& registry);
    void BuildBottomControls(UIControls& registry);
    void BuildShortcuts();
    void LoadOptionValues();
    void OfferDownload(int updateResult, int force);
    void ShowLicenseNotice();

    // Commands bound to the controls.
    void SelectSectionCommand(int section);
    void SectionKeyCommand(int section);
    void ShowAboutCommand();
    void ShowSettingsCommand();
    void CheckUpdateCommand();
    void DonateCommand();
    void EditorToggleCommand();
    void ShowInfoCommand();
    void BrowseEditorCommand();
    void ApplyCommand();
    void RestoreCommand();

    int Tell(const std::wstring& text, unsigned type = MB_OK) const;
    EditorPathCheck TakePendingValues();
    // The records' values, or Firefox's own defaults (after Restore).
    void SetBoxes(bool fromRecords);

    ScrambledConstants scrambledConstants;
    bool shown = false;  // the window shows once; later WM_SHOWWINDOWs change nothing
    bool firefoxInstalled = false;
    PrefSection miscPrefs{};
    PrefSection privacyPrefs{};
    UpdateCheckState updateState{};
    bool noticeVersionChanged = false;
    bool usageNoticeShown = false;
    bool usageInfoOpened = false;
    bool usageApplied = false;
};
