#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "acquisition/FrameFinder.h"
#include "meter/MeterFrame.h"

// A meter's line through a poor adapter, made up at random: the frames the meter sends, two a
// second, with stray bytes right before and after them and alone in the pauses, and the reads a
// program makes of it: as the bytes come, in pieces of any size, now and then after a stall with
// everything that piled up meanwhile. The choices come from `Source`, which gives a number below
// its argument: a seeded generator for tests and benches, a fuzzer's input for the fuzz target.
//
// What the line keeps, as a meter does: a frame's nine bytes come together; the meter pauses
// about half a second after each; it does not skip a frame; unit, channel mode and type change
// only for two frames or more.
namespace NoisyLine {

struct Options {
    long frames = 1000;
    int straysPerGap = 3;         // stray bytes in each gap between two frames
    bool uniformStrays = false;   // otherwise rich in 02 and 03: a third each, the rest uniform
    int stallPerMille = 0;        // chance per read, in thousandths, that the reader stalls first
};

struct Sent {
    MeterFrame frame;
    double time = 0;  // of its last byte
};

struct Read {
    std::vector<std::uint8_t> bytes;
    double time = 0;
    bool late = false;  // the reader stalled before it: the bytes waited unread
};

struct Line {
    std::vector<Sent> sent;
    std::vector<Read> reads;
};

class SeededSource {
public:
    explicit SeededSource(std::uint32_t seed) : random_(seed) {}
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random_); }

private:
    std::mt19937 random_;
};

namespace Detail {
constexpr double ByteSeconds = 10.0 / 9600;
constexpr double Period = 0.5;

struct Timed {
    std::uint8_t byte;
    double time;
};

template <typename Source>
std::uint8_t Stray(Source& source, bool uniform) {
    if (!uniform) {
        const std::uint32_t pick = source.Below(3);
        if (pick == 0) return MeterFrame::Start;
        if (pick == 1) return MeterFrame::End;
    }
    return static_cast<std::uint8_t>(source.Below(256));
}

// The meter's readings wander; now and then it is set to another unit, type or channel mode.
template <typename Source>
class Meter {
public:
    explicit Meter(Source& source) : source_(source) {}

    MeterFrame Next() {
        if (runLeft_-- <= 0) {
            runLeft_ = 2 + static_cast<int>(source_.Below(400));
            status_ = source_.Below(8) == 0 ? static_cast<std::uint8_t>(source_.Below(4)) : status_;
            oneChannel_ = source_.Below(16) == 0 ? !oneChannel_ : oneChannel_;
            type_ = source_.Below(8) == 0 ? static_cast<std::uint8_t>(source_.Below(9)) : type_;
        }
        t1_ = std::clamp(t1_ + static_cast<int>(source_.Below(41)) - 20, 0, 65535);
        // T2 near 90.0 degrees: its high byte is 03, the end mark.
        t2_ = std::clamp(t2_ + static_cast<int>(source_.Below(21)) - 10, 800, 1000);
        const std::uint8_t channel = oneChannel_ ? 0xFF : static_cast<std::uint8_t>(source_.Below(8) == 0 ? 0x20 : 0);
        return {{MeterFrame::Start, status_, static_cast<std::uint8_t>(t1_ >> 8), static_cast<std::uint8_t>(t1_),
                 channel, static_cast<std::uint8_t>(t2_ >> 8), static_cast<std::uint8_t>(t2_), type_, MeterFrame::End}};
    }

private:
    Source& source_;
    int runLeft_ = 0;
    std::uint8_t status_ = 0;
    bool oneChannel_ = false;
    std::uint8_t type_ = 0;
    int t1_ = 235;
    int t2_ = 900;
};
}  // namespace Detail

template <typename Source>
Line Make(const Options& options, Source& source) {
    using namespace Detail;
    Line line;
    std::vector<Timed> bytes;
    Meter<Source> meter(source);
    double start = 1.0;
    for (long k = 0; k < options.frames; ++k) {
        // Each stray of the gap before this frame goes right before it, right after the frame
        // before, or into one group alone in the pause.
        std::vector<std::uint8_t> before, after, pause;
        for (int i = 0; i < options.straysPerGap; ++i) {
            const std::uint8_t stray = Stray(source, options.uniformStrays);
            const std::uint32_t where = k == 0 ? 0 : source.Below(3);
            (where == 0 ? before : where == 1 ? after : pause).push_back(stray);
        }
        if (k > 0) {
            double t = bytes.back().time;
            for (std::uint8_t b : after) bytes.push_back({b, t += ByteSeconds});
            t = start - Period + 0.1 + static_cast<double>(source.Below(280)) / 1000;
            for (std::uint8_t b : pause) bytes.push_back({b, t += ByteSeconds});
        }
        double t = start - static_cast<double>(before.size()) * ByteSeconds;
        for (std::uint8_t b : before) bytes.push_back({b, t += ByteSeconds});
        const MeterFrame frame = meter.Next();
        for (std::uint8_t b : frame.bytes) bytes.push_back({b, t += ByteSeconds});
        line.sent.push_back({frame, t});
        start += Period + (static_cast<double>(source.Below(21)) - 10) / 1000;
    }

    // The reader takes the bytes as they come, in pieces of 1 to 16, each a few milliseconds
    // after its last byte; a stall takes everything that came during it in one late read.
    for (std::size_t i = 0; i < bytes.size();) {
        Read read;
        if (options.stallPerMille > 0 && source.Below(1000) < static_cast<std::uint32_t>(options.stallPerMille)) {
            const double until = bytes[i].time + 0.6 + static_cast<double>(source.Below(5400)) / 1000;
            read.late = true;
            while (i < bytes.size() && bytes[i].time <= until) read.bytes.push_back(bytes[i++].byte);
            read.time = until;
        } else {
            const std::size_t size = 1 + source.Below(16);
            const double first = bytes[i].time;
            // A prompt reader never holds bytes far apart in time in one read.
            while (i < bytes.size() && read.bytes.size() < size && bytes[i].time - first < 0.02)
                read.bytes.push_back(bytes[i++].byte);
            read.time = bytes[i - 1].time + static_cast<double>(source.Below(10)) / 1000;
        }
        if (!line.reads.empty()) read.time = std::max(read.time, line.reads.back().time);
        line.reads.push_back(std::move(read));
    }
    return line;
}

struct Tally {
    long sent = 0;
    long taken = 0;
    // Taken and not the meter's newest frame when its burst ended: other bytes, an older frame, or
    // one given before.
    long wrong = 0;
};

// The reads given to a frame finder as the engine gives them, with a look whenever the finder
// asks for one (not while the reader stalls); each frame it gives is held to the frame the meter
// sent last before the frame's burst ended, which no earlier frame given may have been.
inline Tally Replay(const Line& line, FrameFinder& finder) {
    Tally tally;
    tally.sent = static_cast<long>(line.sent.size());
    std::size_t after = 0;
    const auto check = [&](const std::optional<FrameFinder::Found>& found) {
        if (!found) return;
        ++tally.taken;
        std::size_t i = after;
        while (i + 1 < line.sent.size() && line.sent[i + 1].time <= found->arrived) ++i;
        const Sent& sent = line.sent[i];
        if (sent.time > found->arrived || sent.frame.bytes != found->frame.bytes) ++tally.wrong;
        after = i + 1;
    };
    for (const Read& read : line.reads) {
        while (!read.late && finder.DueAt() <= read.time) check(finder.Quiet(finder.DueAt()));
        check(finder.Add(read.bytes, read.time, read.late));
    }
    check(finder.Quiet(1e12));
    return tally;
}

}  // namespace NoisyLine
