// Fixed names held in scrambled form. A stored text is a length byte L followed by L - 1 payload
// bytes; clear character k is payload byte k XOR byte L - k, and the text ends at the first
// value below 32. Scramble("name") turns a literal into that form at compile time, so the source
// stays readable while the binary holds no clear copy of the name.
#pragma once

#include <cstddef>
#include <cstdint>

// Pointer to a stored text: byte 0 is the length byte, bytes 1 to L - 1 the payload.
using ScrambledText = const std::uint8_t*;

// Size of the output buffers of Unscramble and UnscrambleWide: 120 characters and a terminator.
constexpr std::size_t kUnscrambledCapacity = 121;
constexpr std::size_t kMaxUnscrambledLength = kUnscrambledCapacity - 1;

// Writes the clear text of stored into out (121 characters) and returns out. A stored text
// without a terminator value, or with more than 120 characters, yields the empty text.
char* Unscramble(char* out, ScrambledText stored);
wchar_t* UnscrambleWide(wchar_t* out, ScrambledText stored);

namespace scrambled_detail {

// A compile-time stored text of a literal with N - 1 characters. The layout is L = 2N + 1:
// characters 1 to N - 1, the terminator value at N, and its mirror images up to L - 1.
template <std::size_t N>
struct StoredText {
    std::uint8_t bytes[2 * N + 1];
    constexpr operator ScrambledText() const { return bytes; }
};

// Not constexpr on purpose: reaching it while scrambling stops the compilation.
inline void TextMustBePrintableAscii() {}

constexpr std::uint32_t Hash(const char* text, std::size_t length) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < length; ++i) {
        hash = (hash ^ static_cast<std::uint8_t>(text[i])) * 16777619u;
    }
    return hash;
}

constexpr std::uint32_t NextRandom(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace scrambled_detail

// The stored form of a string literal of printable ASCII, computed by the compiler:
//   constexpr auto kFileName = Scramble("settings.ini");
template <std::size_t N>
consteval scrambled_detail::StoredText<N> Scramble(const char (&clear)[N]) {
    using namespace scrambled_detail;
    static_assert(N >= 1 && N - 1 <= kMaxUnscrambledLength,
                  "a stored text holds 1 to 120 characters");
    constexpr std::size_t L = 2 * N + 1;
    StoredText<N> stored{};
    stored.bytes[0] = static_cast<std::uint8_t>(L);
    std::uint32_t state = Hash(clear, N - 1) | 1u;
    for (std::size_t k = 1; k <= N; ++k) {
        std::uint8_t value = 0;
        if (k < N) {
            value = static_cast<std::uint8_t>(clear[k - 1]);
            if (value < 32 || value > 126) {
                TextMustBePrintableAscii();
            }
        } else {
            value = static_cast<std::uint8_t>(1 + NextRandom(state) % 31);  // terminator value
        }
        const auto key = static_cast<std::uint8_t>(NextRandom(state) >> 11);
        stored.bytes[k] = key;
        stored.bytes[L - k] = static_cast<std::uint8_t>(key ^ value);
    }
    return stored;
}

// The stored form of several literals joined into one text, the same as Scramble of the joined
// literal; it builds a name from shared parts:
//   constexpr auto kField = ScrambleJoined("&", kFieldName, "=");
template <std::size_t... N>
consteval scrambled_detail::StoredText<(N + ...) - sizeof...(N) + 1> ScrambleJoined(
    const char (&... parts)[N]) {
    char joined[(N + ...) - sizeof...(N) + 1] = {};
    std::size_t length = 0;
    const auto append = [&](const char* part, std::size_t size) {
        for (std::size_t i = 0; i + 1 < size; ++i) {
            joined[length++] = part[i];
        }
    };
    (append(parts, N), ...);
    return Scramble(joined);
}
