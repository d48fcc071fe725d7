// Message boxes through MessageBoxIndirectW.
#include "ui/message_box.h"

#include "ui/ui_core.h"

// The structure size the program was written for (64-bit).
static_assert(sizeof(MSGBOXPARAMSW) == 80);

int ShowMessage(const UICore& window, const std::wstring& caption, const std::wstring& text,
                unsigned type) {
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof(params);
    params.hwndOwner = window.Handle();
    params.hInstance = window.Instance();
    params.lpszText = text.c_str();
    params.lpszCaption = caption.c_str();
    params.dwStyle = type | MB_USERICON | MB_TOPMOST;
    params.lpszIcon = MAKEINTRESOURCEW(window.IconId());
    params.dwLanguageId = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    return MessageBoxIndirectW(&params);
}
