// The managed Firefox preferences: one constant table that the reader, the writer, Restore and
// the main window's layout all follow, and the in-memory records that carry their values.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "prefs/editor_path_limits.h"

// How a check box maps to the stored boolean value.
enum class PrefKind {
    InvertedBool,  // checked exactly when the preference holds the clear literal
    Bool,          // checked exactly when the preference holds the set literal
    Text,          // a quoted text, its backslashes, quotes and control characters escaped
};

// The value Firefox uses while a preference is set in neither file; kNone for a name Firefox does
// not define, which then takes a value of any type.
enum class FirefoxDefault { kFalse, kTrue, kEmptyText, kNone };

// One row of the option table.
struct PrefOption {
    int section;             // 0 = "acMiscellaneous" page, 1 = "acPrivacy" page
    int record;              // index into that page's PrefSection
    const char* control;     // name of the control that shows the value
    const wchar_t* label;    // check box text; null for the editor path
    const char* preference;  // Firefox preference name
    PrefKind kind;
    FirefoxDefault firefoxDefault;
    bool hasInfo;  // an "Info" button opens a preview of the option
};

inline constexpr PrefOption kPrefCatalogue[] = {
    {0, 0, "chb0_0", L"Prevent Firefox from exiting when last tab is closed",
     "browser.tabs.closeWindowWithLastTab", PrefKind::InvertedBool, FirefoxDefault::kTrue, false},
    {0, 1, "chb0_1", L"Do not allow websites to prevent use of right-click",
     "dom.event.contextmenu.enabled", PrefKind::InvertedBool, FirefoxDefault::kTrue, false},
    {0, 2, "chb0_2", L"Do not allow websites to prevent copy and paste",
     "dom.event.clipboardevents.enabled", PrefKind::InvertedBool, FirefoxDefault::kTrue, false},
    {0, 3, "chb0_3", L"Open new tab for search box result", "browser.search.openintab",
     PrefKind::Bool, FirefoxDefault::kFalse, true},
    {0, 4, "chb0_4", L"Disable about:config warning", "browser.aboutConfig.showWarning",
     PrefKind::InvertedBool, FirefoxDefault::kTrue, true},
    {0, 5, "chb0_5", L"View source code in custom editor", "view_source.editor.external",
     PrefKind::Bool, FirefoxDefault::kFalse, false},
    {0, 6, "le0_5", nullptr, "view_source.editor.path", PrefKind::Text, FirefoxDefault::kEmptyText,
     false},
    {1, 0, "chb1_0", L"Disable WebRTC", "media.peerconnection.enabled", PrefKind::InvertedBool,
     FirefoxDefault::kTrue, true},
    {1, 1, "chb1_1", L"Disable website can read installed plugins", "read plugins", PrefKind::Bool,
     FirefoxDefault::kNone, false},
    // "Disable ..." and "Prevent ..." switch a feature off: ticked stores false.
    {1, 2, "chb1_2", L"Disable website can read how much battery mobile device has",
     "dom.battery.enabled", PrefKind::InvertedBool, FirefoxDefault::kTrue, false},
    {1, 3, "chb1_3", L"Disable geolocation", "geo.enabled", PrefKind::InvertedBool,
     FirefoxDefault::kTrue, true},
    {1, 4, "chb1_4", L"Prevent website tracking clicks", "browser.send_pings",
     PrefKind::InvertedBool, FirefoxDefault::kFalse, true},
};

inline constexpr std::size_t kPrefOptionCount = std::size(kPrefCatalogue);

// The box state that Firefox's default stands for: what an option shows while its preference is
// absent ("read plugins" is no preference of Firefox's: absent, its box is unticked).
constexpr std::uint32_t DefaultFlag(const PrefOption& option) {
    const bool isSet = option.firefoxDefault == FirefoxDefault::kTrue;
    return option.kind == PrefKind::InvertedBool ? !isSet : isSet;
}

// The editor switch ("chb0_5") and the editor path ("le0_5") work as a pair.
inline constexpr const PrefOption& kEditorSwitchOption = kPrefCatalogue[5];
inline constexpr const PrefOption& kEditorPathOption = kPrefCatalogue[6];
static_assert(kEditorPathOption.kind == PrefKind::Text);
static_assert(std::string_view(kEditorSwitchOption.preference) == "view_source.editor.external");

// Names whose statements Restore takes out of prefs.js. The editor preferences stay;
// "webgl.disabled" goes although no option manages it.
inline constexpr const char* kRestoreNameList[] = {
    kPrefCatalogue[0].preference,  kPrefCatalogue[1].preference,
    kPrefCatalogue[2].preference,  kPrefCatalogue[3].preference,
    kPrefCatalogue[4].preference,  kPrefCatalogue[7].preference,
    kPrefCatalogue[8].preference,  kPrefCatalogue[9].preference,
    kPrefCatalogue[10].preference, "webgl.disabled",
    kPrefCatalogue[11].preference,
};

struct PrefValue {
    std::uint32_t flag;  // check boxes: 1 = checked, 0 = unchecked
    // The editor path; for a box whose preference holds a value of another type (a number, a
    // text), that value as the file would hold it (current only).
    char text[kPrefTextCapacity];
};

// One managed preference: the value last read, the value taken from the control at Apply, and
// found: 1 when a statement of the files sets the value Firefox uses and the record holds it.
struct PrefRecord {
    PrefValue current;
    PrefValue pending;
    std::uint32_t found;
};

// Records a page: a fixed 20, more than either page uses (7 and 5), so that an option added to the
// catalogue needs no other change.
inline constexpr std::size_t kPrefSectionSize = 20;
using PrefSection = std::array<PrefRecord, kPrefSectionSize>;
static_assert(std::all_of(std::begin(kPrefCatalogue), std::end(kPrefCatalogue),
                          [](const PrefOption& option) {
                              return option.record >= 0 &&
                                     static_cast<std::size_t>(option.record) < kPrefSectionSize;
                          }));

// The record an option's value lives in.
inline PrefRecord& RecordOf(const PrefOption& option, PrefSection& misc, PrefSection& privacy) {
    return (option.section == 0 ? misc : privacy)[static_cast<std::size_t>(option.record)];
}
inline const PrefRecord& RecordOf(const PrefOption& option, const PrefSection& misc,
                                  const PrefSection& privacy) {
    return (option.section == 0 ? misc : privacy)[static_cast<std::size_t>(option.record)];
}
