#include "ui/Clock.h"

#include "ui/SystemClock.h"

namespace {
Clock* installed = nullptr;
}  // namespace

int Clock::SecondsOf(QTime time) { return time.msecsSinceStartOfDay() / 1000; }

QString Clock::TextOf(QTime time) { return time.toString(QStringLiteral("HH:mm:ss")); }

Clock& Clock::Current() {
    static SystemClock system;
    return installed ? *installed : system;
}

void Clock::Install(Clock* clock) { installed = clock; }
