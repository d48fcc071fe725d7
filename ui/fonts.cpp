// Font requests, their heights at a DPI and the font cache key.
#include "ui/fonts.h"

#include <array>
#include <utility>

#include "ui/dpi.h"

namespace {

struct FontHeightRow {
    std::int32_t requested;
    unsigned dpi;
    std::int32_t effective;
};

// The title and subtitle heights were drawn for 120 and 144 DPI: these are the sizes that look
// right there. Every other height, and these at any other DPI, scales like a coordinate.
constexpr std::array<FontHeightRow, 4> kDesignedHeights = {{
    {-22, 120, -24},
    {-22, 144, -30},
    {-14, 120, -17},
    {-14, 144, -21},
}};

// The structure size the program was written for: NONCLIENTMETRICSW with iPaddedBorderWidth.
static_assert(sizeof(NONCLIENTMETRICSW) == 504);

constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

}  // namespace

UIFontSpec::UIFontSpec(std::int32_t requestedHeight, bool bold, std::wstring face)
    : faceName(std::move(face)), height(requestedHeight), weight(bold ? 700 : 400) {}

std::int32_t EffectiveFontHeight(std::int32_t requestedHeight, unsigned dpi) {
    for (const FontHeightRow& row : kDesignedHeights) {
        if (row.requested == requestedHeight && row.dpi == dpi) {
            return row.effective;
        }
    }
    return ScaleValue(requestedHeight, dpi / 96.0);
}

std::uint64_t FontCacheKey(const std::wstring& faceName, std::int32_t height, std::int32_t weight) {
    const std::wstring text = faceName + std::to_wstring(height) + std::to_wstring(weight);
    std::uint64_t hash = kFnvOffsetBasis;
    for (wchar_t unit : text) {
        const auto value = static_cast<std::uint16_t>(unit);
        for (std::uint8_t byte :
             {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)}) {
            hash = (hash ^ byte) * kFnvPrime;
        }
    }
    return hash;
}

LOGFONTW MessageFontDescription(unsigned dpi) {
    using ForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = User32Entry<ForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const BOOL read =
        forDpi != nullptr
            ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)
            : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    if (!read) {
        return LOGFONTW{};
    }
    return metrics.lfMessageFont;
}

ui::FontHandle CreateMessageFont(unsigned dpi) {
    const LOGFONTW description = MessageFontDescription(dpi);
    return ui::FontHandle(CreateFontIndirectW(&description));
}
