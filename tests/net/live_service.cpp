// Reading the update service's inspection page and writing its release file.
#include "tests/net/live_service.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

struct InternetCloser {
    void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

}  // namespace

std::string HttpGet(const std::wstring& url) {
    const UniqueInternet session(
        InternetOpenW(L"Quorvane tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) {
        return "";
    }
    const UniqueInternet request(
        InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) {
        return "";
    }
    std::string body;
    char chunk[4096];
    DWORD read = 0;
    while (InternetReadFile(request.get(), chunk, sizeof chunk, &read) && read > 0) {
        body.append(chunk, read);
    }
    return body;
}

ServiceInspection::ServiceInspection(int port)
    : body_(HttpGet(L"http://127.0.0.1:" + std::to_wstring(port) + L"/v1/inspect")) {}

long ServiceInspection::Count(const std::string& table) const {
    const std::size_t at = Find(table);
    return at == std::string::npos ? -1 : std::strtol(body_.c_str() + at, nullptr, 10);
}

std::string ServiceInspection::Latest(const std::string& table) const {
    std::size_t at = Find(table);
    if (at == std::string::npos || (at = body_.find("\"latest\":[{", at)) == std::string::npos ||
        (at = body_.find(',', at)) == std::string::npos) {
        return "";
    }
    return body_.substr(at + 1, body_.find('}', at) - at);
}

std::size_t ServiceInspection::Find(const std::string& table) const {
    const std::string marker = "\"" + table + "\":{\"count\":";
    const std::size_t at = body_.find(marker);
    return at == std::string::npos ? at : at + marker.size();
}

void PublishRelease(const char* releaseFile, const char* version) {
    std::ofstream release(releaseFile, std::ios::binary | std::ios::trunc);
    release << version << "\n";
}
