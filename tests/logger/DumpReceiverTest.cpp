#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "logger/DumpReceiver.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Status = DumpReceiver::Status;

const Bytes Frame = {0x02, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00, 0x03};

// A dump of 36 bytes: the lead byte, a set marker, records at 101.8 K (status 02, T1 03 FA) from an
// E thermocouple (type 02), the closing 03. Its bytes 20 to 28 look like a live frame, and so do its
// last nine.
Bytes Dump() {
    Bytes dump = {0x02, 0x00, 0x55, 0xAA, 0x00, 0x01};
    const Bytes record = {0x02, 0x03, 0xFA, 0x00, 0x00, 0x64, 0x02};
    while (dump.size() < 35) dump.push_back(record[(dump.size() - 6) % record.size()]);
    dump.push_back(0x03);
    return dump;
}

Bytes Part(const Bytes& bytes, std::size_t from, std::size_t to) {
    return {bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to)};
}
Bytes Join(const Bytes& a, const Bytes& b) {
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

// Each case lists what the waits brought: the dump cut where the line happened to pause, and the
// meter's frames once it had sent all it would send.
TEST(DumpReceiver, LiveFramesAreNeverTakenForTheDump) {
    const Bytes dump = Dump();
    ASSERT_EQ(Part(dump, 20, 21), Bytes{0x02});
    ASSERT_EQ(Part(dump, 28, 29), Bytes{0x03});
    ASSERT_EQ(Part(dump, 27, 28), Bytes{0x02});
    struct Case {
        const char* name;
        std::size_t claimed;
        std::vector<Bytes> waits;
        Status status;
    };
    const Case cases[] = {
        {"ShortDumpThenFrames",
         60,
         {Part(dump, 0, 30), Part(dump, 30, 36), {}, Frame, {}, Frame},
         Status::LiveFrames},
        {"FrameWithTheLastBytesThenOneSplit",
         60,
         {Part(dump, 0, 30), Join(Part(dump, 30, 36), Frame), Part(Frame, 0, 4), Part(Frame, 4, 9)},
         Status::LiveFrames},
        {"LastBytesLookLikeAFrameSplitInTwo",
         36,
         {Part(dump, 0, 31), Part(dump, 31, 36), Frame, Frame},
         Status::Complete},
        {"LastBytesLookLikeAFrameWithAFrame",
         36,
         {Part(dump, 0, 27), Join(Part(dump, 27, 36), Frame), Frame},
         Status::Complete},
        {"FrameLikeBytesInTheMiddle",
         36,
         {Part(dump, 0, 20), Part(dump, 20, 29), {}, Part(dump, 29, 36)},
         Status::Complete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DumpReceiver receiver(c.claimed);
        Status status = Status::Receiving;
        for (auto wait = c.waits.begin(); wait != c.waits.end() && status == Status::Receiving; ++wait)
            status = receiver.Add(*wait);
        EXPECT_EQ(status, c.status);
        EXPECT_LE(receiver.Received(), dump.size()) << "no frame byte counts as the dump's";
        if (c.status == Status::Complete) {
            EXPECT_EQ(receiver.Memory(), Part(dump, 1, 35));
        }
    }
}

// A dump that ended short keeps the memory as far as it came. After a silence every byte that came
// is the dump's, even one held as the start of a frame (byte 19 is 02); once the meter streams
// again, nothing from its frames is, nor the closing byte that ended its answer, nor are the
// dump's last bytes that looked like one.
TEST(DumpReceiver, AShortDumpKeepsTheMemoryAsFarAsItCame) {
    const Bytes dump = Dump();
    ASSERT_EQ(Part(dump, 19, 20), Bytes{0x02});
    DumpReceiver stalled(60);
    EXPECT_EQ(stalled.Add(Part(dump, 0, 20)), Status::Receiving);
    EXPECT_EQ(stalled.PartialMemory(), Part(dump, 1, 20));
    DumpReceiver streaming(60);
    for (const Bytes& wait : {Part(dump, 0, 36), Frame, Bytes{}, Frame}) streaming.Add(wait);
    EXPECT_EQ(streaming.PartialMemory(), Part(dump, 1, 27));
    // An answer whose last nine bytes look like no frame: 32 bytes of memory and the closing 03.
    const Bytes answer = Join(Part(dump, 0, 33), Bytes{0x03});
    DumpReceiver closed(60);
    for (const Bytes& wait : {answer, Bytes{}, Frame, Bytes{}, Frame}) closed.Add(wait);
    EXPECT_EQ(closed.PartialMemory(), Part(dump, 1, 33));
}

}  // namespace
