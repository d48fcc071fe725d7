// The update service's HTTP listener on libmicrohttpd.
#include "service/http_listener.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <strings.h>

#include <charconv>
#include <cstdint>

#include "service/form_fields.h"

namespace {

// Request line and headers must fit this pool; a request that does not (10,000 headers, a huge
// header, an endless target) is refused by the library with 431 or 414.
constexpr std::size_t kConnectionMemory = 8 * 1024;
// Bounds the pools at 8 MB, and the sockets well below the deployment's 4096 open files
// (LimitNOFILE).
constexpr unsigned kMaxConnections = 1000;
// A connection that sends nothing for this long is closed.
constexpr unsigned kIdleSeconds = 10;
// One per core of the 2-core machine of the README's load figures: with epoll no thread waits on
// a slow client, and a request takes microseconds, so more threads would only queue for a core.
constexpr unsigned kPollingThreads = 2;
// Only targets this long are kept: a form of at most kMaxFormLength and room for the path and '?'.
constexpr std::size_t kMaxTargetLength = kMaxFormLength + 64;

// What one request carries between the library's calls, from its target to its end.
struct PendingRequest {
    std::string target;
    std::string body;
    bool targetTooLong = false;
    bool headersRead = false;
};

std::string_view Header(MHD_Connection* connection, const char* name) {
    const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

bool QueueReply(MHD_Connection* connection, const HttpReply& reply) {
    MHD_Response* response = MHD_create_response_from_buffer(
        reply.json.size(), const_cast<char*>(reply.json.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return false;
    }
    if (!reply.json.empty()) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "application/json");
    }
    const MHD_Result queued = MHD_queue_response(connection, reply.status, response);
    MHD_destroy_response(response);
    return queued == MHD_YES;
}

// Content-Length when the request declares one that does not fit a form.
bool DeclaresLongBody(MHD_Connection* connection) {
    const std::string_view length = Header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH);
    std::uint64_t value = 0;
    const auto [end, status] = std::from_chars(length.data(), length.data() + length.size(), value);
    return !length.empty() && (status != std::errc() || value > kMaxFormLength);
}

// Checks made once the headers are in, before any byte of the body is read.
const char* EarlyRefusal(MHD_Connection* connection, const PendingRequest& pending) {
    const std::string_view encoding = Header(connection, MHD_HTTP_HEADER_CONTENT_ENCODING);
    if (!encoding.empty() && strncasecmp(encoding.data(), "identity", encoding.size() + 1) != 0) {
        return "content encoding not accepted";
    }
    if (pending.targetTooLong || DeclaresLongBody(connection)) {
        return "request too large";
    }
    return nullptr;
}

void* BeginRequest(void*, const char* target, MHD_Connection*) {
    auto* pending = new PendingRequest;
    const std::string_view text(target);
    if (text.size() > kMaxTargetLength) {
        pending->targetTooLong = true;
    } else {
        pending->target = text;
    }
    return pending;
}

void EndRequest(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
    delete static_cast<PendingRequest*>(*state);
    *state = nullptr;
}

MHD_Result Answer(void* handler, MHD_Connection* connection, const char*, const char* method,
                  const char*, const char* upload, std::size_t* uploadSize, void** state) {
    auto* pending = static_cast<PendingRequest*>(*state);
    if (!pending->headersRead) {
        pending->headersRead = true;
        const char* refusal = EarlyRefusal(connection, *pending);
        return refusal == nullptr || QueueReply(connection, ErrorReply(400, refusal)) ? MHD_YES
                                                                                      : MHD_NO;
    }
    if (*uploadSize != 0) {
        // A chunked body that outgrows a form ends the connection: the library takes no answer
        // while a body is still coming.
        if (pending->body.size() + *uploadSize > kMaxFormLength) {
            return MHD_NO;
        }
        pending->body.append(upload, *uploadSize);
        *uploadSize = 0;
        return MHD_YES;
    }
    const std::string_view target = pending->target;
    const std::size_t question = target.find('?');
    HttpRequest request;
    request.method = method;
    request.path = target.substr(0, question);
    request.query =
        question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
    request.contentType = Header(connection, MHD_HTTP_HEADER_CONTENT_TYPE);
    request.body = pending->body;
    return QueueReply(connection, (*static_cast<HttpHandler*>(handler))(request)) ? MHD_YES
                                                                                  : MHD_NO;
}

}  // namespace

// The text is built from its first part on: GCC 12 at -O3 warns (-Wrestrict, a false positive in
// std::string's replace) about assigning a literal to an existing string.
HttpReply ErrorReply(unsigned status, const char* reason) {
    std::string json("{\"error\":\"");
    json += reason;
    json += "\"}";
    return HttpReply{status, std::move(json)};
}

void HttpListener::DaemonStopper::operator()(MHD_Daemon* daemon) const {
    MHD_stop_daemon(daemon);
}

HttpListener::HttpListener(HttpHandler handler) : handler_(std::move(handler)) {}

HttpListener::~HttpListener() {
    Stop();
}

bool HttpListener::Start(const std::string& address, int port, std::string& error) {
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
    const sockaddr* bound = nullptr;
    if (inet_pton(AF_INET, address.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(static_cast<std::uint16_t>(port));
        bound = reinterpret_cast<const sockaddr*>(&v4);
    } else if (inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(static_cast<std::uint16_t>(port));
        bound = reinterpret_cast<const sockaddr*>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        error = "not a numeric address: " + address;
        return false;
    }
    daemon_.reset(MHD_start_daemon(
        flags, 0, nullptr, nullptr, &Answer, &handler_, MHD_OPTION_SOCK_ADDR, bound,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_CONNECTION_LIMIT,
        kMaxConnections, MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds, MHD_OPTION_THREAD_POOL_SIZE,
        kPollingThreads, MHD_OPTION_URI_LOG_CALLBACK, &BeginRequest, nullptr,
        MHD_OPTION_NOTIFY_COMPLETED, &EndRequest, nullptr, MHD_OPTION_END));
    const MHD_DaemonInfo* info =
        daemon_ ? MHD_get_daemon_info(daemon_.get(), MHD_DAEMON_INFO_BIND_PORT) : nullptr;
    port_ = info == nullptr ? 0 : info->port;
    if (port_ == 0) {
        daemon_.reset();
        error = "cannot listen on " + address + " port " + std::to_string(port);
        return false;
    }
    return true;
}

void HttpListener::Stop() {
    daemon_.reset();
    port_ = 0;
}
