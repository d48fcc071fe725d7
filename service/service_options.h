// Command-line settings of the update service.
#pragma once

#include <cstdint>
#include <string>

struct ServiceOptions {
    std::string address = "127.0.0.1";  // loopback unless the operator says otherwise
    int port = 8080;                    // 0: any free port (printed at start)
    std::string database;               // SQLite file; created when missing
    std::string releaseFile;            // text file holding the latest version, e.g. 1.0.2
    std::int32_t product = 5;           // the product number the program sends
    bool inspect = false;               // serve GET /v1/inspect (loopback addresses only)
    int stopAfterSeconds = 0;           // stop by itself after this long; 0: run until a signal
};

// Usage text for --help and for mistakes.
extern const char kServiceUsage[];

enum class ParseOutcome { kRun, kHelp, kError };

// Reads argv into options. On kError, error says what is wrong.
ParseOutcome ParseServiceOptions(int argc, const char* const* argv, ServiceOptions& options,
                                 std::string& error);

// True for 127.0.0.0/8, ::1 and localhost.
bool IsLoopbackAddress(const std::string& address);
