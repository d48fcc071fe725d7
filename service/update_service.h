// The maker's update service over HTTP. The public listener answers:
//   GET  /v1/version?product=5&version=100001&edition=1&fresh=0
//        -> {"update":1,"latest":"1.0.2"} (1 when the version is older than the release)
//   HEAD /v1/version?...  the same status without a body, not counted
//   POST /v1/usage  product=5&version=100001&edition=1&kind=2&build=19045&usage=9
//        -> 204, the report counted
// The admin listener, on a loopback address of its own, answers only GET /v1/inspect: the daily
// counts and the storage failures since start, as JSON. A malformed, compressed or oversized
// request gets 400 and changes nothing. Requests are answered whether or not their counts can be
// stored (see UsageStore).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "service/http_listener.h"
#include "service/service_options.h"
#include "service/usage_store.h"

class UpdateService {
public:
    UpdateService(const ServiceOptions& options, UsageStore& store);
    UpdateService(const UpdateService&) = delete;
    UpdateService& operator=(const UpdateService&) = delete;

    // Starts the public listener, and the admin listener when the options ask for one. On
    // failure, error says why and nothing runs.
    bool Start(std::string& error);

    // The ports actually bound (the chosen ones when the options asked for 0); 0 when none.
    int Port() const { return public_.Port(); }
    int AdminPort() const { return admin_.Port(); }

    // Stops both listeners; safe to call more than once.
    void Stop();

private:
    HttpReply Serve(const HttpRequest& request);
    HttpReply ServeAdmin(const HttpRequest& request);
    HttpReply AnswerVersion(const HttpRequest& request);
    HttpReply StoreUsage(const HttpRequest& request);
    HttpReply Inspect();

    ServiceOptions options_;
    UsageStore& store_;
    HttpListener public_;
    HttpListener admin_;
};
