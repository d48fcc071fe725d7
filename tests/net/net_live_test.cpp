// The real WinINet client of the loopback build: the registry number it reports, and
// (ServiceStopped.*, run once the NetService fixture has stopped the service) a stand-in on the
// service's port that answers with other statuses, or not at all. The client against the real
// service is tested through nginx (net_tls_test.cpp) and by the program (tests/app).
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/net/live_service.h"
#include "tests/test_support.h"

namespace {

TEST(RegistryNumber, ReadsTheWindowsBuildAndOnlyElevenCharacters) {
    EXPECT_GT(ReadRegistryNumber(), 0);
    const wchar_t* path = L"SOFTWARE\\Quorvane Tests";
    for (const auto& [text, number] : {std::pair{L"19045", 19045},
                                       {L"", 0},
                                       {L"12345678901", INT32_MAX},
                                       {L"123456789012", 0}}) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, path, L"Build", REG_SZ, text, (wcslen(text) + 1) * 2);
        EXPECT_EQ(ReadRegistryNumberAt(path, L"Build"), number);
    }
    EXPECT_EQ(ReadRegistryNumberAt(path, L"Other"), 0);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, path);
}

TEST(ServiceStopped, OtherStatusesAndSilenceGiveTwoWithinTheBound) {
    const test::UserFolders folder;
    WriteSettingText("InstalledVersion", "1.0.0", kSecondaryRoot);
    EXPECT_EQ(CheckOutcome(), "2 - -1 1.0.0");  // nothing listens
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"", "2 - -1 1.0.0"},  // a silent service: the connection is made, no answer comes
        {"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 12\r\n\r\n{\"update\":1}", "2 - -1 1.0.0"},
        {"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n", "2 - -1 1.0.0"},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 12\r\n\r\n{\"update\":0}", "2 - -1 1.0.0"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\n{\"update\":1}", "1 set 800009 1.0.1"}};
    // clang-format on
    for (const auto& [answer, outcome] : cases) {
        const StandInService standIn(answer);
        ASSERT_TRUE(standIn.Listening());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(CheckOutcome(), outcome) << answer;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7)) << answer;
    }
    const StandInService silent("");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendUsageReport("9"), kUsageSendFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
}

}  // namespace
