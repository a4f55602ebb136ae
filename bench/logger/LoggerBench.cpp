// Logger figures: a full logger downloaded from the simulator at 9600 baud against the time the
// wire needs plus the pauses of the exchange, with the longest stretch in which no event ran;
// and the work of listing a full memory and of opening a set of 8800 records as a data list.
//
//   bench_logger [--no-download]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchSupport.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "logger/DataLogger.h"
#include "logger/LoggerFormat.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Grid.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/records/DataListLoading.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

namespace {

// What the program's windows share, as app/ makes it.
SharedState& Shared() {
    static SharedState shared;
    return shared;
}

constexpr int Com = 7;
constexpr double WireSeconds = 62085 * 10 / 9600.0;

MeterLink* program = nullptr;  // the program's link to the meter

void FullDownload() {
    SimulatedMeter meter(Com, {"--channels", "2", "--logger", "full", "--baud", "9600"});
    if (!meter.Start()) {
        std::printf("full download: the simulator did not start\n");
        return;
    }
    program->Start(Com);
    auto* panel = Forms::GetAs<Panel>(WindowNames::Panel);
    panel->show();
    QElapsedTimer waited;
    waited.start();
    while (!program->MeterOnline() && waited.elapsed() < 10000) EventPump::Delay(0.05);

    // A 10-ms probe: the longest time between two of its ticks is the longest the program did not
    // serve its events.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    sinceTick.start();
    probe.start(10);
    QElapsedTimer total;
    total.start();
    const double cpuBefore = Bench::CpuSeconds();
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
    // The download runs in the engine; the window only hears of it.
    while (program->Downloading() && total.elapsed() < 300000) EventPump::Delay(0.01);
    const double seconds = total.elapsed() / 1000.0;
    const double cpu = Bench::CpuSeconds() - cpuBefore;
    probe.stop();

    const auto& image = Shared().logger.MemoryImage();
    std::printf("full download (62083 bytes at 9600 baud): %.2f s; wire %.2f s, %+.1f %%; CPU %.2f s; "
                "longest event gap %lld ms; %zu bytes, %zu sets\n",
                seconds, WireSeconds, 100.0 * (seconds / WireSeconds - 1), cpu, static_cast<long long>(longestGap),
                image.size(), Logger::ListSets(image).size());
    Forms::UnloadAll();
    EventPump::Delay(0.1);
    program->Stop();
}

// Sets of a full memory, listed; then one set of 8800 records opened into DataList2.
void ListingAndOpening() {
    std::vector<std::uint8_t> memory;
    const int sets[][2] = {{1, 4200}, {2, 1800}, {5, 1200}, {10, 900}, {30, 480}, {60, 240}, {255, 44}};
    const std::uint8_t record[7] = {0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00};
    for (const auto& set : sets) {
        memory.insert(memory.end(), {0x00, 0x55, 0xAA, 0x00, static_cast<std::uint8_t>(set[0])});
        for (int i = 0; i < set[1]; ++i) memory.insert(memory.end(), record, record + 7);
    }
    std::vector<double> listing;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto found = Logger::ListSets(memory);
        listing.push_back(timer.nsecsElapsed() / 1e3);
        if (found.size() != 7) std::printf("listing found %zu sets\n", found.size());
    }
    std::printf("listing the sets of a full memory (%zu bytes): median %.1f us over 7 runs\n", memory.size(),
                Bench::Median(listing));

    std::vector<std::uint8_t> big{0x00, 0x55, 0xAA, 0x00, 2};
    for (int i = 0; i < 8800; ++i) big.insert(big.end(), record, record + 7);
    Shared().logger.DownloadStarted();
    Shared().logger.MemoryRead(big);
    ScriptedDialogs dialogs;
    Dialogs::Install(&dialogs);
    std::vector<double> opening;
    for (int run = 0; run < 5; ++run) {
        dialogs.QueueInput("12:00:00");
        QElapsedTimer timer;
        timer.start();
        OpenDataSet(Shared().logger, 1);
        opening.push_back(timer.nsecsElapsed() / 1e6);
        auto* list = Forms::FindAs<ListWindow>("DataList2");
        if (!list || list->ListGrid().Rows() != 8801) std::printf("DataList2 is not complete\n");
    }
    std::printf("opening a set of 8800 records into DataList2: median %.1f ms over 5 runs\n", Bench::Median(opening));
    Dialogs::Install(nullptr);
    Forms::UnloadAll();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MeterLink meterLink;
    program = &meterLink;
    RegisterWindows(meterLink, Shared());
    TempPortsDir ports;
    ListingAndOpening();
    if (!(argc > 1 && std::strcmp(argv[1], "--no-download") == 0)) FullDownload();
    return 0;
}
