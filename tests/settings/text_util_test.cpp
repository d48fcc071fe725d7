// Bounded copies and appends, number formatting and UTF-8 / UTF-16 conversion.
#include "settings/text_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

TEST(BoundedCopy, CutsAtCapacityAndReturnsSourceLength) {
    char out[8];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(BoundedCopy(out, "abcdef", 4), 6u);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(out[4], 'x') << "wrote past the capacity";

    EXPECT_EQ(BoundedCopy(out, "abcdef", 1), 6u);
    EXPECT_STREQ(out, "");

    EXPECT_EQ(BoundedCopy(out, "abcdef", 7), 6u);
    EXPECT_STREQ(out, "abcdef");
}

TEST(BoundedCopy, CapacityZeroWritesNothing) {
    char out[2] = {'q', 'q'};
    EXPECT_EQ(BoundedCopy(out, "abc", 0), 3u);
    EXPECT_EQ(out[0], 'q');
    wchar_t wide[2] = {L'q', L'q'};
    EXPECT_EQ(BoundedCopyWide(wide, L"abc", 0), 3u);
    EXPECT_EQ(wide[0], L'q');
}

TEST(BoundedCopy, WideFollowsTheSameRules) {
    wchar_t out[8];
    EXPECT_EQ(BoundedCopyWide(out, L"abcdef", 4), 6u);
    EXPECT_STREQ(out, L"abc");
    EXPECT_EQ(BoundedCopyWide(out, L"", 4), 0u);
    EXPECT_STREQ(out, L"");
}

TEST(BoundedAppend, CutsAtCapacityAndReturnsAttemptedLength) {
    char out[8] = "abc";
    EXPECT_EQ(BoundedAppend(out, "def", 5), 6u);
    EXPECT_STREQ(out, "abcd");

    char exact[8] = "abc";
    EXPECT_EQ(BoundedAppend(exact, "def", 7), 6u);
    EXPECT_STREQ(exact, "abcdef");
}

TEST(BoundedAppend, UnterminatedDestinationIsLeftAlone) {
    char out[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(BoundedAppend(out, "def", 4), 4u + 3u);
    EXPECT_EQ(std::memcmp(out, "abcd", 4), 0);

    wchar_t wide[4] = {L'a', L'b', L'c', L'd'};
    EXPECT_EQ(BoundedAppendWide(wide, L"def", 4), 4u + 3u);
    EXPECT_EQ(std::wmemcmp(wide, L"abcd", 4), 0);
}

TEST(BoundedAppend, FullDestinationAndCapacityZero) {
    char full[4] = "abc";
    EXPECT_EQ(BoundedAppend(full, "d", 4), 4u);
    EXPECT_STREQ(full, "abc");

    char untouched[4] = "ab";
    EXPECT_EQ(BoundedAppend(untouched, "xyz", 0), 3u);
    EXPECT_STREQ(untouched, "ab");
}

TEST(BoundedAppend, WideCutsAtCapacity) {
    wchar_t out[8] = L"abc";
    EXPECT_EQ(BoundedAppendWide(out, L"def", 5), 6u);
    EXPECT_STREQ(out, L"abcd");
}

TEST(FormatLong, ExtremesFitTwelveCharacters) {
    char out[12];
    EXPECT_EQ(FormatLong(out, sizeof out, INT32_MIN), kFormatDone);
    EXPECT_STREQ(out, "-2147483648");
    EXPECT_EQ(FormatLong(out, sizeof out, INT32_MAX), kFormatDone);
    EXPECT_STREQ(out, "2147483647");
    EXPECT_EQ(FormatLong(out, sizeof out, 0), kFormatDone);
    EXPECT_STREQ(out, "0");

    wchar_t wide[12];
    EXPECT_EQ(FormatLongWide(wide, 12, INT32_MIN), kFormatDone);
    EXPECT_STREQ(wide, L"-2147483648");
    EXPECT_EQ(FormatLongWide(wide, 12, 100001), kFormatDone);
    EXPECT_STREQ(wide, L"100001");
}

TEST(FormatLong, CapacityBelowTwelveGivesEmptyText) {
    char out[11] = "junk";
    EXPECT_EQ(FormatLong(out, sizeof out, 5), kFormatCapacityTooSmall);
    EXPECT_STREQ(out, "");

    wchar_t wide[11] = L"junk";
    EXPECT_EQ(FormatLongWide(wide, 11, 5), kFormatCapacityTooSmall);
    EXPECT_STREQ(wide, L"");

    char none = 'q';
    EXPECT_EQ(FormatLong(&none, 0, 5), kFormatCapacityTooSmall);
    EXPECT_EQ(none, 'q');
}

TEST(Utf, EmptyTextsGiveEmptyResults) {
    EXPECT_EQ(Utf8ToUtf16(""), L"");
    EXPECT_EQ(Utf16ToUtf8(L""), "");
    EXPECT_EQ(Utf8ToUtf16(nullptr), L"");
    EXPECT_EQ(Utf16ToUtf8(nullptr), "");
}

TEST(Utf, RoundTripsNonAsciiText) {
    // e-acute (2 bytes), euro sign (3 bytes) and G clef (4 bytes, a surrogate pair in UTF-16).
    const char utf8[] = "C:\\Edit\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E.exe";
    const std::wstring wide = Utf8ToUtf16(utf8);
    EXPECT_EQ(wide.substr(0, 7), L"C:\\Edit");
    EXPECT_EQ(wide[7], L'\u00E9');
    EXPECT_EQ(wide[8], L'\u20AC');
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 15u : 14u);
    EXPECT_EQ(Utf16ToUtf8(wide.c_str()), utf8);
}

TEST(Utf, InvalidUtf8BecomesReplacementCharacter) {
    const std::wstring wide = Utf8ToUtf16(
        "a\xFF"
        "b");
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide[0], L'a');
    EXPECT_EQ(wide[1], L'\uFFFD');
    EXPECT_EQ(wide[2], L'b');
}

}  // namespace
