// The drawings. Every picture is a few flat shapes on a transparent background (the bitmap on a
// light one), in the colours of a modern Windows tool, with strokes thick enough to stay legible
// at the smallest size the picture is rendered in.
#include "tools/icons/artwork.h"

#include <array>
#include <cmath>
#include <functional>

#include "tools/icons/canvas.h"

namespace icons {
namespace {

constexpr Color kWhite = Rgb(0xFFFFFF);
constexpr Color kBlue = Rgb(0x2563EB);
constexpr Color kGreen = Rgb(0x16A34A);
constexpr Color kOrange = Rgb(0xEA580C);
constexpr Color kViolet = Rgb(0x7C3AED);
constexpr Color kSlate = Rgb(0x475569);
constexpr Color kRose = Rgb(0xE11D48);

// A convex triangle whatever the order of its corners.
Shape Triangle(Vec a, Vec b, Vec c) {
    const double turn = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    return turn > 0 ? ConvexPolygon({a, b, c}) : ConvexPolygon({a, c, b});
}

// Application mark (design size 48): a check mark on a blue tile, since the program is a set of
// check boxes.
void DrawApplication(Canvas& canvas) {
    canvas.Fill(RoundedBox({24, 24}, {22, 22}, 9), kBlue);
    canvas.Fill(Polyline({{13.5, 25}, {20.5, 32}, {34.5, 17}}, 5.5), kWhite);
}

// Toolbar pictures (design size 96): a coloured tile with a white symbol.
Shape ToolbarTile() {
    return RoundedBox({48, 48}, {40, 40}, 16);
}

void DrawOptions(Canvas& canvas) {
    canvas.Fill(ToolbarTile(), kBlue);
    const std::array<double, 3> rows = {32, 48, 64};
    const std::array<double, 3> knobs = {58, 37, 51};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        canvas.Fill(Polyline({{28, rows[i]}, {68, rows[i]}}, 5), Rgb(0xFFFFFF, 150));
        canvas.Fill(Circle({knobs[i], rows[i]}, 7.5), kWhite);
        canvas.Fill(Circle({knobs[i], rows[i]}, 3), kBlue);
    }
}

void DrawPrivacy(Canvas& canvas) {
    canvas.Fill(ToolbarTile(), kGreen);
    // A shield: a box on top of two overlapping circles that meet in a point at the bottom.
    const Shape lens = Intersect(Circle({34, 44}, 34), Circle({62, 44}, 34));
    const Shape lower = Intersect(lens, RoundedBox({48, 64}, {21, 20}, 0));
    const Shape upper = RoundedBox({48, 34}, {20, 12}, 2);
    canvas.Fill(Grow(Union(upper, lower), 1), kWhite);
    canvas.Fill(
        Union(Circle({48, 42}, 6.5), ConvexPolygon({{45, 44}, {51, 44}, {53.5, 61}, {42.5, 61}})),
        kGreen);
}

void DrawRestore(Canvas& canvas) {
    canvas.Fill(ToolbarTile(), kOrange);
    const Vec centre{48, 50};
    const double radius = 21;
    // The arc leaves a gap at the upper left, between 190 and 250 degrees (clockwise from the
    // right on screen); the arrow head sits at the 250 degree end and points into the gap.
    const Vec gapFrom{-0.9848, -0.1736};
    const Vec gapTo{-0.3420, -0.9397};
    canvas.Fill(Subtract(Ring(centre, radius, 7), Wedge(centre, gapFrom, gapTo)), kWhite);
    const Vec end{centre.x + radius * gapTo.x, centre.y + radius * gapTo.y};
    const Vec tangent{gapTo.y, -gapTo.x};
    const Vec tip{end.x + 10 * tangent.x, end.y + 10 * tangent.y};
    const Vec base{end.x - 3 * tangent.x, end.y - 3 * tangent.y};
    canvas.Fill(Triangle(tip, {base.x + 9 * gapTo.x, base.y + 9 * gapTo.y},
                         {base.x - 9 * gapTo.x, base.y - 9 * gapTo.y}),
                kWhite);
    canvas.Fill(Polyline({{48, 38}, {48, 50}, {57, 55.5}}, 5), kWhite);
}

void DrawAbout(Canvas& canvas) {
    canvas.Fill(ToolbarTile(), kViolet);
    canvas.Fill(Circle({48, 29.5}, 6.5), kWhite);
    canvas.Fill(RoundedBox({48, 55}, {5.5, 13.5}, 3), kWhite);
}

// Settings gear (design size 48), slate, on the window's background.
void DrawSettings(Canvas& canvas) {
    const double s = std::sqrt(0.5);
    const Vec centre{24, 24};
    Shape gear = Circle(centre, 13.5);
    for (Vec axis : {Vec{1, 0}, Vec{s, s}, Vec{0, 1}, Vec{-s, s}}) {
        gear = Union(gear, TurnedBox(centre, axis, {20, 4.25}, 1.5));
    }
    canvas.Fill(Subtract(gear, Circle(centre, 6)), kSlate);
}

// Donation badge (design size 72 x 40): a white heart on a rose pill.
void DrawDonate(Canvas& canvas) {
    canvas.Fill(RoundedBox({36, 20}, {35, 19}, 19), kRose);
    const Shape heart = Union(Union(Circle({30.5, 16.5}, 6), Circle({41.5, 16.5}, 6)),
                              Triangle({25, 18.7}, {47, 18.7}, {36, 30.5}));
    canvas.Fill(heart, kWhite);
}

// Stand-in for a missing preview (design size 640 x 480): a picture placeholder on a card,
// centred in the part of the bitmap that the preview dialog shows at its template size.
void DrawNoPreview(Canvas& canvas) {
    canvas.FillStepped(RoundedBox({320, 240}, {330, 250}, 0), Rgb(0xF1F5F9));
    const Vec c{196, 150};
    canvas.FillStepped(RoundedBox(c, {92, 68}, 12), Rgb(0xCBD5E1));
    canvas.FillStepped(RoundedBox(c, {89, 65}, 9), kWhite);
    const Color shape = Rgb(0x94A3B8);
    canvas.FillStepped(Circle({c.x + 34, c.y - 28}, 11), Rgb(0xCBD5E1));
    canvas.FillStepped(
        Grow(Triangle({c.x - 62, c.y + 40}, {c.x - 18, c.y - 18}, {c.x + 26, c.y + 40}), 2), shape);
    canvas.FillStepped(
        Grow(Triangle({c.x - 4, c.y + 40}, {c.x + 28, c.y - 2}, {c.x + 60, c.y + 40}), 2),
        Rgb(0x64748B));
}

struct Size {
    int width;
    int height;
};

enum class Format { kIcon, kBitmap };

struct AssetSpec {
    const char* fileName;
    Format format;
    double designWidth;
    void (*draw)(Canvas&);
    std::vector<Size> sizes;
};

// Sizes: every size the program asks for at 96, 120, 144 and 192 DPI, plus the usual shell sizes
// for the application mark.
const std::vector<AssetSpec>& Specs() {
    static const std::vector<AssetSpec> specs = {
        {"application.ico",
         Format::kIcon,
         48,
         DrawApplication,
         {{16, 16}, {20, 20}, {24, 24}, {32, 32}, {40, 40}, {48, 48}, {64, 64}, {256, 256}}},
        {"about.ico",
         Format::kIcon,
         48,
         DrawApplication,
         {{32, 32}, {48, 48}, {60, 60}, {64, 64}, {72, 72}, {96, 96}}},
        {"section_options.ico",
         Format::kIcon,
         96,
         DrawOptions,
         {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"section_privacy.ico",
         Format::kIcon,
         96,
         DrawPrivacy,
         {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"section_restore.ico",
         Format::kIcon,
         96,
         DrawRestore,
         {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"section_about.ico",
         Format::kIcon,
         96,
         DrawAbout,
         {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"settings.ico", Format::kIcon, 48, DrawSettings, {{48, 48}, {60, 60}, {72, 72}, {96, 96}}},
        {"donate.ico", Format::kIcon, 72, DrawDonate, {{72, 40}, {90, 50}, {108, 60}, {144, 80}}},
        {"no_preview.bmp", Format::kBitmap, 640, DrawNoPreview, {{640, 480}}},
    };
    return specs;
}

Image Render(const AssetSpec& spec, Size size) {
    Canvas canvas(size.width, size.height, spec.designWidth);
    spec.draw(canvas);
    return Image{size.width, size.height, canvas.Rgba()};
}

}  // namespace

std::vector<std::string> AssetFileNames() {
    std::vector<std::string> names;
    for (const AssetSpec& spec : Specs()) {
        names.emplace_back(spec.fileName);
    }
    return names;
}

Bytes RenderAsset(const std::string& fileName) {
    for (const AssetSpec& spec : Specs()) {
        if (fileName != spec.fileName) {
            continue;
        }
        if (spec.format == Format::kBitmap) {
            return EncodeBmpRle8(Render(spec, spec.sizes.front()));
        }
        std::vector<Image> images;
        for (Size size : spec.sizes) {
            images.push_back(Render(spec, size));
        }
        return EncodeIco(images);
    }
    return {};
}

}  // namespace icons
