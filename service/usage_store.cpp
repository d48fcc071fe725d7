// SQLite storage of the daily counts, with prepared statements and bound values only: no request
// text ever becomes part of an SQL statement.
#include "service/usage_store.h"

#include <sqlite3.h>

#include <ctime>
#include <initializer_list>

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

// Binds the day to ?1 and the values to ?2, ?3, ... and runs a statement that returns no rows.
bool Execute(sqlite3* db, const char* sql, const std::string& day,
             std::initializer_list<std::int64_t> values, std::string& error) {
    const Statement statement = Prepare(db, sql);
    bool done =
        statement && sqlite3_bind_text(statement.get(), 1, day.data(), static_cast<int>(day.size()),
                                       SQLITE_TRANSIENT) == SQLITE_OK;
    int index = 2;
    for (const std::int64_t value : values) {
        done = done && sqlite3_bind_int64(statement.get(), index++, value) == SQLITE_OK;
    }
    done = done && sqlite3_step(statement.get()) == SQLITE_DONE;
    if (!done) {
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
UsageStore::~UsageStore() = default;

bool UsageStore::Open(const std::string& path, std::string& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
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
    return true;
}

bool UsageStore::AddCheck(const std::string& day, const VersionQuery& check, std::string& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return Execute(db_.get(),
                   "INSERT INTO check_counts VALUES (?1, ?2, ?3, ?4, ?5, 1)"
                   " ON CONFLICT DO UPDATE SET count = count + 1",
                   day, {check.product, check.version, check.edition, check.fresh}, error);
}

bool UsageStore::AddReport(const std::string& day, const UsageForm& report, std::string& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return Execute(
        db_.get(),
        "INSERT INTO report_counts VALUES (?1, ?2, ?3, ?4, ?5, ?6, 1)"
        " ON CONFLICT DO UPDATE SET count = count + 1",
        day, {report.product, report.version, report.edition, report.build, report.usage}, error);
}

std::int64_t UsageStore::TotalChecks() {
    return Total("SELECT TOTAL(count) FROM check_counts");
}

std::int64_t UsageStore::TotalReports() {
    return Total("SELECT TOTAL(count) FROM report_counts");
}

std::int64_t UsageStore::Total(const char* sql) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const Statement statement = Prepare(db_.get(), sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        return -1;
    }
    return sqlite3_column_int64(statement.get(), 0);
}

std::vector<CheckCount> UsageStore::LatestChecks(std::size_t limit) {
    const std::lock_guard<std::mutex> lock(mutex_);
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
    const std::lock_guard<std::mutex> lock(mutex_);
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
