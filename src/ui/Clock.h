#pragma once

#include <QString>
#include <QTime>

// The time of day as every window shows it, for what a user does (a window opened, Start
// pressed); what the meter's samples are stamped with comes with them from the link. Tests
// install a FakeClock to stand at any time, for example just before midnight.
class Clock {
public:
    virtual ~Clock() = default;

    virtual QTime TimeOfDay() const = 0;
    // Whole seconds since midnight, 0 to 86399.
    int SecondsSinceMidnight() const { return SecondsOf(TimeOfDay()); }
    // "hh:mm:ss", 24-hour.
    QString TimeText() const { return TextOf(TimeOfDay()); }

    // The same two views of one reading, for code that needs both to agree.
    static int SecondsOf(QTime time);
    static QString TextOf(QTime time);

    static Clock& Current();
    // Does not take ownership; nullptr goes back to the system clock.
    static void Install(Clock* clock);
};
