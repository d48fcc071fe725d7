// Reading the update service's admin page, writing its release file, and the stand-in listener.
#include "tests/net/live_service.h"

#include <windows.h>
#include <wininet.h>
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

struct InternetCloser {
    void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

// The whole body of a GET request, or "" when no answer comes.
std::string HttpGet(const std::wstring& url) {
    const UniqueInternet session(
        InternetOpenW(L"tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    const UniqueInternet request(
        InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    std::string body;
    char chunk[4096];
    for (DWORD read = 0;
         request && InternetReadFile(request.get(), chunk, sizeof chunk, &read) && read > 0;) {
        body.append(chunk, read);
    }
    return body;
}

}  // namespace

ServiceInspection::ServiceInspection()
    : body_(HttpGet(L"http://127.0.0.1:" + std::to_wstring(QUORVANE_TEST_ADMIN_PORT) +
                    L"/v1/inspect")) {}

long ServiceInspection::Count(const std::string& table, const std::string& fields) const {
    const std::size_t start = body_.find("\"" + table + "\":{\"count\":");
    const std::string marker = fields.empty() ? "\"count\":" : fields + ",\"count\":";
    const std::size_t at = start == std::string::npos ? start : body_.find(marker, start);
    if (at == std::string::npos || at > body_.find("]}", start)) {
        return fields.empty() ? -1 : 0;
    }
    return std::strtol(body_.c_str() + at + marker.size(), nullptr, 10);
}

void PublishRelease(const char* version) {
    std::remove(QUORVANE_TEST_RELEASE_FILE);
    if (version != nullptr) {
        std::ofstream(QUORVANE_TEST_RELEASE_FILE, std::ios::binary) << version << "\n";
    }
}

SilentService::SilentService() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{AF_INET, htons(QUORVANE_TEST_SERVICE_PORT), {{{127, 0, 0, 1}}}, {}};
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        listen(listener, SOMAXCONN) == 0) {
        socket_ = listener;
    } else {
        closesocket(listener);
    }
}

SilentService::~SilentService() {
    if (socket_ != ~0ull) {
        closesocket(socket_);
    }
    WSACleanup();
}
