// The settings store against real files in a private folder: grammar, rewrites, limits, codes
// and the guarantee that a failed write leaves the old file intact.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

class SettingsStore : public ::testing::Test {
protected:
    fs::path FileOf(SettingsRoot root) const {
        return folder_.Path() / (root == kPrimaryRoot ? "roaming" : "local") / "Kestrovan" /
               "Quorvane" / "settings.ini";
    }
    std::string Contents(SettingsRoot root = kPrimaryRoot) const {
        return test::ReadFileBytes(FileOf(root));
    }
    void Store(const std::string& bytes, SettingsRoot root = kPrimaryRoot) const {
        test::WriteFileBytes(FileOf(root), bytes);
    }
    // A file of exactly size bytes that holds "Value=7" on its first line.
    void StorePadded(std::size_t size) const {
        std::string text = "Value=7\n";
        while (text.size() + 80 < size) {
            text += std::string(79, 'p') + "\n";
        }
        text += std::string(size - text.size() - 1, 'q') + "\n";
        ASSERT_EQ(text.size(), size);
        Store(text);
    }
    std::string ReadText(const char* key, std::size_t capacity = 64) const {
        std::string out(capacity, '?');
        const std::size_t copied = ReadSettingText(out.data(), capacity, key, "dflt", kPrimaryRoot);
        out.resize(std::char_traits<char>::length(out.c_str()));
        return std::to_string(copied) + ":" + out;
    }

    test::UserFolders folder_;
};

TEST_F(SettingsStore, MissingFileGivesDefaults) {
    EXPECT_EQ(ReadSettingInt("UpdateCheckEnabled", 1, kPrimaryRoot), 1);
    EXPECT_EQ(ReadText("NoticeVersion"), "0:dflt");
}

TEST_F(SettingsStore, FirstWriteCreatesFoldersAndOneLine) {
    EXPECT_EQ(WriteSettingInt("LastCheckDay", 739123, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "LastCheckDay=739123\n");
    EXPECT_EQ(ReadSettingInt("LastCheckDay", 0, kPrimaryRoot), 739123);
}

TEST_F(SettingsStore, RootsAreSeparateFiles) {
    EXPECT_EQ(WriteSettingText("InstalledVersion", "1.0.1", kSecondaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(kSecondaryRoot), "InstalledVersion=\"1.0.1\"\n");
    EXPECT_FALSE(fs::exists(FileOf(kPrimaryRoot)));
    EXPECT_EQ(ReadText("InstalledVersion"), "0:dflt");
}

struct IntegerCase {
    const char* stored;
    std::int32_t expected;
};

class IntegerGrammar : public SettingsStore, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(IntegerGrammar, ReadsValueOrDefault) {
    Store(std::string("Other=1\nValue=") + GetParam().stored + "\nLast=2\n");
    EXPECT_EQ(ReadSettingInt("Value", -99, kPrimaryRoot), GetParam().expected)
        << "stored: " << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(
    Values, IntegerGrammar,
    ::testing::Values(IntegerCase{"42", 42}, IntegerCase{"-2147483648", INT32_MIN},
                      IntegerCase{"2147483647", INT32_MAX}, IntegerCase{"2147483648", -99},
                      IntegerCase{"-2147483649", -99}, IntegerCase{"99999999999", -99},
                      IntegerCase{"000000000012", -99}, IntegerCase{"00000000012", 12},
                      IntegerCase{"12\r", -99}, IntegerCase{" 12", -99}, IntegerCase{"\"12\"", -99},
                      IntegerCase{"1-2", -99}, IntegerCase{"", 0}, IntegerCase{"-", 0}));

TEST_F(SettingsStore, KeyIsFoundAnywhereInTheText) {
    Store("XValue=5\nValue=6\n");
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 5);
    Store("Value=8");  // last line without a line feed
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 8);
}

TEST_F(SettingsStore, RewritingKeepsEveryOtherLineByteForByte) {
    const std::string before = "A=1\nValue=7\nB=\"text\"\n";
    Store(before);
    ASSERT_EQ(WriteSettingInt("Value", 12345, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "A=1\nValue=12345\nB=\"text\"\n");
    ASSERT_EQ(WriteSettingInt("Value", 7, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), before);
}

TEST_F(SettingsStore, EmptyOldValueIsReplaced) {
    Store("Value=\nNext=1\n");
    ASSERT_EQ(WriteSettingInt("Value", 3, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "Value=3\nNext=1\n");
}

TEST_F(SettingsStore, ValueOnLastLineWithoutLineFeedIsReplaced) {
    Store("A=1\nValue=99");
    ASSERT_EQ(WriteSettingInt("Value", -5, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "A=1\nValue=-5");
}

TEST_F(SettingsStore, AppendingAfterLastLineWithoutLineFeedAddsOne) {
    Store("A=1");
    ASSERT_EQ(WriteSettingInt("B", 2, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "A=1\nB=2\n");
    ASSERT_EQ(WriteSettingText("C", "x y", kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "A=1\nB=2\nC=\"x y\"\n");
}

TEST_F(SettingsStore, TextReplacementSwallowsTheRestOfTheLine) {
    Store("A=1\nNoticeVersion=\"1.0.0\" junk\nB=2\n");
    ASSERT_EQ(WriteSettingText("NoticeVersion", "1.0.1", kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "A=1\nNoticeVersion=\"1.0.1\"\nB=2\n");
    EXPECT_EQ(ReadText("NoticeVersion"), "5:1.0.1");
}

TEST_F(SettingsStore, TextValuesAndTheirCapacity) {
    Store("Full=\"abcdefg\"\nEmpty=\"\"\nTrail=\"abc\"x\nOpen=\"abc\nBare=abc\nEnd=\"xyz\"");
    EXPECT_EQ(ReadText("Full", 8), "7:abcdefg");
    EXPECT_EQ(ReadText("Full", 7), "0:dflt");
    EXPECT_EQ(ReadText("Empty"), "0:");
    EXPECT_EQ(ReadText("Trail"), "0:dflt");
    EXPECT_EQ(ReadText("Open"), "0:dflt");
    EXPECT_EQ(ReadText("Bare"), "0:dflt");
    EXPECT_EQ(ReadText("End"), "3:xyz");
    EXPECT_EQ(ReadText("Missing"), "0:dflt");
}

TEST_F(SettingsStore, TextReadArgumentRules) {
    Store("Key=\"value\"\n");
    char out[8] = "keep";
    EXPECT_EQ(ReadSettingText(out, 0, "Key", "dflt", kPrimaryRoot), 0u);
    EXPECT_STREQ(out, "keep");
    EXPECT_EQ(ReadSettingText(out, sizeof out, nullptr, nullptr, kPrimaryRoot), 0u);
    EXPECT_STREQ(out, "keep");
    EXPECT_EQ(ReadSettingText(out, sizeof out, nullptr, "dflt", kPrimaryRoot), 0u);
    EXPECT_STREQ(out, "dflt");
    EXPECT_EQ(ReadSettingText(nullptr, 8, "Key", "dflt", kPrimaryRoot), 0u);
}

TEST_F(SettingsStore, TextWithQuoteIsWrittenButReadsAsDefault) {
    ASSERT_EQ(WriteSettingText("Key", "a\"b", kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(Contents(), "Key=\"a\"b\"\n");
    EXPECT_EQ(ReadText("Key"), "0:dflt");
}

TEST_F(SettingsStore, WriteStatusCodes) {
    const std::string longest(kMaxSettingKeyLength, 'k');
    const std::string tooLong(kMaxSettingKeyLength + 1, 'k');
    EXPECT_EQ(WriteSettingInt(nullptr, 1, kPrimaryRoot), kSettingMissingArgument);
    EXPECT_EQ(WriteSettingText("Key", nullptr, kPrimaryRoot), kSettingMissingArgument);
    EXPECT_EQ(WriteSettingInt("", 1, kPrimaryRoot), kSettingBadKeyLength);
    EXPECT_EQ(WriteSettingText(tooLong.c_str(), "x", kPrimaryRoot), kSettingBadKeyLength);
    EXPECT_EQ(ReadSettingInt(tooLong.c_str(), 4, kPrimaryRoot), 4);
    // A new file's text write has room for the text plus 156 bytes: a 152-byte key does not fit.
    EXPECT_EQ(WriteSettingText(longest.c_str(), "x", kPrimaryRoot), kSettingCannotWrite);
    EXPECT_FALSE(fs::exists(FileOf(kPrimaryRoot)));
    EXPECT_EQ(WriteSettingInt(longest.c_str(), -2147483647 - 1, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(ReadSettingInt(longest.c_str(), 0, kPrimaryRoot), INT32_MIN);
}

TEST_F(SettingsStore, UnknownRootAndUnsetVariable) {
    EXPECT_EQ(ReadSettingInt("Key", 9, 2), 9);
    EXPECT_EQ(WriteSettingInt("Key", 1, 2), kSettingCannotWrite);
    test::UnsetEnvironment("APPDATA");
    EXPECT_EQ(ReadSettingInt("Key", 9, kPrimaryRoot), 9);
    EXPECT_EQ(WriteSettingInt("Key", 1, kPrimaryRoot), kSettingCannotWrite);
    EXPECT_FALSE(OpenSettingsFile(Scramble("settings.ini"), kSettingsReadMode, kPrimaryRoot));
}

TEST_F(SettingsStore, ReadSizeThreshold) {
    StorePadded(52271);
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 7);
    StorePadded(52272);
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 0);
}

TEST_F(SettingsStore, IntegerWriteSizeThreshold) {
    StorePadded(52259);
    EXPECT_EQ(WriteSettingInt("Value", 12345678, kPrimaryRoot), kSettingWritten);
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 12345678);
    StorePadded(52260);
    const std::string before = Contents();
    EXPECT_EQ(WriteSettingInt("Value", 1, kPrimaryRoot), kSettingFileTooLarge);
    EXPECT_EQ(Contents(), before);
}

TEST_F(SettingsStore, FailedWriteLeavesOldFileIntact) {
    const std::string before = "Value=7\nOther=\"keep me\"\n";
    Store(before);
    // The temporary file cannot be created where a folder of that name stands.
    fs::create_directory(FileOf(kPrimaryRoot).string() + ".tmp");
    EXPECT_EQ(WriteSettingInt("Value", 8, kPrimaryRoot), kSettingCannotWrite);
    EXPECT_EQ(WriteSettingText("Other", "gone", kPrimaryRoot), kSettingCannotWrite);
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(ReadSettingInt("Value", 0, kPrimaryRoot), 7);
}

TEST_F(SettingsStore, PathTooLongIsNeverTruncated) {
    // A base folder long enough that only the file name would be cut at 259 characters.
    const std::wstring base = test::ToProgramPath(folder_.Path());
    const std::size_t suffix = std::wstring(L"\\Kestrovan\\Quorvane\\settings.ini").size();
    const std::wstring longBase = base + L"\\" + std::wstring(262 - suffix - base.size() - 1, L'd');
    ASSERT_EQ(longBase.size() + suffix, 262u);
    fs::create_directories(folder_.Path() / fs::path(longBase.substr(base.size() + 1)));
    test::SetEnvironment("APPDATA", longBase);
    EXPECT_EQ(WriteSettingInt("Key", 1, kPrimaryRoot), kSettingCannotWrite);
    EXPECT_EQ(ReadSettingInt("Key", 5, kPrimaryRoot), 5);
    const fs::path product =
        folder_.Path() / fs::path(longBase.substr(base.size() + 1)) / "Kestrovan" / "Quorvane";
    if (fs::exists(product)) {
        EXPECT_TRUE(fs::is_empty(product)) << "a file was written under a truncated name";
    }
}

}  // namespace
