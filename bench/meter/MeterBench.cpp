// Frames per second through the five decoders, and a check that decoding never allocates.
//
// Two sets of frames: a steady stream as a meter sends it (unit, channel mode, type and marks hold
// for a while, values wander), and a worst case where every frame has a different shape, which
// defeats branch prediction. Each set is decoded five times; the median run is reported.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <random>
#include <vector>

#include "meter/Meter.h"

#include "BenchSupport.h"

namespace {
using Bench::Median;
using Bench::CpuSeconds;
using Bench::ResidentMb;

std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using FrameBody = std::array<std::uint8_t, 7>;  // bytes 2..8: status .. type

struct Shape {
    int unit, t1Flags, channel, type;
};

Shape RandomShape(std::mt19937& rng) {
    static constexpr int T1Flags[] = {0x00, 0x00, 0x00, 0x00, 0x80, 0x80, 0x20, 0x40, 0xC0};
    static constexpr int Channels[] = {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x40, 0xC0, 0x20};
    return {int(rng() % 4), T1Flags[rng() % 9], Channels[rng() % 10], int(rng() % 8)};
}

FrameBody MakeFrame(const Shape& s, int t1, int t2) {
    return {std::uint8_t(s.t1Flags | s.unit),
            std::uint8_t(t1 >> 8),
            std::uint8_t(t1 & 0xFF),
            std::uint8_t(s.channel),
            std::uint8_t(t2 >> 8),
            std::uint8_t(t2 & 0xFF),
            std::uint8_t(s.type)};
}

// Shapes hold for runs of 512 frames while the two values take small random steps.
std::vector<FrameBody> SteadyStream(std::size_t count) {
    std::mt19937 rng(36);
    std::vector<FrameBody> frames;
    int t1 = 2500, t2 = 1800;
    Shape shape{};
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 512 == 0) shape = RandomShape(rng);
        t1 = std::clamp(t1 + int(rng() % 5) - 2, 0, 65535);
        t2 = std::clamp(t2 + int(rng() % 5) - 2, 0, 65535);
        frames.push_back(MakeFrame(shape, t1, t2));
    }
    return frames;
}

std::vector<FrameBody> ShuffledFrames(std::size_t count) {
    std::mt19937 rng(63);
    std::vector<FrameBody> frames;
    for (std::size_t i = 0; i < count; ++i) {
        frames.push_back(MakeFrame(RandomShape(rng), int(rng() % 20000), int(rng() % 20000)));
    }
    return frames;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Wall-clock rate as asked, and the rate per second of CPU time given to this thread, which
// stays meaningful when other jobs share the machine.
bool Measure(const char* name, const std::vector<FrameBody>& frames, long framesPerRun) {
    CurrentReading reading;
    const std::size_t mask = frames.size() - 1;  // a power of two
    for (const auto& f : frames) Meter::DecodeFrameBody(reading, f.data());

    std::vector<double> wallRates, cpuRates;
    long allocationsDuringRuns = 0;
    for (int run = 0; run < 5; ++run) {
        long before = allocations.load();
        double cpuStart = ThreadCpuSeconds();
        auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < framesPerRun; ++i) {
            Meter::DecodeFrameBody(reading, frames[std::size_t(i) & mask].data());
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        double cpuSeconds = ThreadCpuSeconds() - cpuStart;
        allocationsDuringRuns += allocations.load() - before;
        wallRates.push_back(double(framesPerRun) / seconds);
        cpuRates.push_back(double(framesPerRun) / cpuSeconds);
    }
    std::printf(
        "%-26s median %6.1f million frames/s wall clock, %6.1f per CPU second; "
        "%ld allocations in %ld frames\n",
        name, Median(wallRates) / 1e6, Median(cpuRates) / 1e6, allocationsDuringRuns, 5 * framesPerRun);
    // Keeps the decoded reading observable so the runs cannot be optimised away.
    if (reading.T1T2C.kind() == Reading::Kind::Empty && reading.UnitText.empty()) std::printf(" ");
    return allocationsDuringRuns == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const long framesPerRun = argc > 1 ? std::atol(argv[1]) : 20'000'000;
    bool ok = Measure("steady stream:", SteadyStream(1 << 16), framesPerRun);
    ok = Measure("every frame a new shape:", ShuffledFrames(1 << 12), framesPerRun) && ok;
    std::printf(ok ? "no allocation per frame\n" : "DECODING ALLOCATES\n");
    return ok ? 0 : 1;
}
