// Accessor operations: check state, text, enabling, fonts, anchors, popup menus and the toolbar
// selection.
#include "ui/accessors.h"

#include <commctrl.h>

#include "settings/text_util.h"
#include "ui/dpi.h"
#include "ui/messages.h"

bool UIControl::IsChecked() const {
    return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void UIControl::SetChecked(bool checked) {
    SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::wstring UIControl::Text() const {
    wchar_t buffer[kTextCapacity] = {};
    const int length = GetWindowTextW(hwnd, buffer, static_cast<int>(kTextCapacity));
    return std::wstring(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void UIControl::SetText(const std::wstring& text) {
    SetWindowTextW(hwnd, text.c_str());
}

void UIControl::ClearText() {
    SetWindowTextW(hwnd, L"");
}

void UIControl::Enable(bool enabled) {
    EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

void UIFontControl::SetFont(const UIFontSpec& spec) {
    if (hwnd == nullptr) {
        return;
    }
    HWND parent = GetParent(hwnd);
    const unsigned dpi = parent != nullptr ? WindowDpi(parent) : 96;
    const std::int32_t height = EffectiveFontHeight(spec.height, dpi);
    const std::uint64_t key = FontCacheKey(spec.faceName, height, spec.weight);

    auto found = fontCache.find(key);
    if (found == fontCache.end()) {
        LOGFONTW description = MessageFontDescription(dpi);
        description.lfHeight = height;
        description.lfWeight = spec.weight;
        BoundedCopyWide(description.lfFaceName, spec.faceName.c_str(), LF_FACESIZE);
        found =
            fontCache
                .emplace(key, CachedFont{ui::FontHandle(CreateFontIndirectW(&description)), spec})
                .first;
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(found->second.font.Get()), TRUE);
}

void UIFontControl::RefreshFonts(HWND parent) {
    const HWND current = hwnd;
    // The old fonts stay until every control has let go of them.
    const std::map<std::uint64_t, CachedFont> old = std::move(fontCache);
    fontCache.clear();
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto shown = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        for (const auto& [key, cached] : old) {
            if (cached.font.Get() == shown) {
                hwnd = child;
                SetFont(cached.spec);
            }
        }
    }
    hwnd = current;
}

namespace {

void RecordAnchor(std::map<HWND, AnchorRule>& anchors, HWND control, HWND owner,
                  const AnchorEdges& edges) {
    if (anchors.count(control) != 0) {
        return;
    }
    AnchorRule rule;
    rule.edges = edges;
    if (MeasureAnchorRule(control, owner, rule)) {
        anchors.emplace(control, rule);
    }
}

void Remeasure(std::map<HWND, AnchorRule>& anchors, HWND owner) {
    for (auto& [control, rule] : anchors) {
        MeasureAnchorRule(control, owner, rule);
    }
}

constexpr UINT_PTR kMenuSubclassId = 1;
constexpr UINT_PTR kKeyboardSubclassId = 2;
constexpr int kMenuOffsetY = 48;  // design units below the control's top: under the icon

// The keys that press a focused button.
bool IsPressKey(WPARAM key) {
    return key == VK_RETURN || key == VK_SPACE;
}

}  // namespace

void UIButton::Anchor(const AnchorEdges& edges) {
    RecordAnchor(anchors, hwnd, owner, edges);
}

void UIButton::LayoutAnchors(const AnchorDelta& delta) const {
    for (const auto& [control, rule] : anchors) {
        ApplyPlacement(control, PlaceButton(rule, delta));
    }
}

void UIButton::RemeasureAnchors() {
    Remeasure(anchors, owner);
}

void UIStatic::Anchor(const AnchorEdges& edges) {
    RecordAnchor(anchors, hwnd, owner, edges);
}

void UIStatic::LayoutAnchors(const AnchorDelta& delta) const {
    for (const auto& [control, rule] : anchors) {
        ApplyPlacement(control, PlaceStatic(rule, delta));
    }
}

void UIStatic::RemeasureAnchors() {
    Remeasure(anchors, owner);
}

void UIStatic::AttachKeyboard(HWND icon) {
    SetWindowSubclass(icon, KeyboardProcedure, kKeyboardSubclassId, 0);
}

LRESULT CALLBACK UIStatic::KeyboardProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR subclassId, DWORD_PTR) {
    switch (message) {
        case WM_GETDLGCODE: {
            // Asked with the message that the dialog manager would otherwise take for itself.
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key != nullptr && key->message == WM_KEYDOWN && IsPressKey(key->wParam)) {
                return DLGC_WANTMESSAGE;
            }
            break;
        }
        case WM_KEYUP:
            if (IsPressKey(wParam)) {
                SendMessageW(GetParent(window), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(window), STN_CLICKED),
                             reinterpret_cast<LPARAM>(window));
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE:
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT: {
            // The focus rectangle of a button, shown like theirs once the keyboard is in use. It
            // goes into the same paint as the icon, clipped alike, so that a partial repaint
            // draws it exactly where the icon was painted afresh.
            const ui::PaintGuard paint(window);
            DefSubclassProc(window, message, reinterpret_cast<WPARAM>(paint.Dc()), lParam);
            if (GetFocus() == window &&
                (SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
                RECT rect{};
                GetClientRect(window, &rect);
                DrawFocusRect(paint.Dc(), &rect);
            }
            return 0;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, KeyboardProcedure, subclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void UIStatic::AttachMenu() {
    SetWindowSubclass(hwnd, MenuProcedure, kMenuSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

ControlHandle UIStatic::AddMenuItem(const std::wstring& text) {
    if (menuItems.size() >= kMaxMenuItems) {
        return ControlHandle{};
    }
    menuItems.push_back(text);
    return ControlHandle{hwnd, menuItems.size()};
}

void UIStatic::ShowMenu(HWND control) const {
    UINT_PTR choice = 0;
    ui::MenuHandle menu(CreatePopupMenu());
    RECT rect{};
    if (menu && GetWindowRect(control, &rect)) {
        for (std::size_t i = 0; i < menuItems.size(); ++i) {
            AppendMenuW(menu.Get(), MF_STRING, i + 1, menuItems[i].c_str());
        }
        choice = static_cast<UINT_PTR>(TrackPopupMenu(
            menu.Get(), TPM_RETURNCMD | TPM_VERPOSANIMATION, rect.left,
            rect.top + ScaleValue(kMenuOffsetY, DpiScaleOf(control)), 0, control, nullptr));
    }
    menu.Reset();
    PostMessageW(owner, WM_UI_MENUCOMMAND, choice, reinterpret_cast<LPARAM>(control));
}

LRESULT CALLBACK UIStatic::MenuProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR subclassId, DWORD_PTR referenceData) {
    switch (message) {
        case WM_KEYUP:
            if (!IsPressKey(wParam)) {
                break;
            }
            [[fallthrough]];
        case WM_LBUTTONUP:
            reinterpret_cast<const UIStatic*>(referenceData)->ShowMenu(window);
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, MenuProcedure, subclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void UIToolbarButton::Select() {
    if (selectedId != 0) {
        SendMessageW(hwnd, TB_CHECKBUTTON, static_cast<WPARAM>(selectedId), FALSE);
    }
    SendMessageW(hwnd, TB_CHECKBUTTON, static_cast<WPARAM>(id), TRUE);
    selectedId = id;
}
