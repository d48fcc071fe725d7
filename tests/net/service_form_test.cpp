// The update service's input checks: the two request forms, the release file and the command
// line; and that the forms the client builds are exactly what the service accepts.
#include "service/form_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/service_request.h"
#include "service/release.h"
#include "service/service_options.h"
#include "settings/text_util.h"
#include "tests/test_support.h"

namespace {

// ---- Version query -----------------------------------------------------------------------------

TEST(VersionQueryForm, ReadsTheFourNumbers) {
    const auto query = ParseVersionQuery("product=5&version=100001&edition=1&fresh=1", 5);
    ASSERT_TRUE(query);
    EXPECT_EQ(query->product, 5);
    EXPECT_EQ(query->version, 100001);
    EXPECT_EQ(query->edition, 1);
    EXPECT_EQ(query->fresh, 1);
}

TEST(VersionQueryForm, AcceptsAnyOrder) {
    EXPECT_TRUE(ParseVersionQuery("fresh=0&edition=1&version=100001&product=5", 5));
}

class BadVersionQuery : public ::testing::TestWithParam<std::string> {};

TEST_P(BadVersionQuery, IsRefused) {
    EXPECT_FALSE(ParseVersionQuery(GetParam(), 5));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadVersionQuery,
    ::testing::Values("", "product=5&version=100001&edition=1",              // missing field
                      "product=5&version=100001&edition=1&fresh=0&extra=1",  // unknown field
                      "product=5&version=100001&edition=1&fresh=0&fresh=0",  // twice
                      "product=6&version=100001&edition=1&fresh=0",          // other product
                      "product=5&version=100001&edition=1&fresh=2",          // flag not 0/1
                      "product=5&version=-100001&edition=1&fresh=0",         // sign
                      "product=5&version=+100001&edition=1&fresh=0",         // sign
                      "product=5&version=1.0.1&edition=1&fresh=0",           // not a number
                      "product=5&version=&edition=1&fresh=0",                // empty value
                      "product=5&version&edition=1&fresh=0",                 // no '='
                      "product=5&version=99999999999&edition=1&fresh=0",     // 11 digits
                      "product=5&version=100001&edition=1&fresh=0&",         // empty pair
                      "product=5&&version=100001&edition=1&fresh=0",         // empty pair
                      "product=5&version=100001&edition=1&fresh=0%00",       // escape
                      "product=5&version=100001&edition=1&fresh=0 ",         // space
                      "product=5&version=100001&edition=1&fresh=0&pad=" + std::string(1000, '0')));

// ---- Usage report body -------------------------------------------------------------------------

TEST(UsageForm, ReadsTheSixNumbers) {
    const auto form =
        ParseUsageForm("product=5&version=100001&edition=1&kind=2&build=19045&usage=9", 5);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->product, 5);
    EXPECT_EQ(form->version, 100001);
    EXPECT_EQ(form->edition, 1);
    EXPECT_EQ(form->kind, 2);
    EXPECT_EQ(form->build, 19045);
    EXPECT_EQ(form->usage, 9);
}

struct UsageBodyCase {
    const char* build;
    const char* usage;
    bool accepted;
};

class UsageFormValues : public ::testing::TestWithParam<UsageBodyCase> {};

TEST_P(UsageFormValues, CheckTheRanges) {
    const std::string body = std::string("product=5&version=100001&edition=1&kind=2&build=") +
                             GetParam().build + "&usage=" + GetParam().usage;
    EXPECT_EQ(ParseUsageForm(body, 5).has_value(), GetParam().accepted) << body;
}

INSTANTIATE_TEST_SUITE_P(
    Values, UsageFormValues,
    ::testing::Values(UsageBodyCase{"0", "1", true}, UsageBodyCase{"2147483647", "15", true},
                      UsageBodyCase{"2147483648", "1", false}, UsageBodyCase{"-1", "1", false},
                      UsageBodyCase{"19045", "0", false}, UsageBodyCase{"19045", "16", false},
                      UsageBodyCase{"19045", "9x", false}, UsageBodyCase{"", "9", false}));

TEST(UsageForm, RefusesOtherKindsAndProducts) {
    EXPECT_FALSE(ParseUsageForm("product=5&version=100001&edition=1&kind=1&build=1&usage=9", 5));
    EXPECT_FALSE(ParseUsageForm("product=7&version=100001&edition=1&kind=2&build=1&usage=9", 5));
    EXPECT_TRUE(ParseUsageForm("product=7&version=100001&edition=1&kind=2&build=1&usage=9", 7));
}

// ---- What the client sends is what the service takes -------------------------------------------

TEST(ClientForms, VersionUrlQueryIsAccepted) {
    for (const std::int32_t fresh : {0, 1}) {
        wchar_t url[kVersionUrlCapacity];
        ASSERT_TRUE(BuildVersionUrl(url, kVersionUrlCapacity, fresh));
        const std::string text = Utf16ToUtf8(url);
        const auto query = ParseVersionQuery(text.substr(text.find('?') + 1), kProductNumber);
        ASSERT_TRUE(query) << text;
        EXPECT_EQ(query->version, kVersionNumber);
        EXPECT_EQ(query->fresh, fresh);
    }
}

TEST(ClientForms, UsageBodyIsAccepted) {
    char body[kUsageBodyCapacity];
    ASSERT_TRUE(BuildUsageBody(body, sizeof body, 22631, "12"));
    const auto form = ParseUsageForm(body, kProductNumber);
    ASSERT_TRUE(form) << body;
    EXPECT_EQ(form->build, 22631);
    EXPECT_EQ(form->usage, 12);
}

TEST(ClientForms, ProgramVersionMatchesTheReleaseNumbering) {
    const auto release = ParseReleaseVersion(kProgramVersion);
    ASSERT_TRUE(release);
    EXPECT_EQ(release->number, kVersionNumber);
}

// ---- Release file ------------------------------------------------------------------------------

struct ReleaseCase {
    const char* text;
    std::int32_t number;  // 0: refused
};

class ReleaseVersionText : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(ReleaseVersionText, ParsesToTheProgramsNumbering) {
    const auto release = ParseReleaseVersion(GetParam().text);
    EXPECT_EQ(release ? release->number : 0, GetParam().number) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReleaseVersionText,
    ::testing::Values(ReleaseCase{"1.0.1", 100001}, ReleaseCase{"1.0.2\n", 100002},
                      ReleaseCase{"1.0.2\r\n", 100002}, ReleaseCase{"2.13.999", 213999},
                      ReleaseCase{"20000.99.999", 2000099999}, ReleaseCase{"0.9.0", 0},
                      ReleaseCase{"1.100.0", 0}, ReleaseCase{"1.0.1000", 0}, ReleaseCase{"1.0", 0},
                      ReleaseCase{"1.0.1.0", 0}, ReleaseCase{"v1.0.1", 0}, ReleaseCase{"-1.0.1", 0},
                      ReleaseCase{"1.-0.1", 0}, ReleaseCase{"", 0}, ReleaseCase{" 1.0.1", 0}));

TEST(ReleaseFile, ReadsTheFirstLine) {
    test::TempFolder folder;
    const auto path = folder.Path() / "release.txt";
    EXPECT_FALSE(ReadReleaseFile(path.string()));
    test::WriteFileBytes(path, "1.2.3\nnotes\n");
    const auto release = ReadReleaseFile(path.string());
    ASSERT_TRUE(release);
    EXPECT_EQ(release->text, "1.2.3");
    EXPECT_EQ(release->number, 102003);
    test::WriteFileBytes(path, "1.2.3" + std::string(100, ' ') + "\n");
    EXPECT_FALSE(ReadReleaseFile(path.string()));
}

// ---- Command line ------------------------------------------------------------------------------

ParseOutcome Parse(std::vector<const char*> arguments, ServiceOptions& options,
                   std::string& error) {
    arguments.insert(arguments.begin(), "quorvane-service");
    return ParseServiceOptions(static_cast<int>(arguments.size()), arguments.data(), options,
                               error);
}

TEST(ServiceCommandLine, DefaultsToLoopback) {
    ServiceOptions options;
    std::string error;
    ASSERT_EQ(Parse({"--database", "d.sqlite", "--release-file", "r.txt"}, options, error),
              ParseOutcome::kRun);
    EXPECT_EQ(options.address, "127.0.0.1");
    EXPECT_EQ(options.port, 8080);
    EXPECT_FALSE(options.inspect);
    EXPECT_EQ(options.stopAfterSeconds, 0);
}

TEST(ServiceCommandLine, ReadsEveryOption) {
    ServiceOptions options;
    std::string error;
    ASSERT_EQ(Parse({"--address", "::1", "--port", "0", "--database", "d", "--release-file", "r",
                     "--product", "7", "--inspect", "--stop-after", "60"},
                    options, error),
              ParseOutcome::kRun);
    EXPECT_EQ(options.address, "::1");
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.database, "d");
    EXPECT_EQ(options.releaseFile, "r");
    EXPECT_EQ(options.product, 7);
    EXPECT_TRUE(options.inspect);
    EXPECT_EQ(options.stopAfterSeconds, 60);
}

class BadCommandLine : public ::testing::TestWithParam<std::vector<const char*>> {};

TEST_P(BadCommandLine, IsAnErrorWithAReason) {
    ServiceOptions options;
    std::string error;
    EXPECT_EQ(Parse(GetParam(), options, error), ParseOutcome::kError);
    EXPECT_FALSE(error.empty());
}

using Args = std::vector<const char*>;

INSTANTIATE_TEST_SUITE_P(
    Arguments, BadCommandLine,
    ::testing::Values(Args{}, Args{"--database", "d"}, Args{"--release-file", "r"},
                      Args{"--database", "d", "--release-file", "r", "--port", "65536"},
                      Args{"--database", "d", "--release-file", "r", "--port", "-1"},
                      Args{"--database", "d", "--release-file", "r", "--port", "80x"},
                      Args{"--database", "d", "--release-file", "r", "--port"},
                      Args{"--database", "d", "--release-file", "r", "--product", "0"},
                      Args{"--database", "d", "--release-file", "r", "--stop-after", "0"},
                      Args{"--database", "d", "--release-file", "r", "--verbose"},
                      Args{"--database", "", "--release-file", "r"},
                      Args{"--database", "d", "--release-file", "r", "--address", "0.0.0.0",
                           "--inspect"}));

TEST(ServiceCommandLine, HelpWins) {
    ServiceOptions options;
    std::string error;
    EXPECT_EQ(Parse({"--port", "1", "--help"}, options, error), ParseOutcome::kHelp);
}

struct AddressCase {
    const char* address;
    bool loopback;
};

class LoopbackAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(LoopbackAddress, IsRecognised) {
    EXPECT_EQ(IsLoopbackAddress(GetParam().address), GetParam().loopback);
}

INSTANTIATE_TEST_SUITE_P(Addresses, LoopbackAddress,
                         ::testing::Values(AddressCase{"127.0.0.1", true},
                                           AddressCase{"127.1.2.3", true}, AddressCase{"::1", true},
                                           AddressCase{"localhost", true},
                                           AddressCase{"0.0.0.0", false}, AddressCase{"::", false},
                                           AddressCase{"10.0.0.1", false},
                                           AddressCase{"1127.0.0.1", false}));

}  // namespace
