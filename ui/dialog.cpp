// The dialog procedure shared by all dialogs, and running a dialog template modally.
#include "ui/dialog.h"

#include <commctrl.h>

#include "ui/links.h"
#include "ui/ui_core.h"

UIDialog::UIDialog(std::uint32_t templateResourceId)
    : controls(),
      instance(nullptr),
      hwnd(nullptr),
      templateId(templateResourceId),
      closeOnClick(false),
      paintMode(0),
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
    paintMode = 1;
    paintImagePath = path;
}

void UIDialog::SetPaintBitmap(std::uint32_t resourceId) {
    paintMode = 2;
    paintResourceId = resourceId;
}

void UIDialog::SetPaintIcon(std::uint32_t resourceId, std::uint32_t width, std::uint32_t height) {
    paintMode = 3;
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
