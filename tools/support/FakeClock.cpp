#include "FakeClock.h"

#include <cmath>

FakeClock::FakeClock(int hours, int minutes, int seconds) { Set(hours, minutes, seconds); }

QTime FakeClock::TimeOfDay() const { return QTime::fromMSecsSinceStartOfDay(static_cast<int>(msSinceMidnight_)); }

void FakeClock::Set(int hours, int minutes, int seconds) {
    SetSeconds(hours * 3600.0 + minutes * 60.0 + seconds);
}

void FakeClock::SetSeconds(double secondsSinceMidnight) {
    msSinceMidnight_ = 0;
    Advance(secondsSinceMidnight);
}

void FakeClock::Advance(double seconds) {
    const qint64 ms = msSinceMidnight_ + std::llround(seconds * 1000.0);
    msSinceMidnight_ = ((ms % MsPerDay) + MsPerDay) % MsPerDay;
}
