// The update check's decisions: the day number, the per-run cache of five checks, the daily
// limit, the version-change flag and the scan of the service's answer. The request itself is
// made through a VersionRequester, which the Windows layer implements with WinINet.
#pragma once

#include <cstddef>
#include <cstdint>

// Checks started on day `day` in this run of the program; owned by the main window, zeroed at
// its construction and passed to every check.
struct UpdateCheckState {
    std::uint32_t count = 0;
    std::uint32_t day = 0;
};

// Which check runs: CheckForUpdate's force argument.
enum UpdateCheckKind : int {
    kAutomaticCheck = 0,  // at start-up: at most one answered request a day, shows only news
    kRequestedCheck = 1,  // the user's "Update" command: always asks, shows every result
};

// Outcome of an update check.
enum UpdateResult : int {
    kUpToDate = 0,             // no newer version, or no check made
    kNewVersionAvailable = 1,  // the service names a newer version
    kServiceUnavailable = 2,   // the service could not be reached
};

// Outcome of one version request.
enum VersionRequestStatus : int {
    kRequestDone = 0,
    kRequestNoSession = 1,  // the internet session could not be opened
    kRequestNoUrl = 2,      // the URL could not be opened (or built)
    kRequestReadFailed = 3,
};

// The only HTTP status whose answer counts; any other status is a service that did not answer.
constexpr std::uint32_t kHttpOk = 200;

// From the sixth check of a day on, a run answers from the stored result.
constexpr std::uint32_t kAnsweredChecksPerDay = 5;

// The answer is read once into a buffer of this size.
constexpr std::size_t kVersionAnswerCapacity = 512;

// The longest run of digits accepted as the answer's value.
constexpr std::size_t kMaxAnswerDigits = 50;

// The quoted field name is cut to this many bytes, quotes included.
constexpr std::size_t kMaxAnswerPattern = 50;

// Proleptic Gregorian ordinal of a calendar date (1 January of year 1 is day 1).
std::uint32_t DayNumber(std::int32_t year, std::int32_t month, std::int32_t day);

// Day number of today's local date; 0 when the local time cannot be had.
std::uint32_t TodayDayNumber();

// Scans an answer for "fieldName": followed by decimal digits. Returns kNewVersionAvailable
// when the value is exactly the number 1, else kUpToDate (field missing, value malformed, more
// than 50 digits).
int ScanAnswerField(const char* answer, std::size_t length, const char* fieldName);

// ScanAnswerField with the field name the update service answers with.
int ScanVersionAnswer(const char* answer, std::size_t length);

// Sends one version request. With no buffer, the request is sent and closed without reading;
// otherwise one read of at most capacity bytes fills it and length receives the count.
// httpStatus receives the answer's HTTP status, 0 when there is none or it cannot be read.
class VersionRequester {
public:
    virtual ~VersionRequester() = default;
    virtual int RequestVersionInfo(char* buffer, std::size_t capacity, std::int32_t newVersion,
                                   std::size_t& length, std::uint32_t& httpStatus) = 0;
};

// One update check on a given day. force is kAutomaticCheck for the check at start-up, anything
// else for the check the user asks for. Reads and writes the settings UpdateCheckEnabled,
// LastCheckDay, LastCheckResult and InstalledVersion.
class UpdateCheck {
public:
    UpdateCheck(VersionRequester& requester, std::uint32_t today);

    int Run(int force, UpdateCheckState& state);

private:
    int CachedResult();
    void CountCheck(UpdateCheckState& state) const;
    bool ShouldAsk(int force) const;
    bool InstalledVersionChanged() const;
    bool Answered(char* buffer, std::size_t capacity, std::int32_t newVersion, std::size_t& length);
    int AskService(std::int32_t newVersion);

    VersionRequester& requester_;
    std::uint32_t today_;
};
