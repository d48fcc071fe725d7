// The named-control registry of a top-level window: creates every control from design units,
// gives it a command id, the window's font and a section, files it under a short ASCII name, and
// hands out accessors by name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/accessors.h"
#include "ui/control_handle.h"
#include "ui/handles.h"

// What a static shows and where it belongs, named at the call: AddStatic(..., {.section = 2}).
struct StaticOptions {
    int section = -1;          // -1: in no section, never hidden by ShowSection
    std::uint32_t iconId = 0;  // 0: a left-aligned text label; otherwise a clickable icon of it
    bool visibleInSection = true;
};

struct ControlRecord {
    HWND hwnd = nullptr;  // not owned: destroyed with the parent window
    std::uint64_t id = 0;
    std::int32_t section = -1;  // -1: in no section, never hidden by ShowSection
    bool visibleInSection = true;
    ControlKind kind = ControlKind::PushButton;
    RECT design{};             // left, top, width, height in design units
    std::uint32_t iconId = 0;  // the icon of an icon static
};

class UIControls {
public:
    // Gives parent the system message font, which every created control gets too.
    UIControls(HINSTANCE moduleInstance, HWND parentWindow, double scale);
    UIControls(const UIControls&) = delete;
    UIControls& operator=(const UIControls&) = delete;

    // The command id of the first control; each control made after it takes the next.
    static constexpr std::uint32_t kFirstControlId = 200;

    // Creation. Coordinates and sizes are design units at 96 DPI. A control of section 1 or more
    // starts hidden. A failed creation returns {null, 0}, registers nothing and uses no id.
    ControlHandle AddCheckBox(const std::string& name, const std::wstring& text, int x, int y,
                              int width, int height, bool visibleInSection, int section);
    ControlHandle AddPushButton(const std::string& name, const std::wstring& text, int x, int y,
                                int width, int height, bool visibleInSection, int section);
    // maxLength 0 allows 32767 characters.
    void AddEdit(const std::string& name, const std::wstring& text, int x, int y, int width,
                 int height, unsigned maxLength, bool visibleInSection, int section, bool readOnly);
    ControlHandle AddStatic(const std::string& name, const std::wstring& text, int x, int y,
                            int width, int height, const StaticOptions& options);
    // Makes the one toolbar (hidden until its count buttons were added) with icons of iconSize
    // design units. The table of icon ids must live as long as the window (a constant table).
    void CreateToolbar(int iconSize, const std::uint32_t* iconIds, std::size_t count);
    // A button showing only its icon; text is its tooltip and the name screen readers announce.
    ControlHandle AddToolbarButton(const std::string& name, const std::wstring& text = L"");
    void Reserve(std::size_t n);

    // Lookup by name: the accessor of that kind pointed at the control, or null when the name is
    // unknown or of another kind. One accessor serves each kind, so a later lookup of the same
    // kind re-points what an earlier one returned.
    UIToolbarButton* FindToolbarButton(const std::string& name);
    UIButton* FindPushButton(const std::string& name);
    UIControl* FindCheckBox(const std::string& name);
    UIFontControl* FindEdit(const std::string& name);
    UIStatic* FindStatic(const std::string& name);

    // Shows the controls of section n (those with visibleInSection) and hides every other
    // sectioned control. Nothing happens when n is the current section.
    void ShowSection(int n);
    // Whether a section numbered 1 or more was ever shown.
    bool SectionWasOpened() const { return sectionOpened; }
    int CurrentSection() const { return currentSection; }
    // The name of the first record whose window is hwnd, or "".
    std::string NameOf(HWND control) const;

    // Moves the anchored controls for the window's rectangle against its reference size.
    void LayoutAnchors(int referenceWidth, int referenceHeight, const RECT& windowRect);
    // Lays every control out again for the DPI the parent now has (WM_DPICHANGED), as creation
    // would have: places and sizes, fonts, pictures and anchor rules. The old fonts and pictures
    // are freed. Anchored controls stand at their reference places until the next layout.
    void Rescale(unsigned dpi);

    HWND Toolbar() const { return toolbar; }
    HFONT Font() const { return font.Get(); }

private:
    ControlHandle Create(const std::string& name, const wchar_t* className,
                         const std::wstring& text, DWORD style, int x, int y, int width, int height,
                         bool visibleInSection, int section, ControlKind kind);
    const ControlRecord* Lookup(const std::string& name, ControlKind kind) const;
    RECT Pixels(const RECT& design) const;
    void LoadStaticIcon(const ControlRecord& record);
    void LoadToolbarImages();
    template <typename Accessor>
    Accessor* PointAccessor(std::unique_ptr<Accessor>& slot, const std::string& name,
                            ControlKind kind);

    HINSTANCE instance;
    HWND parent;   // not owned: the window that owns this set
    HWND toolbar;  // not owned: a child of parent, destroyed with it
    ui::FontHandle font;
    std::unique_ptr<UIToolbarButton> toolbarButtonAccessor;
    std::unique_ptr<UIButton> pushButtonAccessor;
    std::unique_ptr<UIControl> checkBoxAccessor;
    std::unique_ptr<UIFontControl> editAccessor;
    std::unique_ptr<UIStatic> staticAccessor;
    std::unordered_map<std::string, ControlRecord> registry;
    std::int32_t currentSection;
    bool sectionOpened;
    double dpiScale;
    std::uint32_t pendingToolbarButtons;
    std::uint16_t nextToolbarImage;
    std::uint32_t nextId;
    int toolbarIconSize = 0;                        // design units
    const std::uint32_t* toolbarIconIds = nullptr;  // the caller's constant table
    std::size_t toolbarIconCount = 0;
    ui::ImageListHandle toolbarImages;        // the toolbar does not destroy its image list
    std::vector<ui::IconHandle> staticIcons;  // icon statics do not destroy their icons
};
