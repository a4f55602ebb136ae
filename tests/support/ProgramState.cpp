#include "ProgramState.h"

#include <QCoreApplication>
#include <QEvent>

#include "graphs/ListPlot.h"
#include "graphs/RealTimeChart.h"
#include "logger/DataLogger.h"
#include "meter/Meter.h"
#include "serial/Rs232_API.h"
#include "stats/StatisticsState.h"
#include "ui/Clock.h"
#include "ui/Desktop.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/WindowFrame.h"

void ResetProgramState() {
    Forms::UnloadAll();
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Dialogs::Install(nullptr);
    Clock::Install(nullptr);
    Desktop::InstallOpener({});
    WindowFrame::Install(std::nullopt);
    Rs232_API::Reset();
    Meter::ResetCurrent();
    DataLogger::Instance().Reset();
    RealTimeChart::Instance().Reset();
    ListPlot::Instance().Reset();
    StatisticsState::Instance().Reset();
}
