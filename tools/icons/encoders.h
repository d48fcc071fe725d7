// File formats the artwork is written in: PNG (with a small deflate encoder of our own, so the
// output bytes depend on nothing but this code), ICO groups of PNG or DIB images, and 8-bit
// run-length-encoded BMP files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace icons {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

// A zlib stream of one deflate block with the fixed Huffman codes and greedy LZ77 matching.
Bytes ZlibCompress(const Bytes& data);

// One image of straight-alpha RGBA pixels, rows from the top.
struct Image {
    int width = 0;
    int height = 0;
    Bytes rgba;
};

Bytes EncodePng(const Image& image);

// An icon file holding the images in the given order. Images of 48 pixels or more in width or
// height are stored as PNG, smaller ones as 32-bit DIBs with an AND mask.
Bytes EncodeIco(const std::vector<Image>& images);

// An 8-bit palette BMP compressed with BI_RLE8. Returns an empty result when the image (which
// must be opaque) has more than 256 colours.
Bytes EncodeBmpRle8(const Image& image);

}  // namespace icons
