#pragma once

// Shows the busy (hourglass) pointer for as long as it lives, and restores the pointer on every
// way out of the scope.
class HourglassGuard {
public:
    HourglassGuard();
    ~HourglassGuard();
    HourglassGuard(const HourglassGuard&) = delete;
    HourglassGuard& operator=(const HourglassGuard&) = delete;

    // Restores the pointer early; the destructor then does nothing.
    void Restore();

private:
    bool active_ = false;
};
