#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

// A helper program run beside a test: its output to files, and ended with the test process at the
// latest, so that none is left behind.
namespace ChildProcess {

// Starts `args` (args[0] a path) with stdout and stderr appended to the given files (or /dev/null);
// the process id, or -1.
inline pid_t Spawn(std::vector<std::string> args, const std::string& out = "/dev/null",
                   const std::string& err = "/dev/null") {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (o < 0 || e < 0) _exit(127);
        dup2(o, STDOUT_FILENO);
        dup2(e, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Sends `signal` and waits up to 10 s (then SIGKILL); the exit status, 128 + the signal number
// when a signal ended it, -1 when there was no such child.
inline int End(pid_t pid, int signal = SIGTERM) {
    if (pid <= 0) return -1;
    kill(pid, signal);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace ChildProcess
