// The main window's controls: toolbar, the two option sections built from the catalogue, the
// Restore section and the three controls along the bottom. Creation order fixes command ids.
#include <string>

#include "app/control_names.h"
#include "app/main_window.h"
#include "prefs/pref_reader.h"
#include "res/resource_ids.h"
#include "settings/text_util.h"

namespace {

constexpr int kToolbarIconSize = 96;
constexpr std::uint32_t kToolbarIcons[] = {IDI_SECTION_OPTIONS, IDI_SECTION_PRIVACY,
                                           IDI_SECTION_RESTORE, IDI_SECTION_ABOUT};
constexpr std::size_t kExpectedControls = 64;
// The toolbar buttons' tooltips and the names screen readers announce, in button order.
constexpr const wchar_t* kSectionTexts[] = {L"Miscellaneous", L"Privacy", L"Restore"};
constexpr wchar_t kAboutText[] = L"About";
constexpr int kSectionCount = static_cast<int>(std::size(controls::kSectionButtons));

// Rows of options: option k of a section sits at y = 120 + 25k, its Info button 2 units lower.
constexpr int kOptionLeft = 16;
constexpr int kFirstRowTop = 120;
constexpr int kRowHeight = 25;
constexpr int kInfoOffset = 2;
constexpr int kInfoWidth = 75;
constexpr int kInfoHeight = 21;

struct SectionColumns {
    int boxWidth;
    int infoLeft;
};
constexpr SectionColumns kSectionColumns[] = {{300, 370}, {360, 410}};

// The editor path under "chb0_5" and its browse button.
constexpr int kEditorLeft = 32;
constexpr int kEditorTop = 270;
constexpr int kEditorWidth = 325;
constexpr int kEditorHeight = 21;
constexpr int kBrowseWidth = 30;

}  // namespace

void MainWindow::BuildLayout() {
    UIControls& registry = *Controls();
    BuildToolbar(registry);
    BuildOptionSection(registry, 0);
    BuildOptionSection(registry, 1);
    BuildRestoreSection(registry);
    BuildBottomControls(registry);
    BuildShortcuts();
}

void MainWindow::BuildToolbar(UIControls& registry) {
    registry.CreateToolbar(kToolbarIconSize, kToolbarIcons, std::size(kToolbarIcons));
    registry.Reserve(kExpectedControls);
    for (int section = 0; section < kSectionCount; ++section) {
        const ControlHandle button =
            registry.AddToolbarButton(controls::kSectionButtons[section], kSectionTexts[section]);
        if (section == 0) {
            if (UIToolbarButton* first = registry.FindToolbarButton(controls::kSectionButtons[0])) {
                first->Select();
            }
        }
        OnCommand(button, [this, section] { SelectSectionCommand(section); });
    }
    OnCommand(registry.AddToolbarButton(controls::kAboutButton, kAboutText),
              [this] { ShowAboutCommand(); });
}

// Ctrl+1 to Ctrl+4 do what the toolbar's buttons do; Ctrl+Tab and Ctrl+Shift+Tab step through
// the sections.
void MainWindow::BuildShortcuts() {
    for (int section = 0; section < kSectionCount; ++section) {
        AddShortcut(FCONTROL, static_cast<WORD>('1' + section),
                    [this, section] { SectionKeyCommand(section); });
    }
    AddShortcut(FCONTROL, static_cast<WORD>('1' + kSectionCount), [this] { ShowAboutCommand(); });
    AddShortcut(FCONTROL, VK_TAB,
                [this] { SectionKeyCommand((Controls()->CurrentSection() + 1) % kSectionCount); });
    AddShortcut(FCONTROL | FSHIFT, VK_TAB, [this] {
        SectionKeyCommand((Controls()->CurrentSection() + kSectionCount - 1) % kSectionCount);
    });
}

void MainWindow::BuildOptionSection(UIControls& registry, int section) {
    const SectionColumns& columns = kSectionColumns[section];
    for (const PrefOption& option : kPrefCatalogue) {
        if (option.section != section) {
            continue;
        }
        if (option.kind == PrefKind::Text) {
            registry.AddEdit(option.control, L"", kEditorLeft, kEditorTop, kEditorWidth,
                             kEditorHeight, kEditorPathMaxCharacters, true, section, false);
            const ControlHandle browse =
                registry.AddPushButton(controls::kBrowseButton, L"...", columns.infoLeft,
                                       kEditorTop, kBrowseWidth, kEditorHeight, true, section);
            OnCommand(browse, [this] { BrowseEditorCommand(); });
            continue;
        }
        const int top = kFirstRowTop + kRowHeight * option.record;
        const ControlHandle box =
            registry.AddCheckBox(option.control, option.label, kOptionLeft, top, columns.boxWidth,
                                 kRowHeight, true, section);
        if (option.hasInfo) {
            const ControlHandle info = registry.AddPushButton(
                controls::InfoButtonName(section, option.record), L"Info", columns.infoLeft,
                top + kInfoOffset, kInfoWidth, kInfoHeight, true, section);
            OnCommand(info, [this] { ShowInfoCommand(); });
        }
        if (&option == &kEditorSwitchOption) {
            OnCommand(box, [this] { EditorToggleCommand(); });
        }
    }
}

void MainWindow::BuildRestoreSection(UIControls& registry) {
    const UIFontSpec warningFont(-12, true, L"Segoe UI");
    registry.AddStatic(controls::kRestoreTitle,
                       L"Restores all preferences changed by this software to their default "
                       L"value.",
                       16, 120, 500, 25, {.section = controls::kRestoreSection});
    registry.AddStatic(controls::kRestoreWarning,
                       L"Note: user.js will be deleted. If you have custom preferences in this "
                       L"file, they will be lost.\r\n\r\nMake a backup of your custom preferences "
                       L"before using this function.",
                       16, 150, 500, 75, {.section = controls::kRestoreSection});
    if (UIStatic* warning = registry.FindStatic(controls::kRestoreWarning)) {
        warning->SetFont(warningFont);
    }
    const ControlHandle restore = registry.AddPushButton(
        controls::kRestoreButton, L"Restore", 16, 240, 75, 21, true, controls::kRestoreSection);
    OnCommand(restore, [this] { RestoreCommand(); });
}

void MainWindow::BuildBottomControls(UIControls& registry) {
    registry.AddStatic(controls::kSettingsIcon, L"Settings", 10, 534, 48, 48,
                       {.iconId = IDI_SETTINGS});
    if (UIStatic* settings = registry.FindStatic(controls::kSettingsIcon)) {
        settings->AttachMenu();
        const ControlHandle settingsItem = settings->AddMenuItem(L"Settings");
        OnCommand(settingsItem, [this] { ShowSettingsCommand(); });
        const ControlHandle updateItem = settings->AddMenuItem(L"Check for update");
        settings->Anchor({.bottom = true, .left = true});
        OnCommand(updateItem, [this] { CheckUpdateCommand(); });
    }
    const ControlHandle donate = registry.AddStatic(controls::kDonateIcon, L"Donate", 85, 540, 72,
                                                    40, {.iconId = IDI_DONATE});
    if (UIStatic* donateIcon = registry.FindStatic(controls::kDonateIcon)) {
        donateIcon->Anchor({.bottom = true, .left = true});
    }
    OnCommand(donate, [this] { DonateCommand(); });
    const ControlHandle apply =
        registry.AddPushButton(controls::kApplyButton, L"Apply", 713, 533, 150, 50, true, -1);
    if (UIButton* applyButton = registry.FindPushButton(controls::kApplyButton)) {
        applyButton->Anchor({.right = true, .bottom = true});
    }
    OnCommand(apply, [this] { ApplyCommand(); });
}

// Shows the option records in the controls: check boxes, the editor path and its button.
void MainWindow::SetBoxes(bool fromRecords) {
    UIControls& registry = *Controls();
    for (const PrefOption& option : kPrefCatalogue) {
        if (option.kind == PrefKind::Text) {
            if (UIFontControl* path = registry.FindEdit(option.control)) {
                path->SetText(
                    fromRecords
                        ? Utf8ToUtf16(RecordOf(option, miscPrefs, privacyPrefs).current.text)
                        : L"");
            }
            continue;
        }
        if (UIControl* box = registry.FindCheckBox(option.control)) {
            const std::uint32_t flag = fromRecords
                                           ? RecordOf(option, miscPrefs, privacyPrefs).current.flag
                                           : DefaultFlag(option);
            box->SetChecked(flag != 0);
        }
    }
}

void MainWindow::LoadOptionValues() {
    ReadPreferences(miscPrefs, privacyPrefs);
    SetBoxes(true);
    EditorToggleCommand();
}
