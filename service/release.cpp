// Reading the published release version.
#include "service/release.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace {

constexpr std::size_t kMaxReleaseLine = 64;

struct VersionPart {
    int low;
    int high;
    std::int32_t weight;
};

constexpr VersionPart kParts[] = {{1, 20000, 100000}, {0, 99, 1000}, {0, 999, 1}};

// Reads one decimal part ending at a dot (or at the end for the last part); advances text.
bool ReadPart(std::string_view& text, const VersionPart& part, bool last, std::int32_t& sum) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (status != std::errc() || stop == text.data() || value < part.low || value > part.high) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(stop - text.data()));
    if (last ? !text.empty() : (text.empty() || text.front() != '.')) {
        return false;
    }
    if (!last) {
        text.remove_prefix(1);
    }
    sum += value * part.weight;
    return true;
}

std::string_view TrimLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<ReleaseVersion> ParseReleaseVersion(std::string_view text) {
    text = TrimLineEnd(text);
    const std::string_view whole = text;
    std::int32_t number = 0;
    for (std::size_t i = 0; i < std::size(kParts); ++i) {
        // A sign is not a digit: from_chars would accept "-0".
        if (text.empty() || text.front() < '0' || text.front() > '9') {
            return std::nullopt;
        }
        if (!ReadPart(text, kParts[i], i + 1 == std::size(kParts), number)) {
            return std::nullopt;
        }
    }
    return ReleaseVersion{std::string(whole), number};
}

std::optional<ReleaseVersion> ReadReleaseFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    char line[kMaxReleaseLine + 1] = {};
    in.getline(line, sizeof line);
    if (in.fail() && !in.eof()) {
        return std::nullopt;  // no line end within 64 bytes
    }
    return ParseReleaseVersion(line);
}
