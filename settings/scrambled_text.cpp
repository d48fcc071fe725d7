// Turning stored texts back into clear text at the point of use.
#include "settings/scrambled_text.h"

namespace {

template <typename Char>
Char* UnscrambleInto(Char* out, ScrambledText stored) {
    out[0] = 0;
    const std::size_t length = stored[0];
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned value = stored[k] ^ stored[length - k];
        if (value < 32) {
            out[k - 1] = 0;
            return out;
        }
        if (k > kMaxUnscrambledLength) {
            break;
        }
        out[k - 1] = static_cast<Char>(value);
    }
    out[0] = 0;  // no terminator value, or longer than 120 characters
    return out;
}

}  // namespace

char* Unscramble(char* out, ScrambledText stored) {
    return UnscrambleInto(out, stored);
}

wchar_t* UnscrambleWide(wchar_t* out, ScrambledText stored) {
    return UnscrambleInto(out, stored);
}
