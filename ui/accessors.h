// Accessors: reusable views on one control at a time, through which code checks, enables, reads
// and writes controls it found by name (main window) or by item id (dialogs). An accessor does
// not own its control; it owns the fonts it made, its anchor rules and its menu items.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/anchors.h"
#include "ui/control_handle.h"
#include "ui/fonts.h"
#include "ui/handles.h"

class UIControl {
public:
    UIControl() = default;
    UIControl(const UIControl&) = delete;
    UIControl& operator=(const UIControl&) = delete;

    bool IsChecked() const;
    void SetChecked(bool checked);
    // At most the first 1024 characters of the control's text.
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void ClearText();
    void Enable(bool enabled);

    HWND Handle() const { return hwnd; }
    void PointAt(HWND control) { hwnd = control; }

    static constexpr std::size_t kTextCapacity = 1025;

protected:
    HWND hwnd = nullptr;  // not owned
};

class UIFontControl : public UIControl {
public:
    // Gives the current control a font made from the request at its parent's DPI. Fonts are made
    // once per distinct request and shared by every control this accessor serves.
    void SetFont(const UIFontSpec& spec);
    // After a change of DPI: gives every child of parent that shows a font of this accessor its
    // request again at the new DPI, and frees the fonts made for the old one.
    void RefreshFonts(HWND parent);

private:
    struct CachedFont {
        ui::FontHandle font;
        UIFontSpec spec;  // the request it was made for
    };
    std::map<std::uint64_t, CachedFont> fontCache;
};

class UIButton : public UIFontControl {
public:
    // Records where the current control is, for LayoutAnchors. A control keeps its first rule.
    void Anchor(const AnchorEdges& edges);
    void LayoutAnchors(const AnchorDelta& delta) const;
    // Measures every rule again where its control is now (after a change of DPI).
    void RemeasureAnchors();
    void SetOwner(HWND window) { owner = window; }

private:
    HWND owner = nullptr;  // not owned: the window the controls belong to
    std::map<HWND, AnchorRule> anchors;
};

class UIStatic : public UIFontControl {
public:
    // Lets the keyboard use a clickable icon: it shows a focus rectangle, and Enter or Space
    // released over it clicks it (STN_CLICKED to its parent).
    static void AttachKeyboard(HWND icon);

    // Opens a popup menu of this accessor's items when the left button, Enter or Space is
    // released over the current control; the chosen item number (0 when dismissed) is posted to
    // the owner as WM_UI_MENUCOMMAND with the control as lParam.
    void AttachMenu();
    // Appends an item; returns {current control, item number from 1}, or {null, 0} past 200.
    ControlHandle AddMenuItem(const std::wstring& text);

    void Anchor(const AnchorEdges& edges);
    void LayoutAnchors(const AnchorDelta& delta) const;
    void RemeasureAnchors();
    void SetOwner(HWND window) { owner = window; }

    static constexpr std::size_t kMaxMenuItems = 200;

private:
    static LRESULT CALLBACK MenuProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR subclassId, DWORD_PTR referenceData);
    static LRESULT CALLBACK KeyboardProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR subclassId, DWORD_PTR);
    void ShowMenu(HWND control) const;

    HWND owner = nullptr;  // not owned
    std::vector<std::wstring> menuItems;
    std::map<HWND, AnchorRule> anchors;
};

class UIToolbarButton {
public:
    UIToolbarButton() = default;
    UIToolbarButton(const UIToolbarButton&) = delete;
    UIToolbarButton& operator=(const UIToolbarButton&) = delete;

    // Checks this button and releases the one this accessor checked before.
    void Select();

    void PointAt(HWND toolbar, std::uint64_t buttonId) {
        hwnd = toolbar;
        id = buttonId;
    }
    std::uint64_t Id() const { return id; }

private:
    HWND hwnd = nullptr;  // not owned: the toolbar
    std::uint64_t id = 0;
    std::uint64_t selectedId = 0;
};
