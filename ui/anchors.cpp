// Anchor rule measurement and the placement rules.
#include "ui/anchors.h"

namespace {

AnchorPlacement Stay() {
    return AnchorPlacement{};
}

AnchorPlacement MoveTo(const AnchorRule& rule, std::int32_t x, std::int32_t y, std::int32_t width) {
    return AnchorPlacement{true, x, y, width, rule.height};
}

}  // namespace

AnchorDelta DeltaOf(std::int32_t referenceWidth, std::int32_t referenceHeight, const RECT& window) {
    AnchorDelta delta;
    delta.dx = (window.right - window.left) - referenceWidth;
    delta.dy = (window.bottom - window.top) - referenceHeight;
    delta.half = delta.dx / 2;
    return delta;
}

AnchorPlacement PlaceStatic(const AnchorRule& rule, const AnchorDelta& delta) {
    const AnchorEdges& edges = rule.edges;
    if (edges.right && edges.bottom) {
        return MoveTo(rule, rule.x + delta.dx, rule.y + delta.dy, rule.width);
    }
    if (edges.left && edges.bottom) {
        return MoveTo(rule, rule.x, rule.y + delta.dy, rule.width);
    }
    return Stay();
}

AnchorPlacement PlaceButton(const AnchorRule& rule, const AnchorDelta& delta) {
    const AnchorEdges& edges = rule.edges;
    if (edges.half) {
        if (edges.top || !edges.right || edges.bottom) {
            return Stay();
        }
        if (edges.left) {
            return MoveTo(rule, rule.x, rule.y, rule.width + delta.half);
        }
        return MoveTo(rule, rule.x + delta.half, rule.y, rule.width + delta.half);
    }
    if (edges.right && edges.bottom && !edges.top && !edges.left) {
        return MoveTo(rule, rule.x + delta.dx, rule.y + delta.dy, rule.width);
    }
    if (edges.left && edges.bottom) {
        return MoveTo(rule, rule.x, rule.y + delta.dy, rule.width);
    }
    if (!edges.top && !edges.right) {
        return Stay();
    }
    if (edges.right && edges.left && !edges.top && !edges.bottom) {
        return MoveTo(rule, rule.x, rule.y, rule.width + delta.dx);
    }
    if (!edges.right) {
        return Stay();
    }
    return MoveTo(rule, rule.x + delta.half, rule.y, rule.width + delta.half);
}

bool MeasureAnchorRule(HWND control, HWND owner, AnchorRule& rule) {
    RECT controlRect{};
    RECT ownerRect{};
    if (!GetWindowRect(control, &controlRect) || !GetWindowRect(owner, &ownerRect)) {
        return false;
    }
    // The control's position in the owner's client area, whatever the owner's frame and caption
    // measure at this DPI, so a layout at the reference size puts the control where it is.
    POINT topLeft{controlRect.left, controlRect.top};
    ScreenToClient(owner, &topLeft);
    rule.x = topLeft.x;
    rule.y = topLeft.y;
    rule.width = controlRect.right - controlRect.left;
    rule.height = controlRect.bottom - controlRect.top;
    return true;
}

void ApplyPlacement(HWND control, const AnchorPlacement& placement) {
    if (placement.moved) {
        MoveWindow(control, placement.x, placement.y, placement.width, placement.height, TRUE);
    }
}
