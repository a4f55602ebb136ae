#pragma once

#include <array>
#include <cstdint>

// One reading as the meter streams it: 02, status, T1 high, T1 low, channel, T2 high, T2 low,
// thermocouple type, 03.
struct MeterFrame {
    static constexpr std::size_t Size = 9;
    static constexpr std::uint8_t Start = 0x02;
    static constexpr std::uint8_t End = 0x03;
    std::array<std::uint8_t, Size> bytes{};
};
