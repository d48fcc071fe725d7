// Update check decisions: when to ask the service, what to remember, how to read its answer.
#include "net/update_check.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "net/net_settings.h"
#include "net/service_names.h"
#include "net/service_request.h"
#include "settings/platform.h"
#include "settings/settings_store.h"

namespace {

constexpr auto kAnswerFieldName = Scramble(service_names::kUpdateAnswerField);

// InstalledVersion is read into this many bytes; a longer stored text reads as the default.
constexpr std::size_t kInstalledVersionCapacity = 12;
static_assert(sizeof(kProductVersion) <= kInstalledVersionCapacity,
              "InstalledVersion must be able to hold the version it is compared with");

// The low bits of LastCheckResult that hold the result.
constexpr std::uint32_t kStoredResultMask = 7;

// Builds "name" (with its quotes) into pattern, cutting the name so the whole fits 50 bytes.
std::size_t BuildPattern(char* pattern, const char* fieldName) {
    pattern[0] = '"';
    std::size_t length = 1;
    for (const char* c = fieldName; *c != '\0' && length < kMaxAnswerPattern - 1; ++c) {
        pattern[length++] = *c;
    }
    pattern[length++] = '"';
    pattern[length] = '\0';
    return length;
}

// Position just after the first occurrence of the pattern, or length when there is none. A byte
// that breaks a partial match resets the match and is not tried again as a new start.
std::size_t FindPatternEnd(const char* answer, std::size_t length, const char* pattern,
                           std::size_t patternLength) {
    std::size_t matched = 0;
    for (std::size_t i = 0; i < length; ++i) {
        matched = answer[i] == pattern[matched] ? matched + 1 : 0;
        if (matched == patternLength) {
            return i + 1;
        }
    }
    return length;
}

// Reads the value after the field name: spaces are skipped, a colon starts the value, a comma or
// closing brace ends it, and the value must be digits only.
int ScanValue(const char* answer, std::size_t position, std::size_t length) {
    char digits[kMaxAnswerDigits + 1] = {};
    std::size_t count = 0;
    bool inValue = false;
    for (; position < length; ++position) {
        const char c = answer[position];
        if (c == ' ') {
            continue;
        }
        if (c == ',' || c == '}') {
            break;
        }
        if (!inValue) {
            inValue = c == ':';
            continue;
        }
        if (c < '0' || c > '9' || count == kMaxAnswerDigits) {
            return kUpToDate;
        }
        digits[count++] = c;
    }
    return std::strtol(digits, nullptr, 10) == 1 ? kNewVersionAvailable : kUpToDate;
}

}  // namespace

std::uint32_t DayNumber(std::int32_t year, std::int32_t month, std::int32_t day) {
    std::int64_t y = year;
    std::int64_t m = month;
    if (m == 1 || m == 2) {
        y -= 1;
        m += 12;
    }
    const std::int64_t number =
        day + (153 * m - 457) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 306;
    return static_cast<std::uint32_t>(number);
}

std::uint32_t TodayDayNumber() {
    std::tm local{};
    if (!platform::LocalTime(platform::CurrentTime(), local)) {
        return 0;
    }
    return DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int ScanAnswerField(const char* answer, std::size_t length, const char* fieldName) {
    if (answer == nullptr || fieldName == nullptr || length == 0) {
        return kUpToDate;
    }
    char pattern[kMaxAnswerPattern + 1];
    const std::size_t patternLength = BuildPattern(pattern, fieldName);
    const std::size_t valueStart = FindPatternEnd(answer, length, pattern, patternLength);
    if (valueStart == length) {
        return kUpToDate;
    }
    return ScanValue(answer, valueStart, length);
}

int ScanVersionAnswer(const char* answer, std::size_t length) {
    char fieldName[kUnscrambledCapacity];
    return ScanAnswerField(answer, length, Unscramble(fieldName, kAnswerFieldName));
}

UpdateCheck::UpdateCheck(VersionRequester& requester, std::uint32_t today)
    : requester_(requester), today_(today) {}

int UpdateCheck::Run(int force, UpdateCheckState& state) {
    if (state.count >= kAnsweredChecksPerDay && state.day == today_) {
        return CachedResult();
    }
    CountCheck(state);
    if (!ShouldAsk(force)) {
        return kUpToDate;
    }
    return AskService(InstalledVersionChanged() ? 1 : 0);
}

// The day's sixth and later checks: a bare request tells whether the service is reachable, the
// stored result answers. Only a stored 0 or 1 counts as a result.
int UpdateCheck::CachedResult() {
    const auto stored = static_cast<std::uint32_t>(
        ReadSettingInt(SettingKeyText(kLastCheckResultKey).text, 0, kPrimaryRoot));
    std::size_t unused = 0;
    if (!Answered(nullptr, 0, 0, unused)) {
        return kServiceUnavailable;
    }
    const std::uint32_t result = stored & kStoredResultMask;
    const bool isResult = stored - result == static_cast<std::uint32_t>(kStoredResultBase) &&
                          result <= kNewVersionAvailable;
    return isResult ? static_cast<int>(result) : kUpToDate;
}

void UpdateCheck::CountCheck(UpdateCheckState& state) const {
    state.count = state.day == today_ ? state.count + 1 : 1;
    state.day = today_;
}

// The user's check always asks; the automatic one only when enabled and not yet answered today.
bool UpdateCheck::ShouldAsk(int force) const {
    if (force != kAutomaticCheck) {
        return true;
    }
    if (ReadSettingInt(SettingKeyText(kUpdateCheckEnabledKey).text, 1, kPrimaryRoot) != 1) {
        return false;
    }
    const auto lastDay = static_cast<std::uint32_t>(
        ReadSettingInt(SettingKeyText(kLastCheckDayKey).text, 0, kPrimaryRoot));
    return lastDay != today_;
}

bool UpdateCheck::InstalledVersionChanged() const {
    char installed[kInstalledVersionCapacity] = {};
    ReadSettingText(installed, sizeof installed, SettingKeyText(kInstalledVersionKey).text, "",
                    kSecondaryRoot);
    return std::strcmp(installed, kProgramVersion) != 0;
}

// True when the request went through and the service answered with status 200. Any other
// status (a stopped service behind a proxy, a missing release, a wrong path) is no answer.
bool UpdateCheck::Answered(char* buffer, std::size_t capacity, std::int32_t newVersion,
                           std::size_t& length) {
    std::uint32_t httpStatus = 0;
    return requester_.RequestVersionInfo(buffer, capacity, newVersion, length, httpStatus) ==
               kRequestDone &&
           httpStatus == kHttpOk;
}

// Asks the service and records the answer. The new version is recorded only once the service
// has been told about it, so a first check that fails still reports it next time.
int UpdateCheck::AskService(std::int32_t newVersion) {
    char answer[kVersionAnswerCapacity];
    std::size_t length = 0;
    if (!Answered(answer, sizeof answer, newVersion, length)) {
        return kServiceUnavailable;
    }
    if (newVersion != 0) {
        WriteSettingText(SettingKeyText(kInstalledVersionKey).text, kProgramVersion,
                         kSecondaryRoot);
    }
    WriteSettingInt(SettingKeyText(kLastCheckDayKey).text, static_cast<std::int32_t>(today_),
                    kPrimaryRoot);
    const int result = ScanVersionAnswer(answer, length < sizeof answer ? length : sizeof answer);
    WriteSettingInt(SettingKeyText(kLastCheckResultKey).text, kStoredResultBase + result,
                    kPrimaryRoot);
    return result;
}
