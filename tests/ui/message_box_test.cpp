// ShowMessage: a topmost box owned by the window, with its caption, text and icon, returning the
// button the user pressed.
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"

namespace {

struct SeenBox {
    HWND owner = nullptr;
    std::wstring caption;
    bool topmost = false;
    bool hasText = false;
    bool hasIcon = false;
};

BOOL CALLBACK InspectChild(HWND child, LPARAM data) {
    auto* seen = reinterpret_cast<SeenBox*>(data);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Static") != 0) {
        return TRUE;
    }
    if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen->hasIcon = seen->hasIcon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
    } else {
        wchar_t text[128] = {};
        GetWindowTextW(child, text, 128);
        seen->hasText = seen->hasText || std::wstring(text) == L"Firefox is not installed.";
    }
    return TRUE;
}

struct Finder {
    HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (std::wstring(caption) == L"Quorvane test") {
        reinterpret_cast<Finder*>(data)->box = window;
        return FALSE;
    }
    return TRUE;
}

struct BoxCase {
    unsigned type;
    int button;  // pressed by the test
    int result;
};

TEST(ShowMessage, ReturnsThePressedButtonOfABoxOwnedByTheWindow) {
    uitest::TestWindow window;
    window.Show(SW_SHOWNORMAL);
    uitest::PumpMessages();
    const std::vector<BoxCase> cases = {
        {MB_OK, IDOK, IDOK},       {MB_OKCANCEL, IDCANCEL, IDCANCEL},
        {MB_OKCANCEL, IDOK, IDOK}, {MB_YESNO, IDYES, IDYES},
        {MB_YESNO, IDNO, IDNO},
    };
    for (const BoxCase& c : cases) {
        SeenBox seen;
        uitest::RunLater(200, [&seen, c] {
            Finder finder;
            EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&finder));
            if (finder.box == nullptr) {
                return;
            }
            seen.owner = GetWindow(finder.box, GW_OWNER);
            seen.topmost = (GetWindowLongPtrW(finder.box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            EnumChildWindows(finder.box, InspectChild, reinterpret_cast<LPARAM>(&seen));
            PostMessageW(finder.box, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(finder.box, c.button)));
        });
        const int result =
            ShowMessage(window, L"Quorvane test", L"Firefox is not installed.", c.type);
        EXPECT_EQ(result, c.result) << "type " << c.type;
        EXPECT_EQ(seen.owner, window.Handle());
        // Wine ignores MB_TOPMOST (its box is not WS_EX_TOPMOST); Windows honours it.
        if (!uitest::RunningUnderWine()) {
            EXPECT_TRUE(seen.topmost);
        }
        EXPECT_TRUE(seen.hasText);
        EXPECT_TRUE(seen.hasIcon) << "the window's icon";
    }
}

}  // namespace
