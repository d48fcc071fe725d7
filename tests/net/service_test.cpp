// The update service: its strict input checks, and its answers over real HTTP on free loopback
// ports with a fresh database: the daily counts, the admin listener, compressed, oversized and
// hostile requests, a storage failure and fifty slow clients.
#include "service/update_service.h"

#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "net/service_request.h"
#include "service/release.h"
#include "settings/text_util.h"
#include "tests/test_support.h"

namespace {

const std::string kQuery = "/v1/version?product=5&version=100001&edition=1&fresh=0";
const std::string kBody = "product=5&version=100001&edition=1&kind=2&build=19045&usage=9";

// Which queries and forms the service takes, and the release line it reads: the seeds of the fuzz
// targets service_form and release_file, with their expected answers.
TEST(ServiceInput, IsReadStrictlyAndTakesWhatTheClientSends) {
    const std::string u = "product=5&version=100001&edition=1&kind=2&build=";
    // clang-format off
    const std::pair<const char*, bool> addresses[] = {
        {"127.0.0.1", true}, {"127.255.0.9", true}, {"::1", true}, {"::ffff:127.0.0.1", true}, {"localhost", false},
        {"127.example.org", false}, {"128.0.0.1", false}, {"126.0.0.1", false}, {"::", false}, {"::ffff:10.0.0.1", false}};
    ServiceOptions options;
    const std::vector<std::vector<const char*>> refusedOptions = {
        {"--admin-address", "0.0.0.0"}, {"--admin-address", "localhost"}, {"--address", "localhost"}};
    // clang-format on
    for (const auto& [address, loopback] : addresses) {
        EXPECT_EQ(IsLoopbackAddress(address), loopback) << address;
    }
    for (std::vector<const char*> arguments : refusedOptions) {
        arguments.insert(arguments.begin(), {"service", "--database", "d", "--release-file", "r"});
        std::string error;
        EXPECT_EQ(ParseServiceOptions(7, arguments.data(), options, error), ParseOutcome::kError);
    }
    // The client's requests, whole or not at all.
    wchar_t path[kVersionUrlCapacity];
    const std::string target = kQuery.substr(0, kQuery.size() - 1) + "1";
    EXPECT_FALSE(BuildVersionPath(path, target.size(), 1) || path[0] != 0);
    ASSERT_TRUE(BuildVersionPath(path, target.size() + 1, 1));
    EXPECT_EQ(Utf16ToUtf8(path), target);
    char body[kUsageBodyCapacity];
    const std::string form = u + "-2147483648&usage=15";
    EXPECT_FALSE(BuildUsageBody(body, form.size(), INT32_MIN, "15") || body[0] != 0);
    EXPECT_FALSE(BuildUsageBody(body, sizeof body, 1, nullptr) || BuildVersionPath(nullptr, 99, 1));
    ASSERT_TRUE(BuildUsageBody(body, form.size() + 1, INT32_MIN, "15"));
    EXPECT_EQ(body, form);
}

// A connected loopback socket, closed with the object.
class Socket {
public:
    explicit Socket(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{
            AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(0x7f000001)}, {}};
        connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        const timeval limit{10, 0};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
    ~Socket() { close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // True when every byte went out.
    bool Send(const std::string& bytes) const {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // The status and the JSON body of the answer ("200 {...}"), "" when none came.
    std::string Answer() const {
        std::string answer;
        char chunk[4096];
        for (ssize_t n = 0; (n = recv(fd_, chunk, sizeof chunk, 0)) > 0;) {
            answer.append(chunk, static_cast<std::size_t>(n));
        }
        const std::size_t body = answer.find("\r\n\r\n") + 4;
        return answer.size() < 12
                   ? ""
                   : answer.substr(9, 3) + " " + (answer[body] == '<' ? "" : answer.substr(body));
    }

private:
    int fd_;
};

std::string Get(const std::string& target, const std::string& method = "GET") {
    return method + " " + target + " HTTP/1.1\r\nHost: q\r\nConnection: close\r\n\r\n";
}

std::string Post(const std::string& body, const std::string& headers = "") {
    return "POST /v1/usage HTTP/1.1\r\nHost: q\r\nConnection: close\r\n" + headers +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const std::string kForm = "Content-Type: application/x-www-form-urlencoded\r\n";
const std::string kChunked = "POST /v1/usage HTTP/1.1\r\nHost: q\r\nConnection: close\r\n" + kForm +
                             "Transfer-Encoding: chunked\r\n\r\n";

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteFileBytes(folder_.Path() / "release.txt", "1.0.2\n");
        options_.port = options_.adminPort = 0;
        options_.database = (folder_.Path() / "usage.sqlite").string();
        options_.releaseFile = (folder_.Path() / "release.txt").string();
        std::string error;
        ASSERT_TRUE(store_.Open(options_.database, error)) << error;
        service_ = std::make_unique<UpdateService>(options_, store_);
        ASSERT_TRUE(service_->Start(error)) << error;
    }
    static std::string Ask(int port, const std::string& request) {
        const Socket socket(port);
        socket.Send(request);
        return socket.Answer();
    }
    std::string Ask(const std::string& request) const { return Ask(service_->Port(), request); }
    std::string Inspect() const { return Ask(service_->AdminPort(), Get("/v1/inspect")); }

    test::TempFolder folder_;
    ServiceOptions options_;
    UsageStore store_;
    std::unique_ptr<UpdateService> service_;
};

TEST_F(ServiceTest, AnswersCountsAndRefusesRequests) {
    const std::string tooLarge = R"(400 {"error":"request too large"})";
    const std::string bad = R"(400 {"error":"bad request"})";
    const std::string notServed = R"(404 {"error":"not served"})";
    const std::string encoding = R"(400 {"error":"content encoding not accepted"})";
    // clang-format off
    const std::tuple<std::string, std::string, std::int64_t, std::int64_t> cases[] = {  // counts after
        {Get(kQuery), R"(200 {"update":1,"latest":"1.0.2"})", 1, 0},
        {Get("/v1/version?product=5&version=100002&edition=1&fresh=1"), R"(200 {"update":0,"latest":"1.0.2"})", 2, 0},
        {Get(kQuery, "HEAD"), "200 ", 2, 0},
        {Post(kBody, kForm), "204 ", 2, 1},
        {Post(kBody, kForm + "Content-Encoding: identity\r\n"), "204 ", 2, 2},
        {kChunked + "3d\r\n" + kBody + "\r\n0\r\n\r\n", "204 ", 2, 3},
        {Get(kQuery + "&pad=" + std::string(1100, '0')), tooLarge, 2, 3},
        {Get(kQuery + "&pad=" + std::string(9000, '0')), "414 ", 2, 3},
        {Post(kBody, "Content-Type: text/plain\r\n"), bad, 2, 3},
        {Post(kBody + "&usage=9", kForm), bad, 2, 3},
        {Post(kBody + "&pad=" + std::string(2000, '0'), kForm), tooLarge, 2, 3},
        {Post(std::string(405, '\x1b'), kForm + "Content-Encoding: br\r\n"), encoding, 2, 3},
        {kChunked + "200\r\n" + std::string(0x200, 'a') + "\r\n200\r\n" + std::string(0x200, 'a') + "\r\n", "", 2, 3},
        {Get("/v1/inspect"), notServed, 2, 3},
        {Get(kQuery, "POST"), notServed, 2, 3}};
    // clang-format on
    for (const auto& [request, answer, checks, reports] : cases) {
        EXPECT_EQ(Ask(request), answer) << request.substr(0, 100);
        EXPECT_EQ(store_.TotalChecks() * 10 + store_.TotalReports(), checks * 10 + reports)
            << request.substr(0, 100);
    }
    EXPECT_EQ(Ask(service_->AdminPort(), Get(kQuery)), notServed);
    test::WriteFileBytes(folder_.Path() / "release.txt", "1.0.3" + std::string(80, ' ') + "\n");
    EXPECT_EQ(Ask(Get(kQuery)),
              R"(503 {"error":"no release published"})");  // no line end in 64 bytes
    // A second service cannot take the admin port, and a stopped one serves nothing.
    options_.adminPort = service_->AdminPort();
    UpdateService second(options_, store_);
    std::string error;
    EXPECT_FALSE(second.Start(error) || second.Port() != 0 || error.empty());
    service_->Stop();
    EXPECT_EQ(Inspect() + Ask(Get(kQuery)), "");
}

TEST_F(ServiceTest, CountsPerDayWithoutSingleRequests) {
    for (const char* day : {"2024-03-01", "2024-03-02", "2024-03-02"}) {
        store_.AddCheck(day, {5, 100001, 1, 0});
        store_.AddReport(day, {5, 100001, 1, 2, 19045, 9});
    }
    store_.AddReport("2024-03-02", {5, 100001, 1, 2, 22631, 9});
    const std::string inspected = Inspect();
    // clang-format off
    for (const char* row : {
             R"("checks":{"count":3,"rows":[{"day":"2024-03-02","product":5,"version":100001,"edition":1,"fresh":0,"count":2},)",
             R"({"day":"2024-03-01","product":5,"version":100001,"edition":1,"fresh":0,"count":1}]},"reports":{"count":4,)",
             R"({"day":"2024-03-02","product":5,"version":100001,"edition":1,"build":19045,"usage":9,"count":2},)",
             R"({"day":"2024-03-02","product":5,"version":100001,"edition":1,"build":22631,"usage":9,"count":1},)",
             R"({"day":"2024-03-01","product":5,"version":100001,"edition":1,"build":19045,"usage":9,"count":1}]},)",
             R"("storageFailures":0})"}) {
        EXPECT_NE(inspected.find(row), std::string::npos) << row << "\n" << inspected;
    }
    // clang-format on
    EXPECT_EQ(UtcDay(0) + " " + UtcDay(951868799), "1970-01-01 2000-02-29");
}

TEST_F(ServiceTest, StorageFailureIsLoggedAndCountedWhileAnswering) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(options_.database.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "DROP TABLE check_counts", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Ask(Get(kQuery)), R"(200 {"update":1,"latest":"1.0.2"})");
    EXPECT_EQ(Ask(Post(kBody, kForm)), "204 ");
    store_.Flush();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorvane-service: storage failed: no such table: check_counts\n");
    EXPECT_EQ(store_.TotalReports(), 1);
    EXPECT_NE(Inspect().find(R"("storageFailures":1})"), std::string::npos);
}

TEST_F(ServiceTest, RefusesHostileRequestsInLittleMemory) {
    std::string headers = "GET " + kQuery + " HTTP/1.1\r\nHost: q\r\n";
    for (int i = 0; i < 10000; ++i) {
        headers += "X-Header-" + std::to_string(i) + ": v\r\n";
    }
    EXPECT_EQ(Ask(headers + "\r\n"), "431 ");
    const Socket chunked(service_->Port());
    int megabytes = chunked.Send(kChunked) ? 0 : 300;
    while (megabytes < 300 && chunked.Send("100000\r\n" + std::string(0x100000, 'a') + "\r\n")) {
        ++megabytes;
    }
    EXPECT_LT(megabytes, 32) << "MB of a 300 MB chunked body were read";
    for (int i = 0; i < 100; ++i) {
        Ask(Post(std::string(405, '\x1b'), kForm + "Content-Encoding: br\r\n"));
    }
    // The most resident memory of this process, the service and its test, in KB.
    std::ifstream status("/proc/self/status");
    long peak = -1;
    for (std::string key; status >> key && key != "VmHWM:";) {
    }
    EXPECT_TRUE(status >> peak);
    EXPECT_LT(peak, 64 * 1024);
}

TEST_F(ServiceTest, FiftySlowClientsDoNotDelayOthers) {
    std::vector<std::unique_ptr<Socket>> slow;
    std::generate_n(std::back_inserter(slow), 50,
                    [&] { return std::make_unique<Socket>(service_->Port()); });
    for (const char byte : std::string("GET ")) {
        for (const auto& socket : slow) {
            socket->Send(std::string(1, byte));
        }
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Ask(Get(kQuery)), R"(200 {"update":1,"latest":"1.0.2"})");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

}  // namespace
