// Names of the main window's controls that the layout creates and the commands look up. The
// option check boxes and the editor path take theirs from the preference catalogue.
#pragma once

#include <string>

namespace controls {

inline constexpr const char* kSectionButtons[] = {"acMiscellaneous", "acPrivacy", "acRestore"};
// The section of the Restore button and its texts, after the two of options.
inline constexpr int kRestoreSection = 2;
inline constexpr char kAboutButton[] = "acAbout";
inline constexpr char kBrowseButton[] = "tb0_5";
inline constexpr char kRestoreTitle[] = "lbl2_0";
inline constexpr char kRestoreWarning[] = "lbl2_1";
inline constexpr char kRestoreButton[] = "btnRestore";
inline constexpr char kSettingsIcon[] = "btnSettings";
inline constexpr char kDonateIcon[] = "btnDonate";
inline constexpr char kApplyButton[] = "btnApply";
inline constexpr char kInfoButtonPrefix[] = "btnInfo";

// The Info button of an option: "btnInfo<section>_<record>".
inline std::string InfoButtonName(int section, int record) {
    return kInfoButtonPrefix + std::to_string(section) + "_" + std::to_string(record);
}

}  // namespace controls
