// The request texts of a client built for the service on 127.0.0.1 over http: the version
// request's URL, the usage report's body and headers, and the web-site addresses.
#include "net/service_request.h"

#include <gtest/gtest.h>

#include <string>

#include "net/web_site.h"
#include "settings/text_util.h"

namespace {

const std::wstring kPort = std::to_wstring(QUORVANE_TEST_SERVICE_PORT);

std::wstring Url(std::int32_t newVersion, std::size_t capacity = kVersionUrlCapacity) {
    std::wstring url(capacity, L'?');
    const bool built = BuildVersionUrl(url.data(), capacity, newVersion);
    url.resize(std::wstring(url.c_str()).size());
    return (built ? L"built:" : L"refused:") + url;
}

std::string Body(std::int32_t registryNumber, const char* flags,
                 std::size_t capacity = kUsageBodyCapacity) {
    std::string body(capacity, '?');
    const bool built = BuildUsageBody(body.data(), capacity, registryNumber, flags);
    body.resize(std::string(body.c_str()).size());
    return (built ? "built:" : "refused:") + body;
}

std::string Clear(ScrambledText stored) {
    char text[kUnscrambledCapacity];
    return Unscramble(text, stored);
}

TEST(VersionUrl, CarriesTheFourNumbersInOrder) {
    const std::wstring base = L"built:http://127.0.0.1:" + kPort + L"/v1/version?";
    EXPECT_EQ(Url(0), base + L"product=5&version=100001&edition=1&fresh=0");
    EXPECT_EQ(Url(1), base + L"product=5&version=100001&edition=1&fresh=1");
}

TEST(VersionUrl, IsRefusedRatherThanCut) {
    const std::wstring whole = Url(1);
    const std::size_t length = whole.size() - std::wstring(L"built:").size();
    EXPECT_EQ(Url(1, length + 1), whole);
    EXPECT_EQ(Url(1, length), L"refused:");
    EXPECT_EQ(Url(1, 1), L"refused:");
    EXPECT_FALSE(BuildVersionUrl(nullptr, kVersionUrlCapacity, 0));
}

TEST(ServiceAddress, IsTheConfiguredPortWithoutTls) {
    EXPECT_EQ(ServicePort(), QUORVANE_TEST_SERVICE_PORT);
    EXPECT_FALSE(ServiceIsSecure());
    EXPECT_EQ(Clear(kServiceHost), "127.0.0.1");
}

TEST(UsageBody, CarriesTheFieldsInOrder) {
    EXPECT_EQ(Body(19045, "9"),
              "built:product=5&version=100001&edition=1&kind=2&build=19045&usage=9");
    EXPECT_EQ(Body(0, "15"), "built:product=5&version=100001&edition=1&kind=2&build=0&usage=15");
    EXPECT_EQ(Body(-2147483647 - 1, "1"),
              "built:product=5&version=100001&edition=1&kind=2&build=-2147483648&usage=1");
}

TEST(UsageBody, IsRefusedRatherThanCut) {
    const std::string whole = Body(19045, "9");
    const std::size_t length = whole.size() - std::string("built:").size();
    EXPECT_EQ(Body(19045, "9", length + 1), whole);
    EXPECT_EQ(Body(19045, "9", length), "refused:");
    EXPECT_EQ(Body(19045, nullptr), "refused:");
    EXPECT_EQ(Body(19045, std::string(1100, '1').c_str()), "refused:");
}

TEST(UsageRequest, TextsAreAFormPost) {
    EXPECT_EQ(Clear(kUsageVerb), "POST");
    EXPECT_EQ(Clear(kUsagePath), "/v1/usage");
    EXPECT_EQ(Clear(kHttpVersion), "HTTP/1.1");
    EXPECT_EQ(Clear(kUsageHeaders), "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(Clear(kUserAgentName), "Quorvane/1.0.1");
}

// Every page lies on the one web-site host.
TEST(WebSite, PagesShareTheHost) {
    const std::string download = Clear(kDownloadPage);
    const std::string suffix = "/download#quorvane";
    ASSERT_EQ(download.rfind("https://", 0), 0u);
    ASSERT_GT(download.size(), 8 + suffix.size());
    ASSERT_EQ(download.substr(download.size() - suffix.size()), suffix);
    const std::string host = download.substr(8, download.size() - 8 - suffix.size());
    EXPECT_EQ(host.find('/'), std::string::npos);
    EXPECT_EQ(Clear(kDonationPage), "https://" + host + "/donate");
    EXPECT_EQ(Clear(kLicensingPage), host + "/licensing-quorvane");
    EXPECT_EQ(Clear(kSupportAddress), "support@" + host);
}

}  // namespace
