#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The answer to "U" as it comes in, one wait's bytes at a time: the lead byte 02, the used memory
// and a closing byte, as long as the size reply said. The meter sends it in one stream and then
// goes back to its live frames, so a dump shorter than the size it claimed (a set cut short by a
// power loss) is followed by frames where its last bytes should be. Whole live frames at the end
// of what came are held back until more dump bytes show they were part of the dump after all;
// frames again in a later wait with no dump byte between mean the meter streams again, and what
// is missing will never come.
//
// Dump bytes can look like frames (a record is a frame without its 02 and 03), so held bytes that
// end the dump exactly where it is due to end are taken as its last bytes. A dump that falls short
// by exactly the length of the frames held at that moment is therefore not told apart.
class DumpReceiver {
  public:
    enum class Status { Receiving, Complete, LiveFrames };

    explicit DumpReceiver(std::size_t expected) : expected_(expected) {}

    // The bytes of one wait (none when the line was quiet).
    Status Add(std::span<const std::uint8_t> received);

    std::size_t Expected() const { return expected_; }
    // Dump bytes so far, at most the expected length; held-back frames are not counted.
    std::size_t Received() const;
    // The used memory: what came between the lead byte and the closing byte.
    std::vector<std::uint8_t> Memory() const;
    // The memory as far as it came, for a dump that ended short: after a silence all that came,
    // once the meter streams again all before the closing byte that ended its answer.
    std::vector<std::uint8_t> PartialMemory() const;

  private:
    Status Settle(bool framesAgain);

    std::size_t expected_;
    std::vector<std::uint8_t> dump_;
    std::vector<std::uint8_t> held_;  // whole live frames and a frame begun, at the end of what came
    bool streamsAgain_ = false;       // Add has said LiveFrames
};
