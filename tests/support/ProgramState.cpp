#include "ProgramState.h"

#include <QCoreApplication>
#include <QEvent>
#include <atomic>
#include <cmath>
#include <chrono>
#include <ctime>
#include <memory>

#include "app/Windows.h"
#include "serial/Rs232_API.h"
#include "ui/Clock.h"
#include "ui/Desktop.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "acquisition/SystemClock.h"
#include "ui/MeterLink.h"
#include "ui/WindowFrame.h"

namespace {

// While the clock stands, the steady clock stands with the time of day, so that samples fall due
// only when the test moves them on; it goes on from where the test left it.
std::atomic<double> standingTimeOfDay{-1};  // below 0: the real time of day
std::atomic<double> steadyOffset{0};        // the scripted steady clock less the real one
std::atomic<double> standingSteady{0};

// One link for the whole test program, since windows keep a reference to it; each reset stops it.
std::unique_ptr<MeterLink> MakeLink() {
    return std::make_unique<MeterLink>(AcquisitionEngine::Clock{
        [] { return standingTimeOfDay.load() >= 0 ? standingSteady.load() : SystemClock::Steady() + steadyOffset.load(); },
        [] {
            const double standing = standingTimeOfDay.load();
            return standing >= 0 ? standing : SystemClock::TimeOfDay();
        },
        // The simulated meter runs in real time, whatever the test does with the clocks above.
        SystemClock::Steady, SystemClock::Boot});
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

SharedState& ProgramShared() {
    static SharedState shared;
    return shared;
}

void RegisterProgramWindows() { RegisterWindows(ProgramLink(), ProgramShared()); }

void StandLinkClockAt(double secondsSinceMidnight) {
    if (standingTimeOfDay.load() < 0) standingSteady = SystemClock::Steady() + steadyOffset.load();
    standingTimeOfDay = secondsSinceMidnight;
}

void StepLinkTimeOfDay(double seconds) {
    const double next = std::fmod(standingTimeOfDay.load() + seconds + 86400, 86400);
    standingTimeOfDay = next;
}

void AdvanceLinkClock(double seconds) {
    standingSteady = standingSteady.load() + seconds;
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
    if (standingTimeOfDay.load() >= 0) steadyOffset = standingSteady.load() - SystemClock::Steady();
    standingTimeOfDay = -1;
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Dialogs::Install(nullptr);
    Clock::Install(nullptr);
    Desktop::InstallOpener({});
    WindowFrame::Install(std::nullopt);
    Rs232_API::Reset();
    ProgramShared() = SharedState{};
}
