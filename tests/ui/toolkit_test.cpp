// The toolkit's rules that a run of the real program cannot show: failures that leave no window
// and no id behind, which commands reach which callback, where anchored controls go, link
// targets, font heights at each DPI, and an icon's focus rectangle.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "ui/anchors.h"
#include "ui/fonts.h"
#include "ui/links.h"
#include "ui/ui_core.h"

namespace {

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

// Dispatches what waits; a quit message is taken out and reported.
bool PumpAndTakeQuit() {
    MSG message{};
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        DispatchMessageW(&message);
    }
    return quit;
}

// A main window that counts its hooks; closeAtOnce closes it inside its own construction.
class TestWindow : public UICore {
public:
    explicit TestWindow(bool closeAtOnce = false)
        : UICore(Module(), L"Quorvane", 916, 640, IDI_APPLICATION_MARK, IDI_APPLICATION_MARK) {
        if (closeAtOnce) {
            Close();
        }
    }
    ~TestWindow() override {
        if (Handle() != nullptr) {
            Close();
        }
        PumpAndTakeQuit();
    }
    void OnShown() override { ++shown; }
    void OnDestroy() override { ++destroyed; }

    int shown = 0;
    int destroyed = 0;
};

// While it lives, creating a window of the named class fails on this thread.
class CreationBlocker {
public:
    explicit CreationBlocker(const wchar_t* className)
        : hook_(SetWindowsHookExW(WH_CBT, Block, nullptr, GetCurrentThreadId())) {
        blocked_ = className;
    }
    ~CreationBlocker() { UnhookWindowsHookEx(hook_); }
    CreationBlocker(const CreationBlocker&) = delete;
    CreationBlocker& operator=(const CreationBlocker&) = delete;

private:
    static LRESULT CALLBACK Block(int code, WPARAM wParam, LPARAM lParam) {
        wchar_t name[64] = {};
        if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64) > 0 &&
            _wcsicmp(name, blocked_.c_str()) == 0) {
            return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::wstring blocked_;
    HHOOK hook_;
};

TEST(WindowCore, ShowsClosesAndKeepsItsMinimumSize) {
    TestWindow window;
    const HWND hwnd = window.Handle();
    ASSERT_NE(hwnd, nullptr);
    MINMAXINFO limits{};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, window.MinWidth());
    EXPECT_EQ(limits.ptMinTrackSize.y, window.MinHeight());
    window.Show(0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(window.shown, 0) << "OnShown waits for the message loop";
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(window.RunMessageLoop(), 0);
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(window.destroyed, 1);
    EXPECT_EQ(MainWindowHandle, nullptr) << "no dialog may be owned by a destroyed window";
}

TEST(WindowCore, EveryFailedStartEndsWithoutAWindowOrAWait) {
    {
        TestWindow window(true);
        EXPECT_EQ(window.destroyed, 1);
        EXPECT_EQ(window.RunMessageLoop(), 0);
        EXPECT_TRUE(PumpAndTakeQuit()) << "closed before the loop: the quit message waits";
    }
    {
        const CreationBlocker blocker(UICore::kClassName);
        TestWindow window;
        EXPECT_EQ(window.Handle(), nullptr);
        EXPECT_EQ(window.RunMessageLoop(), 0) << "no window to wait for";
        EXPECT_EQ(window.destroyed, 0);
    }
    EXPECT_FALSE(UnregisterClassW(UICore::kClassName, Module()))
        << "the blocked window's class was released";
}

TEST(WindowCore, DestroyingTheObjectNeitherRunsHooksNorQuits) {
    auto window = std::make_unique<TestWindow>();
    const HWND hwnd = window->Handle();
    window->Show(SW_SHOWNORMAL);
    PumpAndTakeQuit();
    window.reset();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PumpAndTakeQuit());
}

// One window holds every control the cases below need; windows are slow to make and end.
class Toolkit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { window_ = new TestWindow(); }
    static void TearDownTestSuite() { delete window_; }
    static UIControls& Controls() { return *window_->Controls(); }
    static void Send(std::uint64_t id, WORD code, HWND source) {
        SendMessageW(window_->Handle(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code),
                     reinterpret_cast<LPARAM>(source));
    }
    static inline TestWindow* window_ = nullptr;
};

TEST_F(Toolkit, CommandsReachOnlyTheCallbackOfTheirKeyAndSource) {
    const ControlHandle apply =
        Controls().AddPushButton("btnApply", L"Apply", 0, 0, 50, 20, true, -1);
    const ControlHandle other =
        Controls().AddPushButton("btnOther", L"Other", 0, 30, 50, 20, true, -1);
    ASSERT_EQ(other.id, apply.id + 1);
    std::vector<int> calls;
    auto record = [&calls](int mark) { return [&calls, mark] { calls.push_back(mark); }; };
    window_->OnCommand(apply, record(1));
    window_->OnCommand(apply, record(2));          // the first entry for a key stays
    window_->OnCommand(other, CommandCallback());  // an empty callback takes nothing
    window_->OnCommand(other, record(4));
    window_->OnCommand({other.hwnd, MAKEWPARAM(static_cast<WORD>(other.id), EN_CHANGE)}, record(3));
    window_->OnCommand(ControlHandle{nullptr, 600}, record(6));  // a failed creation's handle
    window_->OnCommand(500, record(5));                          // the dialog form: no source
    window_->OnCommand(0, record(9));                            // wParam 0 is a dismissed menu

    struct Row {
        std::uint64_t id;
        WORD code;
        HWND source;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {apply.id, BN_CLICKED, apply.hwnd, {1}},
        {apply.id, BN_SETFOCUS, apply.hwnd, {}},
        {apply.id, BN_CLICKED, other.hwnd, {}},
        {apply.id, BN_CLICKED, nullptr, {}},
        {other.id, EN_CHANGE, other.hwnd, {3}},
        {other.id, BN_CLICKED, other.hwnd, {4}},
        {500, 0, apply.hwnd, {}},
        {500, 0, nullptr, {5}},
        {600, 0, nullptr, {}},
        {0, 0, nullptr, {}},
    };
    for (const Row& row : rows) {
        calls.clear();
        Send(row.id, row.code, row.source);
        EXPECT_EQ(calls, row.expected) << "id " << row.id << " code " << row.code;
    }
    SendMessageW(window_->Handle(), WM_UI_MENUCOMMAND, 0, reinterpret_cast<LPARAM>(apply.hwnd));
    EXPECT_EQ(window_->LastCommandControlName(), "") << "the menu form keeps the last source";
    Send(other.id, BN_CLICKED, other.hwnd);
    EXPECT_EQ(window_->LastCommandControlName(), "btnOther");
}

TEST_F(Toolkit, FailedCreationsAndTakenNamesLeaveTheRegistryConsistent) {
    const ControlHandle first = Controls().AddCheckBox("chb0_0", L"A", 0, 60, 50, 20, true, 0);
    {
        const CreationBlocker blocker(L"Button");
        EXPECT_EQ(Controls().AddPushButton("btnInfo0_0", L"Info", 0, 0, 9, 9, true, 0).id, 0u);
        EXPECT_EQ(Controls().FindPushButton("btnInfo0_0"), nullptr);
    }
    const ControlHandle twin = Controls().AddCheckBox("chb0_0", L"B", 0, 90, 50, 20, true, 0);
    EXPECT_EQ(twin.id, first.id + 1) << "a failed creation uses no id; a taken name does";
    EXPECT_EQ(Controls().FindCheckBox("chb0_0")->Handle(), first.hwnd);
    EXPECT_EQ(Controls().NameOf(twin.hwnd), "");
    EXPECT_EQ(Controls().FindPushButton("chb0_0"), nullptr) << "another kind finds nothing";
    EXPECT_EQ(Controls().FindCheckBox("CHB0_0"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(Controls().AddToolbarButton("acAbout").id, 0u) << "no toolbar, no button";

    Controls().AddStatic("lbl2_1", std::wstring(1500, L'x'), 0, 0, 50, 20, {.section = 0});
    EXPECT_EQ(Controls().FindStatic("lbl2_1")->Text().size(), 1024u);
}

// A focused icon's focus rectangle is part of its every paint: repainting a corner of the icon
// gives exactly the picture of a whole repaint.
TEST_F(Toolkit, AFocusedIconShowsItsWholeFocusRectangleAfterAPartialRepaint) {
    const HWND icon = Controls().AddStatic("i", L"", 0, 120, 48, 48, {.iconId = IDI_SETTINGS}).hwnd;
    window_->Show(SW_SHOWNORMAL);
    SendMessageW(window_->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    const auto painted = [icon](const RECT* part) {
        RedrawWindow(icon, part, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        std::vector<COLORREF> pixels(48 * 48);
        const HDC dc = GetDC(icon);
        for (std::size_t at = 0; at < pixels.size(); ++at) {
            pixels[at] = GetPixel(dc, static_cast<int>(at % 48), static_cast<int>(at / 48));
        }
        ReleaseDC(icon, dc);
        return pixels;
    };
    SetFocus(nullptr);
    const auto unfocused = painted(nullptr);
    SetFocus(icon);
    const RECT corner{0, 0, 10, 10};
    EXPECT_NE(painted(nullptr), unfocused) << "no focus rectangle";
    EXPECT_EQ(painted(&corner), painted(nullptr));
}

// A control anchored at (100, 200), 80 x 20 pixels, in a window 200 wider and 100 taller than its
// reference size unless the row says otherwise.
struct AnchorRow {
    const char* flags;  // t r b l h: top, right, bottom, left, half
    bool button;
    int dx;
    bool moved;
    int x, y, width;
};

TEST(AnchorRules, PlaceEachControlFromItsStoredRule) {
    const AnchorRow rows[] = {
        {"rb", false, 200, true, 300, 300, 80},   {"lb", false, 200, true, 100, 300, 80},
        {"trbl", false, 200, true, 300, 300, 80}, {"tl", false, 200, false, 0, 0, 0},
        {"b", false, 200, false, 0, 0, 0},        {"r", false, 200, false, 0, 0, 0},
        {"rb", true, 200, true, 300, 300, 80},    {"rbl", true, 200, true, 100, 300, 80},
        {"", true, 200, false, 0, 0, 0},          {"rl", true, 200, true, 100, 200, 280},
        {"tb", true, 200, false, 0, 0, 0},        {"tr", true, 200, true, 200, 200, 180},
        {"rlh", true, 200, true, 100, 200, 180},  {"rh", true, 200, true, 200, 200, 180},
        {"trh", true, 200, false, 0, 0, 0},       {"rbh", true, 200, false, 0, 0, 0},
        {"lh", true, 200, false, 0, 0, 0},        {"rh", true, -3, true, 99, 200, 79},
        {"rl", true, -3, true, 100, 200, 77},
    };
    for (const AnchorRow& row : rows) {
        const std::string flags = row.flags;
        const auto has = [&flags](char flag) { return flags.find(flag) != std::string::npos; };
        const AnchorRule rule{100, 200, 80, 20, {has('t'), has('r'), has('b'), has('l'), has('h')}};
        const int dy = row.dx < 0 ? 0 : 100;
        const AnchorDelta delta = DeltaOf(916, 640, RECT{10, 10, 926 + row.dx, 650 + dy});
        const AnchorPlacement at = row.button ? PlaceButton(rule, delta) : PlaceStatic(rule, delta);
        const std::string name = std::string(row.button ? "button " : "static ") + row.flags;
        EXPECT_EQ(at.moved, row.moved) << name;
        if (row.moved) {
            EXPECT_EQ((std::vector<int>{at.x, at.y, at.width, at.height}),
                      (std::vector<int>{row.x, row.y, row.width, 20}))
                << name << " by " << row.dx;
        }
    }
}

// A height drawn for a DPI wins over scaling (-22 scales to -33 at 144); every other scales.
TEST(FontHeights, TitlesKeepTheSizesDrawnForTheirDpiAndTheRestScale) {
    const int rows[][3] = {// requested height, DPI, height
                           {-22, 144, -30}, {-12, 120, -15}, {-12, 144, -18}, {-22, 96, -22},
                           {-14, 192, -28}, {-22, 168, -39}, {-23, 144, -35}};
    for (const auto& [requested, dpi, height] : rows) {
        EXPECT_EQ(EffectiveFontHeight(requested, static_cast<unsigned>(dpi)), height) << dpi;
    }
}

TEST(LinkTarget, TakesTheHrefOrTheTaggedTextAndMakesItAnAddress) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"<A>kestrovan.example/licensing-quorvane</A>",
         L"https://kestrovan.example/licensing-quorvane"},
        {L"Please <A HREF=\"https://k.example/donate\">DONATING</A>", L"https://k.example/donate"},
        {L"<A HREF=\"k.example/donate\">x</A>", L"https://k.example/donate"},
        {L"<A>http://k.example</A>", L"http://k.example"},
        {L"<A>httpd.example</A>", L"httpd.example"},  // begins with "http": left as it is
        {L"<A HREF=\"https://a.example\"><A>b.example</A>", L"https://a.example"},
        {L"<A HREF=\"unterminated <A>b.example</A>", L""},  // the HREF form wins, and fails
    };
    for (const auto& [text, target] : rows) {
        EXPECT_EQ(LinkTarget(text), target) << static_cast<int>(wcslen(text)) << " characters";
    }
}

}  // namespace
