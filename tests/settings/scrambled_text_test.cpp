// Stored texts: compile-time scrambling, run-time unscrambling and malformed stored texts.
#include "settings/scrambled_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr auto kShort = Scramble("rb");
constexpr auto kName = Scramble("view_source.editor.path");
constexpr auto kEmpty = Scramble("");
constexpr auto kLongest = Scramble(
    "0123456789012345678901234567890123456789012345678901234567890123456789"
    "01234567890123456789012345678901234567890123456789");  // 120 characters

// Builds a stored text from clear character values: value k goes to the pair (k, L - k).
std::vector<std::uint8_t> MakeStored(const std::vector<std::uint8_t>& values) {
    const std::size_t length = 2 * values.size() + 1;
    std::vector<std::uint8_t> stored(length);
    stored[0] = static_cast<std::uint8_t>(length);
    for (std::size_t k = 1; k <= values.size(); ++k) {
        stored[k] = static_cast<std::uint8_t>(0x5A + 7 * k);
        stored[length - k] = static_cast<std::uint8_t>(stored[k] ^ values[k - 1]);
    }
    return stored;
}

std::string Clear(ScrambledText stored) {
    char out[kUnscrambledCapacity];
    std::memset(out, 'x', sizeof out);
    return Unscramble(out, stored);
}

std::wstring ClearWide(ScrambledText stored) {
    wchar_t out[kUnscrambledCapacity];
    return UnscrambleWide(out, stored);
}

TEST(ScrambledText, RoundTripsThroughBothRoutines) {
    EXPECT_EQ(Clear(kShort), "rb");
    EXPECT_EQ(Clear(kName), "view_source.editor.path");
    EXPECT_EQ(Clear(kEmpty), "");
    EXPECT_EQ(ClearWide(kName), L"view_source.editor.path");
    EXPECT_EQ(Clear(kLongest).size(), 120u);
    EXPECT_EQ(ClearWide(kLongest).substr(110), L"0123456789");
}

TEST(ScrambledText, StoredFormHidesTheClearText) {
    const std::string clear = "view_source.editor.path";
    const std::string stored(reinterpret_cast<const char*>(kName.bytes), sizeof kName.bytes);
    EXPECT_EQ(stored.find(clear), std::string::npos);
    EXPECT_EQ(stored.find("view"), std::string::npos);
}

TEST(ScrambledText, CarriesItsOwnNonZeroTerminatorValue) {
    const std::size_t length = kName.bytes[0];
    ASSERT_EQ(length, sizeof kName.bytes);
    const std::size_t terminator = std::strlen("view_source.editor.path") + 1;
    const unsigned value = kName.bytes[terminator] ^ kName.bytes[length - terminator];
    EXPECT_GT(value, 0u);
    EXPECT_LT(value, 32u);
}

TEST(ScrambledText, EqualTextsInDifferentPlacesAgree) {
    constexpr auto again = Scramble("view_source.editor.path");
    EXPECT_EQ(Clear(again), Clear(kName));
}

TEST(ScrambledText, NoTerminatorGivesEmptyText) {
    const auto stored = MakeStored({'A', 'B'});  // pairs mirror: A B B A, then k reaches L
    EXPECT_EQ(Clear(stored.data()), "");
    EXPECT_EQ(ClearWide(stored.data()), L"");
}

TEST(ScrambledText, TextEndsAtFirstValueBelow32) {
    const auto stored = MakeStored({'o', 'k', 31, 'x', 'y'});
    EXPECT_EQ(Clear(stored.data()), "ok");
    const auto zero = MakeStored({'a', 0});
    EXPECT_EQ(Clear(zero.data()), "a");
}

TEST(ScrambledText, MoreThan120CharactersGivesEmptyText) {
    std::vector<std::uint8_t> values(120, 'z');
    values.push_back(5);
    EXPECT_EQ(Clear(MakeStored(values).data()).size(), 120u);

    std::vector<std::uint8_t> tooLong(121, 'z');
    tooLong.push_back(5);
    EXPECT_EQ(Clear(MakeStored(tooLong).data()), "");
    EXPECT_EQ(ClearWide(MakeStored(tooLong).data()), L"");
}

TEST(ScrambledText, DegenerateLengthBytes) {
    const std::uint8_t zero[] = {0};
    const std::uint8_t one[] = {1};
    EXPECT_EQ(Clear(zero), "");
    EXPECT_EQ(Clear(one), "");
}

TEST(ScrambledText, WideWidensBytesWithoutConversion) {
    const auto stored = MakeStored({0xE9, 'a', 3});
    const std::wstring wide = ClearWide(stored.data());
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[0], static_cast<wchar_t>(0xE9));
}

}  // namespace
