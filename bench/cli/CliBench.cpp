// tq36-cli figures against the simulated meter: the CPU and memory of an unattended recording
// at 1-s sampling (into the record file and into CSV), and a full logger downloaded at 9600 baud against the wire time.
//
//   bench_cli [seconds of recording, default 120]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"

namespace {

struct ChildRun {
    int status = -1;
    double wall = 0, cpu = 0;
    long peakKb = 0;
};

// Runs the CLI to its end and takes the system's account of it.
ChildRun RunCli(const std::string& cli, std::vector<std::string> args) {
    std::vector<char*> argv{const_cast<char*>(cli.c_str())};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(cli.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    ChildRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakKb = usage.ru_maxrss;
    return run;
}

}  // namespace

int main(int argc, char* argv[]) {
    const char* sim = Bench::Simulator();
    if (!sim) return 1;
    const std::string cli = Bench::CliBeside(sim);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
    TempPortsDir ports;
    const std::string dir = std::filesystem::temp_directory_path() / ("tq36-cli-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        SimulatedMeter meter(3, {"--channels", "2", "--wave", "sine"});
        if (!meter.Start()) return 1;
        for (const char* format : {"txt", "csv"}) {
            const ChildRun run = RunCli(cli, {"record", "--com", "3", "--interval", "1", "--duration",
                                              std::to_string(seconds) + "s", "--format", format, "--out",
                                              dir + "/run." + format});
            std::printf("record --format %s %d s at 1-s sampling: exit %d, CPU %.3f s = %.3f %% of one core, peak %ld KB\n",
                        format, seconds, run.status, run.cpu, 100 * run.cpu / run.wall, run.peakKb);
        }
    }
    {
        SimulatedMeter meter(4, {"--channels", "2", "--logger", "full", "--baud", "9600"});
        if (!meter.Start()) return 1;
        const ChildRun run = RunCli(cli, {"download", "--com", "4", "--out-dir", dir + "/sets"});
        const double wire = 62085 * 10 / 9600.0, pauses = 2.5;
        std::printf("download of a full logger at 9600 baud: exit %d, %.2f s against wire %.2f s + pauses %.1f s "
                    "(+ up to 2 s for the live stream): %+.1f %%, CPU %.2f s\n",
                    run.status, run.wall, wire, pauses, 100 * (run.wall / (wire + pauses) - 1), run.cpu);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
