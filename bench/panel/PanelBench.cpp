// Live monitoring figures of the main window: the time from a frame leaving the meter to its
// value in LblT1, how soon a toolbar click shows its dialog while the meter is silent, and the CPU
// and memory the program uses while it follows a 2 Hz meter.
//
//   bench_panel [seconds of monitoring, default 60]

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "windows/panel/Panel.h"

#include "BenchSupport.h"
#include "windows/WindowNames.h"

namespace {
using Bench::Median;
using Bench::CpuSeconds;
using Bench::ResidentMb;


MeterLink* program = nullptr;  // the program's link to the meter

Panel* OpenPanel(int com) {
    program->Start(com);
    return Forms::GetAs<Panel>(WindowNames::Panel);
}


// A frame with T1 = tenths / 10 C, one channel.
std::vector<std::uint8_t> Frame(int tenths) {
    return {0x02, 0x00, std::uint8_t(tenths >> 8), std::uint8_t(tenths & 0xFF), 0xFF, 0, 0, 0x00, 0x03};
}

// The meter streams on its own at about 2 frames per second, each frame with a new T1; a 2-ms probe
// notes when LblT1 first shows each value.
void FrameToScreen() {
    PseudoTerminal meter;
    meter.LinkAs(5);
    Panel* panel = OpenPanel(5);
    panel->show();
    using Clock = std::chrono::steady_clock;
    std::map<QString, Clock::time_point> sentAt;
    std::vector<double> ms;
    int tenths = 1000;
    QTimer sender;
    QObject::connect(&sender, &QTimer::timeout, [&] {
        ++tenths;
        sentAt[QString::number(tenths / 10.0, 'f', 1)] = Clock::now();
        meter.Send(Frame(tenths));
    });
    QString last;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const QString shown = Child<QLabel>(panel, "LblT1")->text();
        if (shown == last) return;
        last = shown;
        auto it = sentAt.find(shown);
        if (it != sentAt.end()) ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - it->second).count());
    });
    sender.setTimerType(Qt::PreciseTimer);
    sender.start(487);  // drifts against the clock's whole seconds, so frames land at every phase
    probe.start(2);
    EventPump::Delay(15.3);
    sender.stop();
    probe.stop();
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        std::printf("frame to LblT1: no frame shown\n");
    } else {
        std::printf("frame to LblT1: median %.0f ms, min %.0f ms, max %.0f ms; %zu of %d frames shown\n",
                    ms[ms.size() / 2], ms.front(), ms.back(), ms.size(), tenths - 1000);
    }
    Forms::Unload(WindowNames::Panel);
    EventPump::Delay(0.1);
}

// The meter has fallen silent: a click on "PC" must show its input box at once, not after a wait
// for the meter. The click arrives as an event, as the user's does.
void ClickWithSilentMeter() {
    PseudoTerminal meter;
    meter.LinkAs(7);
    Panel* panel = OpenPanel(7);
    panel->show();
    ScriptedDialogs dialogs;
    Dialogs::Install(&dialogs);
    std::vector<double> ms;
    QElapsedTimer clicked;
    dialogs.SetOnCall([&](const DialogCall&) { ms.push_back(clicked.nsecsElapsed() / 1e6); });
    meter.Send(Frame(1000));
    EventPump::Delay(1);
    for (int click = 0; click < 20; ++click) {
        dialogs.QueueInput("");
        QTimer::singleShot(0, [&] {
            clicked.start();
            Child<Toolbar>(panel, "Toolbar1")->Trigger("PC");
        });
        EventPump::Delay(0.37);  // across No COM, and the closing and reopening of the port
    }
    Dialogs::Install(nullptr);
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        std::printf("click with a silent meter: no dialog shown\n");
    } else {
        std::printf("click with a silent meter to its dialog: median %.2f ms, max %.2f ms; %zu of 20 clicks\n",
                    ms[ms.size() / 2], ms.back(), ms.size());
    }
    Forms::Unload(WindowNames::Panel);
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
    PumpUntil([&] { return !Child<QLabel>(panel, "LblT1")->text().isEmpty(); }, 10);
    EventPump::Delay(2);
    const double rssStart = ResidentMb();
    const double cpuStart = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    double rssMax = rssStart;
    int changes = 0;
    QString last = Child<QLabel>(panel, "LblT1")->text();
    while (wall.elapsed() < seconds * 1000) {
        EventPump::Delay(1);
        rssMax = std::max(rssMax, ResidentMb());
        if (const QString shown = Child<QLabel>(panel, "LblT1")->text(); shown != last) ++changes, last = shown;
    }
    const double cpu = CpuSeconds() - cpuStart;
    const double wallSeconds = wall.elapsed() / 1000.0;
    std::printf("monitoring %.0f s at 2 frames/s: CPU %.3f s = %.2f %% of one core; RSS %.1f MB -> %.1f MB (max %.1f)"
                "; T1 changed %d times\n",
                wallSeconds, cpu, 100 * cpu / wallSeconds, rssStart, ResidentMb(), rssMax, changes);
    Forms::Unload(WindowNames::Panel);
    EventPump::Delay(0.1);
    meter.Stop();
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MeterLink meterLink;
    program = &meterLink;
    static SharedState shared;
    RegisterWindows(meterLink, shared);
    TempPortsDir ports;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60;
    FrameToScreen();
    ClickWithSilentMeter();
    Monitoring(seconds);
    meterLink.Stop();
    return 0;
}
