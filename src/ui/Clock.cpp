#include "ui/Clock.h"

#include <cmath>

#include "acquisition/SystemClock.h"

namespace {

// The system's time of day, read where the engine reads it.
class TimeOfDayClock : public Clock {
public:
    QTime TimeOfDay() const override {
        return QTime::fromMSecsSinceStartOfDay(static_cast<int>(std::floor(SystemClock::TimeOfDay() * 1000)) % 86400000);
    }
};

Clock* installed = nullptr;

}  // namespace

int Clock::SecondsOf(QTime time) { return time.msecsSinceStartOfDay() / 1000; }

QString Clock::TextOf(QTime time) { return time.toString(QStringLiteral("HH:mm:ss")); }

Clock& Clock::Current() {
    static TimeOfDayClock system;
    return installed ? *installed : system;
}

void Clock::Install(Clock* clock) { installed = clock; }
