// Dialog item lookups.
#include "ui/dialog_controls.h"

#include <string>

namespace {

constexpr int kClassNameCapacity = 16;

template <typename Accessor>
Accessor* Point(std::unique_ptr<Accessor>& slot, HWND item) {
    if (!slot) {
        slot = std::make_unique<Accessor>();
    }
    if (item == nullptr) {
        return nullptr;
    }
    slot->PointAt(item);
    return slot.get();
}

}  // namespace

std::wstring ShortClassName(HWND window) {
    wchar_t name[kClassNameCapacity] = {};
    const int length = GetClassNameW(window, name, kClassNameCapacity);
    return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

UIDialogControls::UIDialogControls(HWND dialogWindow) : dialog(dialogWindow) {}

HWND UIDialogControls::ItemOfClass(int itemId, const wchar_t* className) const {
    HWND item = GetDlgItem(dialog, itemId);
    if (item == nullptr || ShortClassName(item) != className) {
        return nullptr;
    }
    return item;
}

UIControl* UIDialogControls::FindCheckBox(int itemId) {
    return Point(checkBoxAccessor, ItemOfClass(itemId, L"Button"));
}

UIFontControl* UIDialogControls::FindEdit(int itemId) {
    return Point(editAccessor, ItemOfClass(itemId, L"Edit"));
}

UIStatic* UIDialogControls::FindStatic(int itemId) {
    UIStatic* control = Point(staticAccessor, ItemOfClass(itemId, L"Static"));
    staticAccessor->SetOwner(dialog);
    return control;
}

UIFontControl* UIDialogControls::FindLink(int itemId) {
    return Point(linkAccessor, ItemOfClass(itemId, L"SysLink"));
}

void UIDialogControls::RefreshFonts() {
    for (UIFontControl* accessor :
         {editAccessor.get(), static_cast<UIFontControl*>(staticAccessor.get()),
          linkAccessor.get()}) {
        if (accessor != nullptr) {
            accessor->RefreshFonts(dialog);
        }
    }
}
