// One HTTP/1.1 listener of the update service, on libmicrohttpd. It never unpacks a compressed
// body, keeps every connection's request line and headers in a fixed pool of a few KB, reads at
// most kMaxFormLength bytes of body, and serves every connection from a small set of polling
// threads, so neither a hostile request nor a slow client can take memory or workers from the
// others.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct MHD_Daemon;

// A request as the handler sees it, valid during the call only.
struct HttpRequest {
    std::string_view method;  // "GET", "HEAD", "POST", ...
    std::string_view path;    // the target up to its first '?'
    std::string_view query;   // the target after its first '?', exactly as sent
    std::string_view contentType;
    std::string_view body;
};

struct HttpReply {
    unsigned status = 200;
    std::string json;  // the body; none when empty
};

using HttpHandler = std::function<HttpReply(const HttpRequest&)>;

class HttpListener {
public:
    explicit HttpListener(HttpHandler handler);
    ~HttpListener();  // stops serving
    HttpListener(const HttpListener&) = delete;
    HttpListener& operator=(const HttpListener&) = delete;

    // Listens on a numeric IPv4 or IPv6 address; port 0 picks a free port. On failure, error
    // says why and nothing runs.
    bool Start(const std::string& address, int port, std::string& error);

    // The port actually bound, 0 when not listening.
    int Port() const { return port_; }

    // Stops serving and closes every connection; safe to call more than once.
    void Stop();

private:
    struct DaemonStopper {
        void operator()(MHD_Daemon* daemon) const;
    };

    HttpHandler handler_;
    std::unique_ptr<MHD_Daemon, DaemonStopper> daemon_;
    int port_ = 0;
};

// The error answer every refused request gets: {"error":"reason"}.
HttpReply ErrorReply(unsigned status, const char* reason);
