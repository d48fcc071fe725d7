// The update service over real HTTP on a free loopback port, with a fresh SQLite file per test:
// its answers, what reaches the database, and that bad or oversized requests get 400 and change
// nothing. The server is stopped by each test's fixture.
#include "service/update_service.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>

#include <ctime>
#include <memory>
#include <string>

#include "net/update_check.h"
#include "tests/test_support.h"

namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";
constexpr const char* kQuery = "/v1/version?product=5&version=100001&edition=1&fresh=0";
constexpr const char* kBody = "product=5&version=100001&edition=1&kind=2&build=19045&usage=9";

// Row counts read straight from the database file, apart from the service's own code.
std::int64_t CountRows(const std::filesystem::path& database, const char* table) {
    sqlite3* db = nullptr;
    std::int64_t count = -1;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const std::string sql = std::string("SELECT COUNT(*) FROM ") + table;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            count = sqlite3_column_int64(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(db);
    return count;
}

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override { Publish("1.0.2"); }
    void TearDown() override {
        if (service_) {
            service_->Stop();
        }
    }

    void Start(bool inspect = false) {
        options_.port = 0;
        options_.database = (folder_.Path() / "usage.sqlite").string();
        options_.releaseFile = (folder_.Path() / "release.txt").string();
        options_.inspect = inspect;
        std::string error;
        ASSERT_TRUE(store_.Open(options_.database, error)) << error;
        service_ = std::make_unique<UpdateService>(options_, store_);
        ASSERT_TRUE(service_->Start(error)) << error;
        client_ = std::make_unique<httplib::Client>("127.0.0.1", service_->Port());
    }
    void Publish(const std::string& version) {
        test::WriteFileBytes(folder_.Path() / "release.txt", version + "\n");
    }
    std::int64_t Rows(const char* table) const {
        return CountRows(folder_.Path() / "usage.sqlite", table);
    }
    int Status(const httplib::Result& result) const { return result ? result->status : -1; }
    std::string Body(const httplib::Result& result) const { return result ? result->body : ""; }

    test::TempFolder folder_;
    ServiceOptions options_;
    UsageStore store_;
    std::unique_ptr<UpdateService> service_;
    std::unique_ptr<httplib::Client> client_;
};

// ---- The version answer ------------------------------------------------------------------------

struct AnswerCase {
    const char* release;
    const char* version;
    int update;
};

class VersionAnswer : public ServiceTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(VersionAnswer, SaysOneOnlyForAnOlderVersion) {
    Publish(GetParam().release);
    Start();
    const auto result = client_->Get(std::string("/v1/version?product=5&version=") +
                                     GetParam().version + "&edition=1&fresh=0");
    ASSERT_EQ(Status(result), 200);
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/json");
    const std::string expected = "{\"update\":" + std::to_string(GetParam().update) +
                                 ",\"latest\":\"" + GetParam().release + "\"}";
    EXPECT_EQ(result->body, expected);
    // The client reads the same value from it, within its single read.
    EXPECT_LE(result->body.size(), kVersionAnswerCapacity);
    EXPECT_EQ(ScanVersionAnswer(result->body.data(), result->body.size()), GetParam().update);
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionAnswer,
                         ::testing::Values(AnswerCase{"1.0.2", "100001", 1},
                                           AnswerCase{"1.0.1", "100001", 0},
                                           AnswerCase{"1.0.1", "100002", 0},
                                           AnswerCase{"2.0.0", "199999", 1}));

TEST_F(ServiceTest, NewReleaseCountsWithoutARestart) {
    Publish("1.0.1");
    Start();
    EXPECT_EQ(Body(client_->Get(kQuery)), R"({"update":0,"latest":"1.0.1"})");
    Publish("1.0.2");
    EXPECT_EQ(Body(client_->Get(kQuery)), R"({"update":1,"latest":"1.0.2"})");
}

TEST_F(ServiceTest, NoReleaseIsUnavailableAndStoresNothing) {
    Start();
    std::filesystem::remove(folder_.Path() / "release.txt");
    EXPECT_EQ(Status(client_->Get(kQuery)), 503);
    Publish("soon");
    EXPECT_EQ(Status(client_->Get(kQuery)), 503);
    EXPECT_EQ(Rows("version_checks"), 0);
}

TEST_F(ServiceTest, VersionCheckIsStoredWithItsFields) {
    Start();
    const std::int64_t before = std::time(nullptr);
    ASSERT_EQ(Status(client_->Get("/v1/version?product=5&version=100001&edition=1&fresh=1")), 200);
    const auto checks = store_.LatestChecks(5);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].product, 5);
    EXPECT_EQ(checks[0].version, 100001);
    EXPECT_EQ(checks[0].edition, 1);
    EXPECT_EQ(checks[0].fresh, 1);
    EXPECT_GE(checks[0].time, before);
    EXPECT_LE(checks[0].time, std::time(nullptr));
    EXPECT_EQ(Rows("version_checks"), 1);
}

// ---- The usage report --------------------------------------------------------------------------

TEST_F(ServiceTest, UsageReportIsStoredWithItsFields) {
    Start();
    const std::int64_t before = std::time(nullptr);
    EXPECT_EQ(Status(client_->Post("/v1/usage", kBody, kForm)), 204);
    const auto reports = store_.LatestReports(5);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].product, 5);
    EXPECT_EQ(reports[0].version, 100001);
    EXPECT_EQ(reports[0].edition, 1);
    EXPECT_EQ(reports[0].build, 19045);
    EXPECT_EQ(reports[0].usage, 9);
    EXPECT_GE(reports[0].time, before);
    EXPECT_LE(reports[0].time, std::time(nullptr));
    EXPECT_EQ(Rows("usage_reports"), 1);
}

TEST_F(ServiceTest, ReportsAreKeptInOrder) {
    Start();
    for (const char* usage : {"1", "3", "11"}) {
        const std::string body =
            std::string("product=5&version=100001&edition=1&kind=2&build=1&usage=") + usage;
        ASSERT_EQ(Status(client_->Post("/v1/usage", body, kForm)), 204);
    }
    const auto reports = store_.LatestReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].usage, 11);
    EXPECT_EQ(reports[1].usage, 3);
    EXPECT_EQ(Rows("usage_reports"), 3);
}

TEST_F(ServiceTest, DatabaseKeepsReportsAcrossRestarts) {
    Start();
    ASSERT_EQ(Status(client_->Post("/v1/usage", kBody, kForm)), 204);
    service_->Stop();
    UsageStore reopened;
    std::string error;
    ASSERT_TRUE(reopened.Open(options_.database, error)) << error;
    EXPECT_EQ(reopened.ReportCount(), 1);
}

// ---- Bad requests ------------------------------------------------------------------------------

struct BadRequest {
    const char* name;
    bool post;
    std::string target;
    std::string body;
    std::string contentType;
};

class BadRequests : public ServiceTest, public ::testing::WithParamInterface<BadRequest> {};

TEST_P(BadRequests, GetFourHundredAndChangeNothing) {
    Start();
    const BadRequest& r = GetParam();
    const auto result =
        r.post ? client_->Post(r.target, r.body, r.contentType.c_str()) : client_->Get(r.target);
    EXPECT_EQ(Status(result), 400);
    EXPECT_EQ(Rows("version_checks"), 0);
    EXPECT_EQ(Rows("usage_reports"), 0);
    // The service goes on serving.
    EXPECT_EQ(Status(client_->Get(kQuery)), 200);
}

const std::string kLongQuery = std::string(kQuery) + "&pad=" + std::string(1100, '0');
const std::string kHugeQuery = std::string(kQuery) + "&pad=" + std::string(9000, '0');

INSTANTIATE_TEST_SUITE_P(
    Requests, BadRequests,
    ::testing::Values(
        BadRequest{"NoQuery", false, "/v1/version", "", ""},
        BadRequest{"MissingField", false, "/v1/version?product=5&version=100001&edition=1", "", ""},
        BadRequest{"OtherProduct", false, "/v1/version?product=6&version=100001&edition=1&fresh=0",
                   "", ""},
        BadRequest{"NotANumber", false, "/v1/version?product=5&version=abc&edition=1&fresh=0", "",
                   ""},
        BadRequest{"LongQuery", false, kLongQuery, "", ""},
        BadRequest{"HugeQuery", false, kHugeQuery, "", ""},
        BadRequest{"UsageNotAForm", true, "/v1/usage", kBody, "text/plain"},
        BadRequest{"UsageEmpty", true, "/v1/usage", "", kForm},
        BadRequest{"UsageMissingField", true, "/v1/usage",
                   "product=5&version=100001&edition=1&kind=2&build=19045", kForm},
        BadRequest{"UsageFlagsTooLarge", true, "/v1/usage",
                   "product=5&version=100001&edition=1&kind=2&build=19045&usage=16", kForm},
        BadRequest{"UsageInTheQuery", true, std::string("/v1/usage?") + kBody, kBody, kForm},
        BadRequest{"UsageOversized", true, "/v1/usage",
                   std::string(kBody) + "&pad=" + std::string(2000, '0'), kForm},
        BadRequest{"UsageHuge", true, "/v1/usage", std::string(200000, 'a'), kForm}),
    [](const ::testing::TestParamInfo<BadRequest>& c) { return c.param.name; });

TEST_F(ServiceTest, UnknownPathsAreNotServed) {
    Start();
    EXPECT_EQ(Status(client_->Get("/")), 404);
    EXPECT_EQ(Status(client_->Get("/v1/usage")), 404);
    EXPECT_EQ(Status(client_->Get("/v1/inspect")), 404);  // only with --inspect
    EXPECT_EQ(Rows("version_checks"), 0);
}

TEST_F(ServiceTest, InspectionListsCountsAndLatestRows) {
    Start(true);
    ASSERT_EQ(Status(client_->Get(kQuery)), 200);
    ASSERT_EQ(Status(client_->Post("/v1/usage", kBody, kForm)), 204);
    const std::string body = Body(client_->Get("/v1/inspect"));
    EXPECT_NE(body.find(R"("checks":{"count":1,"latest":[{"time":)"), std::string::npos) << body;
    EXPECT_NE(body.find(R"("product":5,"version":100001,"edition":1,"fresh":0}])"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find(R"("reports":{"count":1,"latest":[{"time":)"), std::string::npos) << body;
    EXPECT_NE(body.find(R"("product":5,"version":100001,"edition":1,"build":19045,"usage":9}])"),
              std::string::npos)
        << body;
}

// ---- Starting ----------------------------------------------------------------------------------

TEST_F(ServiceTest, BusyPortIsAnError) {
    Start();
    ServiceOptions second = options_;
    second.port = service_->Port();
    UpdateService other(second, store_);
    std::string error;
    EXPECT_FALSE(other.Start(error));
    EXPECT_NE(error.find(std::to_string(second.port)), std::string::npos) << error;
    EXPECT_EQ(other.Port(), 0);
}

TEST(UsageStoreOpen, FailsOnAFolder) {
    test::TempFolder folder;
    UsageStore store;
    std::string error;
    EXPECT_FALSE(store.Open(folder.Path().string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(store.AddReport({}));
    EXPECT_EQ(store.ReportCount(), -1);
}

}  // namespace
