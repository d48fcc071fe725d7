// The update check's decisions against a scripted service and real settings files: the day
// number, the answer scan, the HTTP status, the five-check cache, the daily limit,
// UpdateCheckEnabled, the version-change flag and the messages shown for each result.
#include "net/update_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "net/update_message.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"

namespace {

struct DateCase {
    std::int32_t year, month, day;
    std::uint32_t ordinal;  // the proleptic Gregorian ordinal, 1 January of year 1 = 1
};

TEST(DayNumber, IsTheGregorianOrdinal) {
    const DateCase dates[] = {{1, 1, 1, 1},           {1, 12, 31, 365},       {2, 1, 1, 366},
                              {1970, 1, 1, 719163},   {1999, 12, 31, 730119}, {2000, 2, 29, 730179},
                              {2000, 3, 1, 730180},   {2023, 3, 1, 738580},   {2024, 2, 29, 738945},
                              {2024, 3, 1, 738946},   {2100, 2, 28, 766703},  {2100, 3, 1, 766704},
                              {9999, 12, 31, 3652059}};
    for (const DateCase& c : dates) {
        EXPECT_EQ(DayNumber(c.year, c.month, c.day), c.ordinal) << c.year << "-" << c.month;
    }
    using namespace std::chrono;
    const auto utc = duration_cast<days>(system_clock::now().time_since_epoch()).count() + 719163;
    EXPECT_LE(std::abs(static_cast<long long>(TodayDayNumber()) - utc), 1);
}

struct AnswerCase {
    std::string answer;
    int expected;
};

TEST(AnswerScan, FindsTheValueOne) {
    const std::string fiftyDigits = std::string(49, '0') + "1";
    // clang-format off
    const AnswerCase answers[] = {
        {R"({"update": 1})", 1}, {R"({"update":1})", 1}, {R"({"update" :1})", 1}, {R"("update":1)", 1},
        {R"({"update":1,"latest":"1.0.2"})", 1}, {R"({"latest":"1.0.2","update":1})", 1},
        {R"({"update":01})", 1}, {R"({"update":)" + fiftyDigits + "}", 1}, {R"({"uupdate":1})", 0},
        {R"({"update":0})", 0}, {R"({"update":2})", 0}, {R"({"update":10})", 0}, {R"({"update":"1"})", 0},
        {R"({"update":-1})", 0}, {"{\"update\":\t1}", 0}, {"{\"update\":\n1}", 0}, {R"({"update":})", 0},
        {R"({"update" 1})", 0}, {R"({"latest":"1.0.2"})", 0}, {R"({"updates":1})", 0}, {R"({update:1})", 0},
        {R"({"update":0)" + fiftyDigits + "}", 0}, {R"({"upd"update":1})", 0}, {"", 0}};
    // clang-format on
    for (const AnswerCase& c : answers) {
        EXPECT_EQ(ScanVersionAnswer(c.answer.data(), c.answer.size()), c.expected) << c.answer;
    }
    const char answer[] = R"({"update":1})";
    EXPECT_EQ(ScanVersionAnswer(answer, 9), 0);  // {"update" without its value
    EXPECT_EQ(ScanVersionAnswer(nullptr, 12), 0);
    const std::string cut = "{\"" + std::string(48, 'n') + "\":1}";
    EXPECT_EQ(ScanAnswerField(cut.data(), cut.size(), std::string(60, 'n').c_str()), 1);
}

// A service that answers every request alike and notes what it was asked.
class ScriptedService : public VersionRequester {
public:
    int RequestVersionInfo(char* buffer, std::size_t capacity, std::int32_t newVersion,
                           std::size_t& length, std::uint32_t& httpStatus) override {
        asked += (asked.empty() ? "" : " ") + std::string(buffer ? "read" : "bare") +
                 std::to_string(newVersion);
        httpStatus = reply.httpStatus;
        if (reply.status == kRequestDone && buffer != nullptr) {
            length = std::min(std::strlen(reply.answer), capacity);
            std::memcpy(buffer, reply.answer, length);
        }
        return reply.status;
    }

    struct Reply {
        int status = kRequestDone;
        std::uint32_t httpStatus = kHttpOk;
        const char* answer = R"({"update":0})";
    } reply;
    std::string asked;
};

constexpr std::uint32_t kToday = 739000;
constexpr int kAuto = 0;
constexpr int kForced = 1;
using Reply = ScriptedService::Reply;
constexpr Reply kNewer{kRequestDone, kHttpOk, R"({"update":1})"};
constexpr Reply kDown{kRequestNoUrl, 0, ""};

struct CheckCase {
    int force;
    const char* settings;   // the line of the settings file that holds the check's values
    const char* installed;  // InstalledVersion before, nullptr for none
    UpdateCheckState before;
    Reply reply;
    // Result; requests made; LastCheckResult, LastCheckDay (- for none) and InstalledVersion
    // after; state count/day after (days relative to today).
    const char* outcome;
};

// clang-format off
const CheckCase kChecks[] = {
    {kForced, "", "1.0.1", {}, kNewer, "1 read0 800009 0 1.0.1 1/0"},
    {kForced, "", "1.0.1", {}, {}, "0 read0 800008 0 1.0.1 1/0"},
    {kForced, "", "1.0.1", {}, {0, 200, R"({"latest":"1"})"}, "0 read0 800008 0 1.0.1 1/0"},
    {kForced, "", "1.0.1", {}, {0, 200, ""}, "0 read0 800008 0 1.0.1 1/0"},
    {kForced, "", "1.0.0", {}, {kRequestNoSession, 0, ""}, "2 read1 - - 1.0.0 1/0"},
    {kForced, "", "1.0.0", {}, kDown, "2 read1 - - 1.0.0 1/0"},
    {kForced, "", "1.0.0", {}, {kRequestReadFailed, 200, ""}, "2 read1 - - 1.0.0 1/0"},
    {kForced, "", "1.0.0", {}, {0, 503, R"({"update":1})"}, "2 read1 - - 1.0.0 1/0"},
    {kAuto, "", "1.0.1", {}, {0, 500, ""}, "2 read0 - - 1.0.1 1/0"},
    {kForced, "", "1.0.1", {}, {0, 502, ""}, "2 read0 - - 1.0.1 1/0"},
    {kForced, "", "1.0.1", {}, {0, 404, R"({"update":0})"}, "2 read0 - - 1.0.1 1/0"},
    {kForced, "", "1.0.1", {}, {0, 204, ""}, "2 read0 - - 1.0.1 1/0"},
    {kForced, "", "1.0.1", {}, {0, 0, R"({"update":0})"}, "2 read0 - - 1.0.1 1/0"},
    {kAuto, "LastCheckDay=739000", "1.0.0", {}, kNewer, "0 - - 0 1.0.0 1/0"},
    {kAuto, "LastCheckDay=738999", "1.0.1", {}, kNewer, "1 read0 800009 0 1.0.1 1/0"},
    {kForced, "LastCheckDay=739000", "1.0.1", {}, kNewer, "1 read0 800009 0 1.0.1 1/0"},
    {kAuto, "UpdateCheckEnabled=0", "1.0.0", {}, kNewer, "0 - - - 1.0.0 1/0"},
    {kAuto, "UpdateCheckEnabled=2", "1.0.1", {}, kNewer, "0 - - - 1.0.1 1/0"},
    {kAuto, "UpdateCheckEnabled=-1", "1.0.1", {}, kNewer, "0 - - - 1.0.1 1/0"},
    {kAuto, "UpdateCheckEnabled=01", "1.0.1", {}, kNewer, "1 read0 800009 0 1.0.1 1/0"},
    {kAuto, "UpdateCheckEnabled=yes", "1.0.1", {}, {}, "0 read0 800008 0 1.0.1 1/0"},
    {kForced, "UpdateCheckEnabled=0", "1.0.1", {}, kNewer, "1 read0 800009 0 1.0.1 1/0"},
    {kForced, "", nullptr, {}, {}, "0 read1 800008 0 1.0.1 1/0"},
    {kForced, "", "", {}, {}, "0 read1 800008 0 1.0.1 1/0"},
    {kForced, "", "1.0.0", {}, {}, "0 read1 800008 0 1.0.1 1/0"},
    {kForced, "", "1.0.10", {}, {}, "0 read1 800008 0 1.0.1 1/0"},
    {kForced, "", "1.0.1-preview", {}, {}, "0 read1 800008 0 1.0.1 1/0"},
    {kForced, "", "1.0.1", {1, kToday}, {}, "0 read0 800008 0 1.0.1 2/0"},
    {kForced, "", "1.0.1", {7, kToday - 1}, {}, "0 read0 800008 0 1.0.1 1/0"},
    {kForced, "LastCheckResult=800009", "1.0.0", {5, kToday}, {}, "1 bare0 800009 - 1.0.0 5/0"},
    {kForced, "LastCheckResult=800008", "1.0.1", {5, kToday}, kNewer, "0 bare0 800008 - 1.0.1 5/0"},
    {kForced, "LastCheckResult=800010", "1.0.1", {9, kToday}, {}, "0 bare0 800010 - 1.0.1 9/0"},
    {kForced, "LastCheckResult=800015", "1.0.1", {5, kToday}, {}, "0 bare0 800015 - 1.0.1 5/0"},
    {kForced, "LastCheckResult=800017", "1.0.1", {5, kToday}, {}, "0 bare0 800017 - 1.0.1 5/0"},
    {kForced, "LastCheckResult=1", "1.0.1", {5, kToday}, {}, "0 bare0 1 - 1.0.1 5/0"},
    {kForced, "LastCheckResult=-800009", "1.0.1", {5, kToday}, {}, "0 bare0 -800009 - 1.0.1 5/0"},
    {kForced, "LastCheckResult=800009", "1.0.1", {5, kToday}, kDown, "2 bare0 800009 - 1.0.1 5/0"},
    {kForced, "LastCheckResult=800009", "1.0.1", {5, kToday}, {0, 503, ""}, "2 bare0 800009 - 1.0.1 5/0"},
    {kAuto, "LastCheckResult=800009", "1.0.1", {6, kToday}, {}, "1 bare0 800009 - 1.0.1 6/0"},
};
// clang-format on

std::string Stored(const char* key) {
    const std::int32_t value = ReadSettingInt(key, -7, kPrimaryRoot);
    return value == -7 ? "-" : std::to_string(value);
}

TEST(UpdateCheck, GivesTheResultAndRemembersIt) {
    for (const CheckCase& c : kChecks) {
        const test::UserFolders folder;
        test::WriteFileBytes(folder.Roaming() / "Kestrovan" / "Quorvane" / "settings.ini",
                             std::string(c.settings) + "\n");
        if (c.installed != nullptr) {
            WriteSettingText("InstalledVersion", c.installed, kSecondaryRoot);
        }
        ScriptedService service;
        service.reply = c.reply;
        UpdateCheckState state = c.before;
        const int result = UpdateCheck(service, kToday).Run(c.force, state);
        char installed[32] = {};
        ReadSettingText(installed, sizeof installed, "InstalledVersion", "", kSecondaryRoot);
        const std::string day = Stored("LastCheckDay");
        const auto offset = [](std::int64_t d) { return std::to_string(d - kToday); };
        EXPECT_EQ(std::to_string(result) + " " + (service.asked.empty() ? "-" : service.asked) +
                      " " + Stored("LastCheckResult") + " " +
                      (day == "-" ? day : offset(std::stol(day))) + " " + installed + " " +
                      std::to_string(state.count) + "/" + offset(state.day),
                  c.outcome)
            << c.settings << " " << (c.installed ? c.installed : "(none)") << " " << c.reply.status
            << "/" << c.reply.httpStatus << " " << c.before.count;
    }
}

TEST(UpdateMessages, MatchTheResult) {
    const std::wstring offer = L"New version available. Would you like to download it.";
    const struct {
        int result, force;
        std::wstring shown;  // empty: nothing shown
        unsigned type;
    } cases[] = {// clang-format off
        {1, kAuto, offer, kMessageYesNo}, {0, kAuto, L"", kMessageOk}, {2, kAuto, L"", kMessageOk},
        {1, kForced, offer, kMessageYesNo}, {0, kForced, L"You are using the latest version of Quorvane", kMessageOk},
        {2, kForced, L"Service is currently unavailable.", kMessageOk}, {3, kForced, L"", kMessageOk}};
    // clang-format on
    for (const auto& c : cases) {
        const UpdateMessage message = MessageForUpdateResult(c.result, c.force);
        EXPECT_EQ(message.show, !c.shown.empty()) << c.result << c.force;
        EXPECT_EQ(message.text, c.shown);
        EXPECT_EQ(message.type, c.type);
        EXPECT_EQ(message.offersDownload, c.result == 1);
    }
}

}  // namespace
