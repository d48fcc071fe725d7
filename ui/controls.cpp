// Control creation, the name registry, sections, the toolbar and anchor layout of a window.
#include "ui/controls.h"

#include <commctrl.h>

#include "ui/dpi.h"

namespace {

constexpr unsigned kDefaultEditLimit = 32767;

}  // namespace

UIControls::UIControls(HINSTANCE moduleInstance, HWND parentWindow, double scale)
    : instance(moduleInstance),
      parent(parentWindow),
      toolbar(nullptr),
      font(CreateMessageFont(WindowDpi(parentWindow))),
      registry(8),
      currentSection(0),
      sectionOpened(false),
      dpiScale(scale),
      pendingToolbarButtons(0),
      nextToolbarImage(0),
      nextId(kFirstControlId) {
    registry.max_load_factor(1.0f);
    SendMessageW(parent, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}

ControlHandle UIControls::Create(const std::string& name, const wchar_t* className,
                                 const std::wstring& text, DWORD style, int x, int y, int width,
                                 int height, bool visibleInSection, int section, ControlKind kind) {
    const DWORD visibility = section < 1 ? WS_VISIBLE : 0;
    const RECT design{x, y, width, height};
    const RECT pixels = Pixels(design);
    HWND control =
        CreateWindowExW(0, className, text.c_str(), WS_CHILD | visibility | style, pixels.left,
                        pixels.top, pixels.right, pixels.bottom, parent,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId)), instance, nullptr);
    if (control == nullptr) {
        return ControlHandle{};
    }
    const ControlRecord record{control, nextId, section, visibleInSection, kind, design};
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    // A name that is already taken keeps its first record; this control still used an id.
    registry.try_emplace(name, record);
    return ControlHandle{control, nextId++};
}

// The one place where a control's design units become pixels (left, top, width, height), at
// creation and after a change of DPI alike.
RECT UIControls::Pixels(const RECT& design) const {
    return RECT{ScaleValue(design.left, dpiScale), ScaleValue(design.top, dpiScale),
                ScaleValue(design.right, dpiScale), ScaleValue(design.bottom, dpiScale)};
}

ControlHandle UIControls::AddCheckBox(const std::string& name, const std::wstring& text, int x,
                                      int y, int width, int height, bool visibleInSection,
                                      int section) {
    return Create(name, L"Button", text, WS_TABSTOP | BS_AUTOCHECKBOX, x, y, width, height,
                  visibleInSection, section, ControlKind::CheckBox);
}

ControlHandle UIControls::AddPushButton(const std::string& name, const std::wstring& text, int x,
                                        int y, int width, int height, bool visibleInSection,
                                        int section) {
    return Create(name, L"Button", text, WS_TABSTOP | BS_FLAT, x, y, width, height,
                  visibleInSection, section, ControlKind::PushButton);
}

void UIControls::AddEdit(const std::string& name, const std::wstring& text, int x, int y, int width,
                         int height, unsigned maxLength, bool visibleInSection, int section,
                         bool readOnly) {
    const DWORD style = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0);
    const ControlHandle edit = Create(name, L"Edit", text, style, x, y, width, height,
                                      visibleInSection, section, ControlKind::EditBox);
    if (edit.hwnd != nullptr) {
        SendMessageW(edit.hwnd, EM_LIMITTEXT, maxLength != 0 ? maxLength : kDefaultEditLimit, 0);
    }
}

ControlHandle UIControls::AddStatic(const std::string& name, const std::wstring& text, int x, int y,
                                    int width, int height, const StaticOptions& options) {
    const std::uint32_t iconId = options.iconId;
    // A clickable icon takes part in Tab like a button; its text is what screen readers announce.
    const DWORD style = iconId != 0 ? SS_ICON | SS_NOTIFY | WS_TABSTOP : SS_LEFT;
    const ControlHandle control =
        Create(name, L"Static", text, style, x, y, width, height, options.visibleInSection,
               options.section, ControlKind::StaticControl);
    if (control.hwnd == nullptr || iconId == 0) {
        return control;
    }
    const auto found = registry.find(name);
    if (found != registry.end() && found->second.hwnd == control.hwnd) {
        found->second.iconId = iconId;
        LoadStaticIcon(found->second);
    }
    UIStatic::AttachKeyboard(control.hwnd);
    return control;
}

// Loaded at the control's pixel size, so each DPI gets the picture drawn for it.
void UIControls::LoadStaticIcon(const ControlRecord& record) {
    const RECT pixels = Pixels(record.design);
    ui::IconHandle icon(
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(record.iconId), IMAGE_ICON,
                                      pixels.right, pixels.bottom, LR_LOADTRANSPARENT)));
    SendMessageW(record.hwnd, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.Get()));
    if (icon) {
        staticIcons.push_back(std::move(icon));
    }
}

void UIControls::CreateToolbar(int iconSize, const std::uint32_t* iconIds, std::size_t count) {
    if (toolbar != nullptr) {
        return;
    }
    pendingToolbarButtons = static_cast<std::uint32_t>(count);
    // The buttons' texts are not shown: they are the tooltips and what screen readers announce.
    toolbar =
        CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | TBSTYLE_TOOLTIPS | TBSTYLE_LIST,
                        0, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (toolbar == nullptr) {
        return;
    }
    SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    toolbarIconSize = iconSize;
    toolbarIconIds = iconIds;
    toolbarIconCount = count;
    LoadToolbarImages();

    TBBUTTON separator{};
    separator.fsState = TBSTATE_ENABLED;
    separator.fsStyle = BTNS_SEP;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&separator));
}

ControlHandle UIControls::AddToolbarButton(const std::string& name, const std::wstring& text) {
    if (toolbar == nullptr) {
        return ControlHandle{};
    }
    std::wstring strings = text;
    strings.push_back(L'\0');  // TB_ADDSTRINGW takes a list that ends in an empty string
    TBBUTTON button{};
    button.iString = text.empty() ? -1
                                  : SendMessageW(toolbar, TB_ADDSTRINGW, 0,
                                                 reinterpret_cast<LPARAM>(strings.c_str()));
    button.iBitmap = nextToolbarImage;
    button.idCommand = static_cast<int>(nextId);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (!SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button))) {
        return ControlHandle{};
    }
    ++nextToolbarImage;
    if (pendingToolbarButtons > 0 && --pendingToolbarButtons == 0) {
        SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
        ShowWindow(toolbar, SW_SHOWNORMAL);
    }
    registry.try_emplace(name,
                         ControlRecord{toolbar, nextId, -1, true, ControlKind::ToolbarButton});
    SendMessageW(toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    return ControlHandle{toolbar, nextId++};
}

// A new image list at the current scale; the one it replaces goes once the toolbar has let go.
void UIControls::LoadToolbarImages() {
    const int size = ScaleValue(toolbarIconSize, dpiScale);
    ui::ImageListHandle images(ImageList_Create(size, size,
                                                ILC_COLOR32 | ILC_MASK | ILC_HIGHQUALITYSCALE,
                                                static_cast<int>(toolbarIconCount) + 1, 0));
    for (std::size_t i = 0; i < toolbarIconCount; ++i) {
        // Loaded at the list's size, so each DPI gets the picture drawn for it. The list takes
        // the icon's colour bitmap, alpha and all: the same picture as ImageList_ReplaceIcon
        // gives, without drawing the icon, which costs start-up several milliseconds an icon.
        const ui::IconHandle icon(static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(toolbarIconIds[i]), IMAGE_ICON, size, size, 0)));
        ICONINFO parts{};
        if (icon && GetIconInfo(icon.Get(), &parts)) {
            const ui::BitmapHandle colour(parts.hbmColor);
            const ui::BitmapHandle mask(parts.hbmMask);
            ImageList_Add(images.Get(), colour.Get(), nullptr);
        }
    }
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
    toolbarImages = std::move(images);
}

void UIControls::Rescale(unsigned dpi) {
    dpiScale = dpi / 96.0;
    const ui::FontHandle oldFont = std::move(font);
    font = CreateMessageFont(dpi);
    // Controls with the default font take the new one; those with a font of their own get it
    // made again below, from their accessor's request.
    const auto takeFont = [&](HWND control) {
        if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) == oldFont.Get()) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        }
    };
    takeFont(parent);
    const std::vector<ui::IconHandle> oldIcons = std::move(staticIcons);
    staticIcons.clear();
    for (const auto& [name, record] : registry) {
        if (record.kind == ControlKind::ToolbarButton) {
            continue;
        }
        const RECT pixels = Pixels(record.design);
        MoveWindow(record.hwnd, pixels.left, pixels.top, pixels.right, pixels.bottom, TRUE);
        takeFont(record.hwnd);
        if (record.iconId != 0) {
            LoadStaticIcon(record);
        }
    }
    if (toolbar != nullptr) {
        LoadToolbarImages();
        takeFont(toolbar);
        SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    }
    for (UIFontControl* accessor :
         {static_cast<UIFontControl*>(pushButtonAccessor.get()), editAccessor.get(),
          static_cast<UIFontControl*>(staticAccessor.get())}) {
        if (accessor != nullptr) {
            accessor->RefreshFonts(parent);
        }
    }
    // The anchor rules are taken where the controls now stand, at the reference size.
    if (pushButtonAccessor) {
        pushButtonAccessor->RemeasureAnchors();
    }
    if (staticAccessor) {
        staticAccessor->RemeasureAnchors();
    }
}

void UIControls::Reserve(std::size_t n) {
    registry.reserve(n);
}

const ControlRecord* UIControls::Lookup(const std::string& name, ControlKind kind) const {
    const auto found = registry.find(name);
    if (found == registry.end() || found->second.kind != kind) {
        return nullptr;
    }
    return &found->second;
}

template <typename Accessor>
Accessor* UIControls::PointAccessor(std::unique_ptr<Accessor>& slot, const std::string& name,
                                    ControlKind kind) {
    if (!slot) {
        slot = std::make_unique<Accessor>();
    }
    const ControlRecord* record = Lookup(name, kind);
    if (record == nullptr) {
        return nullptr;
    }
    slot->PointAt(record->hwnd);
    return slot.get();
}

UIToolbarButton* UIControls::FindToolbarButton(const std::string& name) {
    if (!toolbarButtonAccessor) {
        toolbarButtonAccessor = std::make_unique<UIToolbarButton>();
    }
    const ControlRecord* record = Lookup(name, ControlKind::ToolbarButton);
    if (record == nullptr || record->id == 0) {
        return nullptr;
    }
    toolbarButtonAccessor->PointAt(record->hwnd, record->id);
    return toolbarButtonAccessor.get();
}

UIButton* UIControls::FindPushButton(const std::string& name) {
    UIButton* button = PointAccessor(pushButtonAccessor, name, ControlKind::PushButton);
    pushButtonAccessor->SetOwner(parent);
    return button;
}

UIControl* UIControls::FindCheckBox(const std::string& name) {
    return PointAccessor(checkBoxAccessor, name, ControlKind::CheckBox);
}

UIFontControl* UIControls::FindEdit(const std::string& name) {
    return PointAccessor(editAccessor, name, ControlKind::EditBox);
}

UIStatic* UIControls::FindStatic(const std::string& name) {
    UIStatic* control = PointAccessor(staticAccessor, name, ControlKind::StaticControl);
    staticAccessor->SetOwner(parent);
    return control;
}

void UIControls::ShowSection(int n) {
    if (n == currentSection) {
        return;
    }
    for (const auto& [name, record] : registry) {
        if (record.section == -1) {
            continue;
        }
        const bool show = record.section == n && record.visibleInSection;
        ShowWindow(record.hwnd, show ? SW_SHOW : SW_HIDE);
    }
    currentSection = n;
    if (n >= 1) {
        sectionOpened = true;
    }
}

std::string UIControls::NameOf(HWND control) const {
    for (const auto& [name, record] : registry) {
        if (record.hwnd == control) {
            return name;
        }
    }
    return std::string();
}

void UIControls::LayoutAnchors(int referenceWidth, int referenceHeight, const RECT& windowRect) {
    const AnchorDelta delta = DeltaOf(referenceWidth, referenceHeight, windowRect);
    if (staticAccessor) {
        staticAccessor->LayoutAnchors(delta);
    }
    if (pushButtonAccessor) {
        pushButtonAccessor->LayoutAnchors(delta);
    }
}
