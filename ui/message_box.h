// The one way the program talks to the user outside dialogs: a message box owned by a window,
// showing the window's icon.
#pragma once

#include <string>

class UICore;

// Shows a topmost message box owned by window, with the window's icon, the caption (the product
// name) and text. type is a MessageBox type: 0 OK, 1 OK and Cancel, 4 Yes and No. Returns the
// pressed button: IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7.
int ShowMessage(const UICore& window, const std::wstring& caption, const std::wstring& text,
                unsigned type);
