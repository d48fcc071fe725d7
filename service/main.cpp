// quorvane-service: the maker's update service. Serves until SIGINT or SIGTERM (or the
// --stop-after time) and then stops cleanly, closing the database.
#include <signal.h>
#include <time.h>

#include <cstdio>
#include <string>

#include "service/service_options.h"
#include "service/update_service.h"
#include "service/usage_store.h"

namespace {

// Blocks the stop signals in every thread (the server's threads inherit the mask), so that only
// WaitForStop receives them.
sigset_t BlockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

void WaitForStop(const sigset_t& signals, int stopAfterSeconds) {
    if (stopAfterSeconds == 0) {
        int received = 0;
        sigwait(&signals, &received);
        return;
    }
    timespec remaining{stopAfterSeconds, 0};
    timespec started{};
    clock_gettime(CLOCK_MONOTONIC, &started);
    while (sigtimedwait(&signals, nullptr, &remaining) < 0) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const time_t left = stopAfterSeconds - (now.tv_sec - started.tv_sec);
        if (left <= 0) {
            std::printf("quorvane-service: stopping after %d seconds\n", stopAfterSeconds);
            return;
        }
        remaining = {left, 0};
    }
}

}  // namespace

int main(int argc, char** argv) {
    ServiceOptions options;
    std::string error;
    switch (ParseServiceOptions(argc, argv, options, error)) {
        case ParseOutcome::kHelp:
            std::fputs(kServiceUsage, stdout);
            return 0;
        case ParseOutcome::kError:
            std::fprintf(stderr, "quorvane-service: %s\n%s", error.c_str(), kServiceUsage);
            return 2;
        case ParseOutcome::kRun:
            break;
    }
    const sigset_t signals = BlockStopSignals();
    UsageStore store;
    if (!store.Open(options.database, error)) {
        std::fprintf(stderr, "quorvane-service: %s\n", error.c_str());
        return 1;
    }
    UpdateService service(options, store);
    if (!service.Start(error)) {
        std::fprintf(stderr, "quorvane-service: %s\n", error.c_str());
        return 1;
    }
    std::printf("quorvane-service listening on %s port %d\n", options.address.c_str(),
                service.Port());
    if (service.AdminPort() != 0) {
        std::printf("quorvane-service admin on %s port %d\n", options.adminAddress.c_str(),
                    service.AdminPort());
    }
    std::fflush(stdout);
    WaitForStop(signals, options.stopAfterSeconds);
    service.Stop();
    std::printf("quorvane-service stopped\n");
    return 0;
}
