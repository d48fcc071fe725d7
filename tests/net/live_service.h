// Windows tests against the real update service on the loopback address: reading its database
// through the inspection page, and publishing the release it answers with.
#pragma once

#include <string>

// The whole body of a GET request, or "" when the service does not answer.
std::string HttpGet(const std::wstring& url);

// The service's database as its inspection page shows it: per table, the row count and the
// newest row.
class ServiceInspection {
public:
    explicit ServiceInspection(int port);

    // Rows in the table, or -1 when the page did not come.
    long Count(const std::string& table) const;
    // The newest row as a JSON object without its time, e.g. "product":5,...,"usage":9}
    std::string Latest(const std::string& table) const;
    const std::string& Body() const { return body_; }

private:
    std::size_t Find(const std::string& table) const;

    std::string body_;
};

// Makes the service answer that version is the latest release.
void PublishRelease(const char* releaseFile, const char* version);
