#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "meter/MeterFrame.h"

// Finds the meter's frames in the bytes as they arrive, wherever a frame starts: 02, seven bytes,
// 03, and a thermocouple type the meter knows. Stray bytes before or between frames cost nothing.
// When several whole frames came at once (the program was stopped or starved while the meter kept
// sending), only the newest counts: the older ones were read long ago and are dropped unseen.
class FrameFinder {
public:
    // The bytes of one read; the newest whole frame among them and the bytes held from before.
    std::optional<MeterFrame> Add(std::span<const std::uint8_t> arrived);
    // Forgets a frame begun: what comes next starts afresh.
    void Clear() { held_.clear(); }

    // Whole frames that were passed over for a newer one in the same read, since the start.
    long Dropped() const { return dropped_; }

    static bool Checks(std::span<const std::uint8_t, MeterFrame::Size> bytes);

private:
    std::vector<std::uint8_t> held_;  // at most the beginning of one frame
    long dropped_ = 0;
};
