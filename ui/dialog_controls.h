// Accessors for the controls of a dialog template, found by item id and checked by window class.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/accessors.h"

class UIDialogControls {
public:
    explicit UIDialogControls(HWND dialogWindow);
    UIDialogControls(const UIDialogControls&) = delete;
    UIDialogControls& operator=(const UIDialogControls&) = delete;

    // The accessor pointed at the item, or null when the dialog has no such item or the item is
    // of another window class ("Button", "Edit", "Static", "SysLink" in that order).
    UIControl* FindCheckBox(int itemId);
    UIFontControl* FindEdit(int itemId);
    UIStatic* FindStatic(int itemId);
    UIFontControl* FindLink(int itemId);
    // After a change of DPI: the fonts set through these accessors, made again for the new DPI.
    void RefreshFonts();

private:
    // The item when its window class is exactly className, else null.
    HWND ItemOfClass(int itemId, const wchar_t* className) const;

    HWND dialog;  // not owned
    std::unique_ptr<UIControl> checkBoxAccessor;
    std::unique_ptr<UIFontControl> editAccessor;
    std::unique_ptr<UIStatic> staticAccessor;
    std::unique_ptr<UIFontControl> linkAccessor;
};

// The class name of a window read into 16 characters, as the lookups compare it; "" on failure.
std::wstring ShortClassName(HWND window);
