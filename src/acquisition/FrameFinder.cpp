#include "acquisition/FrameFinder.h"

#include <algorithm>

namespace {
constexpr std::uint8_t LastType = 6;  // K J E T R S N
}

bool FrameFinder::Checks(std::span<const std::uint8_t, MeterFrame::Size> bytes) {
    return bytes[0] == MeterFrame::Start && bytes[MeterFrame::Size - 1] == MeterFrame::End &&
           bytes[MeterFrame::Size - 2] <= LastType;
}

std::optional<MeterFrame> FrameFinder::Add(std::span<const std::uint8_t> arrived) {
    held_.insert(held_.end(), arrived.begin(), arrived.end());
    std::optional<MeterFrame> newest;
    std::size_t keepFrom = held_.size() > MeterFrame::Size - 1 ? held_.size() - (MeterFrame::Size - 1) : 0;
    for (std::size_t at = 0; at + MeterFrame::Size <= held_.size(); ++at) {
        const std::span<const std::uint8_t, MeterFrame::Size> bytes(held_.data() + at, MeterFrame::Size);
        if (!Checks(bytes)) continue;
        if (newest) ++dropped_;
        newest.emplace();
        std::copy(bytes.begin(), bytes.end(), newest->bytes.begin());
        // A frame's bytes are never the start of another.
        at += MeterFrame::Size - 1;
        keepFrom = std::max(keepFrom, at + 1);
    }
    // Keep only what may still become a frame: from the first 02 among the last eight bytes.
    while (keepFrom < held_.size() && held_[keepFrom] != MeterFrame::Start) ++keepFrom;
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(keepFrom));
    return newest;
}
