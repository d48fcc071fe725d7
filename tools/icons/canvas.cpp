// Signed distance shapes and the canvas that turns them into anti-aliased pixels.
#include "tools/icons/canvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace icons {
namespace {

double Length(Vec v) {
    return std::sqrt(v.x * v.x + v.y * v.y);
}

Vec Minus(Vec a, Vec b) {
    return Vec{a.x - b.x, a.y - b.y};
}

double Dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}

// Cross product z of a and b: positive when b lies clockwise of a on screen.
double Cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}

double BoxDistance(Vec p, Vec halfSize, double radius) {
    const Vec q{std::abs(p.x) - halfSize.x + radius, std::abs(p.y) - halfSize.y + radius};
    const Vec outside{std::max(q.x, 0.0), std::max(q.y, 0.0)};
    return Length(outside) + std::min(std::max(q.x, q.y), 0.0) - radius;
}

double SegmentDistance(Vec p, Vec a, Vec b) {
    const Vec ab = Minus(b, a);
    const Vec ap = Minus(p, a);
    const double lengthSquared = Dot(ab, ab);
    double t = lengthSquared > 0 ? Dot(ap, ab) / lengthSquared : 0;
    t = std::clamp(t, 0.0, 1.0);
    return Length(Vec{ap.x - ab.x * t, ap.y - ab.y * t});
}

}  // namespace

Shape Circle(Vec centre, double radius) {
    return [=](Vec p) { return Length(Minus(p, centre)) - radius; };
}

Shape RoundedBox(Vec centre, Vec halfSize, double radius) {
    return [=](Vec p) { return BoxDistance(Minus(p, centre), halfSize, radius); };
}

Shape TurnedBox(Vec centre, Vec axis, Vec halfSize, double radius) {
    return [=](Vec p) {
        const Vec d = Minus(p, centre);
        const Vec local{Dot(d, axis), Cross(axis, d)};
        return BoxDistance(local, halfSize, radius);
    };
}

Shape Ring(Vec centre, double radius, double width) {
    return [=](Vec p) { return std::abs(Length(Minus(p, centre)) - radius) - width / 2; };
}

Shape Polyline(std::vector<Vec> points, double width) {
    return [points = std::move(points), width](Vec p) {
        double best = Length(Minus(p, points.front()));
        for (std::size_t i = 1; i < points.size(); ++i) {
            best = std::min(best, SegmentDistance(p, points[i - 1], points[i]));
        }
        return best - width / 2;
    };
}

Shape ConvexPolygon(std::vector<Vec> points) {
    return [points = std::move(points)](Vec p) {
        double inside = -1e9;
        double outside = 0;
        bool beyondAnEdge = false;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Vec a = points[i];
            const Vec b = points[(i + 1) % points.size()];
            const Vec edge = Minus(b, a);
            // Clockwise on screen: the inside lies to the right, where the cross product is > 0.
            const double side = -Cross(edge, Minus(p, a)) / Length(edge);
            inside = std::max(inside, side);
            if (side > 0) {
                beyondAnEdge = true;
            }
        }
        if (!beyondAnEdge) {
            return inside;
        }
        outside = 1e9;
        for (std::size_t i = 0; i < points.size(); ++i) {
            outside =
                std::min(outside, SegmentDistance(p, points[i], points[(i + 1) % points.size()]));
        }
        return outside;
    };
}

Shape Wedge(Vec centre, Vec from, Vec to) {
    return [=](Vec p) {
        const Vec d = Minus(p, centre);
        const double fromSide = -Cross(from, d) / Length(from);
        const double toSide = Cross(to, d) / Length(to);
        return std::max(fromSide, toSide);
    };
}

Shape Union(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](Vec p) { return std::min(a(p), b(p)); };
}

Shape Intersect(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](Vec p) { return std::max(a(p), b(p)); };
}

Shape Subtract(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](Vec p) { return std::max(a(p), -b(p)); };
}

Shape Grow(Shape a, double amount) {
    return [a = std::move(a), amount](Vec p) { return a(p) - amount; };
}

Canvas::Canvas(int width, int height, double designWidth)
    : width_(width),
      height_(height),
      scale_(width / designWidth),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0.0) {}

void Canvas::Fill(const Shape& shape, Color color) {
    Paint(shape, color, false);
}

void Canvas::FillStepped(const Shape& shape, Color color) {
    Paint(shape, color, true);
}

void Canvas::Paint(const Shape& shape, Color color, bool stepped) {
    const double alpha = color.a / 255.0;
    const double source[3] = {color.r / 255.0, color.g / 255.0, color.b / 255.0};
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const Vec design{(x + 0.5) / scale_, (y + 0.5) / scale_};
            double coverage = std::clamp(0.5 - shape(design) * scale_, 0.0, 1.0);
            if (stepped) {
                coverage = std::floor(coverage * 16 + 0.5) / 16;
            }
            const double a = coverage * alpha;
            if (a <= 0) {
                continue;
            }
            double* pixel = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4];
            for (int c = 0; c < 3; ++c) {
                pixel[c] = source[c] * a + pixel[c] * (1 - a);
            }
            pixel[3] = a + pixel[3] * (1 - a);
        }
    }
}

std::vector<std::uint8_t> Canvas::Rgba() const {
    std::vector<std::uint8_t> out(pixels_.size());
    for (std::size_t i = 0; i < pixels_.size(); i += 4) {
        const double a = pixels_[i + 3];
        const auto alpha = static_cast<int>(std::floor(a * 255 + 0.5));
        out[i + 3] = static_cast<std::uint8_t>(alpha);
        for (int c = 0; c < 3; ++c) {
            const double straight = alpha > 0 ? pixels_[i + c] / a : 0;
            out[i + c] = static_cast<std::uint8_t>(
                std::clamp(static_cast<int>(std::floor(straight * 255 + 0.5)), 0, 255));
        }
    }
    return out;
}

}  // namespace icons
