// The latest released version, as the maker publishes it: the first line of a small text file,
// MAJOR.MINOR.PATCH. The program sends its version as the number MAJOR*100000 + MINOR*1000 +
// PATCH (1.0.1 is 100001).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ReleaseVersion {
    std::string text;     // e.g. "1.0.2"
    std::int32_t number;  // e.g. 100002
};

// Parses MAJOR.MINOR.PATCH (major 1 to 20000, minor 0 to 99, patch 0 to 999).
std::optional<ReleaseVersion> ParseReleaseVersion(std::string_view text);

// Reads the first line of the release file (at most 64 bytes) and parses it. Nothing when the
// file is missing, unreadable or malformed. Read at every request, so publishing a release
// needs no restart.
std::optional<ReleaseVersion> ReadReleaseFile(const std::string& path);
