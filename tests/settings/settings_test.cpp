// The settings subsystem: bounded text routines and UTF-8 / UTF-16 conversion (number formatting:
// the service forms' tests); stored (scrambled) texts; the owner of handles; and the settings store
// against real files in a private folder: grammar, rewrites, limits and codes. (Failed file
// operations: the fault injection test of tests/prefs.)
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "settings/scrambled_text.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"
#include "settings/unique_handle.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Each row: the destination's text (its terminator beyond the capacity: unterminated), the
// source, the capacity, append (else copy), and the destination and result that must follow.
const std::tuple<std::string, const char*, std::size_t, bool, std::string, std::size_t>
    kBoundedCases[] = {
        {"", "abcdef", 4, false, "abc", 6},    {"", "abcdef", 1, false, "", 6},
        {"", "abcdef", 7, false, "abcdef", 6}, {"q", "abc", 0, false, "q", 3},
        {"abc", "def", 5, true, "abcd", 6},    {"abc", "def", 7, true, "abcdef", 6},
        {"abc", "d", 4, true, "abc", 4},       {"ab", "xyz", 0, true, "ab", 3},
        {"abcd", "def", 4, true, "abcd", 7},
};

// Runs every row through the 8-bit or the wide pair of routines: nothing past the capacity or the
// old text may change.
template <typename Char>
void CheckBounded(std::size_t (*copy)(Char*, const Char*, std::size_t),
                  std::size_t (*append)(Char*, const Char*, std::size_t)) {
    for (const auto& [before, from, capacity, appends, after, result] : kBoundedCases) {
        Char out[8];
        std::fill(std::begin(out), std::end(out), Char('x'));
        std::copy(before.c_str(), before.c_str() + before.size() + 1, out);
        const std::basic_string<Char> source(from, from + std::strlen(from));
        EXPECT_EQ((appends ? append : copy)(out, source.c_str(), capacity), result) << from;
        EXPECT_EQ(std::basic_string<Char>(out),
                  std::basic_string<Char>(after.begin(), after.end()));
        EXPECT_EQ(out[std::max(capacity, before.size() + 1)], Char('x')) << from;
    }
}

TEST(Bounded, CopyAndAppendFollowStrlcpyAndStrlcat) {
    CheckBounded<char>(BoundedCopy, BoundedAppend);
    CheckBounded<wchar_t>(BoundedCopyWide, BoundedAppendWide);
}

// e-acute (2 bytes), euro sign (3 bytes) and G clef (4 bytes, a surrogate pair in UTF-16).
TEST(Utf, ConvertsBothWaysAndReplacesInvalidBytes) {
    const char utf8[] = "C:\\\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E.exe";
    EXPECT_EQ(Utf8ToUtf16(utf8).substr(0, 5), L"C:\\\u00E9\u20AC");
    EXPECT_EQ(Utf8ToUtf16(utf8).size(), sizeof(wchar_t) == 2 ? 11u : 10u);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(utf8).c_str()), utf8);
    EXPECT_EQ(Utf8ToUtf16("a\xFF\x62"), L"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16(nullptr) + Utf8ToUtf16(""), L"");
    EXPECT_EQ(Utf16ToUtf8(nullptr) + Utf16ToUtf8(L""), "");
}

// Each row: the character values stored (value k goes to the pair k, L - k) and the clear text;
// the wide routine widens each byte.
TEST(ScrambledText, EndsAtTheFirstValueBelow32OrComesOutEmpty) {
    for (const auto& [values, clear] : std::vector<std::pair<std::string, std::string>>{
             {"AB", ""},            // no value below 32 before k reaches L
             {"o k\x1Fxy", "o k"},  // a space is text
             {"a\0"s, "a"},
             {"\xE9\x61\x03", "\xE9\x61"},
             {std::string(120, 'z') + "\x05", std::string(120, 'z')},
             {std::string(121, 'z') + "\x05", ""}}) {
        std::vector<std::uint8_t> stored(2 * values.size() + 1);
        stored[0] = static_cast<std::uint8_t>(stored.size());
        for (std::size_t k = 1; k <= values.size(); ++k) {
            stored[k] = static_cast<std::uint8_t>(0x5A + 7 * k);
            stored[stored.size() - k] = static_cast<std::uint8_t>(stored[k] ^ values[k - 1]);
        }
        char out[kUnscrambledCapacity];
        wchar_t wide[kUnscrambledCapacity];
        EXPECT_EQ(Unscramble(out, stored.data()), clear);
        const std::basic_string<unsigned char> bytes(clear.begin(), clear.end());
        EXPECT_EQ(UnscrambleWide(wide, stored.data()), std::wstring(bytes.begin(), bytes.end()));
    }
}

// An owner of counters: closing one counts it.
struct CounterTraits {
    using Handle = int*;
    static void Close(int* closes) { ++*closes; }
};
using CounterOwner = UniqueHandle<CounterTraits>;
static_assert(!std::is_copy_constructible_v<CounterOwner> &&
                  !std::is_copy_assignable_v<CounterOwner>,
              "a copied owner would close its handle twice");

// Moving hands the handle on; each handle is closed exactly once: when its owner goes, when a move
// or Receive replaces it, and never after Release.
TEST(UniqueHandle, MovesHandOnAndEachHandleIsClosedOnce) {
    int first = 0, second = 0, released = 0;
    {
        CounterOwner a(&first);
        CounterOwner b(std::move(a));
        EXPECT_TRUE(!a && b.Get() == &first);
        CounterOwner c(&second);
        c = std::move(b);
        EXPECT_EQ(second, 1);
        c.Reset(c.Get());
        EXPECT_EQ(first, 0);
        CounterOwner d(&released);
        EXPECT_EQ(d.Release(), &released);
        *d.Receive() = &second;
    }
    EXPECT_EQ(std::tuple(first, second, released), std::tuple(1, 2, 0));
}

class SettingsStore : public ::testing::Test {
protected:
    fs::path FileOf(SettingsRoot root = kPrimaryRoot) const {
        return folder_.Path() / (root == kPrimaryRoot ? "roaming" : "local") / "Kestrovan" /
               "Quorvane" / "settings.ini";
    }
    std::string Contents() const { return test::ReadFileBytes(FileOf()); }
    void Store(const std::string& bytes) const { test::WriteFileBytes(FileOf(), bytes); }
    // A file of exactly size bytes that holds "Value=7" on its first line.
    void StorePadded(std::size_t size) const {
        std::string text = "Value=7\n";
        while (text.size() + 80 < size) {
            text += std::string(79, 'p') + "\n";
        }
        Store(text + std::string(size - text.size() - 1, 'q') + "\n");
    }
    // "<characters read>:<text>" of a text read with the default "dflt".
    std::string ReadText(const char* key) const {
        char out[64];
        const std::size_t copied = ReadSettingText(out, sizeof out, key, "dflt", kPrimaryRoot);
        return std::to_string(copied) + ":" + out;
    }

    test::UserFolders folder_;
};

TEST_F(SettingsStore, MissingFileGivesDefaultsAndTheFirstWriteOneLine) {
    EXPECT_EQ(ReadSettingInt("UpdateCheckEnabled", 1, kPrimaryRoot), 1);
    EXPECT_EQ(ReadText("NoticeVersion"), "0:dflt");
    EXPECT_EQ(WriteSettingInt("LastCheckDay", 739123, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "LastCheckDay=739123\n");
    EXPECT_EQ(WriteSettingText("InstalledVersion", "1.0.1", kSecondaryRoot), kSettingWritten);
    EXPECT_EQ(test::ReadFileBytes(FileOf(kSecondaryRoot)), "InstalledVersion=\"1.0.1\"\n");
    EXPECT_EQ(ReadText("InstalledVersion"), "0:dflt");
}

// How a file is read (the first key found, the integer and text forms, their limits and the
// defaults): the settings_store fuzz target's seeds, with their expected answers.

// Each row: a file, a write of "Value" (a text, or the integer when text is null), the file after.
TEST_F(SettingsStore, WritesChangeOnlyTheirOwnValue) {
    const std::tuple<std::string, const char*, std::int32_t, std::string> cases[] = {
        {"A=1\nValue=7\nB=\"t\"\n", nullptr, 12345, "A=1\nValue=12345\nB=\"t\"\n"},
        {"A=1\nValue=12345\nB=\"t\"\n", nullptr, 7, "A=1\nValue=7\nB=\"t\"\n"},
        {"Value=\nNext=1\n", nullptr, 3, "Value=3\nNext=1\n"},
        {"A=1\nValue=99", nullptr, -5, "A=1\nValue=-5"},
        {"A=1", nullptr, 2, "A=1\nValue=2\n"},
        {"A=1\n", "x y", 0, "A=1\nValue=\"x y\"\n"},
        {"A=1\nValue=\"1.0.0\" junk\nB=2\n", "1.0.1", 0, "A=1\nValue=\"1.0.1\"\nB=2\n"},
        {"", "a\"b", 0, "Value=\"a\"b\"\n"},  // written as it is, read as the default
        {"A=\0\nValue=5\nB=\0"s, nullptr, 6, "A=\0\nValue=6\nB=\0"s},
        {"A=\0"s, "t", 0, "A=\0\nValue=\"t\"\n"s},
    };
    for (const auto& [before, text, number, after] : cases) {
        Store(before);
        EXPECT_EQ(text != nullptr ? WriteSettingText("Value", text, kPrimaryRoot)
                                  : WriteSettingInt("Value", number, kPrimaryRoot),
                  kSettingWritten);
        EXPECT_EQ(Contents(), after) << before;
    }
}

TEST_F(SettingsStore, ArgumentRulesAndStatusCodes) {
    const std::string longest(kMaxSettingKeyLength, 'k'), tooLong = longest + "k";
    char out[8] = "keep";
    EXPECT_EQ(ReadSettingText(out, sizeof out, nullptr, "dflt", kPrimaryRoot), 0u);
    EXPECT_STREQ(out, "dflt");
    EXPECT_EQ(WriteSettingInt(nullptr, 1, kPrimaryRoot), kSettingMissingArgument);
    EXPECT_EQ(WriteSettingText("Key", nullptr, kPrimaryRoot), kSettingMissingArgument);
    EXPECT_EQ(WriteSettingInt("", 1, kPrimaryRoot), kSettingBadKeyLength);
    EXPECT_EQ(WriteSettingText(tooLong.c_str(), "x", kPrimaryRoot), kSettingBadKeyLength);
    // A new file's text write has room for the text plus 156 bytes: a 152-byte key does not fit.
    EXPECT_EQ(WriteSettingText(longest.c_str(), "x", kPrimaryRoot), kSettingCannotWrite);
    EXPECT_FALSE(fs::exists(FileOf()));
    EXPECT_EQ(WriteSettingInt(longest.c_str(), INT32_MIN, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(ReadSettingInt(longest.c_str(), 0, kPrimaryRoot), INT32_MIN);
    EXPECT_EQ(ReadSettingInt(tooLong.c_str(), 4, kPrimaryRoot) + ReadSettingInt("Key", 5, 2), 9);
    EXPECT_EQ(WriteSettingInt("Key", 1, 2), kSettingCannotWrite);
    // Base folders so long that the settings file's path (its last 32 characters are the
    // folders and the name) would be cut at 259 characters, or that its temporary file's would
    // (6 more: ".1.tmp").
    const std::wstring base = test::ToProgramPath(folder_.Path());
    for (const auto& [length, code] : {std::pair{262, kSettingCannotWrite},
                                       {254, kSettingCannotWrite},
                                       {253, kSettingWritten}}) {
        const std::wstring name(length - base.size() - 1 - 32, L'd');
        const fs::path product = folder_.Path() / fs::path(name) / "Kestrovan" / "Quorvane";
        fs::create_directories(product);
        test::SetEnvironment("APPDATA", base + L"\\" + name);
        EXPECT_EQ(WriteSettingInt("Key", 1, kPrimaryRoot), code) << length;
        EXPECT_EQ(fs::is_empty(product), code != kSettingWritten) << length;
    }
    test::UnsetEnvironment("APPDATA");
    EXPECT_EQ(ReadSettingInt("Key", 9, kPrimaryRoot), 9);
    EXPECT_EQ(WriteSettingInt("Key", 1, kPrimaryRoot), kSettingCannotWrite);
}

// The working buffer sets the limits: a file of 52271 bytes is read, 52272 is not; an integer
// write works up to 52259 bytes; no write may make the file too large to be read again.
TEST_F(SettingsStore, SizeLimits) {
    StorePadded(52272);
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 0);
    StorePadded(52260);
    EXPECT_EQ(WriteSettingInt("Value", 1, kPrimaryRoot), kSettingFileTooLarge);
    StorePadded(52259);
    EXPECT_EQ(WriteSettingInt("Value", 12345678, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 12345678);
    StorePadded(52200);
    const std::string key(40, 'k'), text(60, 't');
    EXPECT_EQ(WriteSettingText(key.c_str(), text.c_str(), kPrimaryRoot), kSettingCannotWrite);
    EXPECT_EQ(fs::file_size(FileOf()), 52200u);
    EXPECT_EQ(WriteSettingText(key.c_str(), "", kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(fs::file_size(FileOf()), 52244u);
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 7);
}

}  // namespace
