#include "ui/SystemClock.h"

QTime SystemClock::TimeOfDay() const { return QTime::currentTime(); }
