// The update check and the usage report as the main window calls them (Windows only: WinINet,
// the registry and the shell). All calls are synchronous and show nothing; the caller shows
// MessageForUpdateResult (net/update_message.h) after CheckForUpdate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "net/update_check.h"
#include "net/usage_report.h"

// Sends the version request with newVersion (0 or 1) as its fourth value and stores the answer's
// HTTP status in httpStatus (0 when none could be read). With a buffer, reads the answer once (at
// most capacity bytes) and stores the count in length; with none, closes without reading.
// Returns a VersionRequestStatus. No step waits longer than kServiceWaitMilliseconds.
int RequestVersionInfo(char* buffer, std::size_t capacity, std::int32_t newVersion,
                       std::size_t& length, std::uint32_t& httpStatus);

// The update check for today, force an UpdateCheckKind. Returns an UpdateResult (0, 1 or 2).
int CheckForUpdate(int force, UpdateCheckState& state);

// Posts one usage report whose usage field is flagsText. Returns a UsageSendStatus.
int SendUsageReport(const char* flagsText);

// The main window's step at destruction: reports the usage set when it is larger than the one
// reported before (see UsageReport).
void ReportUsage(const UsageFlags& flags, bool noticeVersionChanged);

// The Windows build number (CurrentBuild), which says nothing about the person or the machine;
// 0 when it cannot be read or does not fit 11 characters.
std::int32_t ReadRegistryNumber();

// The same reading for any string value below HKEY_LOCAL_MACHINE.
std::int32_t ReadRegistryNumberAt(const wchar_t* keyPath, const wchar_t* valueName);

// Opens the download page in the user's browser. Returns false when the shell refuses.
bool OpenDownloadPage();
