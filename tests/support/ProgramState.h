#pragma once

#include "meter/CurrentReading.h"

class MeterLink;
struct SharedState;

// Puts every program-wide value back to where a fresh program starts: no window loaded (deferred
// deletes done), the real dialogs and clock, no open port, a meter link that has not started (no
// reading, no recording, no real-time list), no logger memory. Every fixture calls it before and
// after each case, so a test program run on its own gives the same results as each case run alone.
void ResetProgramState();

// The meter link of the program under test, as app/ makes it; windows are registered with it.
MeterLink& ProgramLink();
// The state its windows share, as app/ makes it.
SharedState& ProgramShared();
// Every window of the program, registered with these two.
void RegisterProgramWindows();

// The time of day the link's engine sees: the real one, until a test stands it at a second of the
// day; from then on it moves only when the test advances it, and the engine's steady clock with it
// (a silent meter is then No COM only once the test has moved the clock past the silence).
void StandLinkClockAt(double secondsSinceMidnight);
void AdvanceLinkClock(double seconds);
// The standing time of day set forward (or back, below 0) while the steady clock stays: the clock
// of the day corrected, or daylight saving time beginning or ending.
void StepLinkTimeOfDay(double seconds);

// A change to the reading the link holds, told to the link at the end of the statement as a
// decoded frame would be: `MeterReading()->DualChannel = false;`.
class ReadingChange {
public:
    ReadingChange();
    ~ReadingChange();
    ReadingChange(const ReadingChange&) = delete;
    ReadingChange& operator=(const ReadingChange&) = delete;
    CurrentReading* operator->() { return &reading_; }

private:
    CurrentReading reading_;
};
inline ReadingChange MeterReading() { return {}; }
