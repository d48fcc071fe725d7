// Font requests, their heights at a DPI and the cache key under which an accessor keeps the fonts
// it made.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/handles.h"

// A font request. Callers use "Segoe UI" with heights -12, -14 and -22.
struct UIFontSpec {
    UIFontSpec(std::int32_t requestedHeight, bool bold, std::wstring face);

    std::wstring faceName;
    std::int32_t height;  // a LOGFONT height: negative = character height in pixels
    std::int32_t weight;  // 700 when bold, else 400
};

// The height a request gets at a DPI: the requested height is given at 96 DPI and scales by the
// same rule as every coordinate (ScaleValue), so -12 is -18 at 144 DPI; -22 and -14 keep the
// sizes designed for 120 and 144 DPI (see fonts.cpp).
std::int32_t EffectiveFontHeight(std::int32_t requestedHeight, unsigned dpi);

// 64-bit FNV-1a over the UTF-16LE bytes of faceName + decimal height + decimal weight.
std::uint64_t FontCacheKey(const std::wstring& faceName, std::int32_t height, std::int32_t weight);

// The system message font at a DPI, as SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS)
// reports it (SystemParametersInfoW on systems without it, which know one DPI only); a zeroed
// description (the system's default font) when the call fails.
LOGFONTW MessageFontDescription(unsigned dpi);

// A new font of the system message font at a DPI, with no adjustment of our own.
ui::FontHandle CreateMessageFont(unsigned dpi);
