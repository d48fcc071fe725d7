// SQLite storage of version checks and usage reports, with prepared statements and bound values
// only: no request text ever becomes part of an SQL statement.
#include "service/usage_store.h"

#include <sqlite3.h>

#include <initializer_list>

namespace {

constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS version_checks ("
    " id INTEGER PRIMARY KEY,"
    " time INTEGER NOT NULL,"
    " product INTEGER NOT NULL,"
    " version INTEGER NOT NULL,"
    " edition INTEGER NOT NULL,"
    " fresh INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS usage_reports ("
    " id INTEGER PRIMARY KEY,"
    " time INTEGER NOT NULL,"
    " product INTEGER NOT NULL,"
    " version INTEGER NOT NULL,"
    " edition INTEGER NOT NULL,"
    " build INTEGER NOT NULL,"
    " usage INTEGER NOT NULL);";

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

// Binds the values to ?1, ?2, ... and runs a statement that returns no rows.
bool Execute(sqlite3* db, const char* sql, std::initializer_list<std::int64_t> values) {
    const Statement statement = Prepare(db, sql);
    if (!statement) {
        return false;
    }
    int index = 1;
    for (const std::int64_t value : values) {
        if (sqlite3_bind_int64(statement.get(), index++, value) != SQLITE_OK) {
            return false;
        }
    }
    return sqlite3_step(statement.get()) == SQLITE_DONE;
}

std::int32_t Column32(sqlite3_stmt* statement, int column) {
    return static_cast<std::int32_t>(sqlite3_column_int64(statement, column));
}

// Runs a newest-first query whose one parameter is the row limit and turns each row into a
// record with makeRecord. The caller holds the store's lock.
template <typename Record, typename MakeRecord>
std::vector<Record> LatestRows(sqlite3* db, const char* sql, std::size_t limit,
                               MakeRecord makeRecord) {
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
        error = "cannot open " + path + ": " + sqlite3_errmsg(db_.get());
        db_.reset();
        return false;
    }
    sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
    if (sqlite3_exec(db_.get(), kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = "cannot create the tables in " + path + ": " + sqlite3_errmsg(db_.get());
        db_.reset();
        return false;
    }
    return true;
}

bool UsageStore::AddCheck(const VersionCheckRecord& record) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return Execute(db_.get(),
                   "INSERT INTO version_checks (time, product, version, edition, fresh)"
                   " VALUES (?1, ?2, ?3, ?4, ?5)",
                   {record.time, record.product, record.version, record.edition, record.fresh});
}

bool UsageStore::AddReport(const UsageRecord& record) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return Execute(
        db_.get(),
        "INSERT INTO usage_reports (time, product, version, edition, build, usage)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
        {record.time, record.product, record.version, record.edition, record.build, record.usage});
}

std::int64_t UsageStore::CheckCount() {
    return Count("SELECT COUNT(*) FROM version_checks");
}

std::int64_t UsageStore::ReportCount() {
    return Count("SELECT COUNT(*) FROM usage_reports");
}

std::int64_t UsageStore::Count(const char* sql) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const Statement statement = Prepare(db_.get(), sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        return -1;
    }
    return sqlite3_column_int64(statement.get(), 0);
}

std::vector<VersionCheckRecord> UsageStore::LatestChecks(std::size_t limit) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return LatestRows<VersionCheckRecord>(
        db_.get(),
        "SELECT time, product, version, edition, fresh FROM version_checks"
        " ORDER BY id DESC LIMIT ?1",
        limit, [](sqlite3_stmt* row) {
            return VersionCheckRecord{sqlite3_column_int64(row, 0), Column32(row, 1),
                                      Column32(row, 2), Column32(row, 3), Column32(row, 4)};
        });
}

std::vector<UsageRecord> UsageStore::LatestReports(std::size_t limit) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return LatestRows<UsageRecord>(
        db_.get(),
        "SELECT time, product, version, edition, build, usage FROM usage_reports"
        " ORDER BY id DESC LIMIT ?1",
        limit, [](sqlite3_stmt* row) {
            return UsageRecord{sqlite3_column_int64(row, 0),
                               Column32(row, 1),
                               Column32(row, 2),
                               Column32(row, 3),
                               Column32(row, 4),
                               Column32(row, 5)};
        });
}
