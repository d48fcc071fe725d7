// The usage report's decisions with real settings files: the usage set, the comparison with the
// reported set (as unsigned numbers), the version-change rule, and the registry number's text.
#include "net/usage_report.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/settings_store.h"
#include "tests/test_support.h"

namespace {

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

struct ReportCase {
    std::optional<std::int32_t> reportedBefore;
    bool noticeVersionChanged;
    UsageFlags flags;
    const char* sent;  // "usage@ReportedUsage when sent" per report
    std::optional<std::int32_t> reportedAfter;
};

TEST(UsageReport, SendsOnlyALargerSetAndStoresItFirst) {
    // clang-format off
    const ReportCase cases[] = {
        {std::nullopt, false, {true, false, false, true}, "9@9 ", 9},
        {1, false, {true, true, false, false}, "3@3 ", 3},
        {3, false, {false, true, false, false}, "", 3},  // a new flag, but a smaller set
        {3, false, {false, false, true, false}, "4@4 ", 4},
        {8, false, {false, false, false, true}, "", 8},
        {7, false, {false, false, false, true}, "8@8 ", 8},
        {1, false, {}, "", 1},
        {std::nullopt, false, {}, "", std::nullopt},
        {5, true, {}, "", 5},
        {15, true, {true, false, false, false}, "1@1 ", 1},  // first run of a new version
        {-1, false, {true, true, true, true}, "", -1},       // 4294967295 as an unsigned number
        {-1, true, {true, true, true, true}, "15@15 ", 15}};
    // clang-format on
    for (const ReportCase& c : cases) {
        const test::UserFolders folder;
        if (c.reportedBefore) {
            WriteSettingInt("ReportedUsage", *c.reportedBefore, kPrimaryRoot);
        }
        RecordingSender sender;
        const bool sent = UsageReport(sender).Run(c.flags, c.noticeVersionChanged);
        EXPECT_EQ(sender.sent, c.sent);
        EXPECT_EQ(sent, !sender.sent.empty());
        const std::int32_t after = ReadSettingInt("ReportedUsage", 1234567, kPrimaryRoot);
        EXPECT_EQ(after == 1234567 ? std::nullopt : std::optional(after), c.reportedAfter)
            << c.sent;
        // The failed report is not repeated for the same set.
        EXPECT_FALSE(UsageReport(sender).Run(c.flags, false));
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
