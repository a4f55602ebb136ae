#pragma once

#include "ui/Clock.h"

// A clock that stands still until a test moves it; it wraps at midnight like the real one.
class FakeClock : public Clock {
public:
    FakeClock() = default;
    FakeClock(int hours, int minutes, int seconds);

    QTime TimeOfDay() const override;

    void Set(int hours, int minutes, int seconds);
    void SetSeconds(double secondsSinceMidnight);
    void Advance(double seconds);

private:
    static constexpr qint64 MsPerDay = 86400LL * 1000;
    qint64 msSinceMidnight_ = 0;
};
