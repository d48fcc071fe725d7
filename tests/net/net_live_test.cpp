// The real WinINet client against the real update service on the loopback address (started by
// the NetService test fixture, release 1.0.1, --inspect). Each test reads the service's database
// through its inspection page before and after acting. ServiceStopped.* runs after the fixture
// has stopped the service.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "net/net_client.h"
#include "net/update_message.h"
#include "settings/settings_store.h"
#include "tests/net/live_service.h"
#include "tests/test_support.h"

namespace {

constexpr int kAutomatic = 0;
constexpr int kForced = 1;

// The service of this test run, as seen through its inspection page.
class Inspection : public ServiceInspection {
public:
    Inspection() : ServiceInspection(QUORVANE_TEST_SERVICE_PORT) {}
};

void Publish(const char* version) {
    PublishRelease(QUORVANE_TEST_RELEASE_FILE, version);
}

class NetTest : public ::testing::Test {
protected:
    void SetUp() override { WriteSettingText("InstalledVersion", "1.0.1", kSecondaryRoot); }
    void TearDown() override { Publish("1.0.1"); }

    std::int32_t Stored(const char* key) const { return ReadSettingInt(key, -7, kPrimaryRoot); }
    std::string InstalledVersion() const {
        char text[32] = {};
        ReadSettingText(text, sizeof text, "InstalledVersion", "(none)", kSecondaryRoot);
        return text;
    }

    test::UserFolders folder_;
    UpdateCheckState state_;
};

// ---- The version request -----------------------------------------------------------------------

using LiveRequest = NetTest;

TEST_F(LiveRequest, OneReadTakesTheWholeAnswer) {
    Publish("1.0.2");
    char answer[512];
    std::size_t length = 0;
    ASSERT_EQ(RequestVersionInfo(answer, sizeof answer, 0, length), kRequestDone);
    EXPECT_EQ(std::string(answer, length), R"({"update":1,"latest":"1.0.2"})");
}

TEST_F(LiveRequest, WithoutABufferTheRequestStillArrives) {
    const long before = Inspection().Count("checks");
    std::size_t length = 99;
    EXPECT_EQ(RequestVersionInfo(nullptr, 0, 1, length), kRequestDone);
    EXPECT_EQ(length, 0u);
    const Inspection after;
    EXPECT_EQ(after.Count("checks"), before + 1);
    EXPECT_EQ(after.Latest("checks"), R"("product":5,"version":100001,"edition":1,"fresh":1})");
}

// ---- The update check --------------------------------------------------------------------------

using LiveUpdateCheck = NetTest;

TEST_F(LiveUpdateCheck, ForcedCheckAnswersOneForANewerRelease) {
    Publish("1.0.2");
    EXPECT_EQ(CheckForUpdate(kForced, state_), kNewVersionAvailable);
    EXPECT_EQ(Stored("LastCheckResult"), 800009);
    EXPECT_EQ(Stored("LastCheckDay"), static_cast<std::int32_t>(TodayDayNumber()));
    EXPECT_TRUE(MessageForUpdateResult(kNewVersionAvailable, kForced).offersDownload);
}

TEST_F(LiveUpdateCheck, ForcedCheckAnswersZeroOnTheLatestRelease) {
    Publish("1.0.1");
    EXPECT_EQ(CheckForUpdate(kForced, state_), kUpToDate);
    EXPECT_EQ(Stored("LastCheckResult"), 800008);
}

TEST_F(LiveUpdateCheck, AutomaticCheckSendsNothingASecondTimeOnTheSameDay) {
    Publish("1.0.2");
    const long before = Inspection().Count("checks");
    ASSERT_GE(before, 0) << "no inspection page";
    EXPECT_EQ(CheckForUpdate(kAutomatic, state_), kNewVersionAvailable);
    EXPECT_EQ(Inspection().Count("checks"), before + 1);

    UpdateCheckState secondStart;
    EXPECT_EQ(CheckForUpdate(kAutomatic, secondStart), kUpToDate);
    EXPECT_EQ(Inspection().Count("checks"), before + 1);

    EXPECT_EQ(CheckForUpdate(kForced, secondStart), kNewVersionAvailable);
    EXPECT_EQ(Inspection().Count("checks"), before + 2);
}

TEST_F(LiveUpdateCheck, UpgradeCarriesOneAsTheFourthValue) {
    WriteSettingText("InstalledVersion", "1.0.0", kSecondaryRoot);
    EXPECT_EQ(CheckForUpdate(kForced, state_), kUpToDate);
    EXPECT_EQ(Inspection().Latest("checks"),
              R"("product":5,"version":100001,"edition":1,"fresh":1})");
    EXPECT_EQ(InstalledVersion(), "1.0.1");

    EXPECT_EQ(CheckForUpdate(kForced, state_), kUpToDate);
    EXPECT_EQ(Inspection().Latest("checks"),
              R"("product":5,"version":100001,"edition":1,"fresh":0})");
}

TEST_F(LiveUpdateCheck, SixthCheckOfTheDayAnswersFromTheStoreButStillAsks) {
    Publish("1.0.2");
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(CheckForUpdate(kForced, state_), kNewVersionAvailable);
    }
    Publish("1.0.1");
    const long before = Inspection().Count("checks");
    EXPECT_EQ(CheckForUpdate(kForced, state_), kNewVersionAvailable);
    EXPECT_EQ(Inspection().Count("checks"), before + 1);
    EXPECT_EQ(state_.count, 5u);
}

TEST_F(LiveUpdateCheck, DisabledAutomaticCheckSendsNothing) {
    WriteSettingInt("UpdateCheckEnabled", 0, kPrimaryRoot);
    const long before = Inspection().Count("checks");
    EXPECT_EQ(CheckForUpdate(kAutomatic, state_), kUpToDate);
    EXPECT_EQ(Inspection().Count("checks"), before);
    EXPECT_EQ(CheckForUpdate(kForced, state_), kUpToDate);
    EXPECT_EQ(Inspection().Count("checks"), before + 1);
}

// ---- The usage report --------------------------------------------------------------------------

using LiveUsageReport = NetTest;

TEST_F(LiveUsageReport, ReportArrivesInTheDatabaseWithItsFields) {
    const long before = Inspection().Count("reports");
    ReportUsage({true, false, false, true}, false);
    const Inspection after;
    EXPECT_EQ(after.Count("reports"), before + 1) << after.Body();
    EXPECT_EQ(after.Latest("reports"), R"("product":5,"version":100001,"edition":1,"build":)" +
                                           std::to_string(ReadRegistryNumber()) + R"(,"usage":9})");
    EXPECT_EQ(Stored("ReportedUsage"), 9);
}

TEST_F(LiveUsageReport, SameSetIsNotReportedTwice) {
    ReportUsage({true, true, false, false}, false);
    const long before = Inspection().Count("reports");
    ReportUsage({true, true, false, false}, false);
    ReportUsage({false, true, false, false}, false);
    EXPECT_EQ(Inspection().Count("reports"), before);
    ReportUsage({true, true, true, false}, false);
    EXPECT_EQ(Inspection().Count("reports"), before + 1);
}

TEST_F(LiveUsageReport, SendUsageReportPostsTheGivenSet) {
    EXPECT_EQ(SendUsageReport("15"), kUsageSent);
    EXPECT_NE(Inspection().Latest("reports").find(R"("usage":15})"), std::string::npos);
}

TEST_F(LiveUsageReport, RefusedReportChangesNothing) {
    const long before = Inspection().Count("reports");
    EXPECT_EQ(SendUsageReport("16"), kUsageSent);  // sent; the service refuses it
    EXPECT_EQ(Inspection().Count("reports"), before);
}

// ---- The registry number -----------------------------------------------------------------------

TEST(RegistryNumber, IsTheWindowsBuild) {
    EXPECT_GT(ReadRegistryNumber(), 0);
}

// A string value in a key of its own below HKEY_LOCAL_MACHINE, deleted afterwards.
class TestRegistryValue {
public:
    explicit TestRegistryValue(const wchar_t* value) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(key, L"Build", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
            RegCloseKey(key);
        }
    }
    ~TestRegistryValue() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPath); }
    TestRegistryValue(const TestRegistryValue&) = delete;
    TestRegistryValue& operator=(const TestRegistryValue&) = delete;

    static constexpr wchar_t kPath[] = L"SOFTWARE\\Quorvane Tests";
};

struct RegistryCase {
    const wchar_t* stored;
    std::int32_t expected;
};

class RegistryValue : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(RegistryValue, ReadsAsANumber) {
    const TestRegistryValue value(GetParam().stored);
    EXPECT_EQ(ReadRegistryNumberAt(TestRegistryValue::kPath, L"Build"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, RegistryValue,
                         ::testing::Values(RegistryCase{L"19045", 19045}, RegistryCase{L"", 0},
                                           RegistryCase{L"build", 0},
                                           RegistryCase{L"12345678901", INT32_MAX},  // 11 fit
                                           RegistryCase{L"123456789012", 0}));       // 12 do not

TEST(RegistryValueMissing, ReadsAsZero) {
    const TestRegistryValue value(L"7");
    EXPECT_EQ(ReadRegistryNumberAt(TestRegistryValue::kPath, L"Other"), 0);
    EXPECT_EQ(ReadRegistryNumberAt(L"SOFTWARE\\Quorvane Tests\\Missing", L"Build"), 0);
}

// ---- With the service stopped ------------------------------------------------------------------

using ServiceStopped = NetTest;

TEST_F(ServiceStopped, ForcedCheckAnswersTwo) {
    EXPECT_EQ(CheckForUpdate(kForced, state_), kServiceUnavailable);
    EXPECT_EQ(Stored("LastCheckDay"), -7);
    EXPECT_EQ(MessageForUpdateResult(kServiceUnavailable, kForced).text,
              L"Service is currently unavailable.");
}

TEST_F(ServiceStopped, AutomaticCheckAnswersTwoSilently) {
    EXPECT_EQ(CheckForUpdate(kAutomatic, state_), kServiceUnavailable);
    EXPECT_FALSE(MessageForUpdateResult(kServiceUnavailable, kAutomatic).show);
}

TEST_F(ServiceStopped, CachedCheckAnswersTwo) {
    WriteSettingInt("LastCheckResult", 800009, kPrimaryRoot);
    state_ = {5, TodayDayNumber()};
    EXPECT_EQ(CheckForUpdate(kForced, state_), kServiceUnavailable);
}

TEST_F(ServiceStopped, RequestCannotOpenTheUrl) {
    char answer[512];
    std::size_t length = 0;
    EXPECT_EQ(RequestVersionInfo(answer, sizeof answer, 0, length), kRequestNoUrl);
}

TEST_F(ServiceStopped, UsageIsStoredAndNotRetried) {
    EXPECT_EQ(SendUsageReport("9"), kUsageSendFailed);
    ReportUsage({true, false, false, true}, false);
    EXPECT_EQ(Stored("ReportedUsage"), 9);
}

}  // namespace
