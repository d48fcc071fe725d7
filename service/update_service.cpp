// The update service's request handling on cpp-httplib.
#include "service/update_service.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <ctime>
#include <string_view>

#include "service/form_fields.h"
#include "service/release.h"

namespace {

constexpr const char* kJson = "application/json";
constexpr std::size_t kInspectRows = 20;
constexpr int kWorkerThreads = 4;
constexpr time_t kReadTimeoutSeconds = 5;
constexpr std::chrono::milliseconds kStartPoll(2);
constexpr int kStartPolls = 2500;

void SetError(httplib::Response& response, int status, const char* reason) {
    response.status = status;
    response.set_content(std::string("{\"error\":\"") + reason + "\"}", kJson);
}

// The query text exactly as sent: the target after its first '?'.
std::string_view RawQuery(const httplib::Request& request) {
    const std::string_view target = request.target;
    const std::size_t question = target.find('?');
    return question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
}

bool IsFormContent(const httplib::Request& request) {
    const std::string type = request.get_header_value("Content-Type");
    const std::string_view form = "application/x-www-form-urlencoded";
    return type.rfind(form, 0) == 0 && (type.size() == form.size() || type[form.size()] == ';');
}

std::string CheckJson(const VersionCheckRecord& record) {
    return "{\"time\":" + std::to_string(record.time) +
           ",\"product\":" + std::to_string(record.product) +
           ",\"version\":" + std::to_string(record.version) +
           ",\"edition\":" + std::to_string(record.edition) +
           ",\"fresh\":" + std::to_string(record.fresh) + "}";
}

std::string ReportJson(const UsageRecord& record) {
    return "{\"time\":" + std::to_string(record.time) +
           ",\"product\":" + std::to_string(record.product) +
           ",\"version\":" + std::to_string(record.version) +
           ",\"edition\":" + std::to_string(record.edition) +
           ",\"build\":" + std::to_string(record.build) +
           ",\"usage\":" + std::to_string(record.usage) + "}";
}

template <typename Record>
std::string ListJson(const std::vector<Record>& records, std::string (*toJson)(const Record&)) {
    std::string list = "[";
    for (const Record& record : records) {
        list += (list.size() > 1 ? "," : "") + toJson(record);
    }
    return list + "]";
}

}  // namespace

UpdateService::UpdateService(const ServiceOptions& options, UsageStore& store)
    : options_(options), store_(store), server_(std::make_unique<httplib::Server>()) {}

UpdateService::~UpdateService() {
    Stop();
}

bool UpdateService::Start(std::string& error) {
    Route();
    if (options_.port == 0) {
        port_ = server_->bind_to_any_port(options_.address);
    } else if (server_->bind_to_port(options_.address, options_.port)) {
        port_ = options_.port;
    }
    if (port_ <= 0) {
        error = "cannot listen on " + options_.address + " port " + std::to_string(options_.port);
        port_ = 0;
        return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // Stop only takes effect on a running server, so Start returns once it runs.
    for (int wait = 0; wait < kStartPolls && !server_->is_running(); ++wait) {
        std::this_thread::sleep_for(kStartPoll);
    }
    if (!server_->is_running()) {
        error = "the server on " + options_.address + " did not start";
        Stop();
        return false;
    }
    return true;
}

void UpdateService::Stop() {
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void UpdateService::Route() {
    server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server_->set_read_timeout(kReadTimeoutSeconds, 0);
    server_->set_payload_max_length(kMaxFormLength);
    // Address reuse only: a port shared with another server (SO_REUSEPORT) would split the
    // requests between them.
    server_->set_socket_options([](int socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server_->Get("/v1/version",
                 [this](const httplib::Request& request, httplib::Response& response) {
                     AnswerVersion(request, response);
                 });
    server_->Post("/v1/usage",
                  [this](const httplib::Request& request, httplib::Response& response) {
                      StoreUsage(request, response);
                  });
    if (options_.inspect) {
        server_->Get("/v1/inspect",
                     [this](const httplib::Request& request, httplib::Response& response) {
                         Inspect(request, response);
                     });
    }
    // The library answers an over-long body or URI itself (413, 414); to the client every
    // request it cannot take is simply a bad request.
    server_->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.status == 413 || response.status == 414) {
            SetError(response, 400, "request too large");
        } else if (response.body.empty()) {
            SetError(response, response.status, "not served");
        }
    });
}

void UpdateService::AnswerVersion(const httplib::Request& request, httplib::Response& response) {
    const std::optional<VersionQuery> query =
        ParseVersionQuery(RawQuery(request), options_.product);
    if (!query || !request.body.empty()) {
        SetError(response, 400, "bad request");
        return;
    }
    const std::optional<ReleaseVersion> release = ReadReleaseFile(options_.releaseFile);
    if (!release) {
        SetError(response, 503, "no release published");
        return;
    }
    const VersionCheckRecord record{std::time(nullptr), query->product, query->version,
                                    query->edition, query->fresh};
    if (!store_.AddCheck(record)) {
        SetError(response, 500, "storage failed");
        return;
    }
    const int update = query->version < release->number ? 1 : 0;
    response.set_content(
        "{\"update\":" + std::to_string(update) + ",\"latest\":\"" + release->text + "\"}", kJson);
}

void UpdateService::StoreUsage(const httplib::Request& request, httplib::Response& response) {
    const std::optional<UsageForm> form = IsFormContent(request) && RawQuery(request).empty()
                                              ? ParseUsageForm(request.body, options_.product)
                                              : std::nullopt;
    if (!form) {
        SetError(response, 400, "bad request");
        return;
    }
    const UsageRecord record{std::time(nullptr), form->product, form->version,
                             form->edition,      form->build,   form->usage};
    if (!store_.AddReport(record)) {
        SetError(response, 500, "storage failed");
        return;
    }
    response.status = 204;
}

void UpdateService::Inspect(const httplib::Request&, httplib::Response& response) {
    response.set_content(
        "{\"checks\":{\"count\":" + std::to_string(store_.CheckCount()) +
            ",\"latest\":" + ListJson(store_.LatestChecks(kInspectRows), CheckJson) +
            "},\"reports\":{\"count\":" + std::to_string(store_.ReportCount()) +
            ",\"latest\":" + ListJson(store_.LatestReports(kInspectRows), ReportJson) + "}}",
        kJson);
}
