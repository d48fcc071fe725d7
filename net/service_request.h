// The two requests the program sends to the maker's update service: the version request (one URL
// with four numbers) and the usage report (one form POST). The address is fixed when the program
// is built; every literal is held scrambled and turned into text only while a request is made.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/product.h"
#include "settings/scrambled_text.h"

// The numbers every request carries: product, program version and edition. The usage report adds
// its kind.
constexpr std::int32_t kProductNumber = 5;
constexpr std::int32_t kVersionNumber = kProductVersionNumber;
constexpr std::int32_t kEditionNumber = 1;
constexpr std::int32_t kUsageReportKind = 2;

// The program's version as text; InstalledVersion holds it after an update check.
constexpr const char* kProgramVersion = kProductVersion;

// Texts for WinINet, turned into UTF-16 with UnscrambleWide at each use.
extern const ScrambledText kUserAgentName;
extern const ScrambledText kServiceHost;
extern const ScrambledText kUsageVerb;
extern const ScrambledText kUsagePath;
extern const ScrambledText kHttpVersion;
extern const ScrambledText kAcceptType;
extern const ScrambledText kVersionVerb;
extern const ScrambledText kUsageHeaders;  // one header; the caller ends it with CR LF

// The service's TCP port: the configured one, or the scheme's default when it is 0.
std::uint16_t ServicePort();

// True when the service is reached over https (the requests then use TLS).
bool ServiceIsSecure();

// The longest a request may keep the program waiting at each step (connecting, sending, waiting
// for the answer), in milliseconds. The requests run on the UI thread.
constexpr std::uint32_t kServiceWaitMilliseconds = 5000;

// Size of the version request's target buffer, in UTF-16 units.
constexpr std::size_t kVersionUrlCapacity = 128;

// Builds the version request's target, /v1/version?product=5&version=100001&edition=1&fresh=N,
// into path. Returns false, leaving an empty text, when it would not fit: a cut request is never
// sent.
bool BuildVersionPath(wchar_t* path, std::size_t capacity, std::int32_t newVersion);

// Size of the usage report's body buffer, in bytes.
constexpr std::size_t kUsageBodyCapacity = 1024;

// Builds the usage report's form body: product, version, edition, kind, the registry number and
// the usage flags as given (decimal text). Returns false, leaving an empty text, when it would
// not fit.
bool BuildUsageBody(char* body, std::size_t capacity, std::int32_t registryNumber,
                    const char* flagsText);
