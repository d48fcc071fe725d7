// Web links in dialogs: the target of a SysLink text and its activation.
#pragma once

#include <windows.h>

#include <string>

// The address a SysLink text points to: the quoted text after <A HREF=" (exact case), else the
// text between <A> and </A>, with "https://" put before a target that does not begin with
// "http". Empty when the text has neither form.
std::wstring LinkTarget(const std::wstring& text);

// Opens the link of the dialog item when it is a "SysLink" control with a target.
void ActivateLink(HWND dialog, int itemId);

// What opens a link target; ShellExecuteW "open" unless replaced (tests replace it so that no
// browser starts). Returns the previous opener.
using LinkOpener = void (*)(const std::wstring& target);
LinkOpener SetLinkOpener(LinkOpener opener);
