// Usage report decisions: the usage set, the comparison with what was reported before, and the
// registry number.
#include "net/usage_report.h"

#include <cstdint>
#include <cwchar>

#include "net/net_settings.h"
#include "settings/settings_store.h"
#include "settings/text_util.h"

namespace {

struct FlagValue {
    bool UsageFlags::*flag;
    std::uint32_t value;
};

constexpr FlagValue kFlagValues[] = {
    {&UsageFlags::noticeShown, 1},
    {&UsageFlags::sectionOpened, 2},
    {&UsageFlags::infoOpened, 4},
    {&UsageFlags::applied, 8},
};

}  // namespace

std::uint32_t UsageSet(const UsageFlags& flags) {
    std::uint32_t usage = 0;
    for (const FlagValue& entry : kFlagValues) {
        if (flags.*entry.flag) {
            usage += entry.value;
        }
    }
    return usage;
}

UsageReport::UsageReport(UsageSender& sender) : sender_(sender) {}

bool UsageReport::Run(const UsageFlags& flags, bool noticeVersionChanged) {
    const std::uint32_t usage = UsageSet(flags);
    if (usage == 0) {
        return false;
    }
    char key[kUnscrambledCapacity];
    Unscramble(key, kReportedUsageKey);
    const std::uint32_t previous =
        noticeVersionChanged ? 0 : static_cast<std::uint32_t>(ReadSettingInt(key, 0, kPrimaryRoot));
    if (usage <= previous) {
        return false;
    }
    WriteSettingInt(key, static_cast<std::int32_t>(usage), kPrimaryRoot);
    char flagsText[kFormatLongCapacity];
    FormatLong(flagsText, sizeof flagsText, static_cast<std::int32_t>(usage));
    sender_.SendUsageReport(flagsText);
    return true;
}

std::int32_t ParseRegistryNumber(const wchar_t* text) {
    if (text == nullptr) {
        return 0;
    }
    const long long value = std::wcstoll(text, nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}
