#pragma once

#include "acquisition/AcquisitionEngine.h"

// The system's clocks as the acquisition engine takes them: the programs hand them in, tests and
// tools hand in their own or replace one of them.
namespace SystemClock {

// Seconds on the steady clock, which never jumps.
double Steady();
// Seconds since local midnight, with their fraction.
double TimeOfDay();
// Seconds since 1970 UTC on the clock of the day.
double Calendar();
// Seconds since the machine started, counting the time it slept.
double Boot();
AcquisitionEngine::Clock ForEngine();

}  // namespace SystemClock
