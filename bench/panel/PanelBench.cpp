// Live monitoring figures of the main window: the time from a frame leaving the meter to its
// value in LblT1, and the CPU and memory the window uses while it follows a 2 Hz meter.
//
//   bench_panel [seconds of monitoring, default 60]

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "panel/Panel.h"
#include "panel/Windows.h"
#include "serial/Rs232_API.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

Panel* OpenPanel(int com) {
    Rs232_API::Reset();
    Rs232_API::OpenPort(com, Rs232_API::MeterSettings);
    Rs232_API::CurrentPortIndex() = Rs232_API::OpenPortCount();
    return Forms::GetAs<Panel>("Panel");
}

template <typename Condition>
bool PumpUntil(Condition condition, double seconds) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > seconds * 1000) return false;
        EventPump::Delay(0.005);
    }
    return true;
}

// A frame with T1 = tenths / 10 C, one channel.
std::vector<std::uint8_t> Frame(int tenths) {
    return {0x02, 0x00, std::uint8_t(tenths >> 8), std::uint8_t(tenths & 0xFF), 0xFF, 0, 0, 0x00, 0x03};
}

void FrameToScreen() {
    PseudoTerminal meter;
    meter.LinkAs(5);
    Panel* panel = OpenPanel(5);
    panel->show();
    std::vector<double> ms;
    for (int i = 0; i < 21; ++i) {
        const int tenths = 1000 + i;
        const QString expected = QString::number(tenths / 10.0, 'f', 1);
        // Frames arrive at a random phase of the poll cycle, as they do from a real meter.
        EventPump::Delay(0.1 + 0.037 * (i % 7));
        const auto sent = std::chrono::steady_clock::now();
        meter.Send(Frame(tenths));
        if (!PumpUntil([&] { return panel->LblT1->text() == expected; }, 5)) {
            std::printf("frame %d never shown\n", i);
            continue;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("frame to LblT1: median %.0f ms, min %.0f ms, max %.0f ms over %zu frames\n", ms[ms.size() / 2],
                ms.front(), ms.back(), ms.size());
    Forms::Unload("Panel");
    EventPump::Delay(0.1);
}

void Monitoring(double seconds) {
    SimulatedMeter meter(6, {"--channels", "2", "--rate", "2", "--wave", "sine"});
    if (!meter.Start()) {
        std::printf("simulator did not start\n");
        return;
    }
    Panel* panel = OpenPanel(6);
    panel->show();
    PumpUntil([&] { return !panel->LblT1->text().isEmpty(); }, 10);
    EventPump::Delay(2);
    const long rssStart = ResidentKb();
    const double cpuStart = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    long rssMax = rssStart;
    int changes = 0;
    QString last = panel->LblT1->text();
    while (wall.elapsed() < seconds * 1000) {
        EventPump::Delay(1);
        rssMax = std::max(rssMax, ResidentKb());
        if (panel->LblT1->text() != last) ++changes, last = panel->LblT1->text();
    }
    const double cpu = CpuSeconds() - cpuStart;
    const double wallSeconds = wall.elapsed() / 1000.0;
    std::printf("monitoring %.0f s at 2 frames/s: CPU %.3f s = %.2f %% of one core; RSS %ld kB -> %ld kB (max %ld)"
                "; T1 changed %d times\n",
                wallSeconds, cpu, 100 * cpu / wallSeconds, rssStart, ResidentKb(), rssMax, changes);
    Forms::Unload("Panel");
    EventPump::Delay(0.1);
    meter.Stop();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    EventPump::Install();
    RegisterWindows();
    TempPortsDir ports;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60;
    FrameToScreen();
    Monitoring(seconds);
    Rs232_API::Reset();
    return 0;
}
