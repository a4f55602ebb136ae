#include "acquisition/DueTime.h"

bool DueTime::Tick(int now, int interval) {
    if (lastNow_ - now > MidnightStep) next_ -= SecondsPerDay;
    lastNow_ = now;
    if (now < next_) {
        // A due time a day or more ahead (ticks missed around midnight) belongs to today.
        if (next_ - now > SecondsPerDay) next_ -= SecondsPerDay;
        return false;
    }
    next_ = now + interval;
    return true;
}
