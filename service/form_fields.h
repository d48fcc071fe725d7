// Strict reading of the two request forms the program sends: name=digits pairs joined by '&',
// every expected name exactly once, nothing else, every value within its range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The longest query or body the service reads; the program's are far shorter.
constexpr std::size_t kMaxFormLength = 1023;

// product=5&version=100001&edition=1&fresh=0 (the version request's query).
struct VersionQuery {
    std::int32_t product;
    std::int32_t version;
    std::int32_t edition;
    std::int32_t fresh;  // 1 on the first check after an installation or upgrade
};

// product=5&version=100001&edition=1&kind=2&build=19045&usage=9 (the usage report's body).
struct UsageForm {
    std::int32_t product;
    std::int32_t version;
    std::int32_t edition;
    std::int32_t kind;
    std::int32_t build;  // the Windows build number
    std::int32_t usage;  // the features used, 1 to 15
};

// Nothing when the text is not exactly such a form for the given product.
std::optional<VersionQuery> ParseVersionQuery(std::string_view text, std::int32_t product);
std::optional<UsageForm> ParseUsageForm(std::string_view text, std::int32_t product);
