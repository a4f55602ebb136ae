#include "app/Windows.h"

#include "ui/Forms.h"
#include "windows/WindowNames.h"
#include "windows/graphs/PlotRange.h"
#include "windows/graphs/PlotWindow.h"
#include "windows/graphs/RealTimeGraph.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/logger/LoggerCommands.h"
#include "windows/logger/MemoryWindow.h"
#include "windows/panel/Panel.h"
#include "windows/records/DataListLoading.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/ListWindow.h"
#include "windows/records/RecordFile.h"
#include "windows/serial/PortWindow.h"
#include "windows/serial/SerialDevicesWindow.h"
#include "windows/stats/AvgWindow.h"
#include "windows/stats/StatisticsCommands.h"

namespace {

Panel::Commands PanelCommands(MeterLink& link, SharedState& shared) {
    MeterLink* meter = &link;
    SharedState* state = &shared;
    Panel::Commands commands;
    commands.saveAs = [meter] { RecordFile::ShowSaveAsDialog(*meter); };
    commands.openFile = [](const QString& path, const QString& title) { LoadRecordFile(path, title); };
    commands.openGraph = [meter, state] { OpenRealTimeGraph(*meter, state->chart); };
    commands.openStatistics = [meter, state] { OpenStatistics(*meter, state->statistics); };
    commands.download = [meter, state](QObject& owner, std::function<void()> showTime) {
        StartMemoryDownload(*meter, state->logger, owner, std::move(showTime));
    };
    return commands;
}

}  // namespace

void RegisterWindows(MeterLink& link, SharedState& shared) {
    MeterLink* meter = &link;
    SharedState* state = &shared;
    Forms::Register(WindowNames::Port, [meter] { return new PortWindow(*meter); });
    Forms::Register(WindowNames::SerialDevices, [] { return new SerialDevicesWindow; });
    Forms::Register(WindowNames::Panel, [meter, state] { return new Panel(*meter, PanelCommands(*meter, *state)); });
    Forms::Register(WindowNames::Memory, [state] {
        return new MemoryWindow([state](int set) { OpenDataSet(state->logger, set); });
    });
    Forms::Register(WindowNames::RealTimeGraph, [meter, state] { return new RealTimeGraph(*meter, state->chart); });
    Forms::Register(WindowNames::RealTimeRange, [meter, state] { return new RealTimeRange(*meter, state->chart); });
    Forms::Register(WindowNames::Plot, [state] { return new PlotWindow(state->plot); });
    Forms::Register(WindowNames::PlotRange, [state] { return new PlotRange(state->plot); });
    for (bool dual : {false, true}) {
        Forms::Register(AvgWindow::NameOf(dual),
                        [meter, state, dual] { return new AvgWindow(*meter, state->statistics, dual); });
    }
    for (auto kind : {ListWindow::Kind::RealTime, ListWindow::Kind::Data, ListWindow::Kind::File}) {
        for (bool dual : {false, true}) {
            Forms::Register(ListWindow::NameOf(kind, dual), [meter, state, kind, dual] {
                // Data and file lists plot their rows; real-time lists have no Plot button.
                ListWindow::PlotCommand plot;
                if (kind != ListWindow::Kind::RealTime)
                    plot = [state](RecordTable rows) { OpenPlot(state->plot, std::move(rows)); };
                return new ListWindow(*meter, kind, dual, plot);
            });
        }
    }
}
