// The service's SQLite database: one row per answered version request and per usage report.
// Nothing that names a person or a machine is stored: no address, no identifier.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

struct VersionCheckRecord {
    std::int64_t time = 0;  // seconds since 1970, UTC
    std::int32_t product = 0;
    std::int32_t version = 0;
    std::int32_t edition = 0;
    std::int32_t fresh = 0;
};

struct UsageRecord {
    std::int64_t time = 0;
    std::int32_t product = 0;
    std::int32_t version = 0;
    std::int32_t edition = 0;
    std::int32_t build = 0;
    std::int32_t usage = 0;
};

// Thread-safe: the HTTP server calls it from several worker threads.
class UsageStore {
public:
    UsageStore();
    ~UsageStore();
    UsageStore(const UsageStore&) = delete;
    UsageStore& operator=(const UsageStore&) = delete;

    // Opens (or creates) the database file and its tables. On failure, error says why.
    bool Open(const std::string& path, std::string& error);

    bool AddCheck(const VersionCheckRecord& record);
    bool AddReport(const UsageRecord& record);

    // Row counts; -1 when the database cannot be read.
    std::int64_t CheckCount();
    std::int64_t ReportCount();

    // The newest rows first, at most limit of them.
    std::vector<VersionCheckRecord> LatestChecks(std::size_t limit);
    std::vector<UsageRecord> LatestReports(std::size_t limit);

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };

    std::int64_t Count(const char* sql);

    std::mutex mutex_;
    std::unique_ptr<sqlite3, Closer> db_;
};
