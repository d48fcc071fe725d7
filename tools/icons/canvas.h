// A small anti-aliased raster canvas for the program's artwork. Shapes are signed distance
// functions in design units; the canvas scales them to its pixel size, so one drawing serves
// every image size. Only +, -, *, / and sqrt are used, so the pixels are the same on every
// machine and the committed files can be checked against a fresh rendering.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace icons {

struct Vec {
    double x = 0;
    double y = 0;
};

// Signed distance in design units: negative inside, positive outside.
using Shape = std::function<double(Vec)>;

// An sRGB colour with straight alpha, 0 to 255 each.
struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

constexpr Color Rgb(std::uint32_t rgb, std::uint8_t alpha = 255) {
    return Color{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                 static_cast<std::uint8_t>(rgb), alpha};
}

// Basic shapes.
Shape Circle(Vec centre, double radius);
Shape RoundedBox(Vec centre, Vec halfSize, double radius);
// A box turned so that its long axis points along the unit vector (ux, uy).
Shape TurnedBox(Vec centre, Vec axis, Vec halfSize, double radius);
Shape Ring(Vec centre, double radius, double width);
// A stroke along the points with round caps and joins.
Shape Polyline(std::vector<Vec> points, double width);
// A convex polygon given clockwise on screen (y grows downwards).
Shape ConvexPolygon(std::vector<Vec> points);
// The part of the plane between the rays from centre along from and along to, turning
// clockwise on screen; the angle between them must be below 180 degrees.
Shape Wedge(Vec centre, Vec from, Vec to);

// Set operations on shapes.
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Grow(Shape a, double amount);

// Pixels in straight-alpha RGBA, row by row from the top.
class Canvas {
public:
    // width and height in pixels; designWidth is the width the drawing's units are given for.
    Canvas(int width, int height, double designWidth);

    void Fill(const Shape& shape, Color color);
    // Fills with coverage rounded to sixteenths, so that an image with few colours keeps few.
    void FillStepped(const Shape& shape, Color color);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Straight-alpha RGBA bytes, 4 per pixel.
    std::vector<std::uint8_t> Rgba() const;

private:
    void Paint(const Shape& shape, Color color, bool stepped);

    int width_;
    int height_;
    double scale_;                // pixels per design unit
    std::vector<double> pixels_;  // premultiplied RGBA, 0 to 1
};

}  // namespace icons
