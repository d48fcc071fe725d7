// Scrambled names of the update check's and the usage report's settings.
#include "net/net_settings.h"

namespace {

constexpr auto kStoredUpdateCheckEnabled = Scramble("UpdateCheckEnabled");
constexpr auto kStoredLastCheckDay = Scramble("LastCheckDay");
constexpr auto kStoredLastCheckResult = Scramble("LastCheckResult");
constexpr auto kStoredInstalledVersion = Scramble("InstalledVersion");
constexpr auto kStoredReportedUsage = Scramble("ReportedUsage");

}  // namespace

const ScrambledText kUpdateCheckEnabledKey = kStoredUpdateCheckEnabled;
const ScrambledText kLastCheckDayKey = kStoredLastCheckDay;
const ScrambledText kLastCheckResultKey = kStoredLastCheckResult;
const ScrambledText kInstalledVersionKey = kStoredInstalledVersion;
const ScrambledText kReportedUsageKey = kStoredReportedUsage;
