// SQLite storage of the daily counts, with prepared statements and bound values only: no request
// text ever becomes part of an SQL statement.
#include "service/usage_store.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kBusyTimeoutMs = 2000;

// WAL with NORMAL synchronisation: a count is written without waiting for the disk, and the
// file stays consistent after a crash of the service.
constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=NORMAL;"
    "CREATE TABLE IF NOT EXISTS check_counts ("
    " day TEXT NOT NULL, product INTEGER NOT NULL, version INTEGER NOT NULL,"
    " edition INTEGER NOT NULL, fresh INTEGER NOT NULL, count INTEGER NOT NULL,"
    " PRIMARY KEY (day, product, version, edition, fresh)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS report_counts ("
    " day TEXT NOT NULL, product INTEGER NOT NULL, version INTEGER NOT NULL,"
    " edition INTEGER NOT NULL, build INTEGER NOT NULL, usage INTEGER NOT NULL,"
    " count INTEGER NOT NULL,"
    " PRIMARY KEY (day, product, version, edition, build, usage)) WITHOUT ROWID;";

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

Statement Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (db == nullptr || sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return Statement(statement);
}

std::string ErrorOf(sqlite3* db) {
    return db == nullptr ? "no database open" : sqlite3_errmsg(db);
}

constexpr std::chrono::seconds kWriteInterval(1);

constexpr const char* kAddChecks =
    "INSERT INTO check_counts VALUES (?1, ?2, ?3, ?4, ?5, ?6)"
    " ON CONFLICT DO UPDATE SET count = count + excluded.count";
constexpr const char* kAddReports =
    "INSERT INTO report_counts VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"
    " ON CONFLICT DO UPDATE SET count = count + excluded.count";

// Adds every pending count of one table with one statement: the key's day to ?1, its values to
// ?2, ... and the count last. Keeps the first error.
template <typename Key>
bool AddCounts(sqlite3* db, const char* sql, const std::map<Key, std::int64_t>& counts,
               std::string& error) {
    if (counts.empty()) {
        return true;
    }
    const Statement statement = Prepare(db, sql);
    bool done = statement != nullptr;
    for (auto row = counts.begin(); done && row != counts.end(); ++row) {
        sqlite3_stmt* s = statement.get();
        const std::string& day = std::get<0>(row->first);
        done = sqlite3_reset(s) == SQLITE_OK &&
               sqlite3_bind_text(s, 1, day.data(), static_cast<int>(day.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
        int index = 2;
        std::apply(
            [&](const std::string&, auto... values) {
                ((done = done && sqlite3_bind_int64(s, index++, values) == SQLITE_OK), ...);
            },
            row->first);
        done = done && sqlite3_bind_int64(s, index, row->second) == SQLITE_OK &&
               sqlite3_step(s) == SQLITE_DONE;
    }
    if (!done && error.empty()) {
        error = ErrorOf(db);
    }
    return done;
}

std::int32_t Column32(sqlite3_stmt* statement, int column) {
    return static_cast<std::int32_t>(sqlite3_column_int64(statement, column));
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
}

// Runs a query whose one parameter is the row limit and turns each row into a record with
// makeRecord. The caller holds the store's lock.
template <typename Record, typename MakeRecord>
std::vector<Record> Rows(sqlite3* db, const char* sql, std::size_t limit, MakeRecord makeRecord) {
    std::vector<Record> records;
    const Statement statement = Prepare(db, sql);
    if (!statement ||
        sqlite3_bind_int64(statement.get(), 1, static_cast<std::int64_t>(limit)) != SQLITE_OK) {
        return records;
    }
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        records.push_back(makeRecord(statement.get()));
    }
    return records;
}

}  // namespace

std::string UtcDay(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm utc{};
    char text[16] = {};
    if (gmtime_r(&time, &utc) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d", &utc) == 0) {
        return "0000-00-00";
    }
    return text;
}

void UsageStore::Closer::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

UsageStore::UsageStore() = default;

UsageStore::~UsageStore() {
    StopWriting();
    Flush();
}

bool UsageStore::Open(const std::string& path, std::string& error) {
    StopWriting();
    const std::lock_guard<std::mutex> lock(dbMutex_);
    sqlite3* opened = nullptr;
    const int status =
        sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db_.reset(opened);  // sqlite3_open_v2 hands out a handle even when it fails
    if (status != SQLITE_OK) {
        error = "cannot open " + path + ": " + ErrorOf(db_.get());
        db_.reset();
        return false;
    }
    sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
    if (sqlite3_exec(db_.get(), kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = "cannot create the tables in " + path + ": " + ErrorOf(db_.get());
        db_.reset();
        return false;
    }
    stopping_ = false;
    writer_ = std::thread([this] { WriteEverySecond(); });
    return true;
}

void UsageStore::AddCheck(const std::string& day, const VersionQuery& check) {
    const std::lock_guard<std::mutex> lock(countsMutex_);
    ++checks_[{day, check.product, check.version, check.edition, check.fresh}];
}

void UsageStore::AddReport(const std::string& day, const UsageForm& report) {
    const std::lock_guard<std::mutex> lock(countsMutex_);
    ++reports_[{day, report.product, report.version, report.edition, report.build, report.usage}];
}

void UsageStore::Flush() {
    std::map<CheckKey, std::int64_t> checks;
    std::map<ReportKey, std::int64_t> reports;
    {
        const std::lock_guard<std::mutex> lock(countsMutex_);
        checks.swap(checks_);
        reports.swap(reports_);
    }
    if (checks.empty() && reports.empty()) {
        return;
    }
    const std::lock_guard<std::mutex> lock(dbMutex_);
    sqlite3* db = db_.get();
    std::string error;
    const bool begun =
        db != nullptr && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    // A table that fails does not keep the other's counts from being written.
    bool written = begun && AddCounts(db, kAddChecks, checks, error);
    written = begun && AddCounts(db, kAddReports, reports, error) && written;
    if (begun && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        written = false;
        error = error.empty() ? ErrorOf(db) : error;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (!written) {
        ++failures_;
        error = error.empty() ? ErrorOf(db) : error;
        std::fprintf(stderr, "quorvane-service: storage failed: %s\n", error.c_str());
    }
}

void UsageStore::WriteEverySecond() {
    std::unique_lock<std::mutex> lock(writerMutex_);
    while (!wake_.wait_for(lock, kWriteInterval, [this] { return stopping_; })) {
        lock.unlock();
        Flush();
        lock.lock();
    }
}

void UsageStore::StopWriting() {
    {
        const std::lock_guard<std::mutex> lock(writerMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (writer_.joinable()) {
        writer_.join();
    }
}

std::int64_t UsageStore::TotalChecks() {
    return Total("SELECT TOTAL(count) FROM check_counts");
}

std::int64_t UsageStore::TotalReports() {
    return Total("SELECT TOTAL(count) FROM report_counts");
}

std::int64_t UsageStore::Total(const char* sql) {
    Flush();
    const std::lock_guard<std::mutex> lock(dbMutex_);
    const Statement statement = Prepare(db_.get(), sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        return -1;
    }
    return sqlite3_column_int64(statement.get(), 0);
}

std::vector<CheckCount> UsageStore::LatestChecks(std::size_t limit) {
    Flush();
    const std::lock_guard<std::mutex> lock(dbMutex_);
    return Rows<CheckCount>(db_.get(),
                            "SELECT day, product, version, edition, fresh, count FROM check_counts"
                            " ORDER BY day DESC, count DESC LIMIT ?1",
                            limit, [](sqlite3_stmt* row) {
                                return CheckCount{ColumnText(row, 0),
                                                  {Column32(row, 1), Column32(row, 2),
                                                   Column32(row, 3), Column32(row, 4)},
                                                  sqlite3_column_int64(row, 5)};
                            });
}

std::vector<ReportCount> UsageStore::LatestReports(std::size_t limit) {
    Flush();
    const std::lock_guard<std::mutex> lock(dbMutex_);
    return Rows<ReportCount>(
        db_.get(),
        "SELECT day, product, version, edition, build, usage, count FROM report_counts"
        " ORDER BY day DESC, count DESC LIMIT ?1",
        limit, [](sqlite3_stmt* row) {
            return ReportCount{ColumnText(row, 0),
                               {Column32(row, 1), Column32(row, 2), Column32(row, 3), 2,
                                Column32(row, 4), Column32(row, 5)},
                               sqlite3_column_int64(row, 6)};
        });
}
