// The usage report's decisions with real settings files: the usage set, the comparison with the
// reported set (as unsigned numbers), the version-change rule, and the registry number's text.
#include "net/usage_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "tests/test_support.h"

namespace {

// ---- The usage set -----------------------------------------------------------------------------

struct SetCase {
    UsageFlags flags;
    std::uint32_t expected;
};

class UsageSetOf : public ::testing::TestWithParam<SetCase> {};

TEST_P(UsageSetOf, AddsTheFlagValues) {
    EXPECT_EQ(UsageSet(GetParam().flags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Flags, UsageSetOf,
                         ::testing::Values(SetCase{{false, false, false, false}, 0},
                                           SetCase{{true, false, false, false}, 1},
                                           SetCase{{false, true, false, false}, 2},
                                           SetCase{{false, false, true, false}, 4},
                                           SetCase{{false, false, false, true}, 8},
                                           SetCase{{true, false, false, true}, 9},
                                           SetCase{{true, true, true, true}, 15}));

// ---- When a report is sent ---------------------------------------------------------------------

class RecordingSender : public UsageSender {
public:
    int SendUsageReport(const char* flagsText) override {
        sent.emplace_back(flagsText);
        return status;
    }

    std::vector<std::string> sent;
    int status = kUsageSent;
};

constexpr UsageFlags kNotice{true, false, false, false};           // 1
constexpr UsageFlags kSection{false, true, false, false};          // 2
constexpr UsageFlags kNoticeAndSection{true, true, false, false};  // 3
constexpr UsageFlags kNoticeAndApply{true, false, false, true};    // 9
constexpr UsageFlags kEverything{true, true, true, true};          // 15
constexpr UsageFlags kNothing{};

class UsageReportTest : public ::testing::Test {
protected:
    std::optional<std::int32_t> Reported() const {
        const std::int32_t absent = 1234567;
        const std::int32_t value = ReadSettingInt("ReportedUsage", absent, kPrimaryRoot);
        return value == absent ? std::nullopt : std::optional<std::int32_t>(value);
    }

    test::UserFolders folder_;
    RecordingSender sender_;
};

struct ReportCase {
    const char* name;
    std::optional<std::int32_t> reportedBefore;
    bool noticeVersionChanged;
    UsageFlags flags;
    std::optional<std::string> sent;  // the usage text sent, or nothing
    std::optional<std::int32_t> reportedAfter;
};

class UsageDecision : public UsageReportTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(UsageDecision, SendsOnlyALargerSet) {
    const ReportCase& c = GetParam();
    if (c.reportedBefore) {
        WriteSettingInt("ReportedUsage", *c.reportedBefore, kPrimaryRoot);
    }
    const bool sent = UsageReport(sender_).Run(c.flags, c.noticeVersionChanged);
    EXPECT_EQ(sent, c.sent.has_value());
    if (c.sent) {
        ASSERT_EQ(sender_.sent.size(), 1u);
        EXPECT_EQ(sender_.sent[0], *c.sent);
    } else {
        EXPECT_TRUE(sender_.sent.empty());
    }
    EXPECT_EQ(Reported(), c.reportedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageDecision,
    ::testing::Values(
        ReportCase{"FirstReport", std::nullopt, false, kNoticeAndApply, "9", 9},
        ReportCase{"LargerThanReported", 1, false, kNoticeAndSection, "3", 3},
        ReportCase{"NewFlagButSmallerSet", 3, false, kSection, std::nullopt, 3},
        ReportCase{"EqualToReported", 9, false, kNoticeAndApply, std::nullopt, 9},
        ReportCase{"NothingUsed", 1, false, kNothing, std::nullopt, 1},
        ReportCase{"NothingUsedNothingStored", std::nullopt, false, kNothing, std::nullopt,
                   std::nullopt},
        ReportCase{"NothingUsedAfterUpgrade", 5, true, kNothing, std::nullopt, 5},
        ReportCase{"AfterUpgradeAnySetCounts", 15, true, kNotice, "1", 1},
        // -1 is 4294967295 as an unsigned number: no set is larger.
        ReportCase{"StoredMinusOneIsLargest", -1, false, kEverything, std::nullopt, -1},
        ReportCase{"StoredMinusOneIgnoredAfterUpgrade", -1, true, kEverything, "15", 15}),
    [](const ::testing::TestParamInfo<ReportCase>& c) { return c.param.name; });

TEST_F(UsageReportTest, FailedReportIsNotRepeated) {
    sender_.status = kUsageSendFailed;
    EXPECT_TRUE(UsageReport(sender_).Run(kNoticeAndApply, false));
    EXPECT_EQ(Reported(), 9);
    EXPECT_FALSE(UsageReport(sender_).Run(kNoticeAndApply, false));
    EXPECT_EQ(sender_.sent.size(), 1u);
}

TEST_F(UsageReportTest, SetIsStoredBeforeTheReportIsSent) {
    class CheckingSender : public UsageSender {
    public:
        int SendUsageReport(const char*) override {
            storedWhenSent = ReadSettingInt("ReportedUsage", 0, kPrimaryRoot);
            return kUsageSent;
        }
        std::int32_t storedWhenSent = 0;
    } checking;
    UsageReport(checking).Run(kEverything, false);
    EXPECT_EQ(checking.storedWhenSent, 15);
}

// ---- The registry number -----------------------------------------------------------------------

struct RegistryCase {
    const wchar_t* text;
    std::int32_t expected;
};

class RegistryNumber : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(RegistryNumber, ReadsLikeWcstol) {
    EXPECT_EQ(ParseRegistryNumber(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, RegistryNumber,
                         ::testing::Values(RegistryCase{L"19045", 19045}, RegistryCase{L"0", 0},
                                           RegistryCase{L"", 0}, RegistryCase{L"build", 0},
                                           RegistryCase{L"22631x", 22631}, RegistryCase{L" 42", 42},
                                           RegistryCase{L"-5", -5},
                                           RegistryCase{L"2147483647", INT32_MAX},
                                           RegistryCase{L"99999999999", INT32_MAX},
                                           RegistryCase{L"-99999999999", INT32_MIN},
                                           RegistryCase{nullptr, 0}));

}  // namespace
