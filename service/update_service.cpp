// The update service's requests: routing, the version answer, the usage count, the admin view.
#include "service/update_service.h"

#include <ctime>
#include <string_view>

#include "net/service_names.h"
#include "service/form_fields.h"
#include "service/release.h"

namespace {

constexpr std::size_t kInspectRows = 50;
constexpr std::string_view kFormType = service_names::kFormMediaType;

bool IsFormContent(std::string_view type) {
    return type.substr(0, kFormType.size()) == kFormType &&
           (type.size() == kFormType.size() || type[kFormType.size()] == ';');
}

std::string Today() {
    return UtcDay(std::time(nullptr));
}

// Appends "name":value to a JSON object under construction.
void AddField(std::string& json, const char* name, std::int64_t value) {
    json += '"';
    json += name;
    json += "\":";
    json += std::to_string(value);
    json += ',';
}

void OpenRow(std::string& json, const std::string& day) {
    json += "{\"day\":\"";
    json += day;
    json += "\",";
}

void CloseRow(std::string& json, std::int64_t count) {
    AddField(json, "count", count);
    json.back() = '}';
    json += ',';
}

void AddRow(std::string& json, const CheckCount& row) {
    OpenRow(json, row.day);
    AddField(json, service_names::kProductField, row.check.product);
    AddField(json, service_names::kVersionField, row.check.version);
    AddField(json, service_names::kEditionField, row.check.edition);
    AddField(json, service_names::kFreshField, row.check.fresh);
    CloseRow(json, row.count);
}

void AddRow(std::string& json, const ReportCount& row) {
    OpenRow(json, row.day);
    AddField(json, service_names::kProductField, row.report.product);
    AddField(json, service_names::kVersionField, row.report.version);
    AddField(json, service_names::kEditionField, row.report.edition);
    AddField(json, service_names::kBuildField, row.report.build);
    AddField(json, service_names::kUsageField, row.report.usage);
    CloseRow(json, row.count);
}

// "name":{"count":total,"rows":[...]} with a comma after it.
template <typename Row>
void AddTable(std::string& json, const char* name, std::int64_t total,
              const std::vector<Row>& rows) {
    json += '"';
    json += name;
    json += "\":{";
    AddField(json, "count", total);
    json += "\"rows\":[";
    for (const Row& row : rows) {
        AddRow(json, row);
    }
    if (json.back() == ',') {
        json.pop_back();
    }
    json += "]},";
}

}  // namespace

UpdateService::UpdateService(const ServiceOptions& options, UsageStore& store)
    : options_(options),
      store_(store),
      public_([this](const HttpRequest& request) { return Serve(request); }),
      admin_([this](const HttpRequest& request) { return ServeAdmin(request); }) {}

bool UpdateService::Start(std::string& error) {
    if (!public_.Start(options_.address, options_.port, error)) {
        return false;
    }
    if (options_.adminPort >= 0 &&
        !admin_.Start(options_.adminAddress, options_.adminPort, error)) {
        Stop();
        return false;
    }
    return true;
}

void UpdateService::Stop() {
    public_.Stop();
    admin_.Stop();
}

HttpReply UpdateService::Serve(const HttpRequest& request) {
    const bool versionRead = request.method == "GET" || request.method == "HEAD";
    if (request.path == service_names::kVersionPath && versionRead) {
        return AnswerVersion(request);
    }
    if (request.path == service_names::kUsagePath && request.method == "POST") {
        return StoreUsage(request);
    }
    return ErrorReply(404, "not served");
}

HttpReply UpdateService::ServeAdmin(const HttpRequest& request) {
    if (request.path == "/v1/inspect" && request.method == "GET") {
        return Inspect();
    }
    return ErrorReply(404, "not served");
}

HttpReply UpdateService::AnswerVersion(const HttpRequest& request) {
    const std::optional<VersionQuery> query = ParseVersionQuery(request.query, options_.product);
    if (!query || !request.body.empty()) {
        return ErrorReply(400, "bad request");
    }
    const std::optional<ReleaseVersion> release = ReadReleaseFile(options_.releaseFile);
    if (!release) {
        return ErrorReply(503, "no release published");
    }
    if (request.method == "GET") {
        store_.AddCheck(Today(), *query);
    }
    std::string json("{");
    AddField(json, service_names::kUpdateAnswerField, query->version < release->number ? 1 : 0);
    json += "\"latest\":\"";
    json += release->text;
    json += "\"}";
    return HttpReply{200, std::move(json)};
}

HttpReply UpdateService::StoreUsage(const HttpRequest& request) {
    const std::optional<UsageForm> form =
        IsFormContent(request.contentType) && request.query.empty()
            ? ParseUsageForm(request.body, options_.product)
            : std::nullopt;
    if (!form) {
        return ErrorReply(400, "bad request");
    }
    store_.AddReport(Today(), *form);
    return HttpReply{204, {}};
}

HttpReply UpdateService::Inspect() {
    std::string json("{");
    AddTable(json, "checks", store_.TotalChecks(), store_.LatestChecks(kInspectRows));
    AddTable(json, "reports", store_.TotalReports(), store_.LatestReports(kInspectRows));
    AddField(json, "storageFailures", store_.Failures());
    json.back() = '}';
    return HttpReply{200, std::move(json)};
}
