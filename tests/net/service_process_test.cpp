// The quorvane-service program itself: its command line, that it serves on the port it prints,
// and that it stops on SIGTERM or by itself. Every child is killed and reaped by its owner.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/test_support.h"

extern char** environ;

namespace {

constexpr int kLineTimeoutMs = 10000;

// A running quorvane-service with its standard output on a pipe. The destructor kills and reaps
// it, so no test leaves it running.
class ServiceProcess {
public:
    explicit ServiceProcess(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), QUORVANE_SERVICE_PROGRAM);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        output_ = pipeEnds[0];
    }
    ~ServiceProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) {
            close(output_);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool Started() const { return pid_ > 0; }

    // The next line of output, or "" when none comes within the timeout.
    std::string ReadLine() {
        std::string line;
        char c = 0;
        while (WaitForOutput() && read(output_, &c, 1) == 1) {
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return line;
    }

    // Waits for the exit and returns the exit status, or -1 when it does not end in time.
    int WaitForExit(std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    void Signal(int number) const { kill(pid_, number); }

private:
    bool WaitForOutput() const {
        pollfd waiting{output_, POLLIN, 0};
        return poll(&waiting, 1, kLineTimeoutMs) == 1;
    }

    pid_t pid_ = -1;
    int output_ = -1;
};

int PortOf(const std::string& line) {
    const std::string marker = " port ";
    const std::size_t at = line.rfind(marker);
    return at == std::string::npos ? 0 : std::stoi(line.substr(at + marker.size()));
}

class ServiceProgram : public ::testing::Test {
protected:
    void SetUp() override { test::WriteFileBytes(folder_.Path() / "release.txt", "1.0.2\n"); }
    std::vector<std::string> Arguments(std::vector<std::string> more = {}) const {
        std::vector<std::string> arguments = {
            "--port",         "0",
            "--database",     (folder_.Path() / "usage.sqlite").string(),
            "--release-file", (folder_.Path() / "release.txt").string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }

    test::TempFolder folder_;
};

TEST_F(ServiceProgram, ServesOnThePortItPrintsAndStopsOnSigterm) {
    ServiceProcess service(Arguments());
    ASSERT_TRUE(service.Started());
    const std::string line = service.ReadLine();
    EXPECT_EQ(line.rfind("quorvane-service listening on 127.0.0.1 port ", 0), 0u) << line;
    const int port = PortOf(line);
    ASSERT_GT(port, 0) << line;
    httplib::Client client("127.0.0.1", port);
    const auto result = client.Get("/v1/version?product=5&version=100001&edition=1&fresh=0");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->body, R"({"update":1,"latest":"1.0.2"})");
    service.Signal(SIGTERM);
    EXPECT_EQ(service.ReadLine(), "quorvane-service stopped");
    EXPECT_EQ(service.WaitForExit(std::chrono::seconds(10)), 0);
    EXPECT_TRUE(std::filesystem::exists(folder_.Path() / "usage.sqlite"));
}

TEST_F(ServiceProgram, StopsByItselfWhenAsked) {
    ServiceProcess service(Arguments({"--stop-after", "1"}));
    ASSERT_TRUE(service.Started());
    EXPECT_GT(PortOf(service.ReadLine()), 0);
    EXPECT_EQ(service.WaitForExit(std::chrono::seconds(10)), 0);
}

TEST_F(ServiceProgram, HelpPrintsUsage) {
    ServiceProcess service({"--help"});
    EXPECT_EQ(service.ReadLine().rfind("usage: quorvane-service", 0), 0u);
    EXPECT_EQ(service.WaitForExit(std::chrono::seconds(10)), 0);
}

TEST_F(ServiceProgram, BadCommandLineExitsWithTwo) {
    ServiceProcess service(Arguments({"--port", "70000"}));
    EXPECT_EQ(service.ReadLine(), "quorvane-service: bad value for --port: 70000");
    EXPECT_EQ(service.WaitForExit(std::chrono::seconds(10)), 2);
}

TEST_F(ServiceProgram, UnopenableDatabaseExitsWithOne) {
    ServiceProcess service({"--port", "0", "--database", folder_.Path().string(), "--release-file",
                            (folder_.Path() / "release.txt").string()});
    EXPECT_EQ(service.ReadLine().rfind("quorvane-service: cannot open", 0), 0u);
    EXPECT_EQ(service.WaitForExit(std::chrono::seconds(10)), 1);
}

}  // namespace
