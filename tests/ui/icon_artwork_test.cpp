// The artwork generator: its compressor against zlib, and the committed icons and bitmap in
// res/icons against a fresh rendering, so the files are what the generator draws and hold the
// sizes the program loads.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "tools/icons/artwork.h"
#include "tools/icons/encoders.h"

namespace {

using icons::Bytes;

std::uint32_t Little16(const Bytes& data, std::size_t at) {
    return data[at] | (data[at + 1] << 8);
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

}  // namespace
