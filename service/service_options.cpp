// Command-line parsing of the update service: a fixed table of options, each checked on entry.
#include "service/service_options.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>
#include <cstdint>
#include <string_view>
#include <utility>

const char kServiceUsage[] =
    "usage: quorvane-service --database FILE --release-file FILE [options]\n"
    "  --address ADDRESS     numeric address to listen on (default 127.0.0.1)\n"
    "  --port PORT           port to listen on, 0 for any free one (default 8080)\n"
    "  --admin-port PORT     serve GET /v1/inspect on this port (0: any free one; default none)\n"
    "  --admin-address ADDR  loopback address of the admin listener (default 127.0.0.1)\n"
    "  --database FILE       SQLite database of version checks and usage reports\n"
    "  --release-file FILE   file whose first line is the latest version, e.g. 1.0.2\n"
    "  --product NUMBER      product number the program sends (default 5)\n"
    "  --stop-after SECONDS  stop by itself after this many seconds (default: never)\n"
    "  --help                show this text\n";

namespace {

bool ParseNumber(std::string_view text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    return !text.empty() && status == std::errc() && stop == end && value >= low && value <= high;
}

bool SetPortNumber(int& port, std::string_view text) {
    long long value = 0;
    if (!ParseNumber(text, 0, 65535, value)) {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

bool SetPort(ServiceOptions& options, std::string_view text) {
    return SetPortNumber(options.port, text);
}

bool SetAdminPort(ServiceOptions& options, std::string_view text) {
    return SetPortNumber(options.adminPort, text);
}

bool SetProduct(ServiceOptions& options, std::string_view text) {
    long long value = 0;
    if (!ParseNumber(text, 1, INT32_MAX, value)) {
        return false;
    }
    options.product = static_cast<std::int32_t>(value);
    return true;
}

bool SetStopAfter(ServiceOptions& options, std::string_view text) {
    long long value = 0;
    if (!ParseNumber(text, 1, 7 * 24 * 3600, value)) {
        return false;
    }
    options.stopAfterSeconds = static_cast<int>(value);
    return true;
}

bool SetText(std::string& field, std::string_view text) {
    if (text.empty()) {
        return false;
    }
    field = text;
    return true;
}

bool SetAddress(ServiceOptions& options, std::string_view text) {
    return IsNumericAddress(std::string(text)) && SetText(options.address, text);
}
bool SetAdminAddress(ServiceOptions& options, std::string_view text) {
    return IsLoopbackAddress(std::string(text)) && SetText(options.adminAddress, text);
}
bool SetDatabase(ServiceOptions& options, std::string_view text) {
    return SetText(options.database, text);
}
bool SetReleaseFile(ServiceOptions& options, std::string_view text) {
    return SetText(options.releaseFile, text);
}

struct ValueOption {
    const char* name;
    bool (*set)(ServiceOptions&, std::string_view);
};

constexpr ValueOption kValueOptions[] = {
    {"--address", SetAddress},
    {"--port", SetPort},
    {"--admin-address", SetAdminAddress},
    {"--admin-port", SetAdminPort},
    {"--database", SetDatabase},
    {"--release-file", SetReleaseFile},
    {"--product", SetProduct},
    {"--stop-after", SetStopAfter},
};

const ValueOption* FindValueOption(std::string_view name) {
    for (const ValueOption& option : kValueOptions) {
        if (name == option.name) {
            return &option;
        }
    }
    return nullptr;
}

ParseOutcome Fail(std::string& error, std::string message) {
    error = std::move(message);
    return ParseOutcome::kError;
}

}  // namespace

bool IsLoopbackAddress(const std::string& address) {
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) != 1) {
        return false;
    }
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        return v6.s6_addr[12] == 127;
    }
    return IN6_IS_ADDR_LOOPBACK(&v6);
}

bool IsNumericAddress(const std::string& address) {
    in6_addr parsed{};
    return inet_pton(AF_INET, address.c_str(), &parsed) == 1 ||
           inet_pton(AF_INET6, address.c_str(), &parsed) == 1;
}

ParseOutcome ParseServiceOptions(int argc, const char* const* argv, ServiceOptions& options,
                                 std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help") {
            return ParseOutcome::kHelp;
        }
        const ValueOption* option = FindValueOption(name);
        if (option == nullptr) {
            return Fail(error, "unknown option " + std::string(name));
        }
        if (i + 1 == argc) {
            return Fail(error, std::string(name) + " needs a value");
        }
        if (!option->set(options, argv[++i])) {
            return Fail(error, "bad value for " + std::string(name) + ": " + argv[i]);
        }
    }
    if (options.database.empty() || options.releaseFile.empty()) {
        return Fail(error, "--database and --release-file are required");
    }
    return ParseOutcome::kRun;
}
