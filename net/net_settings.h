// Names of the settings the update check and the usage report keep. The Settings dialog shares
// UpdateCheckEnabled; the rest belong to this area alone. Turn them into keys with Unscramble.
#pragma once

#include <cstdint>

#include "settings/scrambled_text.h"

extern const ScrambledText kUpdateCheckEnabledKey;  // integer, root 1; 1 = daily check runs
extern const ScrambledText kLastCheckDayKey;        // integer, root 1; day of the last answer
extern const ScrambledText kLastCheckResultKey;     // integer, root 1; 800008 + last result
extern const ScrambledText kInstalledVersionKey;    // text, root 0; version of the last check
extern const ScrambledText kReportedUsageKey;       // integer, root 1; highest usage reported

// LastCheckResult holds this base plus the result, so a stray value is not taken for a result.
constexpr std::int32_t kStoredResultBase = 800008;
