// The named-control registry: ids, creation styles and scaling, sections, lookups by name and
// kind, the shared accessors, the toolbar, and the popup menu of an icon static.
#include "ui/controls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/ui/ui_test_support.h"

namespace {

using uitest::TestWindow;

class Registry : public ::testing::Test {
protected:
    UIControls& Controls() { return *window_.Controls(); }

    TestWindow window_;
};

bool Visible(HWND control) {
    return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

LONG_PTR StyleOf(HWND control) {
    return GetWindowLongPtrW(control, GWL_STYLE);
}

TEST_F(Registry, IdsStartAt200AndAFailedCreationUsesNone) {
    const ControlHandle first = Controls().AddCheckBox("chb0_0", L"A", 16, 120, 300, 25, true, 0);
    EXPECT_EQ(first.id, 200u);
    EXPECT_EQ(GetDlgCtrlID(first.hwnd), 200);
    {
        const uitest::CreationBlocker blocker(L"Button");
        const ControlHandle failed =
            Controls().AddPushButton("btnInfo0_0", L"Info", 370, 122, 75, 21, true, 0);
        EXPECT_EQ(failed.hwnd, nullptr);
        EXPECT_EQ(failed.id, 0u);
        EXPECT_EQ(Controls().FindPushButton("btnInfo0_0"), nullptr);
    }
    {
        const uitest::CreationBlocker blocker(L"Edit");
        Controls().AddEdit("le0_5", L"", 32, 270, 325, 21, 260, true, 0, false);
        EXPECT_EQ(Controls().FindEdit("le0_5"), nullptr);
    }
    const ControlHandle second =
        Controls().AddStatic("lbl2_0", L"Text", 16, 120, 500, 25, true, 2, 0);
    EXPECT_EQ(second.id, 201u);
    const ControlHandle third =
        Controls().AddPushButton("btnApply", L"Apply", 713, 533, 150, 50, true, -1);
    EXPECT_EQ(third.id, 202u);
}

TEST_F(Registry, ASecondControlUnderATakenNameUsesAnIdButCannotBeFound) {
    const ControlHandle first =
        Controls().AddPushButton("btnApply", L"One", 0, 0, 50, 20, true, -1);
    const ControlHandle second =
        Controls().AddPushButton("btnApply", L"Two", 0, 30, 50, 20, true, -1);
    ASSERT_NE(second.hwnd, nullptr);
    EXPECT_EQ(second.id, first.id + 1);
    EXPECT_EQ(Controls().FindPushButton("btnApply")->Handle(), first.hwnd);
    EXPECT_EQ(Controls().NameOf(second.hwnd), "");
}

TEST_F(Registry, EachKindGetsItsClassStyleAndTheWindowFont) {
    const ControlHandle check =
        Controls().AddCheckBox("chb0_0", L"Check", 16, 120, 300, 25, true, 0);
    const ControlHandle push =
        Controls().AddPushButton("btnApply", L"Apply", 713, 533, 150, 50, true, -1);
    Controls().AddEdit("le0_5", L"path", 32, 270, 325, 21, 260, true, 0, false);
    Controls().AddEdit("le0_6", L"", 32, 300, 325, 21, 0, true, 0, true);
    const ControlHandle label =
        Controls().AddStatic("lbl2_0", L"Label", 16, 120, 500, 25, true, 0, 0);

    EXPECT_EQ(StyleOf(check.hwnd) & (BS_TYPEMASK | WS_TABSTOP), BS_AUTOCHECKBOX | WS_TABSTOP);
    EXPECT_EQ(StyleOf(push.hwnd) & (BS_FLAT | WS_TABSTOP), BS_FLAT | WS_TABSTOP);
    const HWND edit = Controls().FindEdit("le0_5")->Handle();
    // WS_BORDER is not looked at: an edit control takes it out of its window style and draws the
    // border itself.
    EXPECT_EQ(StyleOf(edit) & (WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY),
              WS_TABSTOP | ES_AUTOHSCROLL);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 260);
    const HWND readOnly = Controls().FindEdit("le0_6")->Handle();
    EXPECT_NE(StyleOf(readOnly) & ES_READONLY, 0);
    EXPECT_EQ(SendMessageW(readOnly, EM_GETLIMITTEXT, 0, 0), 32767) << "0 means the default";
    EXPECT_EQ(StyleOf(label.hwnd) & SS_TYPEMASK, SS_LEFT);

    // The window itself is sent the font too, but a top-level window keeps no font to report.
    for (HWND control : {check.hwnd, push.hwnd, edit, label.hwnd}) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                  Controls().Font());
    }
    EXPECT_EQ(GetParent(check.hwnd), window_.Handle());
}

TEST_F(Registry, AnIconStaticShowsItsIconAtTheControlsScaledSize) {
    const ControlHandle icon =
        Controls().AddStatic("btnDonate", L"Donate", 85, 540, 72, 40, true, -1, IDI_DONATE);
    ASSERT_NE(icon.hwnd, nullptr);
    EXPECT_EQ(StyleOf(icon.hwnd) & (SS_TYPEMASK | SS_NOTIFY), SS_ICON | SS_NOTIFY);
    const auto shown = reinterpret_cast<HICON>(SendMessageW(icon.hwnd, STM_GETICON, 0, 0));
    ASSERT_NE(shown, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(shown, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof(colour), &colour);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(colour.bmWidth, std::lround(72 * uitest::ExpectedScale()));
    EXPECT_EQ(colour.bmHeight, std::lround(40 * uitest::ExpectedScale()));
    EXPECT_EQ(Controls().FindStatic("btnDonate")->Text(), L"Donate")
        << "the text is only the window text";
}

struct PlacementCase {
    unsigned dpi;
    RECT expected;  // left, top, right, bottom in the client area
};

TEST(DpiControls, DesignUnitsBecomeScaledPixels) {
    const std::vector<PlacementCase> cases = {
        {96, {16, 170, 16 + 360, 170 + 25}},
        {120, {20, 213, 20 + 450, 213 + 31}},
        {144, {24, 255, 24 + 540, 255 + 38}},
    };
    TestWindow window;
    const ControlHandle check =
        window.Controls()->AddCheckBox("chb1_2", L"Battery", 16, 170, 360, 25, true, 0);
    const RECT rect = uitest::ClientRectOf(check.hwnd);
    int checked = 0;
    for (const PlacementCase& c : cases) {
        if (c.dpi == uitest::ExpectedDpi()) {
            EXPECT_EQ(rect.left, c.expected.left);
            EXPECT_EQ(rect.top, c.expected.top);
            EXPECT_EQ(rect.right, c.expected.right);
            EXPECT_EQ(rect.bottom, c.expected.bottom);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(Registry, SectionsShowOnlyTheirOwnControls) {
    const HWND always = Controls().AddPushButton("btnApply", L"Apply", 0, 0, 50, 20, true, -1).hwnd;
    const HWND zero = Controls().AddCheckBox("chb0_0", L"0", 0, 30, 50, 20, true, 0).hwnd;
    const HWND one = Controls().AddCheckBox("chb1_0", L"1", 0, 60, 50, 20, true, 1).hwnd;
    const HWND two = Controls().AddStatic("lbl2_0", L"2", 0, 90, 50, 20, true, 2, 0).hwnd;
    const HWND twoHidden = Controls().AddStatic("lbl2_1", L"2", 0, 120, 50, 20, false, 2, 0).hwnd;
    EXPECT_TRUE(Visible(always));
    EXPECT_TRUE(Visible(zero));
    EXPECT_FALSE(Visible(one)) << "sections from 1 start hidden";
    EXPECT_FALSE(Visible(two));

    Controls().ShowSection(2);
    EXPECT_TRUE(Visible(always)) << "section -1 is never touched";
    EXPECT_FALSE(Visible(zero));
    EXPECT_FALSE(Visible(one));
    EXPECT_TRUE(Visible(two));
    EXPECT_FALSE(Visible(twoHidden)) << "not visible in its own section";
    EXPECT_TRUE(Controls().SectionWasOpened());

    ShowWindow(always, SW_HIDE);
    Controls().ShowSection(0);
    EXPECT_FALSE(Visible(always));
    EXPECT_TRUE(Visible(zero));
    EXPECT_FALSE(Visible(two));
    EXPECT_TRUE(Controls().SectionWasOpened()) << "once opened, it stays so";
}

TEST_F(Registry, ShowingTheCurrentSectionChangesNothing) {
    const HWND zero = Controls().AddCheckBox("chb0_0", L"0", 0, 30, 50, 20, true, 0).hwnd;
    ShowWindow(zero, SW_HIDE);
    Controls().ShowSection(0);
    EXPECT_FALSE(Visible(zero));
    EXPECT_FALSE(Controls().SectionWasOpened()) << "section 0 does not count as opened";
}

TEST_F(Registry, LookupsFindOnlyTheirOwnKind) {
    Controls().AddPushButton("btnApply", L"Apply", 0, 0, 50, 20, true, -1);
    Controls().AddCheckBox("chb0_0", L"0", 0, 30, 50, 20, true, 0);
    Controls().AddEdit("le0_5", L"", 0, 60, 50, 20, 0, true, 0, false);
    Controls().AddStatic("lbl2_0", L"2", 0, 90, 50, 20, true, 2, 0);
    EXPECT_EQ(Controls().FindCheckBox("btnApply"), nullptr);
    EXPECT_EQ(Controls().FindPushButton("chb0_0"), nullptr);
    EXPECT_EQ(Controls().FindEdit("lbl2_0"), nullptr);
    EXPECT_EQ(Controls().FindStatic("le0_5"), nullptr);
    EXPECT_EQ(Controls().FindToolbarButton("btnApply"), nullptr);
    EXPECT_EQ(Controls().FindRadioButton("chb0_0"), nullptr) << "no control is a radio button";
    EXPECT_EQ(Controls().FindPushButton("BTNAPPLY"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(Controls().FindPushButton("unknown"), nullptr);
    EXPECT_NE(Controls().FindPushButton("btnApply"), nullptr);
    EXPECT_NE(Controls().FindCheckBox("chb0_0"), nullptr);
    EXPECT_NE(Controls().FindEdit("le0_5"), nullptr);
    EXPECT_NE(Controls().FindStatic("lbl2_0"), nullptr);
}

TEST_F(Registry, ALaterLookupOfTheSameKindRepointsTheSameAccessor) {
    const HWND a = Controls().AddCheckBox("chb0_0", L"A", 0, 0, 50, 20, true, 0).hwnd;
    const HWND b = Controls().AddCheckBox("chb0_1", L"B", 0, 30, 50, 20, true, 0).hwnd;
    UIControl* first = Controls().FindCheckBox("chb0_0");
    UIControl* second = Controls().FindCheckBox("chb0_1");
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->Handle(), b);
    first->SetChecked(true);
    EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Controls().FindCheckBox("missing"), nullptr);
    EXPECT_EQ(first->Handle(), b) << "a failed lookup leaves the accessor where it was";
}

TEST_F(Registry, AccessorsReadAndWriteTheirControl) {
    Controls().AddCheckBox("chb0_5", L"Editor", 0, 0, 150, 20, true, 0);
    Controls().AddEdit("le0_5", L"C:\\editor.exe", 0, 30, 150, 20, 260, true, 0, false);
    UIControl* check = Controls().FindCheckBox("chb0_5");
    EXPECT_FALSE(check->IsChecked());
    check->SetChecked(true);
    EXPECT_TRUE(check->IsChecked());
    check->SetChecked(false);
    EXPECT_FALSE(check->IsChecked());
    check->Enable(false);
    EXPECT_FALSE(IsWindowEnabled(check->Handle()));
    check->Enable(true);
    EXPECT_TRUE(IsWindowEnabled(check->Handle()));

    UIFontControl* edit = Controls().FindEdit("le0_5");
    EXPECT_EQ(edit->Text(), L"C:\\editor.exe");
    edit->SetText(L"D:\\other.exe");
    EXPECT_EQ(edit->Text(), L"D:\\other.exe");
    edit->ClearText();
    EXPECT_EQ(edit->Text(), L"");
}

TEST_F(Registry, TextReturnsAtMost1024Characters) {
    Controls().AddStatic("lbl2_1", L"", 0, 0, 500, 75, true, 0, 0);
    UIStatic* label = Controls().FindStatic("lbl2_1");
    std::wstring longText;
    for (int i = 0; i < 1500; ++i) {
        longText += static_cast<wchar_t>(L'a' + i % 26);
    }
    label->SetText(longText);
    EXPECT_EQ(GetWindowTextLengthW(label->Handle()), 1500);
    EXPECT_EQ(label->Text(), longText.substr(0, 1024));
    label->SetText(longText.substr(0, 1024));
    EXPECT_EQ(label->Text(), longText.substr(0, 1024));
}

class Toolbar : public Registry {
protected:
    void SetUp() override {
        const std::uint32_t icons[] = {IDI_SECTION_OPTIONS, IDI_SECTION_PRIVACY,
                                       IDI_SECTION_RESTORE, IDI_SECTION_ABOUT};
        Controls().CreateToolbar(96, icons, 4);
    }
    bool Checked(std::uint64_t id) {
        return SendMessageW(Controls().Toolbar(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(id), 0) !=
               0;
    }
};

TEST_F(Toolbar, AppearsWhenItsLastButtonIsAdded) {
    const HWND toolbar = Controls().Toolbar();
    ASSERT_NE(toolbar, nullptr);
    std::vector<std::uint64_t> ids;
    for (const char* name : {"acMiscellaneous", "acPrivacy", "acRestore"}) {
        ids.push_back(Controls().AddToolbarButton(name).id);
        EXPECT_FALSE(Visible(toolbar));
    }
    const ControlHandle last = Controls().AddToolbarButton("acAbout");
    ids.push_back(last.id);
    EXPECT_TRUE(Visible(toolbar));
    EXPECT_EQ(last.hwnd, toolbar);
    EXPECT_EQ(ids, (std::vector<std::uint64_t>{200, 201, 202, 203}));
    EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 5)
        << "a leading separator and four buttons";
    const std::string name = Controls().NameOf(toolbar);
    EXPECT_TRUE(name == "acMiscellaneous" || name == "acPrivacy" || name == "acRestore" ||
                name == "acAbout")
        << "every toolbar button shares the toolbar's window: " << name;
}

TEST_F(Toolbar, SelectingAButtonReleasesThePreviousOne) {
    const ControlHandle a = Controls().AddToolbarButton("acMiscellaneous");
    const ControlHandle b = Controls().AddToolbarButton("acPrivacy");
    Controls().FindToolbarButton("acMiscellaneous")->Select();
    EXPECT_TRUE(Checked(a.id));
    Controls().FindToolbarButton("acPrivacy")->Select();
    EXPECT_FALSE(Checked(a.id));
    EXPECT_TRUE(Checked(b.id));
    EXPECT_EQ(Controls().FindToolbarButton("acPrivacy")->Id(), b.id);
}

TEST_F(Toolbar, ItsButtonsCommandsComeFromTheToolbarWindow) {
    const ControlHandle about = Controls().AddToolbarButton("acAbout");
    int calls = 0;
    window_.OnCommand(about, [&calls] { ++calls; });
    SendMessageW(window_.Handle(), WM_COMMAND, MAKEWPARAM(about.id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(about.hwnd));
    EXPECT_EQ(calls, 1);
    SendMessageW(window_.Handle(), WM_COMMAND, MAKEWPARAM(about.id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window_.Handle()));
    EXPECT_EQ(calls, 1) << "the same id from another window";
}

TEST_F(Toolbar, ASecondToolbarIsNotMade) {
    const HWND toolbar = Controls().Toolbar();
    const std::uint32_t icons[] = {IDI_SECTION_ABOUT};
    Controls().CreateToolbar(48, icons, 1);
    EXPECT_EQ(Controls().Toolbar(), toolbar);
}

TEST(DpiToolbar, ItsImagesAreTheIconSizeTimesTheScale) {
    TestWindow window;
    const std::uint32_t icons[] = {IDI_SECTION_OPTIONS, IDI_SECTION_PRIVACY};
    window.Controls()->CreateToolbar(96, icons, 2);
    const auto list = reinterpret_cast<HIMAGELIST>(
        SendMessageW(window.Controls()->Toolbar(), TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(list, nullptr);
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(list, &width, &height);
    EXPECT_EQ(width, std::lround(96 * uitest::ExpectedScale()));
    EXPECT_EQ(height, width);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
}

TEST_F(Registry, AToolbarButtonWithoutAToolbarUsesNoId) {
    const ControlHandle button = Controls().AddToolbarButton("acAbout");
    EXPECT_EQ(button.hwnd, nullptr);
    EXPECT_EQ(button.id, 0u);
    EXPECT_EQ(Controls().AddCheckBox("chb0_0", L"", 0, 0, 10, 10, true, 0).id, 200u);
}

class PopupMenu : public Registry {
protected:
    void SetUp() override {
        settings_ = Controls().AddStatic("btnSettings", L"Settings", 10, 534, 48, 48, true, -1,
                                         IDI_SETTINGS);
        ASSERT_NE(settings_.hwnd, nullptr);
        UIStatic* icon = Controls().FindStatic("btnSettings");
        icon->AttachMenu();
        const ControlHandle first = icon->AddMenuItem(L"Settings");
        const ControlHandle second = icon->AddMenuItem(L"Check for update");
        EXPECT_EQ(first.hwnd, settings_.hwnd);
        EXPECT_EQ(first.id, 1u);
        EXPECT_EQ(second.id, 2u);
        window_.OnCommand(first, [this] { chosen_.push_back(1); });
        window_.OnCommand(second, [this] { chosen_.push_back(2); });
        window_.Show(SW_SHOWNORMAL);
        uitest::PumpMessages();
    }

    // Releases the mouse over the icon, which opens the menu; the action runs inside the menu's
    // loop. Returns the item number the menu posted.
    WPARAM OpenMenu(std::function<void()> whileOpen) {
        uitest::RunLater(200, std::move(whileOpen));
        SendMessageW(settings_.hwnd, WM_LBUTTONUP, 0, 0);
        MSG posted{};
        EXPECT_TRUE(PeekMessageW(&posted, window_.Handle(), WM_UI_MENUCOMMAND, WM_UI_MENUCOMMAND,
                                 PM_NOREMOVE));
        EXPECT_EQ(posted.lParam, reinterpret_cast<LPARAM>(settings_.hwnd));
        uitest::PumpMessages();
        return posted.wParam;
    }

    ControlHandle settings_;
    std::vector<int> chosen_;
};

TEST_F(PopupMenu, DismissingItPostsZeroAndRunsNothing) {
    EXPECT_EQ(OpenMenu([] { EndMenu(); }), 0u);
    EXPECT_TRUE(chosen_.empty());
}

TEST_F(PopupMenu, ChoosingAnItemRunsItsCommand) {
    const HWND icon = settings_.hwnd;
    const WPARAM item = OpenMenu([icon] {
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
            PostMessageW(icon, WM_KEYDOWN, key, 0);
        }
    });
    EXPECT_EQ(item, 2u);
    EXPECT_EQ(chosen_, std::vector<int>{2});
}

TEST_F(PopupMenu, HoldsAtMost200Items) {
    UIStatic* icon = Controls().FindStatic("btnSettings");
    for (int i = 3; i <= 200; ++i) {
        EXPECT_EQ(icon->AddMenuItem(L"Item").id, static_cast<std::uint64_t>(i));
    }
    const ControlHandle refused = icon->AddMenuItem(L"One too many");
    EXPECT_EQ(refused.hwnd, nullptr);
    EXPECT_EQ(refused.id, 0u);
}

}  // namespace
