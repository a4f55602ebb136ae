// The frame finder on a million frames of a poor line per case: stray bytes before, after and
// between the frames (rich in 02 and 03, or uniform noise), read in pieces of random size, with
// and without stalls of the reader. It counts the frames taken that the meter did not send (there
// must be none), the share of the frames sent that were taken, and the finder's speed.
#include <chrono>
#include <cstdio>

#include "NoisyLine.h"
#include "acquisition/FrameFinder.h"

namespace {

struct Timed {
    NoisyLine::Tally tally;
    double seconds = 0;
    long bytes = 0;
};

Timed Run(const NoisyLine::Options& options, std::uint32_t seed) {
    NoisyLine::SeededSource source(seed);
    const NoisyLine::Line line = NoisyLine::Make(options, source);
    Timed timed;
    for (const NoisyLine::Read& read : line.reads) timed.bytes += static_cast<long>(read.bytes.size());
    FrameFinder finder;
    const auto start = std::chrono::steady_clock::now();
    timed.tally = NoisyLine::Replay(line, finder);
    timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return timed;
}

}  // namespace

int main() {
    struct Case {
        const char* name;
        NoisyLine::Options options;
    };
    const Case cases[] = {
        {"1 stray byte per gap, rich in 02/03", {.frames = 1000000, .straysPerGap = 1}},
        {"3 stray bytes per gap, rich in 02/03", {.frames = 1000000, .straysPerGap = 3}},
        {"10 stray bytes per gap, rich in 02/03", {.frames = 1000000, .straysPerGap = 10}},
        {"10 uniform noise bytes per gap", {.frames = 1000000, .straysPerGap = 10, .uniformStrays = true}},
        {"3 rich stray bytes, reader stalls (2 per 1000 reads)", {.frames = 1000000, .straysPerGap = 3, .stallPerMille = 2}},
    };
    std::printf("%-54s %9s %9s %6s %8s %10s\n", "line", "sent", "taken", "wrong", "taken %", "MB/s");
    int status = 0;
    for (const Case& c : cases) {
        const Timed t = Run(c.options, 20261208);
        std::printf("%-54s %9ld %9ld %6ld %7.2f%% %10.1f\n", c.name, t.tally.sent, t.tally.taken, t.tally.wrong,
                    100.0 * static_cast<double>(t.tally.taken) / static_cast<double>(t.tally.sent),
                    static_cast<double>(t.bytes) / t.seconds / 1e6);
        if (t.tally.wrong != 0) status = 1;
    }
    return status;
}
