#include "SimulatedMeter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "serial/PortNames.h"

namespace {

constexpr int ReadyTimeoutMs = 10000;

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads the first line from fd until the deadline; empty when none came.
std::string ReadLine(int fd, Clock::time_point deadline) {
    std::string line;
    char c;
    while (line.empty() || line.back() != '\n') {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, MillisecondsLeft(deadline)) <= 0) return {};
        if (read(fd, &c, 1) != 1) return {};
        line += c;
    }
    line.pop_back();
    return line;
}

}  // namespace

SimulatedMeter::SimulatedMeter(int com, std::vector<std::string> extraArgs)
    : com_(com), extraArgs_(std::move(extraArgs)) {}

SimulatedMeter::~SimulatedMeter() { Stop(); }

std::string SimulatedMeter::AliasPath() const { return PortNames::AliasPath(com_); }

bool SimulatedMeter::Start() {
    if (Running()) return true;
    const char* binary = std::getenv("TQ36_METERSIM");
    if (!binary || !*binary) {
        std::cerr << "SimulatedMeter: TQ36_METERSIM is not set\n";
        return false;
    }
    std::vector<std::string> args = {binary, "--com", std::to_string(com_)};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return false;
    pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(out[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    if (pid_ < 0) {
        close(out[0]);
        return false;
    }

    std::string line = ReadLine(out[0], Clock::now() + std::chrono::milliseconds(ReadyTimeoutMs));
    close(out[0]);
    std::string prefix = "tq36-metersim: COM" + std::to_string(com_) + " -> ";
    if (line.rfind(prefix, 0) != 0) {
        std::cerr << "SimulatedMeter: no ready line from " << binary << " (got '" << line << "')\n";
        Stop();
        return false;
    }
    devicePath_ = line.substr(prefix.size());
    return true;
}

int SimulatedMeter::Reap(int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) break;
        if (done < 0) return -1;
        if (Clock::now() >= deadline) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

int SimulatedMeter::Stop() {
    if (!Running()) return -1;
    kill(pid_, SIGTERM);
    int status = Reap(10000);
    if (status == -2) {
        kill(pid_, SIGKILL);
        status = Reap(10000);
    }
    pid_ = -1;
    return status;
}
