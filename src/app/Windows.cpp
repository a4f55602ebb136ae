#include "app/Windows.h"

#include "graphs/PlotRange.h"
#include "graphs/PlotWindow.h"
#include "graphs/RealTimeGraph.h"
#include "graphs/RealTimeRange.h"
#include "logger/MemoryWindow.h"
#include "panel/Panel.h"
#include "records/ListWindow.h"
#include "serial/PortWindow.h"
#include "serial/SerialDevicesWindow.h"
#include "stats/AvgWindow.h"
#include "ui/Forms.h"

void RegisterWindows() {
    Forms::Register("Port", [] { return new PortWindow; });
    Forms::Register("SerialDevices", [] { return new SerialDevicesWindow; });
    Forms::Register("Panel", [] { return new Panel; });
    Forms::Register("Memory", [] { return new MemoryWindow; });
    Forms::Register("RealTime23", [] { return new RealTimeGraph; });
    Forms::Register("RealTimeRange", [] { return new RealTimeRange; });
    Forms::Register("ListPlot1", [] { return new PlotWindow; });
    Forms::Register("PlotRange", [] { return new PlotRange; });
    for (bool dual : {false, true}) Forms::Register(AvgWindow::NameOf(dual), [dual] { return new AvgWindow(dual); });
    for (auto kind : {ListWindow::Kind::RealTime, ListWindow::Kind::Data, ListWindow::Kind::File}) {
        for (bool dual : {false, true}) {
            Forms::Register(ListWindow::NameOf(kind, dual), [kind, dual] { return new ListWindow(kind, dual); });
        }
    }
}
