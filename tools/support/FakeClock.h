#pragma once

#include "ui/Clock.h"

// A clock that stands still until a test moves it; it wraps at midnight like the real one. Its
// elapsed seconds move only when a test says so, apart from the time of day.
class FakeClock : public Clock {
public:
    FakeClock() = default;
    FakeClock(int hours, int minutes, int seconds);

    QTime TimeOfDay() const override;

    void Set(int hours, int minutes, int seconds);
    void SetSeconds(double secondsSinceMidnight);
    void Advance(double seconds);
    double ElapsedSeconds() const override { return elapsed_; }
    void AdvanceElapsed(double seconds) { elapsed_ += seconds; }

private:
    static constexpr qint64 MsPerDay = 86400LL * 1000;
    qint64 msSinceMidnight_ = 0;
    double elapsed_ = 0;
};
