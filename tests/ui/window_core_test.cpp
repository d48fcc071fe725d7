// The window core: creation at the scaled size, the class, failures that leave no window, the
// show and destroy hooks, closing, and the command table's rules.
#include "ui/ui_core.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "res/resource_ids.h"
#include "tests/ui/ui_test_support.h"

namespace {

using uitest::TestWindow;

SIZE OuterSize(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

TEST(WindowCore, CreatesAHiddenWindowOfItsClass) {
    TestWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_FALSE(window.IsClosing());
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
    wchar_t className[32] = {};
    GetClassNameW(window.Handle(), className, 32);
    EXPECT_STREQ(className, L"KESTROVAN_ZEL");
    wchar_t title[32] = {};
    GetWindowTextW(window.Handle(), title, 32);
    EXPECT_STREQ(title, L"Quorvane");
    EXPECT_NE(window.Controls(), nullptr);
    EXPECT_EQ(MainWindowHandle, window.Handle());
    EXPECT_EQ(MainIconId, static_cast<std::uint32_t>(IDI_APPLICATION_MARK));

    const HWND hwnd = window.Handle();
    EXPECT_EQ(GetClassLongPtrW(hwnd, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
    EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_MENU + 1));
    EXPECT_NE(GetClassLongPtrW(hwnd, GCLP_HICON), 0u);
    EXPECT_NE(GetClassLongPtrW(hwnd, GCLP_HICONSM), 0u);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
}

struct SizeCase {
    unsigned dpi;
    int width;
    int height;
    int expectedWidth;
    int expectedHeight;
};

TEST(DpiWindowSize, IsTheDesignSizeTimesTheScale) {
    const std::vector<SizeCase> cases = {
        {96, 916, 640, 916, 640},   {96, 400, 301, 400, 301},  {120, 916, 640, 1145, 800},
        {144, 916, 640, 1374, 960}, {144, 401, 301, 602, 452},
    };
    int checked = 0;
    for (const SizeCase& c : cases) {
        if (c.dpi != uitest::ExpectedDpi()) {
            continue;
        }
        TestWindow window(c.width, c.height);
        EXPECT_DOUBLE_EQ(window.DpiScale(), c.dpi / 96.0);
        const SIZE size = OuterSize(window.Handle());
        EXPECT_EQ(size.cx, c.expectedWidth) << c.width << " at " << c.dpi << " DPI";
        EXPECT_EQ(size.cy, c.expectedHeight) << c.height << " at " << c.dpi << " DPI";
        EXPECT_EQ(window.MinWidth(), c.expectedWidth);
        EXPECT_EQ(window.MinHeight(), c.expectedHeight);
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no case for " << uitest::ExpectedDpi() << " DPI";
}

TEST(WindowCore, CannotBeDraggedSmallerThanItsScaledCreationSize) {
    TestWindow window;
    MINMAXINFO limits{};
    SendMessageW(window.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, window.MinWidth());
    EXPECT_EQ(limits.ptMinTrackSize.y, window.MinHeight());
}

TEST(WindowCore, ShowWithZeroShowsAndOnShownRunsFromTheLoop) {
    TestWindow window;
    window.Show(0);
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    EXPECT_EQ(window.shownCount, 0) << "OnShown waits for the message loop";
    uitest::PumpMessages();
    EXPECT_EQ(window.shownCount, 1);
    ShowWindow(window.Handle(), SW_HIDE);
    uitest::PumpMessages();
    EXPECT_EQ(window.shownCount, 2) << "every WM_SHOWWINDOW queues the hook, hiding included";
}

TEST(WindowCore, ClosingRunsOnDestroyAndEndsTheLoopWithZero) {
    TestWindow window;
    const HWND hwnd = window.Handle();
    window.Show(SW_SHOWNORMAL);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(window.RunMessageLoop(), 0);
    EXPECT_EQ(window.destroyCount, 1);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(MainWindowHandle, nullptr) << "no dialog may be owned by a destroyed window";
}

class ClosesWhileConstructing : public TestWindow {
public:
    ClosesWhileConstructing() { Close(); }
};

TEST(WindowCore, CloseDuringConstructionShowsNothingAndEndsWithZero) {
    ClosesWhileConstructing window;
    EXPECT_TRUE(window.IsClosing());
    EXPECT_EQ(window.destroyCount, 1);
    EXPECT_EQ(window.Handle(), nullptr);
    window.Show(SW_SHOWNORMAL);
    EXPECT_EQ(window.RunMessageLoop(), 0);
    EXPECT_TRUE(uitest::DrainQuit()) << "the loop was not entered, so the quit message waits";
}

TEST(WindowCore, FailedClassRegistrationLeavesNoWindow) {
    WNDCLASSEXW taken{};
    taken.cbSize = sizeof(taken);
    taken.lpfnWndProc = DefWindowProcW;
    taken.hInstance = uitest::Module();
    taken.lpszClassName = L"KESTROVAN_ZEL";
    ASSERT_NE(RegisterClassExW(&taken), 0);
    {
        TestWindow window;
        EXPECT_EQ(window.Handle(), nullptr);
        EXPECT_TRUE(window.IsClosing());
        EXPECT_EQ(window.Controls(), nullptr);
        window.Show(SW_SHOWNORMAL);
        EXPECT_EQ(window.RunMessageLoop(), 0);
    }
    EXPECT_TRUE(UnregisterClassW(L"KESTROVAN_ZEL", uitest::Module()))
        << "the class that failed to register is not ours to remove";
}

TEST(WindowCore, FailedCreationAfterRegistrationEndsWithNoWindow) {
    {
        const uitest::CreationBlocker blocker(L"KESTROVAN_ZEL");
        TestWindow window;
        EXPECT_EQ(window.Handle(), nullptr);
        EXPECT_TRUE(window.IsClosing());
        window.Show(SW_SHOWNORMAL);
        EXPECT_EQ(window.RunMessageLoop(), 0) << "no window to wait for";
        EXPECT_EQ(window.destroyCount, 0);
    }
    TestWindow next;
    EXPECT_NE(next.Handle(), nullptr) << "the failed window's class was released";
}

TEST(WindowCore, DestroyingTheObjectDestroysItsWindowWithoutHooksOrQuit) {
    auto window = std::make_unique<TestWindow>();
    const HWND hwnd = window->Handle();
    window->Show(SW_SHOWNORMAL);
    uitest::PumpMessages();
    window.reset();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(uitest::DrainQuit());
    EXPECT_EQ(MainWindowHandle, nullptr);
}

// The command table, through the window procedure as a click reaches it.
class CommandTable : public ::testing::Test {
protected:
    void SetUp() override {
        button_ = window_.Controls()->AddPushButton("btnApply", L"Apply", 10, 10, 80, 24, true, -1);
        other_ = window_.Controls()->AddPushButton("btnOther", L"Other", 10, 40, 80, 24, true, -1);
        ASSERT_NE(button_.hwnd, nullptr);
        ASSERT_NE(other_.hwnd, nullptr);
    }

    void SendCommand(std::uint64_t id, WORD code, HWND source) {
        SendMessageW(window_.Handle(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code),
                     reinterpret_cast<LPARAM>(source));
    }

    TestWindow window_;
    ControlHandle button_;
    ControlHandle other_;
    std::vector<int> calls_;
};

TEST_F(CommandTable, AClickRunsTheCallbackOfTheButton) {
    window_.OnCommand(button_, [this] { calls_.push_back(1); });
    window_.Show(SW_SHOWNORMAL);
    uitest::PumpMessages();
    SendMessageW(button_.hwnd, BM_CLICK, 0, 0);
    EXPECT_EQ(calls_, std::vector<int>{1});
    SendCommand(button_.id, BN_CLICKED, button_.hwnd);
    EXPECT_EQ(calls_, (std::vector<int>{1, 1}));
}

TEST_F(CommandTable, TheFirstEntryForAnIdStays) {
    window_.OnCommand(button_, [this] { calls_.push_back(1); });
    window_.OnCommand(button_, [this] { calls_.push_back(2); });
    SendCommand(button_.id, BN_CLICKED, button_.hwnd);
    EXPECT_EQ(calls_, std::vector<int>{1});
}

TEST_F(CommandTable, WParamZeroRunsNothing) {
    window_.OnCommand(0, [this] { calls_.push_back(0); });  // the dialog form takes any key
    SendMessageW(window_.Handle(), WM_COMMAND, 0, 0);
    SendMessageW(window_.Handle(), WM_UI_MENUCOMMAND, 0, 0);
    EXPECT_TRUE(calls_.empty());
}

TEST_F(CommandTable, NotificationCodesReachOnlyTheirOwnKey) {
    window_.OnCommand(button_, [this] { calls_.push_back(1); });
    SendCommand(button_.id, BN_SETFOCUS, button_.hwnd);
    EXPECT_TRUE(calls_.empty());
    const ControlHandle withCode{other_.hwnd, MAKEWPARAM(static_cast<WORD>(other_.id), EN_CHANGE)};
    window_.OnCommand(withCode, [this] { calls_.push_back(2); });
    SendCommand(other_.id, EN_CHANGE, other_.hwnd);
    EXPECT_EQ(calls_, std::vector<int>{2});
}

TEST_F(CommandTable, ACommandFromAnotherWindowRunsNothing) {
    window_.OnCommand(button_, [this] { calls_.push_back(1); });
    SendCommand(button_.id, BN_CLICKED, other_.hwnd);
    SendCommand(button_.id, BN_CLICKED, nullptr);
    EXPECT_TRUE(calls_.empty());
}

TEST_F(CommandTable, DialogFormEntriesAnswerOnlyCommandsWithoutASource) {
    window_.OnCommand(500, [this] { calls_.push_back(5); });
    SendCommand(500, 0, button_.hwnd);
    EXPECT_TRUE(calls_.empty());
    SendCommand(500, 0, nullptr);
    EXPECT_EQ(calls_, std::vector<int>{5});
}

TEST_F(CommandTable, IncompleteRegistrationsAreIgnored) {
    window_.OnCommand(ControlHandle{nullptr, 600}, [this] { calls_.push_back(6); });
    SendCommand(600, 0, nullptr);
    EXPECT_TRUE(calls_.empty()) << "a failed creation's handle registers nothing";
    window_.OnCommand(button_, CommandCallback());
    window_.OnCommand(button_, [this] { calls_.push_back(1); });
    SendCommand(button_.id, BN_CLICKED, button_.hwnd);
    EXPECT_EQ(calls_, std::vector<int>{1}) << "an empty callback does not take the id";
}

TEST_F(CommandTable, LastCommandControlNameFollowsWmCommandOnly) {
    EXPECT_EQ(window_.LastCommandControlName(), "");
    SendCommand(other_.id, BN_CLICKED, other_.hwnd);
    EXPECT_EQ(window_.LastCommandControlName(), "btnOther");
    SendMessageW(window_.Handle(), WM_UI_MENUCOMMAND, 1, reinterpret_cast<LPARAM>(button_.hwnd));
    EXPECT_EQ(window_.LastCommandControlName(), "btnOther");
    SendCommand(7, 0, nullptr);
    EXPECT_EQ(window_.LastCommandControlName(), "")
        << "menu and accelerator commands have no source";
}

}  // namespace
