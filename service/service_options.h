// Command-line settings of the update service.
#pragma once

#include <cstdint>
#include <string>

struct ServiceOptions {
    std::string address = "127.0.0.1";       // public listener; numeric IPv4 or IPv6
    int port = 8080;                         // 0: any free port (printed at start)
    std::string adminAddress = "127.0.0.1";  // admin listener (GET /v1/inspect); loopback only
    int adminPort = -1;                      // -1: no admin listener; 0: any free port
    std::string database;                    // SQLite file; created when missing
    std::string releaseFile;                 // text file holding the latest version, e.g. 1.0.2
    std::int32_t product = 5;                // the product number the program sends
    int stopAfterSeconds = 0;                // stop by itself after this long; 0: on a signal
};

// Usage text for --help and for mistakes.
extern const char kServiceUsage[];

enum class ParseOutcome { kRun, kHelp, kError };

// Reads argv into options. On kError, error says what is wrong.
ParseOutcome ParseServiceOptions(int argc, const char* const* argv, ServiceOptions& options,
                                 std::string& error);

// True for a numeric loopback address: 127.0.0.0/8, ::1, or IPv4 127.0.0.0/8 mapped into IPv6.
// Names (localhost, 127.example.org) are not addresses and never count.
bool IsLoopbackAddress(const std::string& address);

// True for a numeric IPv4 or IPv6 address.
bool IsNumericAddress(const std::string& address);
