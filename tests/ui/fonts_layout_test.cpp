// Fonts, the scaling rule and anchors: the per-DPI font heights, one shared font per request and
// accessor, the anchor placement rules, and anchored controls following the window's size.
#include "ui/anchors.h"
#include "ui/fonts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/dpi.h"

namespace {

using uitest::TestWindow;

TEST(UIFontSpec, BoldMeansWeight700) {
    EXPECT_EQ(UIFontSpec(-12, true, L"Segoe UI").weight, 700);
    EXPECT_EQ(UIFontSpec(-12, false, L"Segoe UI").weight, 400);
    EXPECT_EQ(UIFontSpec(-14, false, L"Segoe UI").faceName, L"Segoe UI");
}

TEST(FontCacheKey, DiffersWhenAnyPartOfTheRequestDiffers) {
    const std::uint64_t key = FontCacheKey(L"Segoe UI", -12, 700);
    EXPECT_EQ(FontCacheKey(L"Segoe UI", -12, 700), key);
    EXPECT_NE(FontCacheKey(L"Segoe UI", -14, 700), key);
    EXPECT_NE(FontCacheKey(L"Segoe UI", 12, 700), key) << "the minus sign is part of the text";
    EXPECT_NE(FontCacheKey(L"Segoe UI", -12, 400), key);
    EXPECT_NE(FontCacheKey(L"Tahoma", -12, 700), key);
    EXPECT_NE(FontCacheKey(L"segoe ui", -12, 700), key);
}

struct ScaleCase {
    int design;
    double scale;
    int pixels;
};

TEST(ScaleRule, RoundsToTheNearestPixelHalvesAwayFromZero) {
    const std::vector<ScaleCase> cases = {
        {916, 1.0, 916}, {916, 1.5, 1374}, {640, 1.5, 960}, {25, 1.5, 38}, {170, 1.5, 255},
        {7, 1.25, 9},    {1, 1.5, 2},      {-3, 1.5, -5},   {0, 2.0, 0},   {916, 1.25, 1145},
    };
    for (const ScaleCase& c : cases) {
        EXPECT_EQ(ScaleValue(c.design, c.scale), c.pixels) << c.design << " x " << c.scale;
    }
}

// Fonts through the accessors, in a real window.
class Fonts : public ::testing::Test {
protected:
    void SetUp() override {
        first_ = window_.Controls()->AddPushButton("btnA", L"A", 0, 0, 80, 24, true, -1).hwnd;
        second_ = window_.Controls()->AddPushButton("btnB", L"B", 0, 30, 80, 24, true, -1).hwnd;
        ASSERT_NE(first_, nullptr);
        ASSERT_NE(second_, nullptr);
    }
    HFONT FontHandleOf(HWND control) {
        return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    }

    TestWindow window_;
    HWND first_ = nullptr;
    HWND second_ = nullptr;
};

TEST_F(Fonts, ControlsStartWithTheMessageFontAsTheSystemReportsIt) {
    const LOGFONTW message = MessageFontDescription();
    const LOGFONTW controlFont = uitest::FontOf(first_);
    EXPECT_EQ(controlFont.lfHeight, message.lfHeight) << "no DPI adjustment";
    EXPECT_STREQ(controlFont.lfFaceName, message.lfFaceName);
    EXPECT_EQ(FontHandleOf(first_), window_.Controls()->Font());
}

TEST_F(Fonts, OneRequestMakesOneFontSharedByTheControlsOfAKind) {
    const UIFontSpec bold(-12, true, L"Segoe UI");
    window_.Controls()->FindPushButton("btnA")->SetFont(bold);
    window_.Controls()->FindPushButton("btnB")->SetFont(bold);
    EXPECT_EQ(FontHandleOf(first_), FontHandleOf(second_));
    EXPECT_NE(FontHandleOf(first_), window_.Controls()->Font());

    window_.Controls()->FindPushButton("btnB")->SetFont(UIFontSpec(-12, false, L"Segoe UI"));
    EXPECT_NE(FontHandleOf(first_), FontHandleOf(second_));

    window_.Controls()->AddStatic("lbl", L"L", 0, 60, 80, 20, true, -1, 0);
    window_.Controls()->FindStatic("lbl")->SetFont(bold);
    const HWND label = window_.Controls()->FindStatic("lbl")->Handle();
    EXPECT_NE(FontHandleOf(label), FontHandleOf(first_)) << "each accessor keeps its own fonts";
    EXPECT_EQ(uitest::FontOf(label).lfWeight, 700);
}

TEST_F(Fonts, AFaceNameIsCutTo31Characters) {
    const std::wstring longFace(40, L'F');
    window_.Controls()->FindPushButton("btnA")->SetFont(UIFontSpec(-12, false, longFace));
    EXPECT_EQ(std::wstring(uitest::FontOf(first_).lfFaceName), std::wstring(31, L'F'));
}

// The placement rules themselves.
struct PlacementCase {
    const char* name;
    bool top, right, bottom, left, half;
    bool moved;
    int x, y, width;  // for the rule {x 100, y 200, 80 x 20}
};

AnchorRule RuleOf(const PlacementCase& c) {
    AnchorRule rule;
    rule.x = 100;
    rule.y = 200;
    rule.width = 80;
    rule.height = 20;
    rule.top = c.top;
    rule.right = c.right;
    rule.bottom = c.bottom;
    rule.left = c.left;
    rule.half = c.half;
    return rule;
}

void ExpectPlacement(const AnchorPlacement& placement, const PlacementCase& c) {
    EXPECT_EQ(placement.moved, c.moved) << c.name;
    if (c.moved) {
        EXPECT_EQ(placement.x, c.x) << c.name;
        EXPECT_EQ(placement.y, c.y) << c.name;
        EXPECT_EQ(placement.width, c.width) << c.name;
        EXPECT_EQ(placement.height, 20) << c.name << ": the height is always the stored one";
    }
}

TEST(AnchorRules, StaticsFollowTheBottomAndTheRightEdge) {
    const AnchorDelta delta{200, 100, 100};
    const std::vector<PlacementCase> cases = {
        {"right bottom", false, true, true, false, false, true, 300, 300, 80},
        {"left bottom", false, false, true, true, false, true, 100, 300, 80},
        {"all four", true, true, true, true, false, true, 300, 300, 80},
        {"top left", true, false, false, true, false, false, 0, 0, 0},
        {"bottom only", false, false, true, false, false, false, 0, 0, 0},
        {"right only", false, true, false, false, false, false, 0, 0, 0},
    };
    for (const PlacementCase& c : cases) {
        ExpectPlacement(PlaceStatic(RuleOf(c), delta), c);
    }
}

TEST(AnchorRules, PushButtonsWithoutHalf) {
    const AnchorDelta delta{200, 100, 100};
    const std::vector<PlacementCase> cases = {
        {"right bottom", false, true, true, false, false, true, 300, 300, 80},
        {"left bottom", false, false, true, true, false, true, 100, 300, 80},
        {"left right bottom", false, true, true, true, false, true, 100, 300, 80},
        {"top left", true, false, false, true, false, false, 0, 0, 0},
        {"nothing", false, false, false, false, false, false, 0, 0, 0},
        {"right left grows by the change", false, true, false, true, false, true, 100, 200, 280},
        {"top bottom", true, false, true, false, false, false, 0, 0, 0},
        {"top right takes half", true, true, false, false, false, true, 200, 200, 180},
        {"right only takes half", false, true, false, false, false, true, 200, 200, 180},
    };
    for (const PlacementCase& c : cases) {
        ExpectPlacement(PlaceButton(RuleOf(c), delta), c);
    }
}

TEST(AnchorRules, PushButtonsWithHalf) {
    const AnchorDelta delta{200, 100, 100};
    const std::vector<PlacementCase> cases = {
        {"right left half grows by half", false, true, false, true, true, true, 100, 200, 180},
        {"right half shifts and grows by half", false, true, false, false, true, true, 200, 200,
         180},
        {"top right half", true, true, false, false, true, false, 0, 0, 0},
        {"right bottom half", false, true, true, false, true, false, 0, 0, 0},
        {"left half", false, false, false, true, true, false, 0, 0, 0},
    };
    for (const PlacementCase& c : cases) {
        ExpectPlacement(PlaceButton(RuleOf(c), delta), c);
    }
}

TEST(AnchorRules, HalfOfANegativeChangeTruncatesTowardZero) {
    const RECT window{10, 10, 10 + 913, 10 + 640};
    const AnchorDelta delta = DeltaOf(916, 640, window);
    EXPECT_EQ(delta.dx, -3);
    EXPECT_EQ(delta.dy, 0);
    EXPECT_EQ(delta.half, -1);
    const PlacementCase shift{"right half", false, true, false, false, true, true, 99, 200, 79};
    ExpectPlacement(PlaceButton(RuleOf(shift), delta), shift);
    const PlacementCase grow{"right left", false, true, false, true, false, true, 100, 200, 77};
    ExpectPlacement(PlaceButton(RuleOf(grow), delta), grow);
}

// Anchored controls in a real window as it is resized.
class AnchoredWindow : public ::testing::Test {
protected:
    void SetUp() override {
        UIControls& controls = *window_.Controls();
        settings_ =
            controls.AddStatic("btnSettings", L"Settings", 10, 534, 48, 48, true, -1, IDI_SETTINGS)
                .hwnd;
        controls.FindStatic("btnSettings")->Anchor(false, false, true, true);
        donate_ =
            controls.AddStatic("btnDonate", L"Donate", 85, 540, 72, 40, true, -1, IDI_DONATE).hwnd;
        controls.FindStatic("btnDonate")->Anchor(false, false, true, true);
        apply_ = controls.AddPushButton("btnApply", L"Apply", 713, 533, 150, 50, true, -1).hwnd;
        controls.FindPushButton("btnApply")->Anchor(false, true, true, false);
        option_ = controls.AddCheckBox("chb0_0", L"Option", 16, 120, 300, 25, true, 0).hwnd;
        for (HWND control : {settings_, donate_, apply_, option_}) {
            created_.push_back(uitest::ClientRectOf(control));
        }
    }

    void Resize(int dx, int dy) {
        SetWindowPos(window_.Handle(), nullptr, 0, 0, window_.MinWidth() + dx,
                     window_.MinHeight() + dy, SWP_NOMOVE | SWP_NOZORDER);
    }

    // How far each control moved from where it was created.
    std::vector<POINT> Offsets() {
        std::vector<POINT> offsets;
        const HWND controls[] = {settings_, donate_, apply_, option_};
        for (std::size_t i = 0; i < 4; ++i) {
            const RECT now = uitest::ClientRectOf(controls[i]);
            offsets.push_back(POINT{now.left - created_[i].left, now.top - created_[i].top});
        }
        return offsets;
    }

    static std::vector<std::pair<LONG, LONG>> Pairs(const std::vector<POINT>& points) {
        std::vector<std::pair<LONG, LONG>> pairs;
        for (const POINT& p : points) {
            pairs.emplace_back(p.x, p.y);
        }
        return pairs;
    }

    TestWindow window_;
    HWND settings_ = nullptr;
    HWND donate_ = nullptr;
    HWND apply_ = nullptr;
    HWND option_ = nullptr;
    std::vector<RECT> created_;
};

TEST_F(AnchoredWindow, EnlargingMovesApplyAndTheIconsStaysForTheRest) {
    Resize(200, 100);
    const std::vector<std::pair<LONG, LONG>> expected = {{0, 100}, {0, 100}, {200, 100}, {0, 0}};
    EXPECT_EQ(Pairs(Offsets()), expected);
}

TEST_F(AnchoredWindow, GrowingAndShrinkingBackReturnsThemToTheirPlaces) {
    Resize(300, 10);
    Resize(120, 60);
    const std::vector<std::pair<LONG, LONG>> expected = {{0, 60}, {0, 60}, {120, 60}, {0, 0}};
    EXPECT_EQ(Pairs(Offsets()), expected) << "every layout starts from the stored rule";
    Resize(0, 0);
    const std::vector<std::pair<LONG, LONG>> home = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
    EXPECT_EQ(Pairs(Offsets()), home);
}

TEST_F(AnchoredWindow, TheWindowStaysAtLeastItsReferenceSize) {
    Resize(-50, -20);
    RECT rect{};
    GetWindowRect(window_.Handle(), &rect);
    EXPECT_EQ(rect.right - rect.left, window_.MinWidth());
    EXPECT_EQ(rect.bottom - rect.top, window_.MinHeight());
    const std::vector<std::pair<LONG, LONG>> home = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
    EXPECT_EQ(Pairs(Offsets()), home);
}

TEST_F(AnchoredWindow, AControlKeepsItsFirstRule) {
    window_.Controls()->FindPushButton("btnApply")->Anchor(false, false, true, true);
    Resize(40, 30);
    EXPECT_EQ(Offsets()[2].x, 40) << "still anchored right and bottom";
    EXPECT_EQ(Offsets()[2].y, 30);
}

TEST_F(AnchoredWindow, MinimisingAndRestoringPutsThemBack) {
    window_.Show(SW_SHOWNORMAL);
    uitest::PumpMessages();
    ShowWindow(window_.Handle(), SW_MINIMIZE);
    uitest::PumpMessages();
    // A minimised window's rectangle is the small iconic one, so the anchored controls move by
    // negative amounts while it is minimised.
    RECT minimised{};
    GetWindowRect(window_.Handle(), &minimised);
    const LONG dx = (minimised.right - minimised.left) - window_.MinWidth();
    const LONG dy = (minimised.bottom - minimised.top) - window_.MinHeight();
    ASSERT_LT(dx, 0);
    ASSERT_LT(dy, 0);
    const std::vector<std::pair<LONG, LONG>> whileMinimised = {{0, dy}, {0, dy}, {dx, dy}, {0, 0}};
    EXPECT_EQ(Pairs(Offsets()), whileMinimised);
    ShowWindow(window_.Handle(), SW_RESTORE);
    uitest::PumpMessages();
    const std::vector<std::pair<LONG, LONG>> home = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
    EXPECT_EQ(Pairs(Offsets()), home);
}

TEST(DpiAnchors, ALayoutAtTheReferenceSizeLeavesControlsWhereTheyWereCreated) {
    TestWindow window;
    const HWND apply =
        window.Controls()->AddPushButton("btnApply", L"Apply", 713, 533, 150, 50, true, -1).hwnd;
    window.Controls()->FindPushButton("btnApply")->Anchor(false, true, true, false);
    const RECT before = uitest::ClientRectOf(apply);
    SendMessageW(window.Handle(), WM_SIZE, SIZE_RESTORED, 0);
    const RECT after = uitest::ClientRectOf(apply);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(before.left, std::lround(713 * uitest::ExpectedScale()));
    EXPECT_EQ(before.top, std::lround(533 * uitest::ExpectedScale()));
}

}  // namespace
