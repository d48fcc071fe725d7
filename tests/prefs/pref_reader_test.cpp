// The reader: value search, the three parsers, backslash handling and whole-profile reads.
#include "prefs/pref_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/prefs/profile_fixture.h"

namespace {

struct FindCase {
    const char* name;
    std::string text;
    const char* preference;
    bool found;
    std::string value;
};

class FindValueTable : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindValueTable, FindsRawValue) {
    char value[kRawValueCapacity] = "junk";
    EXPECT_EQ(FindPrefValue(GetParam().text, GetParam().preference, value), GetParam().found);
    EXPECT_EQ(std::string(value), GetParam().value);
}

const std::string kLongValue(1023, 'v');

INSTANTIATE_TEST_SUITE_P(
    Cases, FindValueTable,
    ::testing::Values(
        FindCase{"PlainBoolean", "user_pref(\"geo.enabled\", false);\n", "geo.enabled", true,
                 "false"},
        FindCase{"NoSpaceAfterComma", "user_pref(\"geo.enabled\",true);", "geo.enabled", true,
                 "true"},
        FindCase{"SpaceBeforeParenthesisIsCollected", "user_pref(\"geo.enabled\", true );",
                 "geo.enabled", true, "true "},
        FindCase{"NameBeforeFirstStatementIsIgnored",
                 "// \"geo.enabled\", true)\nuser_pref(\"a\", 1);\n", "geo.enabled", false, ""},
        FindCase{"FirstOccurrenceAfterFirstStatementWins",
                 "user_pref(\"a\", 1); // \"geo.enabled\", 7)\nuser_pref(\"geo.enabled\", false);",
                 "geo.enabled", true, "7"},
        FindCase{"NameMustBeQuoted", "user_pref(\"xgeo.enabled\", true);", "geo.enabled", false,
                 ""},
        FindCase{"NoStatementKeyword", "pref(\"geo.enabled\", true);", "geo.enabled", false, ""},
        FindCase{"NoCommaAfterName", "user_pref(\"geo.enabled\")", "geo.enabled", false, ""},
        FindCase{"TextStopsAtClosingQuote",
                 "user_pref(\"view_source.editor.path\", \"C:\\\\Program Files "
                 "(x86)\\\\Editor\\\\editor.exe\");",
                 "view_source.editor.path", true,
                 "C:\\\\Program Files (x86)\\\\Editor\\\\editor.exe"},
        FindCase{"EscapedQuoteDoesNotEndText", "user_pref(\"p\", \"say \\\"hi\\\" (x)\");", "p",
                 true, "say \\\"hi\\\" (x)"},
        FindCase{"EmptyText", "user_pref(\"p\", \"\");", "p", true, ""},
        FindCase{"UnterminatedTextEndsAtEndOfFile", "user_pref(\"p\", \"abc", "p", true, "abc"},
        FindCase{"BareValueEndsAtEndOfFile", "user_pref(\"p\", 12", "p", true, "12"},
        FindCase{"LongestValue", "user_pref(\"p\", \"" + kLongValue + "\");", "p", true,
                 kLongValue},
        FindCase{"TooLongValueBecomesEmpty", "user_pref(\"p\", \"" + kLongValue + "w\");", "p",
                 true, ""},
        FindCase{"NumberValue", "user_pref(\"p\", 42);", "p", true, "42"},
        FindCase{"NameWithSpace", "user_pref(\"read plugins\", true);", "read plugins", true,
                 "true"},
        FindCase{"EmptyFile", "", "p", false, ""}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(FindPrefValue, TextWithEmbeddedZeroBytesIsSearchedWhole) {
    const std::string text =
        std::string("user_pref(\"a\", 1);\0\0", 20) + "user_pref(\"b\", true);";
    char value[kRawValueCapacity];
    ASSERT_TRUE(FindPrefValue(text, "b", value));
    EXPECT_STREQ(value, "true");
}

struct ParseCase {
    const char* name;
    const char* prefs;
    const char* user;
    std::uint32_t invertedFlag;
    std::uint32_t boolFlag;
    std::uint32_t found;
};

class BooleanParsers : public ::testing::TestWithParam<ParseCase> {};

TEST_P(BooleanParsers, MapLiteralsToBoxes) {
    PrefRecord record{};
    record.current.flag = 9;
    ParseInvertedBoolPref(record, GetParam().prefs, GetParam().user, "geo.enabled", 0);
    EXPECT_EQ(record.current.flag, GetParam().invertedFlag);
    EXPECT_EQ(record.found, GetParam().found);
    record.current.flag = 9;
    ParseBoolPref(record, GetParam().prefs, GetParam().user, "geo.enabled", 0);
    EXPECT_EQ(record.current.flag, GetParam().boolFlag);
    EXPECT_EQ(record.found, GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BooleanParsers,
    ::testing::Values(
        ParseCase{"SetInPrefs", "user_pref(\"geo.enabled\", true);", "", 0, 1, 1},
        ParseCase{"ClearInPrefs", "user_pref(\"geo.enabled\", false);", "", 1, 0, 1},
        ParseCase{"UserJsWins", "user_pref(\"geo.enabled\", true);",
                  "user_pref(\"geo.enabled\", false);", 1, 0, 1},
        ParseCase{"UnrecognisedUserValueFallsBack", "user_pref(\"geo.enabled\", false);",
                  "user_pref(\"geo.enabled\", 0);", 1, 0, 1},
        ParseCase{"QuotedLiteralIsRecognised", "user_pref(\"geo.enabled\", \"true\");", "", 0, 1,
                  1},
        ParseCase{"WrongLengthIsNotRecognised", "user_pref(\"geo.enabled\", true );", "", 0, 0, 0},
        ParseCase{"OtherWordOfRightLength", "user_pref(\"geo.enabled\", TRUE);", "", 0, 0, 0},
        ParseCase{"Absent", "user_pref(\"other\", true);", "", 0, 0, 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(ParseTextPref, AcceptsAnyValueAndPrefersUserJs) {
    PrefRecord record{};
    ParseTextPref(record, "user_pref(\"p\", \"from prefs\");", "user_pref(\"p\", \"\");", "p", "");
    EXPECT_STREQ(record.current.text, "");
    EXPECT_EQ(record.found, 1u);
    ParseTextPref(record, "user_pref(\"p\", \"from prefs\");", "", "p", "");
    EXPECT_STREQ(record.current.text, "from prefs");
    ParseTextPref(record, "", "", "p", "dflt");
    EXPECT_STREQ(record.current.text, "dflt");
    EXPECT_EQ(record.found, 0u);
}

struct EscapeCase {
    std::string input;
    int collapse;
    std::size_t capacity;
    std::string expected;
};

class EscapeTable : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTable, RewritesBackslashes) {
    char text[kPrefTextCapacity] = {};
    ASSERT_LT(GetParam().input.size(), sizeof text);
    GetParam().input.copy(text, GetParam().input.size());
    EscapePrefText(text, GetParam().capacity, GetParam().collapse);
    EXPECT_EQ(std::string(text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EscapeTable,
    ::testing::Values(EscapeCase{"C:\\\\a\\\\b.exe", 1, 1025, "C:\\a\\b.exe"},
                      EscapeCase{"a\\\\\\b", 1, 1025, "a\\\\b"},  // three become two
                      EscapeCase{"a\\b", 1, 1025, "a\\b"},
                      EscapeCase{"C:\\a\\b.exe", 0, 1025, "C:\\\\a\\\\b.exe"},
                      EscapeCase{"", 0, 1025, ""},
                      EscapeCase{std::string(1023, 'x') + "\\", 0, 1025,
                                 std::string(1023, 'x') + "\\"},  // no room for the second copy
                      EscapeCase{std::string(1022, 'x') + "\\", 0, 1025,
                                 std::string(1022, 'x') + "\\\\"},
                      EscapeCase{"abcdef", 0, 4, "abc"}));

class ReadPreferencesTest : public test::ProfileFixture {};

TEST_F(ReadPreferencesTest, MissingFilesLeaveEveryDefault) {
    ReadPreferences(misc_, privacy_);
    for (const PrefOption& option : kPrefCatalogue) {
        const PrefRecord& record = RecordOf(option, misc_, privacy_);
        EXPECT_EQ(record.current.flag, 0u) << option.preference;
        EXPECT_EQ(record.found, 0u) << option.preference;
    }
    EXPECT_STREQ(misc_[6].current.text, "");
}

TEST_F(ReadPreferencesTest, ReadsBothFilesWithUserJsFirst) {
    test::WriteFileBytes(PrefsJs(),
                         "// Mozilla User Preferences\n\n"
                         "user_pref(\"browser.search.openintab\", true);\n"
                         "user_pref(\"geo.enabled\", true);\n"
                         "user_pref(\"media.peerconnection.enabled\", false);\n"
                         "user_pref(\"view_source.editor.external\", true);\n"
                         "user_pref(\"view_source.editor.path\", \"C:\\\\Old\\\\ed.exe\");\n");
    test::WriteFileBytes(UserJs(),
                         "user_pref(\"geo.enabled\", false);\n"
                         "user_pref(\"view_source.editor.path\", \"C:\\\\Program Files "
                         "(x86)\\\\Editor\\\\editor.exe\");\n"
                         "user_pref(\"read plugins\", true);\n");
    ReadPreferences(misc_, privacy_);
    EXPECT_EQ(test::RecordFor("browser.search.openintab", misc_, privacy_).current.flag, 1u);
    EXPECT_EQ(test::RecordFor("geo.enabled", misc_, privacy_).current.flag, 1u);  // ticked
    EXPECT_EQ(test::RecordFor("media.peerconnection.enabled", misc_, privacy_).current.flag, 1u);
    EXPECT_EQ(test::RecordFor("read plugins", misc_, privacy_).current.flag, 1u);
    EXPECT_EQ(test::RecordFor("view_source.editor.external", misc_, privacy_).current.flag, 1u);
    EXPECT_STREQ(misc_[6].current.text, "C:\\Program Files (x86)\\Editor\\editor.exe");
    EXPECT_EQ(misc_[6].found, 1u);
    EXPECT_EQ(test::RecordFor("browser.send_pings", misc_, privacy_).found, 0u);
}

TEST_F(ReadPreferencesTest, ReadsLargePrefsFileToTheEnd) {
    std::string prefs = "// Mozilla User Preferences\n";
    while (prefs.size() < 1024 * 1024) {
        prefs += "user_pref(\"toolbar.state\", \"" + std::string(3000, 'z') + "\");\n";
    }
    prefs += "user_pref(\"dom.battery.enabled\", false);\n";
    test::WriteFileBytes(PrefsJs(), prefs);
    ReadPreferences(misc_, privacy_);
    const PrefRecord& battery = test::RecordFor("dom.battery.enabled", misc_, privacy_);
    EXPECT_EQ(battery.found, 1u);
    EXPECT_EQ(battery.current.flag, 1u);
}

TEST_F(ReadPreferencesTest, ReadingNeverTouchesPending) {
    misc_[0].pending.flag = 1;
    test::WriteFileBytes(PrefsJs(), "user_pref(\"browser.tabs.closeWindowWithLastTab\", true);\n");
    ReadPreferences(misc_, privacy_);
    EXPECT_EQ(misc_[0].pending.flag, 1u);
    EXPECT_EQ(misc_[0].current.flag, 0u);
    EXPECT_EQ(misc_[0].found, 1u);
}

}  // namespace
