#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// What every benchmark measures with: medians, process CPU time and resident memory.
namespace Bench {

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// User plus system time of the whole process, in seconds.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double ResidentMb() {
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// User plus system seconds of another process so far, as the system accounts them (clock ticks);
// -1 when there is no such process.
inline double CpuSecondsOf(pid_t pid) {
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    // The command name in brackets may hold blanks; fields are counted after its ')'.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long utime = 0;
    for (int number = 3; fields >> field; ++number) {
        if (number == 14) utime = std::stoull(field);
        if (number == 15) return static_cast<double>(utime + std::stoull(field)) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return -1;
}

// A line of /proc/<pid>/status in kB ("VmRSS", "VmHWM"); -1 when missing.
inline long StatusKb(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
    }
    return -1;
}

// The meter simulator the build made, as $TQ36_METERSIM names it; nullptr (said on stdout) when
// it is not set.
inline const char* Simulator() {
    const char* sim = std::getenv("TQ36_METERSIM");
    if (!sim || !*sim) {
        std::printf("TQ36_METERSIM is not set\n");
        return nullptr;
    }
    return sim;
}

// tq36-cli as the same build made it, beside the simulator's folder.
inline std::string CliBeside(const char* simulator) {
    return (std::filesystem::path(simulator).parent_path() / "../cli/tq36-cli").lexically_normal().string();
}

}  // namespace Bench
