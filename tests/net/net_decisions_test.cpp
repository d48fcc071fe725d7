// The decisions of the update check and the usage report, against a scripted service and real
// settings files: the day number, the answer scan, the HTTP status, the five-check cache, the
// daily limit, UpdateCheckEnabled, the version-change flag, the messages shown for each result,
// the usage set compared with the one reported (as unsigned numbers) and the registry number.
#include "net/update_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

#include "net/update_message.h"
#include "net/usage_report.h"
#include "settings/product.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"

namespace {

TEST(DayNumber, IsTheGregorianOrdinal) {
    // Year, month, day and the proleptic Gregorian ordinal (1 January of year 1 is day 1).
    const std::int32_t dates[][4] = {
        {1, 1, 1, 1},          {1, 12, 31, 365},       {2, 1, 1, 366},       {1970, 1, 1, 719163},
        {2000, 2, 29, 730179}, {2000, 3, 1, 730180},   {2024, 3, 1, 738946}, {2100, 2, 28, 766703},
        {2100, 3, 1, 766704},  {9999, 12, 31, 3652059}};
    for (const auto& [year, month, day, ordinal] : dates) {
        EXPECT_EQ(DayNumber(year, month, day), static_cast<std::uint32_t>(ordinal))
            << year << "-" << month;
    }
}

// Where the answer's field is found, and the value's forms, are the update_answer fuzz target's
// seeds; here, a field name longer than the scan keeps is compared as far as it is kept.
TEST(AnswerScan, ComparesALongNameAsFarAsItIsKept) {
    const std::string cut = "{\"" + std::string(48, 'n') + "\":1}";
    EXPECT_EQ(ScanAnswerField(cut.data(), cut.size(), std::string(60, 'n').c_str()), 1);
}

constexpr std::uint32_t kToday = 739000;
constexpr int kAuto = 0;
constexpr int kForced = 1;

// What the scripted service answers every request with.
struct Reply {
    int status = kRequestDone;
    std::uint32_t httpStatus = kHttpOk;
    const char* answer = R"({"update":0})";
};
constexpr Reply kNewer{kRequestDone, kHttpOk, R"({"update":1})"};
constexpr Reply kDown{kRequestNoUrl, 0, ""};
constexpr Reply kBusy{kRequestDone, 503, ""};
constexpr const char* kNow = kProductVersion;

// A service that answers alike and notes the request it was sent.
struct ScriptedService : VersionRequester {
    int RequestVersionInfo(char* buffer, std::size_t capacity, std::int32_t newVersion,
                           std::size_t& length, std::uint32_t& httpStatus) override {
        asked = (buffer ? "read" : "bare") + std::to_string(newVersion);
        httpStatus = reply.httpStatus;
        if (buffer != nullptr) {
            length = std::min(std::strlen(reply.answer), capacity);
            std::memcpy(buffer, reply.answer, length);
        }
        return reply.status;
    }
    Reply reply;
    std::string asked = "-";
};

// Each row: the check's kind; the line of the settings file that holds the check's values;
// InstalledVersion before (nullptr for none); the state and the reply; then the outcome: result;
// requests made; LastCheckResult, LastCheckDay (- for none) and InstalledVersion after; state
// count/day after (days relative to today); and the message for the result: shown, box type and
// download offer as digits (its text is the end-to-end rows' to judge).
using CheckCase = std::tuple<int, const char*, const char*, UpdateCheckState, Reply, const char*>;

// clang-format off
const CheckCase kChecks[] = {
    {kForced, "", kNow, {}, {0, 200, R"({"latest":"1"})"}, "0 read0 800008 0 now 1/0 100"},
    {kForced, "", "1.0.0", {}, kDown, "2 read1 - - 1.0.0 1/0 100"},
    {kForced, "", "1.0.0", {}, {kRequestReadFailed, 200, ""}, "2 read1 - - 1.0.0 1/0 100"},
    {kForced, "", "1.0.0", {}, {0, 503, R"({"update":1})"}, "2 read1 - - 1.0.0 1/0 100"},
    {kAuto, "", kNow, {}, {0, 500, ""}, "2 read0 - - now 1/0 000"},
    {kAuto, "LastCheckDay=739000", "1.0.0", {}, kNewer, "0 - - 0 1.0.0 1/0 000"},
    {kAuto, "LastCheckDay=738999", kNow, {}, kNewer, "1 read0 800009 0 now 1/0 141"},
    {kForced, "LastCheckDay=739000", kNow, {}, kNewer, "1 read0 800009 0 now 1/0 141"},
    {kAuto, "UpdateCheckEnabled=0", "1.0.0", {}, kNewer, "0 - - - 1.0.0 1/0 000"},
    {kAuto, "UpdateCheckEnabled=2", kNow, {}, kNewer, "0 - - - now 1/0 000"},
    {kForced, "UpdateCheckEnabled=0", kNow, {}, kNewer, "1 read0 800009 0 now 1/0 141"},
    {kForced, "", nullptr, {}, {}, "0 read1 800008 0 now 1/0 100"},
    {kForced, "", "1.0.10", {}, {}, "0 read1 800008 0 now 1/0 100"},
    {kForced, "", kNow, {1, kToday}, {}, "0 read0 800008 0 now 2/0 100"},
    {kForced, "", kNow, {7, kToday - 1}, {}, "0 read0 800008 0 now 1/0 100"},
    {kForced, "LastCheckResult=800009", "1.0.0", {5, kToday}, {}, "1 bare0 800009 - 1.0.0 5/0 141"},
    {kForced, "LastCheckResult=800008", kNow, {5, kToday}, kNewer, "0 bare0 800008 - now 5/0 100"},
    {kForced, "LastCheckResult=800010", kNow, {9, kToday}, {}, "0 bare0 800010 - now 9/0 100"},
    {kForced, "LastCheckResult=800017", kNow, {5, kToday}, {}, "0 bare0 800017 - now 5/0 100"},
    {kForced, "LastCheckResult=800009", kNow, {5, kToday}, kDown, "2 bare0 800009 - now 5/0 100"},
    {kForced, "LastCheckResult=800009", kNow, {5, kToday}, kBusy, "2 bare0 800009 - now 5/0 100"},
    {kAuto, "LastCheckResult=800009", kNow, {6, kToday}, {}, "1 bare0 800009 - now 6/0 141"},
};
// clang-format on

// The number stored under key, less from; "-" when there is none.
std::string Stored(const char* key, std::int32_t from = 0) {
    const std::int32_t value = ReadSettingInt(key, -7, kPrimaryRoot);
    return value == -7 ? "-" : std::to_string(value - from);
}

TEST(UpdateCheck, GivesTheResultAndRemembersIt) {
    for (const CheckCase& c : kChecks) {
        const auto& [force, settings, installedBefore, before, reply, outcome] = c;
        const test::UserFolders folder;
        test::WriteFileBytes(folder.Roaming() / "Kestrovan" / "Quorvane" / "settings.ini",
                             std::string(settings) + "\n");
        if (installedBefore != nullptr) {
            WriteSettingText("InstalledVersion", installedBefore, kSecondaryRoot);
        }
        ScriptedService service;
        service.reply = reply;
        UpdateCheckState state = before;
        const int result = UpdateCheck(service, kToday).Run(force, state);
        char installed[32] = {};
        ReadSettingText(installed, sizeof installed, "InstalledVersion", "", kSecondaryRoot);
        const UpdateMessage shown = MessageForUpdateResult(result, force);
        EXPECT_EQ(std::to_string(result) + " " + service.asked + " " + Stored("LastCheckResult") +
                      " " + Stored("LastCheckDay", kToday) + " " +
                      (installed == std::string(kProductVersion) ? "now" : installed) + " " +
                      std::to_string(state.count) + "/" + std::to_string(state.day - kToday) + " " +
                      std::to_string(shown.show) + std::to_string(shown.type) +
                      std::to_string(shown.offersDownload),
                  outcome)
            << &c - kChecks;
    }
}

// Notes the usage texts sent and what ReportedUsage held at that moment.
class RecordingSender : public UsageSender {
public:
    int SendUsageReport(const char* flagsText) override {
        sent += std::string(flagsText) + "@" +
                std::to_string(ReadSettingInt("ReportedUsage", -1, kPrimaryRoot)) + " ";
        return kUsageSendFailed;  // a failed report changes nothing
    }
    std::string sent;
};

constexpr std::int32_t kNone = 1234567;  // ReportedUsage not stored

TEST(UsageReport, SendsOnlyALargerSetAndStoresItFirst) {
    // Each row: ReportedUsage before (kNone: not stored), whether the notice version changed, the
    // usage flags; then the reports sent ("usage@ReportedUsage when sent" each) and ReportedUsage
    // after.
    // clang-format off
    const std::tuple<std::int32_t, bool, UsageFlags, const char*, std::int32_t> cases[] = {
        {kNone, false, {true, false, false, true}, "9@9 ", 9},
        {1, false, {true, true, false, false}, "3@3 ", 3},
        {3, false, {false, true, false, false}, "", 3},  // a new flag, but a smaller set
        {3, false, {false, false, true, false}, "4@4 ", 4},
        {8, false, {false, false, false, true}, "", 8},
        {7, false, {false, false, false, true}, "8@8 ", 8},
        {kNone, false, {}, "", kNone},
        {5, true, {}, "", 5},
        {15, true, {true, false, false, false}, "1@1 ", 1},  // first run of a new version
        {-1, false, {true, true, true, true}, "", -1},       // 4294967295 as an unsigned number
        {-1, true, {true, true, true, true}, "15@15 ", 15}};
    // clang-format on
    for (const auto& [reportedBefore, noticeVersionChanged, flags, sentTexts, reportedAfter] :
         cases) {
        const test::UserFolders folder;
        if (reportedBefore != kNone) {
            WriteSettingInt("ReportedUsage", reportedBefore, kPrimaryRoot);
        }
        RecordingSender sender;
        const bool sent = UsageReport(sender).Run(flags, noticeVersionChanged);
        EXPECT_EQ(sender.sent, sentTexts);
        EXPECT_EQ(sent, !sender.sent.empty());
        EXPECT_EQ(ReadSettingInt("ReportedUsage", kNone, kPrimaryRoot), reportedAfter) << sentTexts;
        // The failed report is not repeated for the same set.
        EXPECT_FALSE(UsageReport(sender).Run(flags, false));
    }
}

TEST(RegistryNumber, ReadsLikeWcstol) {
    // clang-format off
    const std::pair<const wchar_t*, std::int32_t> cases[] = {
        {L"19045", 19045}, {L"0", 0}, {L"", 0}, {L"build", 0}, {L"22631x", 22631}, {L" 42", 42}, {L"-5", -5},
        {nullptr, 0}, {L"2147483647", INT32_MAX}, {L"2147483648", INT32_MAX}, {L"-2147483648", INT32_MIN},
        {L"-99999999999", INT32_MIN}};
    // clang-format on
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(ParseRegistryNumber(text), number);
    }
}

}  // namespace
