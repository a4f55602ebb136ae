#pragma once

#include <array>
#include <cstdint>

#include "MeterSample.h"
#include "meter/MeterFrame.h"

// Turns a sample into the bytes the meter puts on the line.
namespace FrameEncoder {

// Tenths of a degree, rounded, held to what two bytes can carry (0 to 6553.5).
std::uint16_t Magnitude(double value);

// Bits 5 (no reading), 6 (over range) and 7 (negative) for a reading.
std::uint8_t MarkBits(const SimReading& reading);

std::uint8_t StatusByte(const MeterSample& sample);
// 0xFF for a one-channel meter, else the T2 mark bits.
std::uint8_t ChannelByte(const MeterSample& sample);

// The nine bytes of a live frame: 02, status, T1 high, T1 low, channel, T2 high, T2 low, type, 03.
MeterFrame EncodeFrame(const MeterSample& sample);
// A logger record: the live frame without its 02 and 03.
std::array<std::uint8_t, 7> EncodeRecord(const MeterSample& sample);

}  // namespace FrameEncoder
