// The artwork generator: its encoders against zlib and their own decoders, and the committed
// icons and bitmap in res/icons against a fresh rendering, so the files are what the generator
// draws.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "tools/icons/artwork.h"
#include "tools/icons/canvas.h"
#include "tools/icons/encoders.h"

namespace {

using icons::Bytes;

std::uint32_t Little16(const Bytes& data, std::size_t at) {
    return data[at] | (data[at + 1] << 8);
}

std::uint32_t Little32(const Bytes& data, std::size_t at) {
    return Little16(data, at) | (Little16(data, at + 2) << 16);
}

std::uint32_t Big32(const Bytes& data, std::size_t at) {
    return (static_cast<std::uint32_t>(data[at]) << 24) | (data[at + 1] << 16) |
           (data[at + 2] << 8) | data[at + 3];
}

Bytes Inflate(const Bytes& compressed, std::size_t expectedSize) {
    Bytes out(expectedSize + 16);
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &size, compressed.data(), static_cast<uLong>(compressed.size())) !=
        Z_OK) {
        return {};
    }
    out.resize(size);
    return out;
}

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A deterministic pseudo-random byte sequence.
Bytes Noise(std::size_t size) {
    Bytes out(size);
    std::uint32_t state = 12345;
    for (auto& byte : out) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return out;
}

TEST(Checksums, MatchTheStandardCheckValues) {
    const Bytes digits = BytesOf("123456789");
    EXPECT_EQ(icons::Crc32(digits.data(), digits.size()), 0xCBF43926u);
    const Bytes word = BytesOf("Wikipedia");
    EXPECT_EQ(icons::Adler32(word.data(), word.size()), 0x11E60398u);
    EXPECT_EQ(icons::Adler32(nullptr, 0), 1u);
}

struct DeflateCase {
    const char* name;
    Bytes data;
};

TEST(ZlibCompress, ZlibInflatesEveryInputBackUnchanged) {
    Bytes runs(70000);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runs[i] = static_cast<std::uint8_t>((i / 300) % 7);
    }
    Bytes farRepeat = Noise(40000);  // repeats beyond the 32 KiB window
    farRepeat.insert(farRepeat.end(), farRepeat.begin(), farRepeat.begin() + 5000);
    const std::vector<DeflateCase> cases = {
        {"empty", {}},
        {"one byte", {0xFF}},
        {"short repeat", BytesOf("abcabcabcabcabcabcabcabcabcabc")},
        {"every byte value",
         [] {
             Bytes all;
             for (int i = 0; i < 256; ++i) {
                 all.push_back(static_cast<std::uint8_t>(i));
             }
             return all;
         }()},
        {"long runs", runs},
        {"incompressible", Noise(10000)},
        {"repeat beyond the window", farRepeat},
        {"maximum match lengths", Bytes(1000, 0x42)},
    };
    for (const DeflateCase& c : cases) {
        const Bytes compressed = icons::ZlibCompress(c.data);
        EXPECT_EQ(Inflate(compressed, c.data.size()), c.data) << c.name;
    }
}

TEST(ZlibCompress, RunsShrink) {
    EXPECT_LT(icons::ZlibCompress(Bytes(100000, 7)).size(), 1000u);
}

// Reads a PNG back: its chunks' CRCs, the header and the unfiltered pixels.
bool DecodePng(const Bytes& png, icons::Image& image) {
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || !std::equal(signature.begin(), signature.end(), png.begin())) {
        return false;
    }
    Bytes idat;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Big32(png, at);
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        if (icons::Crc32(&png[at + 4], length + 4) != Big32(png, at + 8 + length)) {
            return false;
        }
        if (type == "IHDR") {
            image.width = static_cast<int>(Big32(png, at + 8));
            image.height = static_cast<int>(Big32(png, at + 12));
            if (png[at + 16] != 8 || png[at + 17] != 6) {
                return false;
            }
        } else if (type == "IDAT") {
            idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        }
        at += 12 + length;
    }
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    const Bytes filtered = Inflate(idat, (stride + 1) * image.height);
    if (filtered.size() != (stride + 1) * image.height) {
        return false;
    }
    image.rgba.assign(stride * image.height, 0);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t filter = filtered[y * (stride + 1)];
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= 4 ? image.rgba[y * stride + i - 4] : 0;
            const int b = y > 0 ? image.rgba[(y - 1) * stride + i] : 0;
            const int c = (y > 0 && i >= 4) ? image.rgba[(y - 1) * stride + i - 4] : 0;
            const int p = a + b - c;
            const int paeth =
                (std::abs(p - a) <= std::abs(p - b) && std::abs(p - a) <= std::abs(p - c))
                    ? a
                    : (std::abs(p - b) <= std::abs(p - c) ? b : c);
            const int predicted[5] = {0, a, b, (a + b) / 2, paeth};
            if (filter > 4) {
                return false;
            }
            image.rgba[y * stride + i] =
                static_cast<std::uint8_t>(filtered[y * (stride + 1) + 1 + i] + predicted[filter]);
        }
    }
    return true;
}

icons::Image Gradient(int width, int height) {
    icons::Image image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.rgba.insert(image.rgba.end(),
                              {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 3),
                               static_cast<std::uint8_t>(x ^ y), static_cast<std::uint8_t>(x + y)});
        }
    }
    return image;
}

TEST(EncodePng, DecodesToTheSamePixels) {
    for (const auto& [width, height] :
         std::vector<std::pair<int, int>>{{1, 1}, {17, 5}, {64, 64}}) {
        const icons::Image original = Gradient(width, height);
        icons::Image decoded;
        ASSERT_TRUE(DecodePng(icons::EncodePng(original), decoded)) << width << "x" << height;
        EXPECT_EQ(decoded.width, width);
        EXPECT_EQ(decoded.height, height);
        EXPECT_EQ(decoded.rgba, original.rgba) << width << "x" << height;
    }
}

TEST(EncodeIco, DirectoryPointsAtEachImageInItsFormat) {
    const icons::Image small = Gradient(16, 16);
    const icons::Image large = Gradient(72, 40);
    const Bytes ico = icons::EncodeIco({small, large});
    ASSERT_GE(ico.size(), 38u);
    EXPECT_EQ(Little16(ico, 0), 0u);
    EXPECT_EQ(Little16(ico, 2), 1u);
    ASSERT_EQ(Little16(ico, 4), 2u);

    // The 16-pixel image is a DIB: header, colour rows bottom-up, then the AND mask.
    EXPECT_EQ(ico[6], 16);
    EXPECT_EQ(ico[7], 16);
    const std::uint32_t dibOffset = Little32(ico, 6 + 12);
    EXPECT_EQ(Little32(ico, 6 + 8), 40u + 16 * 16 * 4 + 16 * 4);
    EXPECT_EQ(Little32(ico, dibOffset + 8), 32u) << "DIB height counts colour and mask";
    const std::size_t topRowInDib = dibOffset + 40 + 15 * 16 * 4;
    EXPECT_EQ(ico[topRowInDib], small.rgba[2]) << "blue first";
    EXPECT_EQ(ico[topRowInDib + 3], small.rgba[3]);

    // The 72 x 40 image is a PNG.
    EXPECT_EQ(ico[22], 72);
    EXPECT_EQ(ico[23], 40);
    const std::uint32_t pngOffset = Little32(ico, 22 + 12);
    const std::uint32_t pngSize = Little32(ico, 22 + 8);
    EXPECT_EQ(pngOffset + pngSize, ico.size());
    icons::Image decoded;
    ASSERT_TRUE(DecodePng(Bytes(ico.begin() + pngOffset, ico.end()), decoded));
    EXPECT_EQ(decoded.rgba, large.rgba);
}

TEST(EncodeBmpRle8, DecodesToTheSameColours) {
    icons::Image image{300, 3, {}};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const auto shade = static_cast<std::uint8_t>((x / 10) * 8 + y);
            image.rgba.insert(image.rgba.end(),
                              {shade, static_cast<std::uint8_t>(255 - shade), 9, 255});
        }
    }
    const Bytes bmp = icons::EncodeBmpRle8(image);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(Little32(bmp, 30), 1u) << "BI_RLE8";
    const std::uint32_t colours = Little32(bmp, 46);
    std::size_t at = Little32(bmp, 10);
    std::vector<std::uint8_t> decoded;
    for (;;) {
        const std::uint8_t count = bmp.at(at);
        const std::uint8_t value = bmp.at(at + 1);
        at += 2;
        if (count == 0 && value == 1) {
            break;
        }
        if (count != 0) {
            decoded.insert(decoded.end(), count, value);
        }
    }
    ASSERT_EQ(decoded.size(), 300u * 3u);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 300; ++x) {
            const std::uint8_t index = decoded[(2 - y) * 300 + x];  // rows bottom-up
            ASSERT_LT(index, colours);
            const std::size_t entry = 54 + index * 4;
            const std::uint8_t* pixel = &image.rgba[(y * 300 + x) * 4];
            EXPECT_EQ(bmp[entry + 2], pixel[0]);
            EXPECT_EQ(bmp[entry + 1], pixel[1]);
            EXPECT_EQ(bmp[entry], pixel[2]);
        }
    }
}

TEST(EncodeBmpRle8, RefusesMoreThan256Colours) {
    icons::Image image{257, 1, {}};
    for (int x = 0; x < 257; ++x) {
        image.rgba.insert(image.rgba.end(), {static_cast<std::uint8_t>(x),
                                             static_cast<std::uint8_t>(x / 256), 0, 255});
    }
    EXPECT_TRUE(icons::EncodeBmpRle8(image).empty());
}

TEST(Canvas, CoverageFallsOffAcrossAnEdge) {
    icons::Canvas canvas(20, 20, 20);
    canvas.Fill(icons::Circle({10, 10}, 6), icons::Rgb(0x102030));
    const Bytes rgba = canvas.Rgba();
    auto alphaAt = [&](int x, int y) { return rgba[(y * 20 + x) * 4 + 3]; };
    EXPECT_EQ(alphaAt(10, 10), 255);
    EXPECT_EQ(alphaAt(0, 0), 0);
    EXPECT_GT(alphaAt(15, 9), 0) << "the pixel the edge crosses is partly covered";
    EXPECT_LT(alphaAt(15, 9), 255);
    EXPECT_EQ(rgba[(10 * 20 + 10) * 4], 0x10);
}

// Sizes the program asks for: toolbar icons at 96 design units for 96, 120, 144 and 192 DPI, the
// bottom icons at 48 x 48 and 72 x 40 units, the About picture at 48 units, the window icon at
// the shell's sizes.
struct RequiredSizes {
    const char* file;
    std::vector<std::pair<int, int>> sizes;
};

TEST(Artwork, EveryIconHoldsTheSizesTheProgramLoads) {
    const std::vector<RequiredSizes> table = {
        {"application.ico", {{16, 16}, {32, 32}, {48, 48}, {256, 256}}},
        {"about.ico", {{48, 48}, {60, 60}, {72, 72}, {96, 96}}},
        {"section_options.ico", {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"section_privacy.ico", {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"section_restore.ico", {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"section_about.ico", {{96, 96}, {120, 120}, {144, 144}, {192, 192}}},
        {"settings.ico", {{48, 48}, {60, 60}, {72, 72}, {96, 96}}},
        {"donate.ico", {{72, 40}, {90, 50}, {108, 60}, {144, 80}}},
    };
    for (const RequiredSizes& entry : table) {
        const Bytes ico = icons::RenderAsset(entry.file);
        ASSERT_GE(ico.size(), 6u) << entry.file;
        std::vector<std::pair<int, int>> present;
        for (std::uint32_t i = 0; i < Little16(ico, 4); ++i) {
            const int width = ico[6 + 16 * i] == 0 ? 256 : ico[6 + 16 * i];
            const int height = ico[7 + 16 * i] == 0 ? 256 : ico[7 + 16 * i];
            present.emplace_back(width, height);
        }
        for (const auto& size : entry.sizes) {
            EXPECT_NE(std::find(present.begin(), present.end(), size), present.end())
                << entry.file << " lacks " << size.first << "x" << size.second;
        }
    }
}

TEST(Artwork, CommittedFilesAreWhatTheGeneratorDraws) {
    const std::vector<std::string> names = icons::AssetFileNames();
    ASSERT_EQ(names.size(), 9u);
    for (const std::string& name : names) {
        const std::string committed =
            test::ReadFileBytes(std::string(QUORVANE_ARTWORK_DIR) + "/" + name);
        const Bytes rendered = icons::RenderAsset(name);
        ASSERT_FALSE(rendered.empty()) << name;
        EXPECT_TRUE(committed.size() == rendered.size() &&
                    std::memcmp(committed.data(), rendered.data(), rendered.size()) == 0)
            << name << " differs from a fresh rendering: run tools/icons/generate.sh";
    }
}

TEST(Artwork, UnknownNameGivesNothing) {
    EXPECT_TRUE(icons::RenderAsset("missing.ico").empty());
}

}  // namespace
