// Link targets of SysLink texts and their activation.
#include "ui/links.h"

#include <shellapi.h>

#include "ui/dialog_controls.h"

namespace {

constexpr int kLinkTextCapacity = 256;  // at most 255 characters are read
constexpr wchar_t kHrefMarker[] = L"<A HREF=\"";
constexpr wchar_t kOpenTag[] = L"<A>";
constexpr wchar_t kCloseTag[] = L"</A>";

void OpenInBrowser(const std::wstring& target) {
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LinkOpener currentOpener = OpenInBrowser;

// The text between the end of opener and the next closer, or "" when either is missing.
std::wstring Between(const std::wstring& text, const std::wstring& opener,
                     const std::wstring& closer, bool& found) {
    found = false;
    const std::size_t start = text.find(opener);
    if (start == std::wstring::npos) {
        return std::wstring();
    }
    const std::size_t from = start + opener.size();
    const std::size_t end = text.find(closer, from);
    if (end == std::wstring::npos) {
        return std::wstring();
    }
    found = true;
    return text.substr(from, end - from);
}

}  // namespace

std::wstring LinkTarget(const std::wstring& text) {
    bool found = false;
    std::wstring target;
    if (text.find(kHrefMarker) != std::wstring::npos) {
        target = Between(text, kHrefMarker, L"\"", found);
    } else {
        target = Between(text, kOpenTag, kCloseTag, found);
    }
    if (!found || target.empty()) {
        return std::wstring();
    }
    if (target.rfind(L"http", 0) != 0) {
        target.insert(0, L"https://");
    }
    return target;
}

void ActivateLink(HWND dialog, int itemId) {
    HWND item = GetDlgItem(dialog, itemId);
    if (item == nullptr || ShortClassName(item) != L"SysLink") {
        return;
    }
    wchar_t text[kLinkTextCapacity] = {};
    if (GetDlgItemTextW(dialog, itemId, text, kLinkTextCapacity) == 0) {
        return;
    }
    const std::wstring target = LinkTarget(text);
    if (!target.empty()) {
        currentOpener(target);
    }
}

LinkOpener SetLinkOpener(LinkOpener opener) {
    const LinkOpener previous = currentOpener;
    currentOpener = opener != nullptr ? opener : OpenInBrowser;
    return previous;
}
