#include "windows/stats/StatisticsCommands.h"

#include "stats/StatisticsState.h"
#include "ui/Forms.h"
#include "windows/stats/AvgWindow.h"

void OpenStatistics(MeterLink& link, StatisticsState& state) {
    const CurrentReading& meter = link.Reading();
    if (!meter.MeterOnline || state.AvgWindowOpen()) return;
    // A one-channel window the meter's change of channels stopped may still be open: it gives way,
    // so one statistics window is open at a time and the new one gathers alone.
    for (bool dual : {false, true}) Forms::Unload(AvgWindow::NameOf(dual));
    state.WindowOpened();
    link.ChannelModeStarted(meter.DualChannel);
    auto* window = dynamic_cast<AvgWindow*>(Forms::Show(AvgWindow::NameOf(meter.DualChannel)));
    if (!window) {
        state.WindowClosed();
        return;
    }
    window->ShowUnitAndType(QString::fromStdString(meter.UnitText),
                            QString::fromStdString(meter.ThermocoupleType));
    window->EnableTicks();
    state.SetUnitTextAtStart(meter.UnitText);
}
