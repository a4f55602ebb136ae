#pragma once

// A due time on the clock of the day (whole seconds since midnight, 0 to 86399) that recurs every
// interval: the real-time chart paces its plotting with it. The
// clock wraps at midnight, the due time must not get lost there, and a clock that is corrected
// (by NTP, or at the end of daylight saving time) must neither take an extra sample nor shift
// the grid.
class DueTime {
public:
    static constexpr int SecondsPerDay = 86400;
    // Only a step back of more than half a day is the clock passing midnight; a smaller step
    // back is a correction, and the due time simply waits for the clock to come round again.
    static constexpr int MidnightStep = SecondsPerDay / 2;

    // The next due time is one interval from `now`.
    void Restart(int now, int interval) {
        next_ = now + interval;
        lastNow_ = now;
    }
    // True when the due time is reached at `now`; the following one is then one interval later.
    bool Tick(int now, int interval);

    int Next() const { return next_; }

private:
    int next_ = 0;
    int lastNow_ = -1;  // the second of the previous tick; -1 before the first
};
