// Real-time graph figures: the CPU one sample costs at the default window size, a full layout,
// and the whole program's CPU with the graph and the statistics open at 1-s sampling against the
// simulated meter.
//
//   bench_graphs [seconds of monitoring, default 60]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <QTemporaryDir>
#include <vector>

#include "BenchSupport.h"
#include "FakeClock.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/graphs/PlotWindow.h"
#include "windows/graphs/RealTimeGraph.h"
#include "windows/panel/Panel.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/ListWindow.h"

namespace {

MeterLink* program = nullptr;  // the program's link to the meter
SharedState* shared = nullptr;  // what its windows share

void SampleAndLayoutCost() {
    FakeClock clock(10, 0, 0);
    Clock::Install(&clock);
    CurrentReading r;
    r.DualChannel = true;
    r.UnitText = std::string(1, 'C');
    program->ReadingArrived(r);
    OpenRealTimeGraph(*program, shared->chart);
    auto* graph = Forms::FindAs<RealTimeGraph>(WindowNames::RealTimeGraph);
    std::vector<double> perSample;
    for (int batch = 0; batch < 9; ++batch) {
        const double before = Bench::CpuSeconds();
        for (int i = 0; i < 200; ++i) {
            r.T1C = Reading::Number(20 + (i % 50));
            r.T2C = Reading::Number(10 + (i % 30));
            r.T1T2C = Reading::Number(10 + (i % 50) - (i % 30));
            program->ReadingArrived(r);
            clock.Advance(2);
            MeterLink::Sample sample;
            sample.time = clock.TimeText().toStdString();
            sample.reading = r;
            program->SampleArrived(sample);
        }
        perSample.push_back((Bench::CpuSeconds() - before) / 200 * 1000);
    }
    std::vector<double> layouts;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer timer;
        timer.start();
        graph->Relayout();
        layouts.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("graph sample (eraser, grid, label, three traces), %dx%d px: median %.3f ms CPU over 9 x 200 samples\n",
                graph->width(), graph->height(), Bench::Median(perSample));
    std::printf("graph layout (resize): median %.2f ms over 15\n", Bench::Median(layouts));
    Forms::UnloadAll();
    EventPump::Delay(0.1);
    Clock::Install(nullptr);
    program->Stop();
}

void MonitoringWithGraphAndStatistics(double seconds) {
    SimulatedMeter meter(8, {"--channels", "2", "--wave", "sine"});
    if (!meter.Start()) {
        std::printf("monitoring: the simulator did not start\n");
        return;
    }
    program->Start(8);
    auto* panel = Forms::GetAs<Panel>(WindowNames::Panel);
    panel->show();
    QElapsedTimer waited;
    waited.start();
    while (!program->MeterOnline() && waited.elapsed() < 10000) EventPump::Delay(0.05);
    program->SetInterval(1);
    auto* bar = Child<Toolbar>(panel, "Toolbar1");
    bar->Trigger("Graph");
    bar->Trigger("AVG");
    EventPump::Delay(2);
    const double before = Bench::CpuSeconds();
    const double rssBefore = Bench::ResidentMb();
    EventPump::Delay(seconds);
    const double cpu = Bench::CpuSeconds() - before;
    std::printf("monitoring %.0f s with Graph and AVG open at 1-s sampling: CPU %.3f s = %.2f %% of one core; "
                "RSS %.1f MB -> %.1f MB; windows open: %s\n",
                seconds, cpu, 100 * cpu / seconds, rssBefore, Bench::ResidentMb(),
                Forms::LoadedNames().join(' ').toStdString().c_str());
    Forms::UnloadAll();
    EventPump::Delay(0.1);
}

// The renderer's pass over a full recording in FileList2, at the plot window's default size.
void RenderFigures() {
    QTemporaryDir dir;
    const QString path = dir.filePath("rec.txt");
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << "No.s    Time            T1      T2      T1-T2   Unit\r\n";
        for (int i = 1; i <= 58300; ++i) {
            const int s = i * 2;
            char line[96];
            std::snprintf(line, sizeof line, "%d\t%02d:%02d:%02d\t%.1f\t%.1f\t%.1f\tC\r\n", i, s / 3600 % 24, s / 60 % 60,
                          s % 60, 20 + 10 * std::sin(i / 500.0), 18 + 5 * std::cos(i / 700.0), 2.0 + (i % 100) / 10.0);
            out << line;
        }
    }
    LoadRecordFile(path, "rec.txt");
    auto* list = Forms::FindAs<ListWindow>("FileList2");
    Child<Toolbar>(list, "Toolbar1")->Trigger("Plot");
    auto* plot = Forms::FindAs<PlotWindow>(WindowNames::Plot);
    Child<QTimer>(plot, "Timer1")->stop();
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        plot->Relayout();
        Child<QTimer>(plot, "Timer1")->stop();
        QElapsedTimer timer;
        timer.start();
        plot->Timer1_Timer();
        runs.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("plot renderer over 58300 two-channel records, %dx%d px: median %.1f ms over 5 runs\n", plot->width(),
                plot->height(), Bench::Median(runs));
    Forms::UnloadAll();
    EventPump::Delay(0.1);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MeterLink meterLink;
    program = &meterLink;
    SharedState windowState;
    shared = &windowState;
    RegisterWindows(meterLink, windowState);
    TempPortsDir ports;
    SampleAndLayoutCost();
    RenderFigures();
    MonitoringWithGraphAndStatistics(argc > 1 ? std::atof(argv[1]) : 60);
    return 0;
}
