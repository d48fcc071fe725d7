// Anchor rules: where an anchored control goes when the main window is larger or smaller than the
// size its layout was made for. Placements are computed from the stored rule alone, never from
// the control's current position, so they depend only on the window's current size.
#pragma once

#include <windows.h>

#include <cstdint>

// The window edges a control is anchored to, named at the call: Anchor({.right = true, ...}).
struct AnchorEdges {
    bool top = false;
    bool right = false;
    bool bottom = false;
    bool left = false;
    bool half = false;  // push buttons only: take half of the width change
};

struct AnchorRule {
    std::int32_t x = 0;  // position in the owner's client area when anchored, in pixels
    std::int32_t y = 0;
    std::int32_t width = 0;  // size when anchored
    std::int32_t height = 0;
    AnchorEdges edges;
};

// Where a control goes: moved is false when the rule leaves it alone.
struct AnchorPlacement {
    bool moved = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The window's size change against its reference size: dx, dy and half of dx (toward zero).
struct AnchorDelta {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t half = 0;
};

AnchorDelta DeltaOf(std::int32_t referenceWidth, std::int32_t referenceHeight, const RECT& window);

// The rules for icon and text statics: (right, bottom) follows both edges, (left, bottom) the
// bottom edge; anything else stays.
AnchorPlacement PlaceStatic(const AnchorRule& rule, const AnchorDelta& delta);

// The rules for push buttons, with and without half.
AnchorPlacement PlaceButton(const AnchorRule& rule, const AnchorDelta& delta);

// Measures a rule for control in owner's client area. False when either window's rectangle
// cannot be read.
bool MeasureAnchorRule(HWND control, HWND owner, AnchorRule& rule);

// MoveWindow with repaint when the placement moves the control.
void ApplyPlacement(HWND control, const AnchorPlacement& placement);
