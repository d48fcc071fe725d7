// The maker's update service over HTTP:
//   GET  /v1/version?product=5&version=100001&edition=1&fresh=0
//        -> {"update":1,"latest":"1.0.2"} (1 when the version is older than the release)
//   POST /v1/usage  product=5&version=100001&edition=1&kind=2&build=19045&usage=9
//        -> 204, the report stored
//   GET  /v1/inspect (only with --inspect) -> counts and the latest rows, as JSON
// A malformed or oversized request gets 400 and changes nothing.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "service/service_options.h"
#include "service/usage_store.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

class UpdateService {
public:
    UpdateService(const ServiceOptions& options, UsageStore& store);
    ~UpdateService();  // stops the server and waits for it
    UpdateService(const UpdateService&) = delete;
    UpdateService& operator=(const UpdateService&) = delete;

    // Binds the address and port and starts serving on a thread of its own. On failure, error
    // says why and nothing runs.
    bool Start(std::string& error);

    // The port actually bound (the chosen one when the options asked for 0).
    int Port() const { return port_; }

    // Stops serving and waits for the server thread; safe to call more than once.
    void Stop();

private:
    void Route();
    void AnswerVersion(const httplib::Request& request, httplib::Response& response);
    void StoreUsage(const httplib::Request& request, httplib::Response& response);
    void Inspect(const httplib::Request& request, httplib::Response& response);

    ServiceOptions options_;
    UsageStore& store_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
};
