// Windows tests against the real update service on the loopback address: its daily counts
// through the admin listener, the release it answers with, and a stand-in on its port.
#pragma once

#include <string>

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

// A silent service on the service's port while the service is stopped: connections are made (the
// system accepts them on its behalf), but no request is ever read or answered.
class SilentService {
public:
    SilentService();
    ~SilentService();
    SilentService(const SilentService&) = delete;
    SilentService& operator=(const SilentService&) = delete;

private:
    unsigned long long socket_ = ~0ull;  // a SOCKET
};
