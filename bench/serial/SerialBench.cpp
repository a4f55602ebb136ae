// Speed of AutoScan over all 256 numbers with three pseudo-terminal ports present, and the cost
// of a one-second Delay with the default (sleeping) hook.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "serial/PortNames.h"
#include "serial/Rs232_API.h"

#include "BenchSupport.h"

namespace {
using Bench::Median;
using Bench::CpuSeconds;
using Bench::ResidentMb;


using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string Listing(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers) {
        text += (text.empty() ? "" : " ") + std::string("COM") + std::to_string(n);
        std::optional<std::string> path = PortNames::DevicePath(n);
        if (n != 3 && n != 7 && n != 200 && path) text += "(" + *path + ")";
    }
    return text.empty() ? "(none)" : text;
}

void BenchScan() {
    TempPortsDir folder;
    PseudoTerminal com3, com7, com200;
    com3.LinkAs(3);
    com7.LinkAs(7);
    com200.LinkAs(200);

    std::vector<double> times;
    std::vector<int> found;
    for (int run = 0; run < 5; ++run) {
        Rs232_API::Reset();
        auto start = Clock::now();
        found = Rs232_API::ScanPorts();
        times.push_back(Seconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    const std::vector<int> aliases{3, 7, 200};
    bool allAliases = std::all_of(aliases.begin(), aliases.end(), [&](int n) {
        return std::find(found.begin(), found.end(), n) != found.end();
    });
    std::printf("ScanPorts 1..256, 3 pty aliases: median %.2f ms (min %.2f, max %.2f) over 5 runs\n",
                times[2] * 1e3, times.front() * 1e3, times.back() * 1e3);
    std::printf("  found: %s\n", Listing(found).c_str());
    std::printf("  exactly the three aliases: %s%s\n", found == aliases ? "yes" : "no",
                allAliases && found != aliases ? " (all three, plus real devices of this machine)" : "");
    Rs232_API::Reset();
}

void BenchDelay() {
    double cpuBefore = CpuSeconds();
    auto start = Clock::now();
    Rs232_API::Delay(1.0);
    double wall = Seconds(Clock::now() - start);
    double cpu = CpuSeconds() - cpuBefore;
    std::printf("Delay(1.0) with the default hook: wall %.3f s, CPU %.3f ms (%.3f%% of the wait)\n", wall,
                cpu * 1e3, 100.0 * cpu / wall);
}

}  // namespace

int main() {
    BenchScan();
    BenchDelay();
    return 0;
}
