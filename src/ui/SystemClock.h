#pragma once

#include "ui/Clock.h"

class SystemClock : public Clock {
public:
    QTime TimeOfDay() const override;
    double ElapsedSeconds() const override;
};
