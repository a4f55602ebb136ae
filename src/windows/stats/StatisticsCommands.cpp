#include "windows/stats/StatisticsCommands.h"

#include "acquisition/SamplingState.h"
#include "meter/Meter.h"
#include "stats/StatisticsState.h"
#include "ui/Forms.h"
#include "windows/stats/AvgWindow.h"

void OpenStatistics() {
    const CurrentReading& meter = Meter::Current();
    StatisticsState& state = StatisticsState::Instance();
    if (!meter.MeterOnline || state.AvgWindowOpen()) return;
    state.WindowOpened();
    Sampling::State().ChannelModeStarted(meter.DualChannel);
    auto* window = dynamic_cast<AvgWindow*>(Forms::Show(AvgWindow::NameOf(meter.DualChannel)));
    if (!window) {
        state.WindowClosed();
        return;
    }
    window->ShowUnitAndType(QString::fromStdString(meter.UnitText),
                            QString::fromStdString(meter.ThermocoupleType));
    window->EnableTimer();
    state.SetUnitTextAtStart(meter.UnitText);
}

void CloseStatisticsOnChannelChange() {
    if (!StatisticsState::Instance().AvgWindowOpen()) return;
    if (Meter::Current().DualChannel == Sampling::State().ChannelModeAtStart()) return;
    for (bool dual : {true, false}) Forms::Unload(AvgWindow::NameOf(dual));
}
