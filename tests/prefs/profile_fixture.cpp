// A fake per-user data folder with Firefox's profile list and one default profile.
#include "tests/prefs/profile_fixture.h"

#include <cstring>

namespace test {

void ProfileFixture::SetUp() {
    std::filesystem::create_directories(ProfileFolder());
    WriteProfileList(
        "[Profile0]\nName=default-release\nIsRelative=1\n"
        "Path=Profiles/k3x9w2ab.default-release\nDefault=1\n\n"
        "[General]\nStartWithLastProfile=1\nVersion=2\n");
    SetEnvironment("APPDATA", ToProgramPath(folder_.Path()));
}

void ProfileFixture::WriteProfileList(const std::string& text) const {
    WriteFileBytes(FirefoxFolder() / "profiles.ini", text);
}

PrefRecord& RecordFor(const char* preference, PrefSection& misc, PrefSection& privacy) {
    for (const PrefOption& option : kPrefCatalogue) {
        if (std::strcmp(option.preference, preference) == 0) {
            return RecordOf(option, misc, privacy);
        }
    }
    ADD_FAILURE() << "not in the catalogue: " << preference;
    return misc[kPrefSectionSize - 1];
}

}  // namespace test
