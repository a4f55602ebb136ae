#pragma once

#include <string>

#include "meter/Reading.h"

// The live reading as the frames decode into it; each field keeps its last value until overwritten.
struct CurrentReading {
    bool UnitIsC = false, UnitIsF = false, UnitIsK = false;
    std::string UnitText;  // "C", "F" or "K"

    bool T1NoReading = false, T1Overload = false, T1Negative = false;
    bool DualChannel = false;
    bool T2NoReading = false, T2Overload = false, T2Negative = false;

    Reading T1Value, T2Value, T1T2Value;
    Reading T1C, T1F, T1K;
    Reading T2C, T2F, T2K;
    // The differences of the C, F and K values, rounded to tenths as they are shown ("0.0").
    Reading T1T2C, T1T2F, T1T2K;

    std::string ThermocoupleType;  // "K", "J", "E", "T", "R", "S" or "N"
    bool MeterOnline = false;      // a good frame came since the last silence
    // When the last good frame arrived, on the acquisition's steady clock; below 0 before the
    // first one.
    double FrameTime = -1;

    // A reading younger than this is fresh: the meter sends a frame about every half second, so an
    // older one was not renewed since.
    static constexpr double FreshSeconds = 3.0;
};
