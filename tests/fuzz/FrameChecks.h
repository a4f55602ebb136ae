#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "meter/CurrentReading.h"
#include "meter/Reading.h"

// What a decoded frame must say about its own bytes, for the targets that decode frames.
namespace Fuzz {

// Tenths of the magnitude a shown reading text stands for.
inline long TextTenths(const Reading& reading) {
    return std::lround(std::fabs(std::strtod(reading.Text().c_str(), nullptr)) * 10);
}

// A decoded channel says what its bytes say: the mark its flags give, or the magnitude and sign.
inline void RequireChannel(const Reading& value, int flags, int high, int low) {
    const long tenths = high * 256 + low;
    if (flags & 0x20) {
        Require(value.kind() == Reading::Kind::NoReading, "no-reading flag decodes to ----");
    } else if (flags & 0x40) {
        Require(value.kind() == ((flags & 0x80) ? Reading::Kind::Under : Reading::Kind::Over),
                "overload flags decode to OL or -OL");
    } else {
        Require(value.IsNumber(), "a reading without marks is a number");
        Require(std::lround(std::fabs(value.Value()) * 10) == tenths, "value re-encodes to its bytes");
        Require((value.Value() < 0) == ((flags & 0x80) != 0 && tenths != 0), "sign re-encodes to its flag");
        Require(TextTenths(value) == tenths, "the shown text is the decoded value");
    }
}

// The reading decoded from a frame's bytes 2 to 8 (status, T1 high and low, channel, T2 high and
// low, type) re-encodes to them.
inline void RequireDecodedBody(const CurrentReading& r, const std::uint8_t* b) {
    Require(r.UnitText == std::string(1, "CFKF"[b[0] % 4]), "unit re-encodes to the status byte");
    RequireChannel(r.T1Value, b[0], b[1], b[2]);
    Require(r.DualChannel == (b[3] != 255), "channel byte 255 is one channel");
    if (r.DualChannel) {
        RequireChannel(r.T2Value, b[3], b[4], b[5]);
        if (r.T1Value.IsNumber() && r.T2Value.IsNumber()) {
            Require(r.T1T2Value.Value() == r.T1Value.Value() - r.T2Value.Value(), "T1-T2 is the difference");
        }
    }
    if (b[6] <= 6) Require(r.ThermocoupleType == std::string(1, "KJETRSN"[b[6]]), "type re-encodes");
}

}  // namespace Fuzz
