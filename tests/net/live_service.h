// Windows tests against the real update service on the loopback address: its daily counts
// through the admin listener, the release it answers with, and a stand-in on its port.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "net/net_client.h"
#include "settings/settings_store.h"

// A forced update check in a new run of the program: its result, then LastCheckDay (set or -),
// LastCheckResult and InstalledVersion after it, e.g. "2 - -1 1.0.0".
inline std::string CheckOutcome() {
    UpdateCheckState state;
    const int result = CheckForUpdate(1, state);
    char installed[16] = {};
    ReadSettingText(installed, sizeof installed, "InstalledVersion", "", kSecondaryRoot);
    return std::to_string(result) +
           (ReadSettingInt("LastCheckDay", -1, kPrimaryRoot) == -1 ? " - " : " set ") +
           std::to_string(ReadSettingInt("LastCheckResult", -1, kPrimaryRoot)) + " " + installed;
}

// The whole body of a GET request, or "" when no answer comes.
std::string HttpGet(const std::wstring& url);

// The service's database as its admin listener shows it.
class ServiceInspection {
public:
    ServiceInspection();
    // All counts of "checks" or "reports" added up, -1 when the page did not come; with fields,
    // the count of the one row whose values end with them, e.g. "usage":9 (0 for none).
    long Count(const std::string& table, const std::string& fields = "") const;
    const std::string& Body() const { return body_; }

private:
    std::string body_;
};

// Makes the service answer that version is the latest release; nullptr removes the release.
void PublishRelease(const char* version);

// A listener on the service's port while the service is stopped: it answers every request with
// answer, or, when that is empty, never accepts, so requests wait as on a silent service.
class StandInService {
public:
    explicit StandInService(std::string answer);
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;
    bool Listening() const { return socket_ != ~0ull; }

private:
    std::string answer_;
    unsigned long long socket_ = ~0ull;  // a SOCKET
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
