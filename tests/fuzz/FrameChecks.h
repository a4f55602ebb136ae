#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "meter/CurrentReading.h"
#include "meter/Reading.h"

// What a decoded frame must say about its own bytes, for the targets that decode frames. Each
// check goes to `require(holds, what)`: Require, which aborts, for a reading whose bytes are known;
// a tally when the bytes a reading came from are among several candidates.
namespace Fuzz {

// Tenths of the magnitude a shown reading text stands for.
inline long TextTenths(const Reading& reading) {
    return std::lround(std::fabs(std::strtod(reading.Text().c_str(), nullptr)) * 10);
}

// A decoded channel says what its bytes say: the mark its flags give, or the magnitude and sign.
template <typename Check>
void CheckChannel(Check require, const Reading& value, int flags, int high, int low) {
    const long tenths = high * 256 + low;
    if (flags & 0x20) {
        require(value.kind() == Reading::Kind::NoReading, "no-reading flag decodes to ----");
    } else if (flags & 0x40) {
        require(value.kind() == ((flags & 0x80) ? Reading::Kind::Under : Reading::Kind::Over),
                "overload flags decode to OL or -OL");
    } else {
        require(value.IsNumber(), "a reading without marks is a number");
        require(std::lround(std::fabs(value.Value()) * 10) == tenths, "value re-encodes to its bytes");
        require((value.Value() < 0) == ((flags & 0x80) != 0 && tenths != 0), "sign re-encodes to its flag");
        require(TextTenths(value) == tenths, "the shown text is the decoded value");
    }
}

// The reading decoded from a frame's bytes 2 to 8 (status, T1 high and low, channel, T2 high and
// low, type) re-encodes to them.
template <typename Check>
void CheckDecodedBody(Check require, const CurrentReading& r, const std::uint8_t* b) {
    require(r.UnitText == std::string(1, "CFKF"[b[0] % 4]), "unit re-encodes to the status byte");
    CheckChannel(require, r.T1Value, b[0], b[1], b[2]);
    require(r.DualChannel == (b[3] != 255), "channel byte 255 is one channel");
    if (r.DualChannel) {
        CheckChannel(require, r.T2Value, b[3], b[4], b[5]);
        if (r.T1Value.IsNumber() && r.T2Value.IsNumber()) {
            require(r.T1T2Value.Value() == r.T1Value.Value() - r.T2Value.Value(), "T1-T2 is the difference");
        }
    }
    if (b[6] <= 6) require(r.ThermocoupleType == std::string(1, "KJETRSN"[b[6]]), "type re-encodes");
}

inline void RequireDecodedBody(const CurrentReading& r, const std::uint8_t* b) { CheckDecodedBody(Require, r, b); }

// True when the reading re-encodes to these body bytes, every check holding.
inline bool DecodedFromBody(const CurrentReading& r, const std::uint8_t* b) {
    bool holds = true;
    CheckDecodedBody([&holds](bool check, const char*) { holds = holds && check; }, r, b);
    return holds;
}

}  // namespace Fuzz
