#include "ui/Clock.h"

#include "ui/SystemClock.h"

namespace {
Clock* installed = nullptr;
}  // namespace

int Clock::SecondsSinceMidnight() const { return TimeOfDay().msecsSinceStartOfDay() / 1000; }

QString Clock::TimeText() const { return TimeOfDay().toString(QStringLiteral("HH:mm:ss")); }

Clock& Clock::Current() {
    static SystemClock system;
    return installed ? *installed : system;
}

void Clock::Install(Clock* clock) { installed = clock; }
