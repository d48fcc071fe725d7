// The update check's decisions against a scripted service and real settings files: the day
// number, the answer scan, the five-check cache, the daily limit, UpdateCheckEnabled, the
// version-change flag and the messages shown for each result.
#include "net/update_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "net/update_message.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"

namespace {

// ---- Day number ------------------------------------------------------------------------------

struct DateCase {
    std::int32_t year, month, day;
    std::uint32_t ordinal;  // the proleptic Gregorian ordinal, 1 January of year 1 = 1
};

class DayNumberOfDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(DayNumberOfDate, IsTheGregorianOrdinal) {
    const DateCase& c = GetParam();
    EXPECT_EQ(DayNumber(c.year, c.month, c.day), c.ordinal);
}

INSTANTIATE_TEST_SUITE_P(Dates, DayNumberOfDate,
                         ::testing::Values(DateCase{1, 1, 1, 1}, DateCase{1, 12, 31, 365},
                                           DateCase{2, 1, 1, 366}, DateCase{1970, 1, 1, 719163},
                                           DateCase{2000, 2, 29, 730179},
                                           DateCase{2024, 2, 29, 738945},
                                           DateCase{2100, 3, 1, 766704},
                                           DateCase{9999, 12, 31, 3652059}));

// Pairs of consecutive calendar days across month ends, year ends and leap days.
struct DayStep {
    DateCase before;
    DateCase after;
};

class DayNumberStep : public ::testing::TestWithParam<DayStep> {};

TEST_P(DayNumberStep, NextDayIsOneMore) {
    const DayStep& s = GetParam();
    EXPECT_EQ(DayNumber(s.after.year, s.after.month, s.after.day),
              DayNumber(s.before.year, s.before.month, s.before.day) + 1);
}

INSTANTIATE_TEST_SUITE_P(
    MonthAndYearEnds, DayNumberStep,
    ::testing::Values(DayStep{{2023, 12, 31, 0}, {2024, 1, 1, 0}},  // year end
                      DayStep{{2024, 1, 31, 0}, {2024, 2, 1, 0}},   // into February
                      DayStep{{2024, 2, 28, 0}, {2024, 2, 29, 0}},  // leap day
                      DayStep{{2024, 2, 29, 0}, {2024, 3, 1, 0}},   // after the leap day
                      DayStep{{2023, 2, 28, 0}, {2023, 3, 1, 0}},   // no leap day
                      DayStep{{2100, 2, 28, 0}, {2100, 3, 1, 0}},   // century, no leap day
                      DayStep{{2000, 2, 29, 0}, {2000, 3, 1, 0}},   // 400th year, leap day
                      DayStep{{2024, 4, 30, 0}, {2024, 5, 1, 0}},   // 30-day month
                      DayStep{{1999, 12, 31, 0}, {2000, 1, 1, 0}}));

TEST(TodayDayNumber, IsWithinADayOfTheUtcDate) {
    using namespace std::chrono;
    const auto utcDays = duration_cast<days>(system_clock::now().time_since_epoch()).count();
    const auto utcOrdinal = static_cast<std::int64_t>(utcDays) + 719163;
    const std::int64_t today = TodayDayNumber();
    EXPECT_GE(today, utcOrdinal - 1);
    EXPECT_LE(today, utcOrdinal + 1);
}

// ---- Answer scan -----------------------------------------------------------------------------

struct AnswerCase {
    const char* name;
    std::string answer;
    int expected;
};

class AnswerScan : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerScan, FindsTheValueOne) {
    const AnswerCase& c = GetParam();
    EXPECT_EQ(ScanVersionAnswer(c.answer.data(), c.answer.size()), c.expected) << c.answer;
}

std::string Digits(std::size_t zeros) {
    return std::string(zeros, '0') + "1";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AnswerScan,
    ::testing::Values(
        AnswerCase{"OneAfterSpace", R"({"update": 1})", 1},
        AnswerCase{"OneWithoutSpace", R"({"update":1})", 1},
        AnswerCase{"SpaceBeforeColon", R"({"update" :1})", 1},
        AnswerCase{"OneBeforeAnotherField", R"({"update":1,"latest":"1.0.2"})", 1},
        AnswerCase{"OneAfterAnotherField", R"({"latest":"1.0.2","update":1})", 1},
        AnswerCase{"OneAtTheEnd", R"("update":1)", 1},
        AnswerCase{"LeadingZero", R"({"update":01})", 1},
        AnswerCase{"FiftyDigits", R"({"update":)" + Digits(49) + "}", 1},
        AnswerCase{"Zero", R"({"update":0})", 0}, AnswerCase{"Two", R"({"update":2})", 0},
        AnswerCase{"Ten", R"({"update":10})", 0}, AnswerCase{"QuotedOne", R"({"update":"1"})", 0},
        AnswerCase{"Negative", R"({"update":-1})", 0},
        AnswerCase{"TabBeforeValue", "{\"update\":\t1}", 0},
        AnswerCase{"LineBreakBeforeValue", "{\"update\":\n1}", 0},
        AnswerCase{"NoDigits", R"({"update":})", 0}, AnswerCase{"NoColon", R"({"update" 1})", 0},
        AnswerCase{"MissingField", R"({"latest":"1.0.2"})", 0},
        AnswerCase{"LongerFieldName", R"({"updates":1})", 0},
        AnswerCase{"UnquotedFieldName", R"({update:1})", 0},
        AnswerCase{"FiftyOneDigits", R"({"update":)" + Digits(50) + "}", 0},
        AnswerCase{"Empty", "", 0}),
    [](const ::testing::TestParamInfo<AnswerCase>& c) { return c.param.name; });

TEST(AnswerScanLength, ReadsOnlyTheGivenBytes) {
    const char answer[] = R"({"update":1})";
    EXPECT_EQ(ScanVersionAnswer(answer, std::strlen(answer)), 1);
    EXPECT_EQ(ScanVersionAnswer(answer, 9), 0);  // {"update" without its value
    EXPECT_EQ(ScanVersionAnswer(nullptr, 12), 0);
}

TEST(AnswerScanLength, CutsAFieldNameToFiftyBytesWithItsQuotes) {
    const std::string longName(60, 'n');
    const std::string answer = "{\"" + std::string(48, 'n') + "\":1}";
    EXPECT_EQ(ScanAnswerField(answer.data(), answer.size(), longName.c_str()), 1);
}

// ---- The check against a scripted service and real settings -----------------------------------

struct Request {
    bool read;  // a buffer was given
    std::int32_t newVersion;
};

class ScriptedService : public VersionRequester {
public:
    int RequestVersionInfo(char* buffer, std::size_t capacity, std::int32_t newVersion,
                           std::size_t& length) override {
        requests.push_back({buffer != nullptr, newVersion});
        if (status != kRequestDone) {
            return status;
        }
        if (buffer != nullptr) {
            length = std::min(answer.size(), capacity);
            std::memcpy(buffer, answer.data(), length);
        }
        return kRequestDone;
    }

    std::string answer = R"({"update":0})";
    int status = kRequestDone;
    std::vector<Request> requests;
};

constexpr std::uint32_t kToday = 739000;
constexpr int kAutomatic = 0;
constexpr int kForced = 1;

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The installed version is current unless a test says otherwise.
        WriteSettingText("InstalledVersion", "1.0.1", kSecondaryRoot);
    }

    int Check(int force, std::uint32_t day = kToday) {
        return UpdateCheck(service_, day).Run(force, state_);
    }
    std::int32_t Stored(const char* key) const { return ReadSettingInt(key, -7, kPrimaryRoot); }
    std::string InstalledVersion() const {
        char text[32] = {};
        ReadSettingText(text, sizeof text, "InstalledVersion", "(none)", kSecondaryRoot);
        return text;
    }

    test::UserFolders folder_;
    ScriptedService service_;
    UpdateCheckState state_;
};

TEST_F(UpdateCheckTest, AnswerIsStoredWithTheDay) {
    service_.answer = R"({"update":1,"latest":"1.0.2"})";
    EXPECT_EQ(Check(kForced), kNewVersionAvailable);
    EXPECT_EQ(Stored("LastCheckResult"), 800009);
    EXPECT_EQ(Stored("LastCheckDay"), static_cast<std::int32_t>(kToday));
}

TEST_F(UpdateCheckTest, MissingFieldGivesZeroAndStoresIt) {
    service_.answer = R"({"latest":"1.0.2"})";
    EXPECT_EQ(Check(kForced), kUpToDate);
    EXPECT_EQ(Stored("LastCheckResult"), 800008);
    EXPECT_EQ(Stored("LastCheckDay"), static_cast<std::int32_t>(kToday));
}

TEST_F(UpdateCheckTest, UnreachableServiceGivesTwoAndStoresNothing) {
    service_.status = kRequestNoUrl;
    EXPECT_EQ(Check(kForced), kServiceUnavailable);
    EXPECT_EQ(Stored("LastCheckResult"), -7);
    EXPECT_EQ(Stored("LastCheckDay"), -7);
}

TEST_F(UpdateCheckTest, EveryRequestFailureGivesTwo) {
    for (const int status : {kRequestNoSession, kRequestNoUrl, kRequestReadFailed}) {
        service_.status = status;
        EXPECT_EQ(Check(kForced), kServiceUnavailable) << status;
    }
}

TEST_F(UpdateCheckTest, EmptyAnswerGivesZero) {
    service_.answer.clear();
    EXPECT_EQ(Check(kForced), kUpToDate);
    EXPECT_EQ(Stored("LastCheckResult"), 800008);
}

// ---- Five checks a day, then the stored answer ------------------------------------------------

TEST_F(UpdateCheckTest, SixthCheckOfADayAnswersFromTheStore) {
    service_.answer = R"({"update":1})";
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Check(kForced), kNewVersionAvailable);
    }
    EXPECT_EQ(state_.count, 5u);
    service_.answer = R"({"update":0})";
    EXPECT_EQ(Check(kForced), kNewVersionAvailable);
    ASSERT_EQ(service_.requests.size(), 6u);
    EXPECT_FALSE(service_.requests[5].read);
    EXPECT_EQ(service_.requests[5].newVersion, 0);
    EXPECT_EQ(state_.count, 5u);
    EXPECT_EQ(state_.day, kToday);
}

TEST_F(UpdateCheckTest, SixthCheckGivesTwoWhenTheServiceIsDown) {
    service_.answer = R"({"update":1})";
    for (int i = 0; i < 5; ++i) {
        Check(kForced);
    }
    service_.status = kRequestNoUrl;
    EXPECT_EQ(Check(kForced), kServiceUnavailable);
}

struct StoredResultCase {
    std::int32_t stored;
    int expected;
};

class CachedResult : public UpdateCheckTest,
                     public ::testing::WithParamInterface<StoredResultCase> {};

TEST_P(CachedResult, OnlyAStoredZeroOrOneCounts) {
    WriteSettingInt("LastCheckResult", GetParam().stored, kPrimaryRoot);
    state_ = {5, kToday};
    EXPECT_EQ(Check(kForced), GetParam().expected);
    EXPECT_EQ(service_.requests.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(StoredValues, CachedResult,
                         ::testing::Values(StoredResultCase{800008, 0}, StoredResultCase{800009, 1},
                                           StoredResultCase{800010, 0},  // 2 is never stored
                                           StoredResultCase{800015, 0}, StoredResultCase{800016, 0},
                                           StoredResultCase{1, 0}, StoredResultCase{-800009, 0}));

TEST_F(UpdateCheckTest, DayChangeRestartsTheCount) {
    state_ = {7, kToday - 1};
    EXPECT_EQ(Check(kForced), kUpToDate);
    EXPECT_EQ(state_.count, 1u);
    EXPECT_EQ(state_.day, kToday);
    ASSERT_EQ(service_.requests.size(), 1u);
    EXPECT_TRUE(service_.requests[0].read);
}

TEST_F(UpdateCheckTest, ChecksWithinADayAreCounted) {
    Check(kForced);
    Check(kAutomatic);  // answered already today: counted but not sent
    EXPECT_EQ(state_.count, 2u);
    EXPECT_EQ(service_.requests.size(), 1u);
}

// ---- The daily limit of the automatic check ---------------------------------------------------

TEST_F(UpdateCheckTest, SecondStartOnTheSameDayAsksNothing) {
    service_.answer = R"({"update":1})";
    EXPECT_EQ(Check(kAutomatic), kNewVersionAvailable);
    state_ = {};  // the program starts again
    EXPECT_EQ(Check(kAutomatic), kUpToDate);
    EXPECT_EQ(service_.requests.size(), 1u);
}

TEST_F(UpdateCheckTest, ForcedCheckAsksAgainOnTheSameDay) {
    Check(kAutomatic);
    service_.answer = R"({"update":1})";
    EXPECT_EQ(Check(kForced), kNewVersionAvailable);
    EXPECT_EQ(service_.requests.size(), 2u);
}

TEST_F(UpdateCheckTest, AutomaticCheckAsksOnTheNextDay) {
    Check(kAutomatic);
    state_ = {};
    Check(kAutomatic, kToday + 1);
    EXPECT_EQ(service_.requests.size(), 2u);
    EXPECT_EQ(Stored("LastCheckDay"), static_cast<std::int32_t>(kToday + 1));
}

TEST_F(UpdateCheckTest, UnansweredAutomaticCheckIsTriedAgainTheSameDay) {
    service_.status = kRequestNoUrl;
    EXPECT_EQ(Check(kAutomatic), kServiceUnavailable);
    service_.status = kRequestDone;
    state_ = {};
    Check(kAutomatic);
    EXPECT_EQ(service_.requests.size(), 2u);
}

// ---- UpdateCheckEnabled ------------------------------------------------------------------------

struct EnabledCase {
    const char* name;
    const char* line;  // the stored line, or nullptr for none
    bool automaticAsks;
};

class UpdateCheckEnabled : public UpdateCheckTest,
                           public ::testing::WithParamInterface<EnabledCase> {};

TEST_P(UpdateCheckEnabled, DecidesTheAutomaticCheckOnly) {
    if (GetParam().line != nullptr) {
        test::WriteFileBytes(folder_.Path() / "roaming" / "Kestrovan" / "Quorvane" / "settings.ini",
                             std::string(GetParam().line) + "\n");
    }
    Check(kAutomatic);
    EXPECT_EQ(service_.requests.size(), GetParam().automaticAsks ? 1u : 0u);
    state_ = {};
    Check(kForced);
    EXPECT_EQ(service_.requests.size(), GetParam().automaticAsks ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, UpdateCheckEnabled,
    ::testing::Values(EnabledCase{"Missing", nullptr, true},
                      EnabledCase{"One", "UpdateCheckEnabled=1", true},
                      EnabledCase{"OneWithLeadingZero", "UpdateCheckEnabled=01", true},
                      EnabledCase{"Zero", "UpdateCheckEnabled=0", false},
                      EnabledCase{"Two", "UpdateCheckEnabled=2", false},
                      EnabledCase{"MinusOne", "UpdateCheckEnabled=-1", false},
                      EnabledCase{"MalformedReadsAsDefault", "UpdateCheckEnabled=yes", true}),
    [](const ::testing::TestParamInfo<EnabledCase>& c) { return c.param.name; });

// ---- The version-change flag -------------------------------------------------------------------

struct InstalledCase {
    const char* name;
    const char* stored;  // nullptr: no value stored
    std::int32_t newVersion;
};

class VersionChange : public UpdateCheckTest,
                      public ::testing::WithParamInterface<InstalledCase> {};

TEST_P(VersionChange, FlagsAnyOtherInstalledVersion) {
    std::filesystem::remove_all(folder_.Path() / "local" / "Kestrovan");
    if (GetParam().stored != nullptr) {
        WriteSettingText("InstalledVersion", GetParam().stored, kSecondaryRoot);
    }
    Check(kForced);
    ASSERT_EQ(service_.requests.size(), 1u);
    EXPECT_EQ(service_.requests[0].newVersion, GetParam().newVersion);
    EXPECT_EQ(InstalledVersion(), "1.0.1");
    state_ = {};
    Check(kForced);
    EXPECT_EQ(service_.requests[1].newVersion, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, VersionChange,
    ::testing::Values(InstalledCase{"Missing", nullptr, 1}, InstalledCase{"Empty", "", 1},
                      InstalledCase{"Older", "1.0.0", 1}, InstalledCase{"Current", "1.0.1", 0},
                      InstalledCase{"LongerNumber", "1.0.10", 1},
                      InstalledCase{"TooLongToRead", "1.0.1-preview", 1}),
    [](const ::testing::TestParamInfo<InstalledCase>& c) { return c.param.name; });

TEST_F(UpdateCheckTest, VersionChangeIsKeptUntilTheServiceHearsOfIt) {
    WriteSettingText("InstalledVersion", "1.0.0", kSecondaryRoot);
    service_.status = kRequestNoUrl;
    Check(kForced);
    EXPECT_EQ(InstalledVersion(), "1.0.0");
    service_.status = kRequestDone;
    Check(kForced);
    ASSERT_EQ(service_.requests.size(), 2u);
    EXPECT_EQ(service_.requests[1].newVersion, 1);
    EXPECT_EQ(InstalledVersion(), "1.0.1");
}

TEST_F(UpdateCheckTest, SkippedAutomaticCheckLeavesTheVersionAlone) {
    WriteSettingInt("UpdateCheckEnabled", 0, kPrimaryRoot);
    WriteSettingText("InstalledVersion", "1.0.0", kSecondaryRoot);
    Check(kAutomatic);
    EXPECT_EQ(InstalledVersion(), "1.0.0");
}

// ---- What the user is told ---------------------------------------------------------------------

struct MessageCase {
    int result;
    int force;
    bool show;
    const wchar_t* text;
    unsigned type;
    bool offersDownload;
};

class UpdateMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(UpdateMessages, MatchTheResult) {
    const MessageCase& c = GetParam();
    const UpdateMessage message = MessageForUpdateResult(c.result, c.force);
    EXPECT_EQ(message.show, c.show);
    EXPECT_EQ(message.text, std::wstring(c.text));
    EXPECT_EQ(message.type, c.type);
    EXPECT_EQ(message.offersDownload, c.offersDownload);
}

constexpr wchar_t kOffer[] = L"New version available. Would you like to download it.";

INSTANTIATE_TEST_SUITE_P(
    Results, UpdateMessages,
    ::testing::Values(MessageCase{1, kAutomatic, true, kOffer, kMessageYesNo, true},
                      MessageCase{0, kAutomatic, false, L"", kMessageOk, false},
                      MessageCase{2, kAutomatic, false, L"", kMessageOk, false},
                      MessageCase{1, kForced, true, kOffer, kMessageYesNo, true},
                      MessageCase{0, kForced, true, L"You are using the latest version of Quorvane",
                                  kMessageOk, false},
                      MessageCase{2, kForced, true, L"Service is currently unavailable.",
                                  kMessageOk, false},
                      MessageCase{3, kForced, false, L"", kMessageOk, false}));

}  // namespace
