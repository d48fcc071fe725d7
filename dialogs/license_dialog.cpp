// The License-model notice: texts and fonts, the donation link and the two settings it writes.
#include "dialogs/license_dialog.h"

#include "dialogs/notice_settings.h"
#include "net/web_site.h"
#include "res/resource_ids.h"
#include "settings/product.h"
#include "settings/settings_store.h"

namespace {

constexpr wchar_t kTermsText[] =
    L"Quorvane is free for personal and non-commercial use. You may use it at home, share it "
    L"with friends and keep it as long as you like.";
constexpr wchar_t kBusinessText[] =
    L"Using it in a company, in public administration or for any commercial purpose requires a "
    L"license. Donations keep the program maintained and free for everyone else.";

std::wstring DonationLinkText() {
    wchar_t address[kUnscrambledCapacity];
    return std::wstring(L"If you like this software, please consider <A HREF=\"") +
           UnscrambleWide(address, kDonationPage) + L"\">DONATING</A>";
}

void SetItem(UIFontControl* item, const UIFontSpec& font, const wchar_t* text) {
    if (item == nullptr) {
        return;
    }
    // The font first: a link control reads its word-break character from the font, and parses
    // "<A HREF=...>" only when it knows it.
    item->SetFont(font);
    if (text != nullptr) {
        item->SetText(text);
    }
}

}  // namespace

dlgLicense::dlgLicense(std::uint32_t templateResourceId) : UIDialog(templateResourceId) {}

dlgLicense::~dlgLicense() = default;

void dlgLicense::OnInitDialog() {
    const UIFontSpec normal(-14, false, L"Segoe UI");
    const UIFontSpec bold(-14, true, L"Segoe UI");
    UIDialogControls* items = Controls();
    SetItem(items->FindStatic(IDC_LICENSE_TERMS), normal, kTermsText);
    SetItem(items->FindLink(IDC_LICENSE_DONATE_LINK), bold, DonationLinkText().c_str());
    SetItem(items->FindStatic(IDC_LICENSE_TEXT), normal, kBusinessText);
    SetItem(items->FindStatic(IDC_LICENSE_MORE_LABEL), normal, nullptr);
    SetItem(items->FindLink(IDC_LICENSE_MORE_LINK), normal, nullptr);
    OnCommand(IDC_LICENSE_OK, [this] { ConfirmAndClose(); });
    WriteSettingText(SettingKeyText(kNoticeVersionKey).text, kProductVersion, kPrimaryRoot);
}

void dlgLicense::ConfirmAndClose() {
    const UIControl* doNotShow = Controls()->FindCheckBox(IDC_LICENSE_DO_NOT_SHOW);
    if (doNotShow != nullptr && doNotShow->IsChecked()) {
        WriteSettingInt(SettingKeyText(kNoticeSuppressedKey).text, 1, kPrimaryRoot);
    }
    SendMessageW(Handle(), WM_CLOSE, 0, 0);
}
