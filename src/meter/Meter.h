#pragma once

#include <cstdint>

#include "meter/CurrentReading.h"

// The frame decoders. They must run in this order for each frame or stored record, since each
// uses what the one before left: status, T1, channel, T2, type.
namespace Meter {

CurrentReading& Current();   // the program-wide live reading
void ResetCurrent();         // back to the empty reading (tests)

void DecodeStatusByte(CurrentReading& r, int status);
void DecodeT1(CurrentReading& r, int high, int low);
void DecodeChannelByte(CurrentReading& r, int channel);
void DecodeT2(CurrentReading& r, int high, int low);
void DecodeTypeByte(CurrentReading& r, int type);

// All five in order on bytes 2 to 8 of a frame (bytes[1] .. bytes[7]).
void DecodeFrameBody(CurrentReading& r, const std::uint8_t* statusToType);

}  // namespace Meter
