#pragma once

// Puts every program-wide value back to where a fresh program starts: no window loaded (deferred
// deletes done), the real dialogs and clock, no open port, no reading, no recording and no
// real-time list, no logger memory. Every fixture calls it before and after each case, so a test program run on
// its own gives the same results as each case run alone.
void ResetProgramState();
