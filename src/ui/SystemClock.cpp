#include "ui/SystemClock.h"

#include <chrono>

QTime SystemClock::TimeOfDay() const { return QTime::currentTime(); }

double SystemClock::ElapsedSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
