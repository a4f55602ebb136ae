#pragma once

#include <string>

#include "meter/Reading.h"

// The one live reading of the program; each field keeps its last value until overwritten.
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
    bool MeterOnline = false;      // written by the poll cycle
};
