// The product's identity: its name, its maker and its version, in one place.
#pragma once

#include <cstdint>

inline constexpr char kProductName[] = "Quorvane";   // window title, captions, settings folder
inline constexpr char kCompanyName[] = "Kestrovan";  // settings folder
inline constexpr char kProductVersion[] = "1.0.1";   // shown and stored version
inline constexpr std::int32_t kProductVersionNumber = 100001;  // the version in requests
