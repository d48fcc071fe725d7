// The dialog procedure shared by all dialogs, and running a dialog template modally.
#include "ui/dialog.h"

#include <commctrl.h>

#include "ui/dpi.h"
#include "ui/links.h"
#include "ui/ui_core.h"

namespace {

// The dialog base units of a font as the dialog manager derives them: the average width of the
// 52 Latin letters, rounded, and the character height.
SIZE BaseUnitsOf(HFONT font) {
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const ui::MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    const ui::SelectGuard selected(dc.Get(), font);
    TEXTMETRICW metrics{};
    SIZE extent{};
    GetTextMetricsW(dc.Get(), &metrics);
    GetTextExtentPoint32W(dc.Get(), kLetters, 52, &extent);
    return SIZE{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

}  // namespace

UIDialog::UIDialog(std::uint32_t templateResourceId)
    : controls(),
      instance(nullptr),
      hwnd(nullptr),
      templateId(templateResourceId),
      closeOnClick(false),
      paintMode(PaintMode::Nothing),
      paintImagePath(),
      paintResourceId(0),
      paintIconWidth(48),
      paintIconHeight(48),
      centerCount(0) {}

UIDialog::~UIDialog() = default;

void UIDialog::OnInitDialog() {}

INT_PTR UIDialog::RunDialog() {
    instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(MainWindowHandle, GWLP_HINSTANCE));
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), MainWindowHandle,
                           DialogProcedure, reinterpret_cast<LPARAM>(this));
}

void UIDialog::SetCloseOnClick() {
    closeOnClick = true;
}

void UIDialog::SetPaintImageFile(const std::wstring& path) {
    paintMode = PaintMode::ImageFile;
    paintImagePath = path;
}

void UIDialog::SetPaintBitmap(std::uint32_t resourceId) {
    paintMode = PaintMode::BitmapResource;
    paintResourceId = resourceId;
}

void UIDialog::SetPaintIcon(std::uint32_t resourceId, std::uint32_t width, std::uint32_t height) {
    paintMode = PaintMode::IconResource;
    paintResourceId = resourceId;
    paintIconWidth = width;
    paintIconHeight = height;
}

INT_PTR CALLBACK UIDialog::DialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<UIDialog*>(lParam)->OnInit(dialog);
        return FALSE;
    }
    // Null for the few messages that come before WM_INITDIALOG.
    auto* self = reinterpret_cast<UIDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    return self->HandleMessage(message, wParam, lParam);
}

void UIDialog::OnInit(HWND dialog) {
    hwnd = dialog;
    icon.Reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(MainIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.Get()));
    UpdateDpiScale(hwnd);
    controls = std::make_unique<UIDialogControls>(hwnd);
    MeasureDesign();
    CenterOnParent(hwnd, 0, 0);
    OnInitDialog();
}

INT_PTR UIDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            const ui::PaintGuard paint(hwnd);
            PaintDialog(paint.Dc());
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == NM_CLICK || header->code == NM_RETURN) {
                ActivateLink(hwnd, static_cast<int>(header->idFrom));
            }
            return 0;
        }
        case WM_COMMAND:
            OnCommandMessage(wParam);
            return 0;
        case WM_LBUTTONDOWN:
            if (closeOnClick) {
                EndDialog(hwnd, 1);
            }
            return 0;
        case WM_DPICHANGED:
            // Handled here, so that the system's own scaling of dialogs does not run as well.
            if (lParam != 0) {
                OnDpiChanged(wParam, *reinterpret_cast<const RECT*>(lParam));
            }
            return TRUE;
        case WM_NCDESTROY:
            ForgetWindowDpi(hwnd);
            return 0;
        default:
            return 0;
    }
}

void UIDialog::OnCommandMessage(WPARAM wParam) {
    DispatchCommand(nullptr, wParam);
    switch (LOWORD(wParam)) {
        case IDOK:
            EndDialog(hwnd, 1);
            break;
        case IDCANCEL:
            EndDialog(hwnd, 2);
            break;
        default:
            break;
    }
}

// The dialog manager's base units for the template's font, and the font itself.
void UIDialog::MeasureDesign() {
    RECT base{0, 0, 4, 8};
    MapDialogRect(hwnd, &base);
    baseUnits = SIZE{base.right, base.bottom};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (font != nullptr && GetObjectW(font, sizeof designFont, &designFont) != 0) {
        designFontPoints =
            MulDiv(designFont.lfHeight < 0 ? -designFont.lfHeight : designFont.lfHeight, 72,
                   static_cast<int>(WindowDpi(hwnd)));
    }
}

// The dialog moved to a monitor of another DPI: the template's font is made at that DPI and the
// items are placed from their dialog units with its base units, as the dialog manager would place
// them in a dialog created there.
void UIDialog::OnDpiChanged(WPARAM wParam, const RECT& suggested) {
    const unsigned dpi = LOWORD(wParam);
    if (dpi == 0 || designFontPoints == 0) {
        return;
    }
    RecordWindowDpi(hwnd, dpi);
    UpdateDpiScale(hwnd);
    LOGFONTW description = designFont;
    description.lfHeight = -MulDiv(designFontPoints, static_cast<int>(dpi), 72);
    ui::FontHandle font(CreateFontIndirectW(&description));
    const SIZE base = BaseUnitsOf(font.Get());
    // Every place and size is a whole number of dialog units at the old base units (one unit is
    // more than a pixel, so MulDiv gives each back exactly) and becomes the same at the new ones.
    const auto rescale = [&](LONG pixels, bool vertical) {
        return vertical ? MulDiv(MulDiv(pixels, 8, baseUnits.cy), base.cy, 8)
                        : MulDiv(MulDiv(pixels, 4, baseUnits.cx), base.cx, 4);
    };
    // Items with the dialog's font take the new one; those with a font of their own get it made
    // again from their accessor's request.
    const HFONT oldFont = scaledFont
                              ? scaledFont.Get()
                              : reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    for (HWND item = GetWindow(hwnd, GW_CHILD); item != nullptr;
         item = GetWindow(item, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(item, &rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
        MoveWindow(item, rescale(rect.left, false), rescale(rect.top, true),
                   rescale(rect.right - rect.left, false), rescale(rect.bottom - rect.top, true),
                   TRUE);
        if (reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)) == oldFont) {
            SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        }
    }
    controls->RefreshFonts();
    scaledFont = std::move(font);  // the font before goes now that no item shows it
    RECT client{};
    GetClientRect(hwnd, &client);
    if (paintMode != PaintMode::ImageFile) {  // a picture file keeps the client area its own size
        client.right = rescale(client.right, false);
        client.bottom = rescale(client.bottom, true);
    }
    baseUnits = base;
    const SIZE outer = WindowSizeForClient(hwnd, client.right, client.bottom);
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, TRUE);
}
