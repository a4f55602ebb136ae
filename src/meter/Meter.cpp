#include "meter/Meter.h"

#include <cstring>
#include <string_view>

namespace {

constexpr double KelvinOffset = 273.2;
constexpr int OneChannelMarker = 255;

bool Bit(int byte, int bit) { return ((byte >> bit) & 1) != 0; }

double CToF(double c) { return c * 1.8 + 32; }

// The texts are a few characters long and mostly keep their length from frame to frame, so they
// are overwritten in place instead of going through the general (and slower) assign.
void SetText(std::string& field, std::string_view text) {
    if (field.size() != text.size()) {
        field.assign(text);
        return;
    }
    std::memcpy(field.data(), text.data(), text.size());
}

// One input's flags and the four fields they decide; T1 and T2 decode through the same routine.
struct ChannelFields {
    bool noReading, overload, negative;
    Reading &value, &c, &f, &k;
};

void DecodeChannelValue(const CurrentReading& r, ChannelFields ch, int high, int low) {
    Reading::Kind mark = Reading::Kind::Empty;
    if (ch.noReading) {
        mark = Reading::Kind::NoReading;
    } else if (ch.overload) {
        mark = ch.negative ? Reading::Kind::Under : Reading::Kind::Over;
    }
    if (mark != Reading::Kind::Empty) {
        ch.value = ch.c = ch.f = ch.k = Reading::Mark(mark);
        return;
    }

    double magnitude = ((high & 0xFF) * 256 + (low & 0xFF)) / 10.0;
    double value = ch.negative ? -magnitude : magnitude;
    double c, f, k;
    if (r.UnitIsF) {
        f = value;
        c = (f - 32) / 1.8;
        k = c + KelvinOffset;
    } else if (r.UnitIsK) {
        k = value;
        c = k - KelvinOffset;
        f = CToF(c);
    } else {
        c = value;
        f = CToF(c);
        k = c + KelvinOffset;
    }
    ch.value = Reading::Number(value);
    ch.c = Reading::Number(c);
    ch.f = Reading::Number(f);
    ch.k = Reading::Number(k);
}

// Half away from zero, as the "0.0" text rounds; the text itself is made only when shown.
// Differences of readings are far inside the range of a 64-bit integer, so the rounding is a
// plain conversion rather than a call into the maths library.
Reading Tenths(double value) {
    const double scaled = value * 10.0;
    const auto whole = static_cast<long long>(scaled + (scaled < 0 ? -0.5 : 0.5));
    return Reading::Number(static_cast<double>(whole) / 10.0);
}

void DecodeDifference(CurrentReading& r) {
    using Kind = Reading::Kind;
    Kind t1 = r.T1Value.kind(), t2 = r.T2Value.kind();
    Kind mark = Kind::Empty;
    if (t1 == Kind::NoReading || t2 == Kind::NoReading) {
        mark = Kind::NoReading;
    } else if (t1 == Kind::Over || t2 == Kind::Under) {
        mark = Kind::Over;
    } else if (t1 == Kind::Under || t2 == Kind::Over) {
        mark = Kind::Under;
    }
    if (mark != Kind::Empty) {
        r.T1T2Value = r.T1T2C = r.T1T2F = r.T1T2K = Reading::Mark(mark);
        return;
    }
    r.T1T2Value = Reading::Number(r.T1Value.Value() - r.T2Value.Value());
    r.T1T2C = Tenths(r.T1C.Value() - r.T2C.Value());
    r.T1T2F = Tenths(r.T1F.Value() - r.T2F.Value());
    r.T1T2K = Tenths(r.T1K.Value() - r.T2K.Value());
}

}  // namespace

namespace Meter {

void DecodeStatusByte(CurrentReading& r, int status) {
    int unit = (status & 0xFF) % 4;
    r.T1NoReading = Bit(status, 5);
    r.T1Overload = Bit(status, 6);
    r.T1Negative = Bit(status, 7);
    r.UnitIsC = unit == 0;
    r.UnitIsF = unit == 1 || unit == 3;
    r.UnitIsK = unit == 2;
    SetText(r.UnitText, r.UnitIsC ? "C" : r.UnitIsF ? "F" : "K");
}

void DecodeT1(CurrentReading& r, int high, int low) {
    DecodeChannelValue(r, {r.T1NoReading, r.T1Overload, r.T1Negative, r.T1Value, r.T1C, r.T1F, r.T1K}, high,
                       low);
}

void DecodeChannelByte(CurrentReading& r, int channel) {
    r.DualChannel = (channel & 0xFF) != OneChannelMarker;
    r.T2NoReading = Bit(channel, 5);
    r.T2Overload = Bit(channel, 6);
    r.T2Negative = Bit(channel, 7);
}

void DecodeT2(CurrentReading& r, int high, int low) {
    if (!r.DualChannel) return;
    DecodeChannelValue(r, {r.T2NoReading, r.T2Overload, r.T2Negative, r.T2Value, r.T2C, r.T2F, r.T2K}, high,
                       low);
    DecodeDifference(r);
}

void DecodeTypeByte(CurrentReading& r, int type) {
    static constexpr char Types[] = "KJETRSN";
    if (type < 0 || type > 6) return;
    SetText(r.ThermocoupleType, std::string_view(&Types[type], 1));
}

void DecodeFrameBody(CurrentReading& r, const std::uint8_t* statusToType) {
    const std::uint8_t* b = statusToType;
    DecodeStatusByte(r, b[0]);
    DecodeT1(r, b[1], b[2]);
    DecodeChannelByte(r, b[3]);
    DecodeT2(r, b[4], b[5]);
    DecodeTypeByte(r, b[6]);
}

UnitValues InUnit(const CurrentReading& r, std::string_view unit) {
    if (unit == "C") return {r.T1C, r.T2C, r.T1T2C};
    if (unit == "F") return {r.T1F, r.T2F, r.T1T2F};
    return {r.T1K, r.T2K, r.T1T2K};
}

}  // namespace Meter
