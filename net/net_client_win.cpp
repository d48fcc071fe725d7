// The Windows layer of the update check and the usage report: WinINet requests, the registry
// read and the shell call. Every decision lives in the portable files; this file only talks to
// the system, and every handle it opens is closed by its owner on every path.
#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <type_traits>

#include "net/net_client.h"
#include "net/service_request.h"
#include "net/web_site.h"
#include "settings/scrambled_text.h"
#include "settings/text_util.h"

namespace {

constexpr auto kBuildKeyPath = Scramble("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
constexpr auto kBuildValueName = Scramble("CurrentBuild");

// The registry value is read into 12 UTF-16 units: 11 characters and the terminator.
constexpr DWORD kRegistryNumberUnits = 12;

struct InternetCloser {
    void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct WideText {
    wchar_t text[kUnscrambledCapacity];
    explicit WideText(ScrambledText stored) { UnscrambleWide(text, stored); }
};

// WinINet's own limits let a silent service hold the window for minutes. Windows passes the
// limits set on the session to every handle below it; Wine reads the send and receive limits
// only from the connection, so both get them.
void LimitWaits(HINTERNET handle) {
    DWORD limit = kServiceWaitMilliseconds;
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(handle, option, &limit, sizeof limit);
    }
}

UniqueInternet OpenSession() {
    UniqueInternet session(InternetOpenW(WideText(kUserAgentName).text, INTERNET_OPEN_TYPE_DIRECT,
                                         nullptr, nullptr, 0));
    if (session) {
        LimitWaits(session.get());
    }
    return session;
}

UniqueInternet Connect(HINTERNET session) {
    UniqueInternet connection(InternetConnectW(session, WideText(kServiceHost).text, ServicePort(),
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (connection) {
        LimitWaits(connection.get());
    }
    return connection;
}

UniqueInternet OpenRequest(HINTERNET connection, ScrambledText verb, const wchar_t* path,
                           const wchar_t** acceptTypes) {
    const DWORD flags =
        INTERNET_FLAG_NO_CACHE_WRITE | (ServiceIsSecure() ? INTERNET_FLAG_SECURE : 0);
    return UniqueInternet(HttpOpenRequestW(connection, WideText(verb).text, path,
                                           WideText(kHttpVersion).text, nullptr, acceptTypes, flags,
                                           0));
}

// The answer's status code, or 0 when it cannot be read.
std::uint32_t StatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr)) {
        return 0;
    }
    return status;
}

class WinInetVersionRequester : public VersionRequester {
public:
    int RequestVersionInfo(char* buffer, std::size_t capacity, std::int32_t newVersion,
                           std::size_t& length, std::uint32_t& httpStatus) override {
        return ::RequestVersionInfo(buffer, capacity, newVersion, length, httpStatus);
    }
};

class WinInetUsageSender : public UsageSender {
public:
    int SendUsageReport(const char* flagsText) override { return ::SendUsageReport(flagsText); }
};

}  // namespace

int RequestVersionInfo(char* buffer, std::size_t capacity, std::int32_t newVersion,
                       std::size_t& length, std::uint32_t& httpStatus) {
    length = 0;
    httpStatus = 0;
    const UniqueInternet session = OpenSession();
    if (!session) {
        return kRequestNoSession;
    }
    wchar_t path[kVersionUrlCapacity];
    if (!BuildVersionPath(path, kVersionUrlCapacity, newVersion)) {
        return kRequestNoUrl;
    }
    const UniqueInternet connection = Connect(session.get());
    const UniqueInternet request =
        connection ? OpenRequest(connection.get(), kVersionVerb, path, nullptr) : nullptr;
    if (!request || !HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
        return kRequestNoUrl;
    }
    httpStatus = StatusCode(request.get());
    if (buffer == nullptr) {
        return kRequestDone;
    }
    DWORD read = 0;
    const DWORD wanted = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
    if (!InternetReadFile(request.get(), buffer, wanted, &read)) {
        return kRequestReadFailed;
    }
    length = read;
    return kRequestDone;
}

int CheckForUpdate(int force, UpdateCheckState& state) {
    WinInetVersionRequester requester;
    return UpdateCheck(requester, TodayDayNumber()).Run(force, state);
}

int SendUsageReport(const char* flagsText) {
    const UniqueInternet session = OpenSession();
    if (!session) {
        return kUsageNoSession;
    }
    const UniqueInternet connection = Connect(session.get());
    if (!connection) {
        return kUsageNoConnection;
    }
    const WideText acceptType(kAcceptType);
    const wchar_t* acceptTypes[] = {acceptType.text, nullptr};
    const UniqueInternet request =
        OpenRequest(connection.get(), kUsageVerb, WideText(kUsagePath).text, acceptTypes);
    if (!request) {
        return kUsageNoRequest;
    }
    char body[kUsageBodyCapacity];
    if (!BuildUsageBody(body, sizeof body, ReadRegistryNumber(), flagsText)) {
        return kUsageSendFailed;
    }
    wchar_t headers[kUnscrambledCapacity + 2];
    BoundedCopyWide(headers, WideText(kUsageHeaders).text, std::size(headers));
    BoundedAppendWide(headers, L"\r\n", std::size(headers));
    if (!HttpSendRequestW(request.get(), headers, static_cast<DWORD>(wcslen(headers)), body,
                          static_cast<DWORD>(strlen(body)))) {
        return kUsageSendFailed;
    }
    return kUsageSent;
}

void ReportUsage(const UsageFlags& flags, bool noticeVersionChanged) {
    WinInetUsageSender sender;
    UsageReport(sender).Run(flags, noticeVersionChanged);
}

std::int32_t ReadRegistryNumber() {
    return ReadRegistryNumberAt(WideText(kBuildKeyPath).text, WideText(kBuildValueName).text);
}

std::int32_t ReadRegistryNumberAt(const wchar_t* keyPath, const wchar_t* valueName) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
        ERROR_SUCCESS) {
        return 0;
    }
    const UniqueKey key(opened);
    wchar_t number[kRegistryNumberUnits] = {};
    DWORD size = sizeof number;
    if (RegGetValueW(key.get(), nullptr, valueName, RRF_RT_REG_SZ | RRF_ZEROONFAILURE, nullptr,
                     number, &size) != ERROR_SUCCESS ||
        number[0] == L'\0') {
        BoundedCopyWide(number, L"0", kRegistryNumberUnits);
    }
    return ParseRegistryNumber(number);
}

bool OpenDownloadPage() {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", WideText(kDownloadPage).text, nullptr,
                                           nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
