#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "NoisyLine.h"
#include "acquisition/FrameFinder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Two channels, C, type K unless told; T2 90.0 C has the high byte 03, the end mark.
Bytes Frame(int t1Tenths, int t2Tenths = 900, std::uint8_t status = 0x00, std::uint8_t type = 0x00) {
    return {0x02, status, static_cast<std::uint8_t>(t1Tenths >> 8), static_cast<std::uint8_t>(t1Tenths), 0x00,
            static_cast<std::uint8_t>(t2Tenths >> 8), static_cast<std::uint8_t>(t2Tenths), type, 0x03};
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

int T1Of(const MeterFrame& f) { return f.bytes[2] * 256 + f.bytes[3]; }

// The finder fed as the engine feeds it: each burst at its time, and a look whenever it asks.
struct Feeder {
    FrameFinder finder;
    std::vector<int> taken;  // T1 of each frame taken

    void Take(const std::optional<FrameFinder::Found>& found) {
        if (found) taken.push_back(T1Of(found->frame));
    }
    void Burst(const Bytes& bytes, double at, bool late = false) {
        while (!late && finder.DueAt() <= at) Take(finder.Quiet(finder.DueAt()));
        Take(finder.Add(bytes, at, late));
    }
    void Until(double at) {
        while (finder.DueAt() <= at) Take(finder.Quiet(finder.DueAt()));
    }
};

// The measured faults: a stray 02 three bytes before a frame whose T2 high byte is 03 made a window
// that ended inside the frame and won over it; stray bytes right after a frame did the same from
// inside it. Such a burst holds two candidates and is no reading; the meter's own frames around it
// are taken, and never a value it did not send.
TEST(FrameFinder, StrayBytesBeforeOrAfterAFrameNeverMakeAReading) {
    Feeder feed;
    feed.Burst(Frame(100), 0.0);
    feed.Burst(Frame(101), 0.5);
    feed.Burst(Join({{0x02, 0x41, 0x17}, Frame(102)}), 1.0);  // 02 41 17 02 00 00 66 00 03: a window
    feed.Burst(Frame(103), 1.5);
    // 02 inside the frame (T1 low byte) and a stray 03 eight bytes on.
    feed.Burst(Join({Frame(0x0102), {0x55, 0x03, 0x03}}), 2.0);
    feed.Burst(Join({{0x03, 0x02}, Frame(105), {0x02}}), 2.5);  // strays that make no window
    feed.Until(10);
    EXPECT_EQ(feed.taken, (std::vector<int>{101, 103, 105}));
}

// Stray bytes alone in a pause can hold a whole frame of the meter's own kind; they are never a
// quarter second from one of the meter's, so that burst is thrown out with its neighbour.
TEST(FrameFinder, AFrameAloneInThePauseIsNoReading) {
    Feeder feed;
    for (int i = 0; i < 4; ++i) feed.Burst(Frame(200 + i), 0.5 * i);
    feed.Burst(Frame(999), 1.75);
    for (int i = 4; i < 8; ++i) feed.Burst(Frame(200 + i), 0.5 * i);
    feed.Until(10);
    // 203 and 204 are the pause frame's neighbours; 205 has no agreeing frame before it.
    EXPECT_EQ(feed.taken, (std::vector<int>{201, 202, 206, 207}));
}

// A meter set to another unit, channel mode or type: the first frame that says so waits for the
// next to agree. A type byte the meter does not name is one it sends all the same.
TEST(FrameFinder, ASwitchIsTakenOnceTheNextFrameAgrees) {
    Feeder feed;
    feed.Burst(Frame(300), 0.0);
    feed.Burst(Frame(301), 0.5);
    feed.Burst(Frame(302, 900, 0x01), 1.0);  // F
    feed.Burst(Frame(303, 900, 0x03), 1.5);  // F as well
    feed.Burst(Frame(304, 900, 0x03, 0x07), 2.0);
    feed.Burst(Frame(305, 900, 0x03, 0x07), 2.5);
    feed.Burst(Frame(306, 900, 0x03, 0x07), 3.0);
    feed.Until(10);
    EXPECT_EQ(feed.taken, (std::vector<int>{301, 303, 305, 306}));
}

// Bytes that waited unread while the program was stopped have no arrival time: none of them is a
// reading, nor is the burst that was waiting for its quiet, and the frames after start afresh.
TEST(FrameFinder, WhatPiledUpUnreadIsNoReading) {
    Feeder feed;
    feed.Burst(Frame(400), 0.0);
    feed.Burst(Frame(401), 0.5);
    feed.Burst(Frame(402), 1.0);  // the program stops before its quiet is over
    feed.Burst(Join({Frame(403), Frame(404), Frame(405)}), 6.0, true);
    feed.Burst(Frame(406), 6.4);
    feed.Burst(Frame(407), 6.9);
    feed.Until(10);
    EXPECT_EQ(feed.taken, (std::vector<int>{401, 407}));
}

// The seeded line: only frames the meter sent, each with its own arrival, and enough of them.
TEST(FrameFinder, NoisyLinesGiveOnlyFramesTheMeterSent) {
    struct Case {
        NoisyLine::Options line;
        double atLeast;  // of the frames sent
    };
    const Case cases[] = {
        {{.frames = 20000, .straysPerGap = 1}, 0.95},
        {{.frames = 20000, .straysPerGap = 3}, 0.80},
        {{.frames = 20000, .straysPerGap = 10}, 0.0},
        {{.frames = 20000, .straysPerGap = 10, .uniformStrays = true}, 0.0},
        {{.frames = 20000, .straysPerGap = 3, .stallPerMille = 2}, 0.5},
    };
    for (const Case& c : cases) {
        NoisyLine::SeededSource source(20261208);
        FrameFinder finder;
        const NoisyLine::Tally tally = NoisyLine::Replay(NoisyLine::Make(c.line, source), finder);
        EXPECT_EQ(tally.wrong, 0) << c.line.straysPerGap << " strays";
        EXPECT_GE(static_cast<double>(tally.taken) / static_cast<double>(tally.sent), c.atLeast)
            << c.line.straysPerGap << " strays: " << tally.taken << " of " << tally.sent;
    }
}

}  // namespace
