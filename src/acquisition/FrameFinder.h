#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "meter/MeterFrame.h"

// Finds the meter's frames in the bytes as they arrive. The frame has no checksum: 02, seven
// bytes, 03 is all it shows, and stray bytes on a poor line (rich in 02 and 03) make such windows
// that are no frame, often overlapping a true one. A wrong reading is worse than a missing one, so
// a frame is believed only on what the line itself tells:
//
// - Its nine bytes arrive together (9.4 ms at 9600 baud) and the meter then pauses almost half a
//   second. Bytes that came within BurstGapSeconds of each other are one burst; a frame lies
//   whole inside one burst, and a burst holds at most one of the meter's frames.
// - A burst that holds one candidate (02 .. 03) is taken only when no other burst with a candidate
//   came within IsolationSeconds before or after it: stray bytes that arrive on their own in a
//   pause are never further than a quarter second from a frame of the meter, so a candidate among
//   them is thrown out together with its neighbour.
// - A burst with several candidates is no reading: they cannot all be the meter's, and which one
//   is cannot be told for certain.
// - A meter does not change its unit, channel mode or thermocouple type from one frame to the next
//   without the next frame agreeing: a frame is taken only when the burst with a candidate before
//   it, at most ChainSeconds earlier, agreed on all three. The first frame after a start or a
//   silence therefore only sets what the second is held to.
// - Bytes that waited unread while the program could not read (stopped, starved, asleep) have no
//   arrival time: a burst with such bytes is no reading either, and the frames that follow start
//   afresh.
//
// So a frame is given a little after it arrived, once the line has been quiet long enough after
// it; the engine asks for that moment with DueAt and looks again with Quiet.
class FrameFinder {
public:
    static constexpr double BurstGapSeconds = 0.1;
    static constexpr double IsolationSeconds = 0.3;
    static constexpr double ChainSeconds = 1.2;

    struct Found {
        MeterFrame frame;
        double arrived = 0;  // when its burst ended, on the clock the times were given in
    };

    // The bytes of one read at `now`; `late` when they may have waited unread for long. The frame
    // of an earlier burst when it is decided by now.
    std::optional<Found> Add(std::span<const std::uint8_t> arrived, double now, bool late = false);
    // Nothing more arrived up to `now`: the frame of a burst decided by then.
    std::optional<Found> Quiet(double now);
    // When Quiet may next give a frame; infinity when nothing waits.
    double DueAt() const;
    // Forgets everything: what comes next starts afresh.
    void Clear();

private:
    // What a meter keeps from frame to frame: its unit (1 and 3 are both F), whether it has one
    // channel, and its type byte as sent (a byte it does not name is the meter's too).
    struct Signature {
        int unit = 0;
        bool oneChannel = false;
        std::uint8_t type = 0;
        bool operator==(const Signature&) const = default;
    };
    struct Burst {
        std::vector<std::uint8_t> bytes;
        double first = 0;
        double last = 0;
        bool late = false;
        bool flood = false;  // longer than any frame with its stray bytes: no reading
    };
    struct Waiting {
        std::vector<MeterFrame> candidates;
        double first = 0;
        double last = 0;
        bool rejected = false;
    };
    struct Last {
        Signature signature;
        double at = 0;
    };

    static Signature SignatureOf(const MeterFrame& frame);
    static std::vector<MeterFrame> Candidates(std::span<const std::uint8_t> bytes);
    // Closes and decides whatever is due by `now`; the newest frame taken.
    std::optional<Found> Settle(double now);
    void Close();
    std::optional<Found> Decide();
    bool WaitingDue(double now) const;

    std::optional<Burst> open_;
    std::optional<Waiting> waiting_;
    std::optional<double> lastCandidateEnd_;
    std::optional<Last> last_;
};
