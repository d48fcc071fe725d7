// PNG, ICO and BMP writers for the artwork generator.
#include "tools/icons/encoders.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

namespace icons {
namespace {

void PutLittle16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutLittle32(Bytes& out, std::uint32_t value) {
    PutLittle16(out, value & 0xFFFF);
    PutLittle16(out, value >> 16);
}

void PutBig32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Writes bits into a byte stream starting at the least significant bit, as deflate wants.
class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}

    void Put(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            current_ |= static_cast<std::uint8_t>(((value >> i) & 1u) << filled_);
            if (++filled_ == 8) {
                Flush();
            }
        }
    }

    // Huffman codes go most significant bit first.
    void PutCode(std::uint32_t code, int count) {
        for (int i = count - 1; i >= 0; --i) {
            Put((code >> i) & 1u, 1);
        }
    }

    void Finish() {
        if (filled_ > 0) {
            Flush();
        }
    }

private:
    void Flush() {
        out_.push_back(current_);
        current_ = 0;
        filled_ = 0;
    }

    Bytes& out_;
    std::uint8_t current_ = 0;
    int filled_ = 0;
};

struct CodeRange {
    int base;
    int extraBits;
};

constexpr std::array<CodeRange, 29> kLengthCodes = {{
    {3, 0},  {4, 0},  {5, 0},  {6, 0},   {7, 0},   {8, 0},   {9, 0},   {10, 0},  {11, 1},  {13, 1},
    {15, 1}, {17, 1}, {19, 2}, {23, 2},  {27, 2},  {31, 2},  {35, 3},  {43, 3},  {51, 3},  {59, 3},
    {67, 4}, {83, 4}, {99, 4}, {115, 4}, {131, 5}, {163, 5}, {195, 5}, {227, 5}, {258, 0},
}};

constexpr std::array<CodeRange, 30> kDistanceCodes = {{
    {1, 0},     {2, 0},     {3, 0},     {4, 0},      {5, 1},      {7, 1},
    {9, 2},     {13, 2},    {17, 3},    {25, 3},     {33, 4},     {49, 4},
    {65, 5},    {97, 5},    {129, 6},   {193, 6},    {257, 7},    {385, 7},
    {513, 8},   {769, 8},   {1025, 9},  {1537, 9},   {2049, 10},  {3073, 10},
    {4097, 11}, {6145, 11}, {8193, 12}, {12289, 12}, {16385, 13}, {24577, 13},
}};

// The fixed Huffman code of a literal/length symbol (0 to 287).
void PutSymbol(BitWriter& bits, int symbol) {
    if (symbol < 144) {
        bits.PutCode(0x30 + symbol, 8);
    } else if (symbol < 256) {
        bits.PutCode(0x190 + symbol - 144, 9);
    } else if (symbol < 280) {
        bits.PutCode(symbol - 256, 7);
    } else {
        bits.PutCode(0xC0 + symbol - 280, 8);
    }
}

template <std::size_t N>
void PutRange(BitWriter& bits, const std::array<CodeRange, N>& table, int value, int firstSymbol,
              bool distance) {
    std::size_t index = table.size() - 1;
    while (table[index].base > value) {
        --index;
    }
    if (distance) {
        bits.PutCode(static_cast<std::uint32_t>(index), 5);
    } else {
        PutSymbol(bits, firstSymbol + static_cast<int>(index));
    }
    bits.Put(static_cast<std::uint32_t>(value - table[index].base), table[index].extraBits);
}

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kWindow = 32768;
constexpr int kHashBits = 15;
constexpr int kChainLimit = 64;

std::uint32_t HashAt(const Bytes& data, std::size_t i) {
    const std::uint32_t v = data[i] | (data[i + 1] << 8) | (data[i + 2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

// Greedy LZ77 over hash chains, written as one final fixed-Huffman block.
void Deflate(const Bytes& data, Bytes& out) {
    BitWriter bits(out);
    bits.Put(1, 1);  // final block
    bits.Put(1, 2);  // fixed Huffman codes
    std::vector<int> head(1u << kHashBits, -1);
    std::vector<int> previous(data.size(), -1);
    auto insert = [&](std::size_t i) {
        if (i + kMinMatch <= data.size()) {
            const std::uint32_t h = HashAt(data, i);
            previous[i] = head[h];
            head[h] = static_cast<int>(i);
        }
    };
    std::size_t i = 0;
    while (i < data.size()) {
        int bestLength = 0;
        int bestDistance = 0;
        if (i + kMinMatch <= data.size()) {
            const int limit = static_cast<int>(std::min<std::size_t>(kMaxMatch, data.size() - i));
            int candidate = head[HashAt(data, i)];
            for (int chain = 0; candidate >= 0 && chain < kChainLimit; ++chain) {
                const int distance = static_cast<int>(i) - candidate;
                if (distance > kWindow) {
                    break;
                }
                int length = 0;
                while (length < limit && data[candidate + length] == data[i + length]) {
                    ++length;
                }
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                    if (length == limit) {
                        break;
                    }
                }
                candidate = previous[candidate];
            }
        }
        if (bestLength >= kMinMatch) {
            PutRange(bits, kLengthCodes, bestLength, 257, false);
            PutRange(bits, kDistanceCodes, bestDistance, 0, true);
            for (int k = 0; k < bestLength; ++k) {
                insert(i + k);
            }
            i += bestLength;
        } else {
            PutSymbol(bits, data[i]);
            insert(i);
            ++i;
        }
    }
    PutSymbol(bits, 256);
    bits.Finish();
}

void PutChunk(Bytes& png, const char* type, const Bytes& payload) {
    PutBig32(png, static_cast<std::uint32_t>(payload.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), payload.begin(), payload.end());
    png.insert(png.end(), typed.begin(), typed.end());
    PutBig32(png, Crc32(typed.data(), typed.size()));
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

// Filters one row with each of the five PNG filters and keeps the one with the smallest sum of
// absolute values, the usual heuristic.
void FilterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t length, Bytes& out) {
    Bytes best;
    long bestScore = -1;
    for (int filter = 0; filter < 5; ++filter) {
        Bytes candidate{static_cast<std::uint8_t>(filter)};
        long score = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const int a = i >= 4 ? row[i - 4] : 0;
            const int b = above ? above[i] : 0;
            const int c = (above && i >= 4) ? above[i - 4] : 0;
            int predicted = 0;
            switch (filter) {
                case 1:
                    predicted = a;
                    break;
                case 2:
                    predicted = b;
                    break;
                case 3:
                    predicted = (a + b) / 2;
                    break;
                case 4:
                    predicted = Paeth(a, b, c);
                    break;
                default:
                    break;
            }
            const auto value = static_cast<std::uint8_t>(row[i] - predicted);
            candidate.push_back(value);
            score += value < 128 ? value : 256 - value;
        }
        if (bestScore < 0 || score < bestScore) {
            bestScore = score;
            best = std::move(candidate);
        }
    }
    out.insert(out.end(), best.begin(), best.end());
}

Bytes DibOfImage(const Image& image) {
    Bytes dib;
    PutLittle32(dib, 40);
    PutLittle32(dib, static_cast<std::uint32_t>(image.width));
    PutLittle32(dib, static_cast<std::uint32_t>(image.height * 2));  // colour and mask
    PutLittle16(dib, 1);
    PutLittle16(dib, 32);
    for (int i = 0; i < 6; ++i) {
        PutLittle32(dib, 0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p =
                &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
            dib.insert(dib.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    // AND mask: set where the pixel is fully transparent, rows padded to 32 bits.
    const int maskStride = ((image.width + 31) / 32) * 4;
    for (int y = image.height - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < image.width; ++x) {
            if (image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4 + 3] == 0) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        dib.insert(dib.end(), row.begin(), row.end());
    }
    return dib;
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

Bytes ZlibCompress(const Bytes& data) {
    Bytes out{0x78, 0x01};  // deflate, 32 KiB window, no dictionary, fastest-level marker
    Deflate(data, out);
    PutBig32(out, Adler32(data.data(), data.size()));
    return out;
}

Bytes EncodePng(const Image& image) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBig32(header, static_cast<std::uint32_t>(image.width));
    PutBig32(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    PutChunk(png, "IHDR", header);

    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    Bytes filtered;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = &image.rgba[y * stride];
        FilterRow(row, y > 0 ? row - stride : nullptr, stride, filtered);
    }
    PutChunk(png, "IDAT", ZlibCompress(filtered));
    PutChunk(png, "IEND", {});
    return png;
}

Bytes EncodeIco(const std::vector<Image>& images) {
    std::vector<Bytes> payloads;
    for (const Image& image : images) {
        const bool png = image.width >= 48 || image.height >= 48;
        payloads.push_back(png ? EncodePng(image) : DibOfImage(image));
    }
    Bytes ico;
    PutLittle16(ico, 0);
    PutLittle16(ico, 1);  // icon
    PutLittle16(ico, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        ico.push_back(static_cast<std::uint8_t>(images[i].width >= 256 ? 0 : images[i].width));
        ico.push_back(static_cast<std::uint8_t>(images[i].height >= 256 ? 0 : images[i].height));
        ico.push_back(0);  // no palette
        ico.push_back(0);
        PutLittle16(ico, 1);   // planes
        PutLittle16(ico, 32);  // bits per pixel
        PutLittle32(ico, static_cast<std::uint32_t>(payloads[i].size()));
        PutLittle32(ico, offset);
        offset += static_cast<std::uint32_t>(payloads[i].size());
    }
    for (const Bytes& payload : payloads) {
        ico.insert(ico.end(), payload.begin(), payload.end());
    }
    return ico;
}

Bytes EncodeBmpRle8(const Image& image) {
    // Palette in order of first appearance, scanning from the bottom row as the file does.
    std::map<std::uint32_t, std::uint8_t> indexOf;
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(image.width) * image.height);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * image.width + x;
            const std::uint8_t* p = &image.rgba[at * 4];
            const std::uint32_t bgr = p[2] | (p[1] << 8) | (p[0] << 16);
            auto found = indexOf.find(bgr);
            if (found == indexOf.end()) {
                if (palette.size() == 256) {
                    return {};
                }
                found = indexOf.emplace(bgr, static_cast<std::uint8_t>(palette.size())).first;
                palette.push_back(bgr);
            }
            indices[at] = found->second;
        }
    }

    Bytes pixels;
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* row = &indices[static_cast<std::size_t>(y) * image.width];
        int x = 0;
        while (x < image.width) {
            int run = 1;
            while (x + run < image.width && run < 255 && row[x + run] == row[x]) {
                ++run;
            }
            pixels.push_back(static_cast<std::uint8_t>(run));
            pixels.push_back(row[x]);
            x += run;
        }
        pixels.insert(pixels.end(), {0, 0});  // end of line
    }
    pixels.insert(pixels.end(), {0, 1});  // end of bitmap

    const std::uint32_t paletteBytes = static_cast<std::uint32_t>(palette.size()) * 4;
    const std::uint32_t dataOffset = 14 + 40 + paletteBytes;
    Bytes bmp{'B', 'M'};
    PutLittle32(bmp, dataOffset + static_cast<std::uint32_t>(pixels.size()));
    PutLittle32(bmp, 0);
    PutLittle32(bmp, dataOffset);
    PutLittle32(bmp, 40);
    PutLittle32(bmp, static_cast<std::uint32_t>(image.width));
    PutLittle32(bmp, static_cast<std::uint32_t>(image.height));
    PutLittle16(bmp, 1);
    PutLittle16(bmp, 8);
    PutLittle32(bmp, 1);  // BI_RLE8
    PutLittle32(bmp, static_cast<std::uint32_t>(pixels.size()));
    PutLittle32(bmp, 3780);  // 96 DPI in pixels per metre
    PutLittle32(bmp, 3780);
    PutLittle32(bmp, static_cast<std::uint32_t>(palette.size()));
    PutLittle32(bmp, 0);
    for (std::uint32_t bgr : palette) {
        PutLittle32(bmp, bgr);
    }
    bmp.insert(bmp.end(), pixels.begin(), pixels.end());
    return bmp;
}

}  // namespace icons
