// The usage report's decisions: which features were used, whether that set is larger than the
// one already reported, and the registry number's text. The report is sent through a
// UsageSender, which the Windows layer implements with WinINet.
#pragma once

#include <cstdint>

// Features used in this run of the program, collected by the main window.
struct UsageFlags {
    bool noticeShown = false;    // 1: the License-model notice was shown at this start
    bool sectionOpened = false;  // 2: a section other than the first was opened
    bool infoOpened = false;     // 4: an option preview was shown
    bool applied = false;        // 8: Apply ran to its end
};

// The usage set: the sum of the flags' values, 0 to 15.
std::uint32_t UsageSet(const UsageFlags& flags);

// Outcome of SendUsageReport.
enum UsageSendStatus : int {
    kUsageSent = 0,
    kUsageNoSession = 1,     // the internet session could not be opened
    kUsageNoConnection = 2,  // no connection handle
    kUsageNoRequest = 3,     // the request could not be made
    kUsageSendFailed = 4,    // sending failed (also when the body could not be built)
};

// Sends one usage report whose usage field is flagsText (decimal).
class UsageSender {
public:
    virtual ~UsageSender() = default;
    virtual int SendUsageReport(const char* flagsText) = 0;
};

// Reports the usage set when it is larger, as an unsigned number, than the one reported before
// (ReportedUsage, or 0 when this is the first run of a new version). ReportedUsage is written
// first, so a failed report is not repeated for the same set. Returns true when it was sent.
class UsageReport {
public:
    explicit UsageReport(UsageSender& sender);

    bool Run(const UsageFlags& flags, bool noticeVersionChanged);

private:
    UsageSender& sender_;
};

// The registry value's number: the decimal text as wcstol reads it with 32-bit long (no digits
// give 0, values beyond the 32-bit range give its limits).
std::int32_t ParseRegistryNumber(const wchar_t* text);
