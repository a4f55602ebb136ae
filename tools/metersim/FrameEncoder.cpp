#include "FrameEncoder.h"

#include <algorithm>
#include <cmath>

namespace FrameEncoder {

std::uint16_t Magnitude(double value) {
    double tenths = std::round(std::fabs(value) * 10.0);
    return static_cast<std::uint16_t>(std::clamp(tenths, 0.0, 65535.0));
}

std::uint8_t MarkBits(const SimReading& reading) {
    switch (reading.kind) {
        case SimReading::Kind::NoReading:
            return 0x20;
        case SimReading::Kind::Over:
            return 0x40;
        case SimReading::Kind::Under:
            return 0xC0;
        case SimReading::Kind::Number:
            break;
    }
    // A value that rounds to 0.0 goes out without its sign, so nobody sees "-0.0".
    return reading.value < 0 && Magnitude(reading.value) > 0 ? 0x80 : 0x00;
}

std::uint8_t StatusByte(const MeterSample& sample) {
    return static_cast<std::uint8_t>(static_cast<int>(sample.unit) | MarkBits(sample.t1));
}

std::uint8_t ChannelByte(const MeterSample& sample) {
    return sample.channels == 1 ? 0xFF : MarkBits(sample.t2);
}

static std::uint16_t MagnitudeOf(const SimReading& reading) {
    return reading.IsNumber() ? Magnitude(reading.value) : 0;
}

std::array<std::uint8_t, 7> EncodeRecord(const MeterSample& sample) {
    std::uint16_t t1 = MagnitudeOf(sample.t1);
    std::uint16_t t2 = sample.channels == 1 ? 0 : MagnitudeOf(sample.t2);
    return {StatusByte(sample),
            static_cast<std::uint8_t>(t1 >> 8),
            static_cast<std::uint8_t>(t1 & 0xFF),
            ChannelByte(sample),
            static_cast<std::uint8_t>(t2 >> 8),
            static_cast<std::uint8_t>(t2 & 0xFF),
            static_cast<std::uint8_t>(sample.typeCode)};
}

MeterFrame EncodeFrame(const MeterSample& sample) {
    MeterFrame frame;
    auto record = EncodeRecord(sample);
    frame.bytes.front() = MeterFrame::Start;
    std::copy(record.begin(), record.end(), frame.bytes.begin() + 1);
    frame.bytes.back() = MeterFrame::End;
    return frame;
}

}  // namespace FrameEncoder
