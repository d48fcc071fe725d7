// Finding the default profile in the profile lists Firefox writes, and building paths in it.
#include "prefs/profile_locator.h"

#include <gtest/gtest.h>

#include "settings/text_util.h"
#include "tests/prefs/profile_fixture.h"

namespace {

struct ChoiceCase {
    const char* name;
    const wchar_t* list;
    const wchar_t* path;
    bool isRelative;
};

class ProfileChoiceTable : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ProfileChoiceTable, ChoosesAsFirefoxDoes) {
    const ProfileChoice choice = ChooseDefaultProfile(GetParam().list);
    EXPECT_EQ(choice.path, GetParam().path);
    EXPECT_EQ(choice.isRelative, GetParam().isRelative);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ProfileChoiceTable,
    ::testing::Values(
        // Today's layout: the install section, written after the profiles, names the default
        // although another profile still carries Default=1.
        ChoiceCase{"InstallSectionAfterProfiles",
                   L"[Profile1]\nName=default\nIsRelative=1\nPath=Profiles/aaaa.default\n"
                   L"Default=1\n\n[Profile0]\nName=default-release\nIsRelative=1\n"
                   L"Path=Profiles/bbbb.default-release\n\n[General]\nVersion=2\n\n"
                   L"[Install308046B0AF4A39CB]\nDefault=Profiles/bbbb.default-release\n"
                   L"Locked=1\n",
                   L"Profiles/bbbb.default-release", true},
        ChoiceCase{"FirstInstallSectionWins",
                   L"[Install1111]\nDefault=Profiles/first\n[Install2222]\nDefault=Profiles/"
                   L"second\n[Profile0]\nPath=Profiles/first\nIsRelative=1\n",
                   L"Profiles/first", true},
        ChoiceCase{"DefaultFlagWithoutInstall",
                   L"[Profile0]\nPath=Profiles/one\n[Profile1]\nPath=Profiles/two\nDefault=1\n",
                   L"Profiles/two", true},
        ChoiceCase{"FirstProfileOtherwise",
                   L"[General]\nVersion=2\n[Profile0]\nPath=Profiles/one\n[Profile1]\n"
                   L"Path=Profiles/two\n",
                   L"Profiles/one", true},
        ChoiceCase{"AbsoluteProfile",
                   L"[Profile0]\nName=work\nIsRelative=0\nPath=D:\\Profiles\\work\nDefault=1\n",
                   L"D:\\Profiles\\work", false},
        ChoiceCase{"InstallDefaultMatchesAbsoluteProfile",
                   L"[Profile0]\nIsRelative=0\nPath=\\\\server\\share\\p\n"
                   L"[InstallAB]\nDefault=\\\\server\\share\\p\n",
                   L"\\\\server\\share\\p", false},
        ChoiceCase{"InstallDefaultThatLooksAbsolute", L"[InstallAB]\nDefault=E:\\ff\\p\n",
                   L"E:\\ff\\p", false},
        ChoiceCase{"CarriageReturnsAndNoFinalLineEnd",
                   L"[Profile0]\r\nName=x\r\nIsRelative=1\r\nPath=Profiles/abc.def",
                   L"Profiles/abc.def", true},
        ChoiceCase{"NoProfileAtAll", L"[General]\nStartWithLastProfile=1\n", L"", true},
        ChoiceCase{"EmptyList", L"", L"", true},
        ChoiceCase{"KeysOutsideSectionsIgnored",
                   L"Path=nowhere\nDefault=nowhere\n[Profile0]\n"
                   L"Path=Profiles/real\n",
                   L"Profiles/real", true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

class ProfileLocator : public test::ProfileFixture {
protected:
    std::wstring Locate(ScrambledText name) {
        wchar_t out[kPathCapacity] = L"junk";
        const wchar_t* result = LocateProfileFile(out, kPathCapacity, name);
        if (result == nullptr) {
            EXPECT_STREQ(out, L"") << "a failure must leave the output empty";
            return L"<null>";
        }
        EXPECT_EQ(result, out);
        return out;
    }
};

TEST_F(ProfileLocator, BuildsPathInsideDefaultProfile) {
    EXPECT_TRUE(IsFirefoxInstalled());
    EXPECT_EQ(Locate(kPrefsFileName), test::ToProgramPath(PrefsJs()));
    EXPECT_EQ(Locate(kUserJsFileName), test::ToProgramPath(UserJs()));
    EXPECT_EQ(Locate(kRestoreBackupFileName), test::ToProgramPath(Backup()));
}

TEST_F(ProfileLocator, EveryRelativeSlashBecomesABackslash) {
    WriteProfileList("[Profile0]\nIsRelative=1\nPath=Profiles/deep/k3x9w2ab.default-release\n");
    EXPECT_EQ(Locate(kPrefsFileName), test::ToProgramPath(FirefoxFolder()) +
                                          L"\\Profiles\\deep\\k3x9w2ab.default-release\\prefs.js");
}

TEST_F(ProfileLocator, AbsoluteProfileIsUsedAsItStands) {
    const std::wstring elsewhere = test::ToProgramPath(folder_.Path() / "elsewhere");
    WriteProfileList("[Profile0]\nIsRelative=0\nPath=" + Utf16ToUtf8(elsewhere.c_str()) + "\r\n");
    EXPECT_EQ(Locate(kUserJsFileName), elsewhere + L"\\user.js");
}

TEST_F(ProfileLocator, NonAsciiProfilePathSurvives) {
    WriteProfileList("\xEF\xBB\xBF[Profile0]\nIsRelative=1\nPath=Profiles/J\xC3\xB8rn\n");
    EXPECT_EQ(Locate(kPrefsFileName),
              test::ToProgramPath(FirefoxFolder()) + L"\\Profiles\\J\u00F8rn\\prefs.js");
}

TEST_F(ProfileLocator, ListWithoutProfileNamesTheFirefoxFolder) {
    WriteProfileList("[General]\nVersion=2\n");
    EXPECT_EQ(Locate(kPrefsFileName), test::ToProgramPath(FirefoxFolder()) + L"\\prefs.js");
}

TEST_F(ProfileLocator, MissingListOrVariable) {
    std::filesystem::remove(FirefoxFolder() / "profiles.ini");
    EXPECT_FALSE(IsFirefoxInstalled());
    EXPECT_EQ(Locate(kPrefsFileName), L"<null>");
    WriteProfileList("[Profile0]\nPath=x\n");
    test::UnsetEnvironment("APPDATA");
    EXPECT_FALSE(IsFirefoxInstalled());
    EXPECT_EQ(Locate(kPrefsFileName), L"<null>");
}

TEST_F(ProfileLocator, PathTooLongIsAFailureNotATruncation) {
    const std::wstring base = test::ToProgramPath(FirefoxFolder());
    // Leaves room for "\prefs.js" (9 characters) only up to 259 characters in all.
    const std::size_t room = kPathCapacity - 1 - base.size() - 1 - 9;
    WriteProfileList("[Profile0]\nPath=" + std::string(room, 'p') + "\n");
    EXPECT_EQ(Locate(kPrefsFileName).size(), kPathCapacity - 1);
    EXPECT_EQ(Locate(kUserJsFileName).size(), kPathCapacity - 1 - 1);
    EXPECT_EQ(Locate(kRestoreBackupFileName), L"<null>");
    WriteProfileList("[Profile0]\nPath=" + std::string(room + 1, 'p') + "\n");
    EXPECT_EQ(Locate(kPrefsFileName), L"<null>");
}

TEST_F(ProfileLocator, SmallCapacityFails) {
    wchar_t out[8] = L"junk";
    EXPECT_EQ(LocateProfileFile(out, 8, kPrefsFileName), nullptr);
    EXPECT_STREQ(out, L"");
}

}  // namespace
