// Filter texts of the file dialogs.
#include "prefs/file_dialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitFileFilter, TheProgramsTwoFilters) {
    const auto open = SplitFileFilter(L"Executable Files (*.exe)");
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].name, L"Executable Files (*.exe)");
    EXPECT_EQ(open[0].pattern, L"*.exe");

    const auto save = SplitFileFilter(L"Preferences (*.js)");
    ASSERT_EQ(save.size(), 1u);
    EXPECT_EQ(save[0].pattern, L"*.js");
}

TEST(SplitFileFilter, SeveralEntries) {
    const auto types = SplitFileFilter(L"Programs (*.exe)|Scripts (*.cmd)||All (*)");
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types[0].pattern, L"*.exe");
    EXPECT_EQ(types[1].name, L"Scripts (*.cmd)");
    EXPECT_EQ(types[1].pattern, L"*.cmd");
    EXPECT_EQ(types[2].pattern, L"(*");  // one character before the last '*', up to the ')'
}

TEST(SplitFileFilter, EntriesWithoutPatternMatchEverything) {
    for (const wchar_t* entry : {L"Anything", L"*", L"(x"}) {
        const auto types = SplitFileFilter(entry);
        ASSERT_EQ(types.size(), 1u) << entry;
        EXPECT_EQ(types[0].pattern, L"*.*") << entry;
    }
    EXPECT_TRUE(SplitFileFilter(L"").empty());
}

}  // namespace
