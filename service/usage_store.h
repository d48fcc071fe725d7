// The service's SQLite database: per day, how many version checks and usage reports came with
// each combination of values. No request is stored on its own: no time, no address, no
// identifier, so the database grows with the number of distinct combinations, not with traffic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "service/form_fields.h"

struct sqlite3;

// One row: a day (YYYY-MM-DD, UTC), the values and how often they came that day.
struct CheckCount {
    std::string day;
    VersionQuery check;
    std::int64_t count = 0;
};

struct ReportCount {
    std::string day;
    UsageForm report;
    std::int64_t count = 0;
};

// The UTC date of a time in seconds since 1970, as YYYY-MM-DD.
std::string UtcDay(std::int64_t seconds);

// Thread-safe: the listener's polling threads call it at the same time.
class UsageStore {
public:
    UsageStore();
    ~UsageStore();
    UsageStore(const UsageStore&) = delete;
    UsageStore& operator=(const UsageStore&) = delete;

    // Opens (or creates) the database file and its tables. On failure, error says why.
    bool Open(const std::string& path, std::string& error);

    // Count one more of these values on that day. On failure, error holds SQLite's message.
    bool AddCheck(const std::string& day, const VersionQuery& check, std::string& error);
    bool AddReport(const std::string& day, const UsageForm& report, std::string& error);

    // All counts of a table added up; -1 when the database cannot be read.
    std::int64_t TotalChecks();
    std::int64_t TotalReports();

    // The newest days' rows first, at most limit of them.
    std::vector<CheckCount> LatestChecks(std::size_t limit);
    std::vector<ReportCount> LatestReports(std::size_t limit);

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };

    std::int64_t Total(const char* sql);

    std::mutex mutex_;
    std::unique_ptr<sqlite3, Closer> db_;
};
