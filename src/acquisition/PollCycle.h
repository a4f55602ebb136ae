#pragma once

#include <functional>

#include "meter/MeterFrame.h"

// One tick of the main window's poll cycle: collect bytes into the current port's receive buffer,
// check one frame, decode it into the live reading, and recover from a silent or failing meter by
// closing and reopening the port. The window supplies the display and the clock.
class PollCycle {
public:
    // The main window's polling and sampling timers both tick at this interval.
    static constexpr int TickMs = 100;

    struct Display {
        std::function<void()> showPort;     // "COM  n" once bytes arrived
        std::function<void()> showReading;  // after status, T1, channel and T2 are decoded
        std::function<void()> showType;     // after the type byte is decoded
        std::function<void()> showNoCom;
    };

    // `elapsedSeconds` is a clock that only runs forwards; each good frame is stamped with it.
    PollCycle(Display display, std::function<int()> secondsSinceMidnight, std::function<double()> elapsedSeconds);

    // Runs one cycle; returns true when a frame was shown. A cycle never nests inside another.
    bool Run();
    // Ends a running cycle at its next wait and keeps later ones from starting: the window that
    // shows the readings is going away.
    void Cancel() { cancelled_ = true; }

    float NoDataTicks() const { return noDataTicks_; }
    // A cycle is under way (its waits let other code run).
    bool Running() const { return running_; }

private:
    bool Cycle();
    // Waits 0.1 s at a time until 9 bytes are held or more than a second has passed.
    long CollectWindow(bool& readFailed);
    void Reconnect();

    Display display_;
    std::function<int()> secondsNow_;
    std::function<double()> elapsedNow_;
    float noDataTicks_ = 0;
    bool running_ = false;
    bool cancelled_ = false;
};
