#include "app/Windows.h"

#include "ui/Forms.h"
#include "windows/WindowNames.h"
#include "windows/graphs/PlotRange.h"
#include "windows/graphs/PlotWindow.h"
#include "windows/graphs/RealTimeGraph.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/logger/MemoryWindow.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"
#include "windows/serial/PortWindow.h"
#include "windows/serial/SerialDevicesWindow.h"
#include "windows/stats/AvgWindow.h"

void RegisterWindows(MeterLink& link) {
    MeterLink* meter = &link;
    Forms::Register(WindowNames::Port, [meter] { return new PortWindow(*meter); });
    Forms::Register(WindowNames::SerialDevices, [] { return new SerialDevicesWindow; });
    Forms::Register(WindowNames::Panel, [meter] { return new Panel(*meter); });
    Forms::Register(WindowNames::Memory, [] { return new MemoryWindow; });
    Forms::Register(WindowNames::RealTimeGraph, [meter] { return new RealTimeGraph(*meter); });
    Forms::Register(WindowNames::RealTimeRange, [meter] { return new RealTimeRange(*meter); });
    Forms::Register(WindowNames::Plot, [] { return new PlotWindow; });
    Forms::Register(WindowNames::PlotRange, [] { return new PlotRange; });
    for (bool dual : {false, true}) Forms::Register(AvgWindow::NameOf(dual), [meter, dual] { return new AvgWindow(*meter, dual); });
    for (auto kind : {ListWindow::Kind::RealTime, ListWindow::Kind::Data, ListWindow::Kind::File}) {
        for (bool dual : {false, true}) {
            Forms::Register(ListWindow::NameOf(kind, dual), [meter, kind, dual] {
                // Data and file lists plot their rows; real-time lists have no Plot button.
                ListWindow::PlotCommand plot;
                if (kind != ListWindow::Kind::RealTime) plot = [](RecordTable rows) { OpenPlot(std::move(rows)); };
                return new ListWindow(*meter, kind, dual, plot);
            });
        }
    }
}
