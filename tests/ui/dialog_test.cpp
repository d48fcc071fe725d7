// The dialog base over the real templates: initialisation, end codes, callbacks, item lookups by
// id and class, link activation, centring, and the three kinds of picture.
#include "ui/dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "res/resource_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/links.h"

namespace {

using uitest::TestWindow;

// A dialog that runs a test's action once it is initialised.
class ProbeDialog : public UIDialog {
public:
    ProbeDialog(std::uint32_t dialogTemplate, std::function<void(ProbeDialog&)> onInit)
        : UIDialog(dialogTemplate), onInit_(std::move(onInit)) {}

    void OnInitDialog() override {
        if (onInit_) {
            onInit_(*this);
        }
    }

    void Post(WPARAM command) { PostMessageW(Handle(), WM_COMMAND, command, 0); }

private:
    std::function<void(ProbeDialog&)> onInit_;
};

RECT OuterRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT Centre(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Every dialog is owned by the main window, which is shown, as in the program.
class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        window_.Show(SW_SHOWNORMAL);
        uitest::PumpMessages();
    }

    TestWindow window_;
};

TEST_F(Dialogs, InitialisationGivesIconScaleControlsAndAPlaceOverTheOwner) {
    bool ran = false;
    ProbeDialog dialog(IDD_SETTINGS, [&](ProbeDialog& self) {
        ran = true;
        const HWND hwnd = self.Handle();
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(GetWindow(hwnd, GW_OWNER), window_.Handle());
        EXPECT_NE(self.Controls(), nullptr);
        EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0) << "the main window's icon";
        EXPECT_DOUBLE_EQ(self.DpiScale(), uitest::ExpectedScale());
        EXPECT_TRUE(IsWindowVisible(hwnd)) << "centring shows the dialog";
        const POINT dialogCentre = Centre(OuterRect(hwnd));
        const POINT ownerCentre = Centre(OuterRect(window_.Handle()));
        EXPECT_NEAR(dialogCentre.x, ownerCentre.x, 1);
        EXPECT_NEAR(dialogCentre.y, ownerCentre.y, 1);
        self.Post(IDOK);
    });
    EXPECT_EQ(dialog.RunDialog(), 1);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(IsWindowEnabled(window_.Handle())) << "the owner is enabled again";
}

struct EndCase {
    const char* name;
    std::uint32_t dialogTemplate;
    UINT message;
    WPARAM wParam;
    INT_PTR result;
};

TEST_F(Dialogs, OkEndsWithOneCancelAndCloseWithTwo) {
    const std::vector<EndCase> cases = {
        {"OK", IDD_ABOUT, WM_COMMAND, IDOK, 1},
        {"Cancel", IDD_SETTINGS, WM_COMMAND, IDCANCEL, 2},
        {"close box", IDD_LICENSE, WM_CLOSE, 0, 2},
        {"Escape", IDD_PREVIEW, WM_COMMAND, IDCANCEL, 2},
    };
    for (const EndCase& c : cases) {
        ProbeDialog dialog(c.dialogTemplate, [&c](ProbeDialog& self) {
            PostMessageW(self.Handle(), c.message, c.wParam, 0);
        });
        EXPECT_EQ(dialog.RunDialog(), c.result) << c.name;
    }
}

TEST_F(Dialogs, EnterPressesTheDefaultButtonWhichForSettingsIsCancel) {
    ProbeDialog dialog(IDD_SETTINGS, [](ProbeDialog& self) {
        uitest::RunLater(100, [hwnd = self.Handle()] {
            HWND focus = GetFocus();
            PostMessageW(focus != nullptr ? focus : hwnd, WM_KEYDOWN, VK_RETURN, 0);
        });
    });
    EXPECT_EQ(dialog.RunDialog(), 2);
}

TEST_F(Dialogs, AClickEndsTheDialogOnlyWhenAsked) {
    ProbeDialog closing(IDD_PREVIEW, [](ProbeDialog& self) {
        PostMessageW(self.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    });
    closing.SetCloseOnClick();
    EXPECT_EQ(closing.RunDialog(), 1);

    ProbeDialog staying(IDD_PREVIEW, [](ProbeDialog& self) {
        PostMessageW(self.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
        PostMessageW(self.Handle(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(staying.RunDialog(), 2);
}

TEST_F(Dialogs, CallbacksRunForClicksOfTheirItem) {
    std::vector<std::string> calls;
    ProbeDialog dialog(IDD_SETTINGS, [&calls](ProbeDialog& self) {
        self.OnCommand(IDC_SETTINGS_OK, [&calls, &self] {
            calls.push_back("ok");
            SendMessageW(self.Handle(), WM_CLOSE, 0, 0);
        });
        self.OnCommand(IDC_SETTINGS_OK, [&calls] { calls.push_back("second"); });
        const HWND ok = GetDlgItem(self.Handle(), IDC_SETTINGS_OK);
        SendMessageW(self.Handle(), WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_OK, BN_SETFOCUS),
                     reinterpret_cast<LPARAM>(ok));
        EXPECT_TRUE(calls.empty()) << "a notification other than a click";
        uitest::RunLater(50, [ok] { SendMessageW(ok, BM_CLICK, 0, 0); });
    });
    EXPECT_EQ(dialog.RunDialog(), 2) << "the callback closed the dialog with WM_CLOSE";
    EXPECT_EQ(calls, std::vector<std::string>{"ok"});
}

TEST_F(Dialogs, ItemsAreFoundByIdOnlyWhenTheirClassMatches) {
    ProbeDialog dialog(IDD_ABOUT, [](ProbeDialog& self) {
        UIDialogControls& items = *self.Controls();
        EXPECT_NE(items.FindStatic(IDC_ABOUT_PRODUCT), nullptr);
        EXPECT_EQ(items.FindStatic(IDC_ABOUT_GROUP), nullptr) << "a group box is a Button";
        EXPECT_NE(items.FindCheckBox(IDC_ABOUT_GROUP), nullptr) << "the class is all that counts";
        EXPECT_NE(items.FindEdit(IDC_ABOUT_EMAIL), nullptr);
        EXPECT_EQ(items.FindEdit(IDC_ABOUT_AUTHOR), nullptr);
        EXPECT_NE(items.FindLink(IDC_ABOUT_WEB_LINK), nullptr);
        EXPECT_EQ(items.FindLink(IDC_ABOUT_WEB_LABEL), nullptr);
        EXPECT_EQ(items.FindStatic(9999), nullptr) << "no such item";

        UIStatic* product = items.FindStatic(IDC_ABOUT_PRODUCT);
        UIStatic* author = items.FindStatic(IDC_ABOUT_AUTHOR);
        EXPECT_EQ(product, author) << "one accessor per kind";
        EXPECT_EQ(author->Text(), L"Kestrovan");
        items.FindEdit(IDC_ABOUT_EMAIL)->SetText(L"support@kestrovan.example");
        EXPECT_EQ(items.FindEdit(IDC_ABOUT_EMAIL)->Text(), L"support@kestrovan.example");
        self.Post(IDOK);
    });
    EXPECT_EQ(dialog.RunDialog(), 1);
}

struct LinkCase {
    const wchar_t* text;
    const wchar_t* target;
};

TEST(LinkTarget, TakesTheHrefOrTheTaggedTextAndMakesItAnAddress) {
    const std::vector<LinkCase> cases = {
        {L"<A>kestrovan.example</A>", L"https://kestrovan.example"},
        {L"<A>kestrovan.example/licensing-quorvane</A>",
         L"https://kestrovan.example/licensing-quorvane"},
        {L"Please consider <A HREF=\"https://kestrovan.example/donate\">DONATING</A>",
         L"https://kestrovan.example/donate"},
        {L"<A HREF=\"kestrovan.example/donate\">x</A>", L"https://kestrovan.example/donate"},
        {L"<A>http://kestrovan.example</A>", L"http://kestrovan.example"},
        {L"<A>httpd.example</A>", L"httpd.example"},  // begins with "http": left as it is
        {L"<A HREF=\"https://a.example\"><A>b.example</A>", L"https://a.example"},
        {L"<A HREF=\"unterminated <A>b.example</A>", L""},  // the HREF form wins, and fails
        {L"<a href=\"https://a.example\">a</a>", L""},      // markers are case-sensitive
        {L"<A>no end", L""},
        {L"<A></A>", L""},
        {L"plain text", L""},
        {L"", L""},
    };
    for (const LinkCase& c : cases) {
        EXPECT_EQ(LinkTarget(c.text), c.target)
            << "text: " << std::string(c.text, c.text + wcslen(c.text));
    }
}

std::vector<std::wstring> openedLinks;

void RecordLink(const std::wstring& target) {
    openedLinks.push_back(target);
}

class Links : public Dialogs {
protected:
    void SetUp() override {
        Dialogs::SetUp();
        openedLinks.clear();
        previous_ = SetLinkOpener(RecordLink);
    }
    void TearDown() override { SetLinkOpener(previous_); }

    static void Notify(HWND dialog, int item, UINT code) {
        NMHDR header{};
        header.hwndFrom = GetDlgItem(dialog, item);
        header.idFrom = static_cast<UINT_PTR>(item);
        header.code = code;
        SendMessageW(dialog, WM_NOTIFY, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(&header));
    }

    LinkOpener previous_ = nullptr;
};

TEST_F(Links, ClickOrEnterOnASysLinkOpensItsTarget) {
    const std::wstring host = QUORVANE_WEB_HOST_WIDE;
    ProbeDialog about(IDD_ABOUT, [](ProbeDialog& self) {
        Notify(self.Handle(), IDC_ABOUT_WEB_LINK, NM_CLICK);
        Notify(self.Handle(), IDC_ABOUT_WEB_LINK, NM_RETURN);
        Notify(self.Handle(), IDC_ABOUT_WEB_LINK, NM_SETFOCUS);
        Notify(self.Handle(), IDC_ABOUT_PRODUCT, NM_CLICK);  // a Static, not a link
        self.Post(IDOK);
    });
    about.RunDialog();
    EXPECT_EQ(openedLinks, (std::vector<std::wstring>{L"https://" + host, L"https://" + host}));

    openedLinks.clear();
    ProbeDialog notice(IDD_LICENSE, [](ProbeDialog& self) {
        Notify(self.Handle(), IDC_LICENSE_MORE_LINK, NM_CLICK);
        Notify(self.Handle(), IDC_LICENSE_DONATE_LINK, NM_CLICK);  // still empty: nothing
        SetDlgItemTextW(self.Handle(), IDC_LICENSE_DONATE_LINK,
                        L"Consider <A HREF=\"https://kestrovan.example/donate\">DONATING</A>");
        Notify(self.Handle(), IDC_LICENSE_DONATE_LINK, NM_CLICK);
        self.Post(IDOK);
    });
    notice.RunDialog();
    EXPECT_EQ(openedLinks, (std::vector<std::wstring>{L"https://" + host + L"/licensing-quorvane",
                                                      L"https://kestrovan.example/donate"}));
}

TEST_F(Dialogs, CenterOnParentPlacesAtMostTwice) {
    ProbeDialog dialog(IDD_SETTINGS, [this](ProbeDialog& self) {
        const HWND hwnd = self.Handle();
        EXPECT_TRUE(self.CenterOnParent(hwnd, 301, 201)) << "the second placement";
        const RECT owner = OuterRect(window_.Handle());
        const RECT placed = OuterRect(hwnd);
        EXPECT_EQ(placed.right - placed.left, 301);
        EXPECT_EQ(placed.bottom - placed.top, 201);
        EXPECT_EQ(placed.left, owner.left + ((owner.right - owner.left) - 301) / 2);
        EXPECT_EQ(placed.top, owner.top + ((owner.bottom - owner.top) - 201) / 2);

        SetWindowPos(hwnd, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_FALSE(self.CenterOnParent(hwnd, 400, 300)) << "a third placement is refused";
        const RECT after = OuterRect(hwnd);
        EXPECT_EQ(after.left, 5);
        EXPECT_EQ(after.top, 6);
        EXPECT_EQ(after.right - after.left, 301);
        self.Post(IDOK);
    });
    dialog.RunDialog();
}

constexpr COLORREF kUntouched = RGB(255, 0, 255);

TEST_F(Dialogs, WithoutAPictureNothingIsPainted) {
    ProbeDialog dialog(IDD_PREVIEW, [](ProbeDialog& self) {
        const uitest::PixelCanvas canvas(200, 200, kUntouched);
        self.PaintDialog(canvas.Dc());
        const RECT changed = canvas.Changed();
        EXPECT_TRUE(IsRectEmpty(&changed));
        self.Post(IDOK);
    });
    dialog.RunDialog();
}

TEST_F(Dialogs, ABitmapIsCopiedAtTheOuterSizeLessTheFrameAllowance) {
    ProbeDialog dialog(IDD_PREVIEW, [](ProbeDialog& self) {
        const RECT outer = OuterRect(self.Handle());
        const int width = outer.right - outer.left;
        const int height = outer.bottom - outer.top;
        const uitest::PixelCanvas canvas(width + 20, height + 20, kUntouched);
        self.PaintDialog(canvas.Dc());
        const RECT changed = canvas.Changed();
        EXPECT_EQ(changed.left, 0);
        EXPECT_EQ(changed.top, 0);
        EXPECT_EQ(canvas.At(0, 0), RGB(0xF1, 0xF5, 0xF9)) << "the bitmap's own top-left pixel";
        self.Post(IDOK);
    });
    dialog.SetPaintBitmap(IDB_NO_PREVIEW);
    dialog.RunDialog();
}

TEST_F(Dialogs, AMissingBitmapOrIconDrawsNothing) {
    for (int mode = 2; mode <= 3; ++mode) {
        ProbeDialog dialog(IDD_PREVIEW, [](ProbeDialog& self) {
            const uitest::PixelCanvas canvas(300, 300, kUntouched);
            self.PaintDialog(canvas.Dc());
            const RECT changed = canvas.Changed();
            EXPECT_TRUE(IsRectEmpty(&changed));
            self.Post(IDOK);
        });
        if (mode == 2) {
            dialog.SetPaintBitmap(9999);
        } else {
            dialog.SetPaintIcon(9999, 48, 48);
        }
        dialog.RunDialog();
    }
}

TEST(DpiPainting, AnIconIsDrawnAt20WithItsDesignSizeScaled) {
    TestWindow window;
    window.Show(SW_SHOWNORMAL);
    const int size = static_cast<int>(std::lround(48 * uitest::ExpectedScale()));
    ProbeDialog dialog(IDD_ABOUT, [size](ProbeDialog& self) {
        const uitest::PixelCanvas canvas(200, 200, kUntouched);
        self.PaintDialog(canvas.Dc());
        const RECT changed = canvas.Changed();
        EXPECT_GE(changed.left, 20);
        EXPECT_GE(changed.top, 20);
        EXPECT_LE(changed.right, 20 + size);
        EXPECT_LE(changed.bottom, 20 + size);
        EXPECT_GE(changed.right - changed.left, size * 9 / 10) << "the picture fills its square";
        EXPECT_GE(changed.bottom - changed.top, size * 9 / 10);
        self.Post(IDOK);
    });
    dialog.SetPaintIcon(IDI_ABOUT, 48, 48);
    dialog.RunDialog();
}

TEST_F(Dialogs, AnImageFileSizesTheDialogToItselfOnTheFirstPaint) {
    RECT firstPaint{};
    RECT laterPaint{};
    ProbeDialog dialog(IDD_PREVIEW, [&](ProbeDialog& self) {
        const HWND hwnd = self.Handle();
        uitest::RunLater(300, [&, hwnd] {
            UpdateWindow(hwnd);
            firstPaint = OuterRect(hwnd);
            SetWindowPos(hwnd, nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            InvalidateRect(hwnd, nullptr, TRUE);
            UpdateWindow(hwnd);
            laterPaint = OuterRect(hwnd);
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        });
    });
    dialog.SetPaintImageFile(uitest::DataFile("preview-640x400.png"));
    dialog.RunDialog();

    const POINT dialogCentre = Centre(firstPaint);
    const POINT ownerCentre = Centre(OuterRect(window_.Handle()));
    EXPECT_NEAR(dialogCentre.x, ownerCentre.x, 1);
    EXPECT_NEAR(dialogCentre.y, ownerCentre.y, 1);
    EXPECT_EQ(laterPaint.left, 7) << "a later paint leaves the dialog where it was put";
    EXPECT_EQ(laterPaint.top, 9);

    // The picture is drawn at its own size from the top left corner.
    const uitest::PixelCanvas canvas(700, 500, kUntouched);
    dialog.PaintDialog(canvas.Dc());
    EXPECT_EQ(canvas.At(0, 0), RGB(0xF5, 0x9E, 0x0B));
    EXPECT_EQ(canvas.At(319, 199), RGB(0xF5, 0x9E, 0x0B));
    EXPECT_EQ(canvas.At(320, 200), RGB(0x2A, 0x6F, 0xDB));
    EXPECT_EQ(canvas.At(639, 399), RGB(0x2A, 0x6F, 0xDB));
    EXPECT_EQ(canvas.At(640, 399), kUntouched);
    EXPECT_EQ(canvas.At(639, 400), kUntouched);
}

}  // namespace
