// The artwork generator: its compressor against zlib, and the committed icons and bitmap in
// res/icons against a fresh rendering, so the files are what the generator draws.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "tools/icons/artwork.h"
#include "tools/icons/encoders.h"

namespace {

using icons::Bytes;

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
    std::minstd_rand random(12345);
    std::generate(out.begin(), out.end(), [&] { return static_cast<std::uint8_t>(random()); });
    return out;
}

// One input holds every case: every byte value, long runs, incompressible noise, a repeat beyond
// the 32 KiB window by one and matches of the longest length; then the empty and the one-byte
// input.
TEST(ZlibCompress, ZlibInflatesEveryInputBackUnchanged) {
    Bytes all = Noise(32769);
    all.insert(all.end(), all.begin(), all.begin() + 5000);
    for (std::size_t i = 0; i < 70000; ++i) {
        all.push_back(static_cast<std::uint8_t>(i < 256 ? i : (i / 300) % 7));
    }
    all.insert(all.end(), 1000, 0x42);
    for (const Bytes& data : {all, Bytes{}, Bytes{0xFF}}) {
        EXPECT_EQ(Inflate(icons::ZlibCompress(data), data.size()), data) << data.size();
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
