#pragma once

#include "SimReading.h"

// The unit codes as the status byte carries them.
enum class TempUnit { C = 0, F = 1, K = 2 };

// Everything one frame or logger record says: both readings are in `unit`.
struct MeterSample {
    TempUnit unit = TempUnit::C;
    int channels = 2;
    int typeCode = 0;  // 0 K, 1 J, 2 E, 3 T, 4 R, 5 S, 6 N
    SimReading t1;
    SimReading t2;
};
