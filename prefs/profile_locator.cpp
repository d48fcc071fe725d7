// Locating the default Firefox profile from Firefox's profile list (an INI file).
#include "prefs/profile_locator.h"

#include <vector>

#include "prefs/profile_file.h"
#include "settings/data_roots.h"
#include "settings/platform.h"
#include "settings/text_util.h"

namespace {

constexpr auto kFirefoxFolder = Scramble("Mozilla\\Firefox");
// Firefox from the Microsoft Store keeps its per-user data in its package's folder.
constexpr auto kStoreFirefoxFolder =
    Scramble("Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Roaming\\Mozilla\\Firefox");

// Where a Firefox data folder lies: below the folder an environment variable names.
struct DataFolder {
    ScrambledText baseVariable;
    ScrambledText folder;
};
constexpr DataFolder kDataFolders[] = {
    {kRoamingDataVariable, kFirefoxFolder},
    {kLocalDataVariable, kStoreFirefoxFolder},
};
constexpr auto kProfileListName = Scramble("profiles.ini");
constexpr auto kPrefsName = Scramble("prefs.js");
constexpr auto kUserJsName = Scramble("user.js");
constexpr auto kBackupName = Scramble("prefs.js.quorvane-backup");
constexpr auto kLockName = Scramble("parent.lock");

// The profile list is a few hundred bytes; anything this large is not one.
constexpr std::size_t kMaxProfileListSize = 1024u * 1024u;

struct ProfileSection {
    std::wstring path;
    bool isRelative = true;
    bool isDefault = false;
};

// What the list says, in the order Firefox itself consults it.
struct ProfileList {
    std::vector<ProfileSection> profiles;
    std::wstring installDefault;  // Default= of the first [Install...] section
};

enum class SectionKind { kOther, kProfile, kInstall };

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r')) {
        text.remove_suffix(1);
    }
    return text;
}

SectionKind KindOf(std::wstring_view header) {
    if (StartsWith(header, L"[Profile")) {
        return SectionKind::kProfile;
    }
    return StartsWith(header, L"[Install") ? SectionKind::kInstall : SectionKind::kOther;
}

ProfileList ParseProfileList(std::wstring_view text) {
    ProfileList list;
    SectionKind section = SectionKind::kOther;
    bool inFirstInstall = false;
    bool installSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find(L'\n');
        const std::wstring_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.front() == L'[') {
            section = KindOf(line);
            inFirstInstall = section == SectionKind::kInstall && !installSeen;
            installSeen = installSeen || section == SectionKind::kInstall;
            if (section == SectionKind::kProfile) {
                list.profiles.emplace_back();
            }
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos) {
            continue;
        }
        const std::wstring_view key = line.substr(0, equals);
        const std::wstring_view value = line.substr(equals + 1);
        if (section == SectionKind::kProfile) {
            ProfileSection& profile = list.profiles.back();
            if (key == L"Path") {
                profile.path = value;
            } else if (key == L"IsRelative") {
                profile.isRelative = value != L"0";
            } else if (key == L"Default") {
                profile.isDefault = value == L"1";
            }
        } else if (inFirstInstall && key == L"Default") {
            list.installDefault = value;
        }
    }
    return list;
}

bool LooksAbsolute(std::wstring_view path) {
    const bool drive = path.size() >= 2 && path[1] == L':';
    return drive || StartsWith(path, L"\\\\") || StartsWith(path, L"//");
}

bool Append(wchar_t* out, std::size_t capacity, const wchar_t* text) {
    return BoundedAppendWide(out, text, capacity) < capacity;
}

// Base folder and Firefox data folder, e.g. C:\Users\Ann\AppData\Roaming\Mozilla\Firefox.
bool BuildDataFolder(const DataFolder& where, wchar_t* out, std::size_t capacity) {
    out[0] = L'\0';
    wchar_t name[kUnscrambledCapacity];
    std::wstring base;
    if (!platform::GetEnvironment(UnscrambleWide(name, where.baseVariable), base)) {
        return false;
    }
    return Append(out, capacity, base.c_str()) && Append(out, capacity, L"\\") &&
           Append(out, capacity, UnscrambleWide(name, where.folder));
}

bool BuildProfileListPath(const wchar_t* firefoxFolder, wchar_t* out, std::size_t capacity) {
    wchar_t name[kUnscrambledCapacity];
    out[0] = L'\0';
    return Append(out, capacity, firefoxFolder) && Append(out, capacity, L"\\") &&
           Append(out, capacity, UnscrambleWide(name, kProfileListName));
}

// The Firefox data folder whose profile list is there, the one written last when both the usual
// and the Store app's are (the usual one on a tie).
bool FindFirefoxFolder(wchar_t* out, std::size_t capacity) {
    bool found = false;
    std::int64_t newest = 0;
    for (const DataFolder& where : kDataFolders) {
        wchar_t folder[kPathCapacity];
        wchar_t list[kPathCapacity];
        std::int64_t written = 0;
        if (BuildDataFolder(where, folder, kPathCapacity) &&
            BuildProfileListPath(folder, list, kPathCapacity) &&
            platform::FileWriteTime(list, written) && (!found || written > newest)) {
            out[0] = L'\0';
            found = Append(out, capacity, folder);
            newest = written;
        }
    }
    return found;
}

bool ReadProfileList(const wchar_t* firefoxFolder, std::wstring& text) {
    wchar_t path[kPathCapacity];
    FileText file;
    if (!BuildProfileListPath(firefoxFolder, path, kPathCapacity) ||
        ReadWholeFile(path, kMaxProfileListSize, file) != FileReadResult::kRead) {
        return false;
    }
    std::string_view bytes = file.View();
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    text = Utf8ToUtf16(std::string(bytes).c_str());
    return true;
}

// The profile folder: a relative path lies below the Firefox data folder, with '/' turned into
// the Windows separator; an absolute one is used as it stands.
bool BuildProfileFolder(const wchar_t* firefoxFolder, const ProfileChoice& choice, wchar_t* out,
                        std::size_t capacity) {
    out[0] = L'\0';
    if (!choice.isRelative) {
        return Append(out, capacity, choice.path.c_str());
    }
    if (!Append(out, capacity, firefoxFolder)) {
        return false;
    }
    if (choice.path.empty()) {
        return true;
    }
    std::wstring relative = choice.path;
    for (wchar_t& c : relative) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return Append(out, capacity, L"\\") && Append(out, capacity, relative.c_str());
}

}  // namespace

const ScrambledText kPrefsFileName = kPrefsName;
const ScrambledText kUserJsFileName = kUserJsName;
const ScrambledText kRestoreBackupFileName = kBackupName;
const ScrambledText kProfileLockFileName = kLockName;

ProfileChoice ChooseDefaultProfile(std::wstring_view profileList) {
    const ProfileList list = ParseProfileList(profileList);
    if (!list.installDefault.empty()) {
        for (const ProfileSection& profile : list.profiles) {
            if (profile.path == list.installDefault) {
                return {profile.path, profile.isRelative};
            }
        }
        return {list.installDefault, !LooksAbsolute(list.installDefault)};
    }
    for (const ProfileSection& profile : list.profiles) {
        if (profile.isDefault && !profile.path.empty()) {
            return {profile.path, profile.isRelative};
        }
    }
    for (const ProfileSection& profile : list.profiles) {
        if (!profile.path.empty()) {
            return {profile.path, profile.isRelative};
        }
    }
    return {};
}

bool IsFirefoxInstalled() {
    wchar_t folder[kPathCapacity];
    std::wstring list;
    return FindFirefoxFolder(folder, kPathCapacity) && ReadProfileList(folder, list);
}

ProfileFolder ProfileFolder::Locate() {
    ProfileFolder profile;
    std::wstring list;
    wchar_t firefox[kPathCapacity];
    if (!FindFirefoxFolder(firefox, kPathCapacity) || !ReadProfileList(firefox, list) ||
        !BuildProfileFolder(firefox, ChooseDefaultProfile(list), profile.folder_, kPathCapacity)) {
        profile.folder_[0] = L'\0';
    }
    return profile;
}

wchar_t* ProfileFolder::FilePath(wchar_t* out, std::size_t capacity, ScrambledText fileName) const {
    if (out == nullptr || capacity == 0) {
        return nullptr;
    }
    out[0] = L'\0';
    wchar_t name[kUnscrambledCapacity];
    if (!Located() || !Append(out, capacity, folder_) || !Append(out, capacity, L"\\") ||
        !Append(out, capacity, UnscrambleWide(name, fileName))) {
        out[0] = L'\0';
        return nullptr;
    }
    return out;
}

wchar_t* LocateProfileFile(wchar_t* out, std::size_t capacity, ScrambledText fileName) {
    return ProfileFolder::Locate().FilePath(out, capacity, fileName);
}
