// A fake per-user data folder with Firefox's profile list and one default profile, for tests of
// the preference engine.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "prefs/catalogue.h"
#include "tests/test_support.h"

namespace test {

class ProfileFixture : public ::testing::Test {
protected:
    void SetUp() override;

    std::filesystem::path FirefoxFolder() const { return folder_.Path() / "Mozilla" / "Firefox"; }
    std::filesystem::path ProfileFolder() const {
        return FirefoxFolder() / "Profiles" / "k3x9w2ab.default-release";
    }
    std::filesystem::path PrefsJs() const { return ProfileFolder() / "prefs.js"; }
    std::filesystem::path UserJs() const { return ProfileFolder() / "user.js"; }
    std::filesystem::path Backup() const { return ProfileFolder() / "prefs.js.quorvane-backup"; }

    void WriteProfileList(const std::string& text) const;

    TempFolder folder_;
    PrefSection misc_{};
    PrefSection privacy_{};
};

// The record of the catalogue entry that holds a preference name.
PrefRecord& RecordFor(const char* preference, PrefSection& misc, PrefSection& privacy);

}  // namespace test
