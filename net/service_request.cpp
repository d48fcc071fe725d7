// Request texts for the update service. The scheme, host and port come from the build settings
// (compile definitions); the compiler turns them into scrambled texts here.
#include "net/service_request.h"

#include <iterator>
#include <string_view>

#include "net/service_names.h"
#include "settings/text_util.h"

#if !defined(QUORVANE_SERVICE_SCHEME) || !defined(QUORVANE_SERVICE_HOST) || \
    !defined(QUORVANE_SERVICE_PORT)
#error "the net library is built through quorvane_add_net_library, which sets the service address"
#endif

namespace {

static_assert(QUORVANE_SERVICE_PORT >= 0 && QUORVANE_SERVICE_PORT <= 65535,
              "the service port is 0 to 65535");

constexpr bool kSecure = std::string_view(QUORVANE_SERVICE_SCHEME) == "https";
static_assert(kSecure || std::string_view(QUORVANE_SERVICE_SCHEME) == "http",
              "the service scheme is http or https");

constexpr std::uint16_t kDefaultHttpPort = 80;
constexpr std::uint16_t kDefaultHttpsPort = 443;

constexpr auto kStoredUserAgent = Scramble("Quorvane/" QUORVANE_PRODUCT_VERSION);
constexpr auto kStoredHost = Scramble(QUORVANE_SERVICE_HOST);
constexpr auto kStoredVersionPath = ScrambleJoined(service_names::kVersionPath, "?");
constexpr auto kStoredVersionVerb = Scramble("GET");
constexpr auto kStoredUsageVerb = Scramble("POST");
constexpr auto kStoredUsagePath = Scramble(service_names::kUsagePath);
constexpr auto kStoredHttpVersion = Scramble("HTTP/1.1");
constexpr auto kStoredAcceptType = Scramble("application/json");
constexpr auto kStoredUsageHeaders =
    ScrambleJoined("Content-Type: ", service_names::kFormMediaType);

// Each field as it stands in a form: its name and '=', after a '&' unless it comes first.
template <std::size_t N>
consteval auto FirstField(const char (&name)[N]) {
    return ScrambleJoined(name, "=");
}
template <std::size_t N>
consteval auto NextField(const char (&name)[N]) {
    return ScrambleJoined("&", name, "=");
}
constexpr auto kProductField = FirstField(service_names::kProductField);
constexpr auto kVersionField = NextField(service_names::kVersionField);
constexpr auto kEditionField = NextField(service_names::kEditionField);
constexpr auto kFreshField = NextField(service_names::kFreshField);
constexpr auto kKindField = NextField(service_names::kKindField);
constexpr auto kBuildField = NextField(service_names::kBuildField);
constexpr auto kUsageField = NextField(service_names::kUsageField);

// One name=value pair of a request.
struct NumberField {
    ScrambledText name;
    std::int32_t value;
};

template <std::size_t N>
constexpr std::size_t ClearLength(const scrambled_detail::StoredText<N>&) {
    return N - 1;
}

constexpr std::size_t DigitCount(std::int32_t value) {
    std::size_t count = 1;
    for (; value >= 10; value /= 10) {
        ++count;
    }
    return count;
}

// The longest target: the path and the four numbers (the last is 0 or 1). The 128-unit buffer
// must hold it, terminator included.
constexpr std::size_t kLongestPath = ClearLength(kStoredVersionPath) + ClearLength(kProductField) +
                                     DigitCount(kProductNumber) + ClearLength(kVersionField) +
                                     DigitCount(kVersionNumber) + ClearLength(kEditionField) +
                                     DigitCount(kEditionNumber) + ClearLength(kFreshField) + 1;
static_assert(kLongestPath < kVersionUrlCapacity, "the version request's target is too long");

bool AppendScrambledWide(wchar_t* out, std::size_t capacity, ScrambledText stored) {
    wchar_t clear[kUnscrambledCapacity];
    UnscrambleWide(clear, stored);
    return BoundedAppendWide(out, clear, capacity) < capacity;
}

bool AppendNumberWide(wchar_t* out, std::size_t capacity, std::int32_t value) {
    wchar_t digits[kFormatLongCapacity];
    return FormatLongWide(digits, kFormatLongCapacity, value) == kFormatDone &&
           BoundedAppendWide(out, digits, capacity) < capacity;
}

bool AppendFieldsWide(wchar_t* out, std::size_t capacity, const NumberField* fields,
                      std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!AppendScrambledWide(out, capacity, fields[i].name) ||
            !AppendNumberWide(out, capacity, fields[i].value)) {
            return false;
        }
    }
    return true;
}

bool AppendFields(char* out, std::size_t capacity, const NumberField* fields, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        char name[kUnscrambledCapacity];
        char digits[kFormatLongCapacity];
        if (BoundedAppend(out, Unscramble(name, fields[i].name), capacity) >= capacity ||
            FormatLong(digits, kFormatLongCapacity, fields[i].value) != kFormatDone ||
            BoundedAppend(out, digits, capacity) >= capacity) {
            return false;
        }
    }
    return true;
}

}  // namespace

const ScrambledText kUserAgentName = kStoredUserAgent;
const ScrambledText kServiceHost = kStoredHost;
const ScrambledText kVersionVerb = kStoredVersionVerb;
const ScrambledText kUsageVerb = kStoredUsageVerb;
const ScrambledText kUsagePath = kStoredUsagePath;
const ScrambledText kHttpVersion = kStoredHttpVersion;
const ScrambledText kAcceptType = kStoredAcceptType;
const ScrambledText kUsageHeaders = kStoredUsageHeaders;

std::uint16_t ServicePort() {
    if (QUORVANE_SERVICE_PORT != 0) {
        return static_cast<std::uint16_t>(QUORVANE_SERVICE_PORT);
    }
    return kSecure ? kDefaultHttpsPort : kDefaultHttpPort;
}

bool ServiceIsSecure() {
    return kSecure;
}

bool BuildVersionPath(wchar_t* path, std::size_t capacity, std::int32_t newVersion) {
    if (path == nullptr || capacity == 0) {
        return false;
    }
    path[0] = L'\0';
    const NumberField query[] = {{kProductField, kProductNumber},
                                 {kVersionField, kVersionNumber},
                                 {kEditionField, kEditionNumber},
                                 {kFreshField, newVersion}};
    const bool fits = AppendScrambledWide(path, capacity, kStoredVersionPath) &&
                      AppendFieldsWide(path, capacity, query, std::size(query));
    if (!fits) {
        path[0] = L'\0';
    }
    return fits;
}

bool BuildUsageBody(char* body, std::size_t capacity, std::int32_t registryNumber,
                    const char* flagsText) {
    if (body == nullptr || capacity == 0) {
        return false;
    }
    body[0] = '\0';
    const NumberField fields[] = {{kProductField, kProductNumber},
                                  {kVersionField, kVersionNumber},
                                  {kEditionField, kEditionNumber},
                                  {kKindField, kUsageReportKind},
                                  {kBuildField, registryNumber}};
    char usageName[kUnscrambledCapacity];
    const bool fits =
        flagsText != nullptr && AppendFields(body, capacity, fields, std::size(fields)) &&
        BoundedAppend(body, Unscramble(usageName, kUsageField), capacity) < capacity &&
        BoundedAppend(body, flagsText, capacity) < capacity;
    if (!fits) {
        body[0] = '\0';
    }
    return fits;
}
