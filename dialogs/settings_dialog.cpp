// The Settings dialog: shows two settings as check boxes and writes them on OK.
#include "dialogs/settings_dialog.h"

#include "dialogs/notice_settings.h"
#include "net/net_settings.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"

dlgSettings::dlgSettings(std::uint32_t templateResourceId) : UIDialog(templateResourceId) {}

dlgSettings::~dlgSettings() = default;

void dlgSettings::OnInitDialog() {
    UIDialogControls* items = Controls();
    const SettingKeyText updateCheck(kUpdateCheckEnabledKey);
    const SettingKeyText noticeSuppressed(kNoticeSuppressedKey);
    if (UIControl* box = items->FindCheckBox(IDC_SETTINGS_UPDATE_CHECK)) {
        box->SetChecked(ReadSettingInt(updateCheck.text, 1, kPrimaryRoot) != 0);
    }
    if (UIControl* box = items->FindCheckBox(IDC_SETTINGS_SHOW_NOTICE)) {
        box->SetChecked(ReadSettingInt(noticeSuppressed.text, 0, kPrimaryRoot) == 0);
    }
    OnCommand(IDC_SETTINGS_OK, [this] { SaveAndClose(); });
}

void dlgSettings::SaveAndClose() {
    UIDialogControls* items = Controls();
    const UIControl* updateBox = items->FindCheckBox(IDC_SETTINGS_UPDATE_CHECK);
    const bool updateChecked = updateBox != nullptr && updateBox->IsChecked();
    const UIControl* noticeBox = items->FindCheckBox(IDC_SETTINGS_SHOW_NOTICE);
    const bool noticeChecked = noticeBox != nullptr && noticeBox->IsChecked();
    WriteSettingInt(SettingKeyText(kUpdateCheckEnabledKey).text, updateChecked ? 1 : 0,
                    kPrimaryRoot);
    WriteSettingInt(SettingKeyText(kNoticeSuppressedKey).text, noticeChecked ? 0 : 1, kPrimaryRoot);
    SendMessageW(Handle(), WM_CLOSE, 0, 0);
}
