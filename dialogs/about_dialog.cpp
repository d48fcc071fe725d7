// The About dialog: fonts of its texts, its picture and the support address.
#include "dialogs/about_dialog.h"

#include "net/web_site.h"
#include "res/resource_ids.h"

namespace {

struct ItemFont {
    int item;
    int height;
    bool bold;
};

constexpr ItemFont kItemFonts[] = {
    {IDC_ABOUT_PRODUCT, -22, false},     {IDC_ABOUT_VERSION, -14, false},
    {IDC_ABOUT_AUTHOR_LABEL, -12, true}, {IDC_ABOUT_WEB_LABEL, -12, true},
    {IDC_ABOUT_EMAIL_LABEL, -12, true},
};

constexpr std::uint32_t kPictureSize = 48;

}  // namespace

dlgAbout::dlgAbout(std::uint32_t templateResourceId) : UIDialog(templateResourceId) {}

dlgAbout::~dlgAbout() = default;

void dlgAbout::OnInitDialog() {
    UIDialogControls* items = Controls();
    for (const ItemFont& font : kItemFonts) {
        if (UIStatic* label = items->FindStatic(font.item)) {
            label->SetFont(UIFontSpec(font.height, font.bold, L"Segoe UI"));
        }
    }
    SetPaintIcon(IDI_ABOUT, kPictureSize, kPictureSize);
    if (UIFontControl* email = items->FindEdit(IDC_ABOUT_EMAIL)) {
        wchar_t address[kUnscrambledCapacity];
        email->SetText(UnscrambleWide(address, kSupportAddress));
    }
}
