#include "ProgramState.h"

#include <QCoreApplication>
#include <QEvent>
#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>

#include "graphs/ListPlot.h"
#include "graphs/RealTimeChart.h"
#include "logger/DataLogger.h"
#include "serial/Rs232_API.h"
#include "stats/StatisticsState.h"
#include "ui/Clock.h"
#include "ui/Desktop.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/WindowFrame.h"

namespace {

std::atomic<double> standingTimeOfDay{-1};  // below 0: the real time of day

double RealTimeOfDay() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           std::chrono::duration<double>(now - std::chrono::floor<std::chrono::seconds>(now)).count();
}

// One link for the whole test program, since windows keep a reference to it; each reset stops it.
std::unique_ptr<MeterLink> MakeLink() {
    return std::make_unique<MeterLink>(AcquisitionEngine::Clock{
        [] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); },
        [] {
            const double standing = standingTimeOfDay.load();
            return standing >= 0 ? standing : RealTimeOfDay();
        }});
}

std::unique_ptr<MeterLink>& Link() {
    static std::unique_ptr<MeterLink> link;
    return link;
}

}  // namespace

MeterLink& ProgramLink() {
    if (!Link()) Link() = MakeLink();
    return *Link();
}

void StandLinkClockAt(double secondsSinceMidnight) { standingTimeOfDay = secondsSinceMidnight; }

void AdvanceLinkClock(double seconds) {
    const double next = standingTimeOfDay.load() + seconds;
    standingTimeOfDay = next >= 86400 ? next - 86400 : next;
}

ReadingChange::ReadingChange() : reading_(ProgramLink().Reading()) {}

ReadingChange::~ReadingChange() {
    ProgramLink().ReadingArrived(reading_);
    if (!reading_.MeterOnline) ProgramLink().NoComArrived();
}

void ResetProgramState() {
    Forms::UnloadAll();
    ProgramLink().Stop();
    standingTimeOfDay = -1;
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Dialogs::Install(nullptr);
    Clock::Install(nullptr);
    Desktop::InstallOpener({});
    WindowFrame::Install(std::nullopt);
    Rs232_API::Reset();
    DataLogger::Instance().Reset();
    RealTimeChart::Instance().Reset();
    ListPlot::Instance().Reset();
    StatisticsState::Instance().Reset();
}
