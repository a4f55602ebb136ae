#pragma once

#include <cstdint>
#include <string_view>

#include "meter/CurrentReading.h"

// The frame decoders. They must run in this order for each frame or stored record, since each
// uses what the one before left: status, T1, channel, T2, type.
namespace Meter {

void DecodeStatusByte(CurrentReading& r, int status);
void DecodeT1(CurrentReading& r, int high, int low);
void DecodeChannelByte(CurrentReading& r, int channel);
void DecodeT2(CurrentReading& r, int high, int low);
void DecodeTypeByte(CurrentReading& r, int type);

// All five in order on bytes 2 to 8 of a frame (bytes[1] .. bytes[7]).
void DecodeFrameBody(CurrentReading& r, const std::uint8_t* statusToType);

// T1, T2 and T1-T2 of a reading in one unit: "C", "F", anything else K.
struct UnitValues {
    const Reading& t1;
    const Reading& t2;
    const Reading& t1t2;
};
UnitValues InUnit(const CurrentReading& r, std::string_view unit);

}  // namespace Meter
