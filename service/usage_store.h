// The service's SQLite database: per day, how many version checks and usage reports came with
// each combination of values. No request is stored on its own: no time, no address, no
// identifier, so the database grows with the number of distinct combinations, not with traffic.
// Counts are gathered in memory and written by the store's own thread once a second in one
// transaction, so a request never waits for the disk.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
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

// Thread-safe: the listener's polling threads count at the same time.
class UsageStore {
public:
    UsageStore();
    ~UsageStore();  // writes what is pending and closes the database
    UsageStore(const UsageStore&) = delete;
    UsageStore& operator=(const UsageStore&) = delete;

    // Opens (or creates) the database file and its tables and starts writing once a second. On
    // failure, error says why.
    bool Open(const std::string& path, std::string& error);

    // Count one more of these values on that day (written within a second).
    void AddCheck(const std::string& day, const VersionQuery& check);
    void AddReport(const std::string& day, const UsageForm& report);

    // Writes the pending counts now. A failure is logged on stderr in one line with SQLite's
    // message and counted; the counts it could not write are lost.
    void Flush();

    // Writes that failed since the database was opened.
    std::int64_t Failures() const { return failures_.load(); }

    // All counts of a table added up, pending ones written first; -1 when it cannot be read.
    std::int64_t TotalChecks();
    std::int64_t TotalReports();

    // The newest days' rows first, at most limit of them, pending ones written first.
    std::vector<CheckCount> LatestChecks(std::size_t limit);
    std::vector<ReportCount> LatestReports(std::size_t limit);

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    using CheckKey =
        std::tuple<std::string, std::int32_t, std::int32_t, std::int32_t, std::int32_t>;
    using ReportKey = std::tuple<std::string, std::int32_t, std::int32_t, std::int32_t,
                                 std::int32_t, std::int32_t>;

    void WriteEverySecond();
    void StopWriting();
    std::int64_t Total(const char* sql);

    std::mutex countsMutex_;  // guards the pending counts
    std::map<CheckKey, std::int64_t> checks_;
    std::map<ReportKey, std::int64_t> reports_;
    std::mutex dbMutex_;  // guards the database
    std::unique_ptr<sqlite3, Closer> db_;
    std::atomic<std::int64_t> failures_{0};
    std::mutex writerMutex_;  // guards stopping_
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread writer_;
};
