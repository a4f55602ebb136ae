#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "logger/MemoryExchange.h"
#include "serial/ComPortAPI.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int Com = 4;
const Bytes LiveFrame = {0x02, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00, 0x03};
const Bytes Record = {0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00};

Bytes Memory(std::initializer_list<std::pair<int, int>> sets) {
    Bytes memory;
    for (auto [sampling, records] : sets) {
        memory.insert(memory.end(), {0x00, 0x55, 0xAA, 0x00, static_cast<std::uint8_t>(sampling)});
        for (int i = 0; i < records; ++i) memory.insert(memory.end(), Record.begin(), Record.end());
    }
    return memory;
}

Bytes Prefix(const Bytes& bytes, std::size_t count) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size()))};
}

// What the meter on the other end of the line does.
struct MeterBehaviour {
    Bytes memory;
    bool liveFrameBeforeFirstSizeReply = false;
    bool liveFrameForFirstDump = false;  // instead of the dump
    bool answersSize = true;
    bool answersDump = true;
    std::size_t dumpBytesBeforeStall = SIZE_MAX;
    std::size_t sizeClaimsMore = 0;  // bytes the size reply claims beyond the memory
    bool streamsAfterDump = false;   // a live frame every third wait once the dump is out
    bool streamsAlways = false;      // a live frame every fifth wait, answers or not
};

// The exchange against a pseudo-terminal on COM 4 in simulated time: every wait of the exchange
// advances the clock and lets the meter answer what the exchange sent, 96 bytes a tenth of a
// second as at 9600 baud. Bytes on their way through the terminal are waited for, both ways, so
// nothing depends on how soon the system moves them.
class MemoryExchangeTest : public testing::Test {
protected:
    class TestLine : public MemoryExchange::Line {
    public:
        explicit TestLine(MemoryExchangeTest& test) : test_(test) {}
        void Send(std::uint8_t command) override {
            test_.port.CommWrite(Com, {command});
            ++test_.commandsOnTheWay;
        }
        std::vector<std::uint8_t> Take() override { return test_.Arrived(); }
        void Wait(double seconds) override { test_.Wait(seconds); }
        void Flush() override {
            test_.Arrived();
            test_.port.CommFlush(Com);
            ++test_.flushes;
        }
        // This meter's end never hangs up; the engine's line tells a hang-up (its own test).
        bool Gone() const override { return false; }
        void Unanswered(std::span<const std::uint8_t> bytes) override {
            test_.unanswered.insert(test_.unanswered.end(), bytes.begin(), bytes.end());
        }

    private:
        MemoryExchangeTest& test_;
    };

    void SetUp() override {
        meterEnd = std::make_unique<PseudoTerminal>();
        meterEnd->LinkAs(Com);
        ASSERT_EQ(port.CommOpen(Com, "COM4", "baud=9600 parity=N data=8 stop=1"), 0);
    }
    void TearDown() override { port.CommClose(Com); }

    void Wait(double seconds) {
        clock += seconds;
        const Bytes commands = meterEnd->Receive(commandsOnTheWay);
        ASSERT_EQ(commands.size(), commandsOnTheWay);
        commandsOnTheWay = 0;
        for (std::uint8_t command : commands) {
            if (command == 0x41) ++sizeQueries;
            if (command == 0x41 && std::exchange(meter.liveFrameBeforeFirstSizeReply, false)) {
                Send(LiveFrame);
            } else if (command == 0x55 && std::exchange(meter.liveFrameForFirstDump, false)) {
                Send(LiveFrame);
            } else if (command == 0x41 && meter.answersSize) {
                const auto end =
                    static_cast<std::uint32_t>(35968 + meter.memory.size() + meter.sizeClaimsMore);
                Send({0x02, static_cast<std::uint8_t>(end >> 16), static_cast<std::uint8_t>(end >> 8),
                      static_cast<std::uint8_t>(end), 0x03});
            } else if (command == 0x55 && meter.answersDump) {
                dump = Bytes{0x02};
                dump.insert(dump.end(), meter.memory.begin(), meter.memory.end());
                dump.push_back(0x03);
                dumped = 0;
            }
        }
        const std::size_t limit = std::min(dump.size(), meter.dumpBytesBeforeStall);
        if (dumped < limit) {
            const std::size_t count = std::min<std::size_t>(96, limit - dumped);
            Send(Bytes(dump.begin() + static_cast<std::ptrdiff_t>(dumped),
                       dump.begin() + static_cast<std::ptrdiff_t>(dumped + count)));
            dumped += count;
        } else if (meter.streamsAfterDump && !dump.empty() && ++waitsAfterDump % 3 == 0) {
            Send(LiveFrame);
        }
        if (meter.streamsAlways && ++waits % 5 == 0) {
            Send(LiveFrame);
            ++framesSent;
        }
    }

    void Send(const Bytes& bytes) {
        meterEnd->Send(bytes);
        bytesOnTheWay += bytes.size();
    }

    // Everything the meter sent so far, once it has all come through the terminal.
    Bytes Arrived() {
        Bytes arrived;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (arrived.size() < bytesOnTheWay && std::chrono::steady_clock::now() < deadline) {
            pollfd watch{port.Descriptor(Com), POLLIN, 0};
            poll(&watch, 1, 50);
            Bytes got;
            if (port.CommRead(Com, got, 4096) > 0) arrived.insert(arrived.end(), got.begin(), got.end());
        }
        EXPECT_EQ(arrived.size(), bytesOnTheWay) << "the terminal lost or made up bytes";
        bytesOnTheWay = 0;
        return arrived;
    }

    MemoryExchange::Outcome Run() {
        flushes = 0;
        sets.clear();
        listedMemory.reset();
        TestLine testLine(*this);
        MemoryExchange exchange(testLine,
                                {.showWindow = [this](long used) { shownUsed = used; },
                                 .showProgress = [this](const std::string& text) { progress.push_back(text); },
                                 .carryOn = [this] { return progress.size() < closeAfterProgress; },
                                 .showSets =
                                     [this](const Bytes& memory, const std::vector<Logger::DataSet>& found,
                                            long used) {
                                         listedMemory = memory;
                                         sets = found;
                                         announced = used;
                                     },
                                 .transferDone = [] {},
                                 .showTime = [] {}},
                                [this] { return clock; });
        return exchange.Run();
    }

    TempPortsDir folder;
    std::unique_ptr<PseudoTerminal> meterEnd;
    ComPortAPI port;
    std::size_t commandsOnTheWay = 0;
    std::size_t bytesOnTheWay = 0;
    MeterBehaviour meter;
    Bytes dump;
    std::size_t dumped = 0;
    double clock = 0;
    std::optional<long> shownUsed;
    std::vector<std::string> progress;
    std::size_t closeAfterProgress = SIZE_MAX;
    std::optional<Bytes> listedMemory;
    std::vector<Logger::DataSet> sets;
    long announced = 0;
    int sizeQueries = 0;
    int waitsAfterDump = 0;
    int waits = 0;
    int framesSent = 0;
    Bytes unanswered;  // what the exchange handed back as the live stream
    int flushes = 0;
};

// A live frame comes back instead of the first size reply and instead of the first dump: each is
// asked for again, then the whole memory is read and listed.
TEST_F(MemoryExchangeTest, DownloadsAndListsAfterCatchingLiveFrames) {
    meter.memory = Memory({{10, 2}, {1, 40}});
    meter.liveFrameBeforeFirstSizeReply = true;
    meter.liveFrameForFirstDump = true;
    EXPECT_EQ(Run(), MemoryExchange::Outcome::Listed);
    EXPECT_EQ(sizeQueries, 2);
    EXPECT_EQ(shownUsed, static_cast<long>(meter.memory.size()));
    EXPECT_EQ(listedMemory, meter.memory);
    EXPECT_EQ(announced, static_cast<long>(meter.memory.size()));
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].records, 2);
    EXPECT_EQ(sets[1].sampling, 1);
    EXPECT_EQ(sets[1].records, 40);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), "100.0% Completed");
}

// The meter claims more than it sends and goes back to its live frames: they end the transfer, what
// came is kept and listed with its last set marked incomplete, and none of the frames' bytes is,
// nor the closing byte of the meter's answer. A dump whose last bytes look like a frame is whole
// all the same.
TEST_F(MemoryExchangeTest, LiveFramesInPlaceOfTheDumpEndIt) {
    // 14 records with type byte 02 (E) make a dump of 105 bytes whose last nine, sent in the second
    // wait, begin with 02 and end with 03.
    Bytes likeFrames = Memory({{1, 0}});
    for (int i = 0; i < 14; ++i) likeFrames.insert(likeFrames.end(), {0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x02});
    struct Case {
        const char* name;
        Bytes memory;
        std::size_t claimsMore;
        MemoryExchange::Outcome outcome;
        long records;  // of the one set
    };
    const Case cases[] = {
        {"ShortDump", Memory({{5, 300}}), 86 * 7, MemoryExchange::Outcome::Short, 300},
        {"ShortDumpOfOneWait", Memory({{5, 2}}), 40, MemoryExchange::Outcome::Short, 2},
        {"LastBytesLikeAFrame", likeFrames, 0, MemoryExchange::Outcome::Listed, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        meter = {.memory = c.memory, .sizeClaimsMore = c.claimsMore, .streamsAfterDump = true};
        dump.clear();
        EXPECT_EQ(Run(), c.outcome);
        ASSERT_TRUE(listedMemory.has_value());
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_EQ(sets[0].records, c.records);
        EXPECT_EQ(announced, static_cast<long>(c.memory.size() + c.claimsMore));
        EXPECT_EQ(*listedMemory, c.memory);
        EXPECT_EQ(sets[0].incomplete, c.outcome != MemoryExchange::Outcome::Listed);
        if (c.outcome != MemoryExchange::Outcome::Listed) {
            EXPECT_GE(flushes, 1) << "the rest of a dump cut short may still be arriving";
        }
    }
}

TEST_F(MemoryExchangeTest, EmptyLoggerHasNoData) {
    EXPECT_EQ(Run(), MemoryExchange::Outcome::NoData);
    EXPECT_FALSE(shownUsed.has_value()) << "no window for an empty logger";
    EXPECT_FALSE(listedMemory.has_value());
}

// No answer waits for ever: each silence ends the exchange. A silence in the middle of the dump
// is the meter lost, and keeps what came: the sets are listed as far as they arrived, the last
// marked incomplete.
TEST_F(MemoryExchangeTest, SilenceEndsTheExchange) {
    // The first set (145 bytes) comes whole before the stall, the second is cut.
    const Bytes memory = Memory({{5, 20}, {5, 100}});
    struct Case {
        const char* name;
        bool answersSize, answersDump;
        std::size_t dumpBytesBeforeStall;
        double within;  // simulated seconds
        MemoryExchange::Outcome outcome;
    };
    const Case cases[] = {
        {"NoSizeReply", false, true, SIZE_MAX, 10.5, MemoryExchange::Outcome::NoAnswer},
        {"NoDump", true, false, SIZE_MAX, 0.2 + 10.5, MemoryExchange::Outcome::NoAnswer},
        {"TransferStalls", true, true, 200, 0.2 + 5.5 + 1, MemoryExchange::Outcome::Lost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        meter = {.memory = memory,
                 .answersSize = c.answersSize,
                 .answersDump = c.answersDump,
                 .dumpBytesBeforeStall = c.dumpBytesBeforeStall};
        clock = 0;
        dump.clear();
        dumped = 0;
        EXPECT_EQ(Run(), c.outcome);
        EXPECT_LE(clock, c.within);
        EXPECT_GE(flushes, 1) << "the rest of an answer may still be arriving";
        if (c.outcome == MemoryExchange::Outcome::NoAnswer) {
            EXPECT_FALSE(listedMemory.has_value());
            continue;
        }
        // The lead byte and 199 bytes of memory came.
        ASSERT_TRUE(listedMemory.has_value());
        EXPECT_EQ(*listedMemory, Prefix(memory, 199));
        EXPECT_EQ(announced, static_cast<long>(memory.size()));
        ASSERT_EQ(sets.size(), 2u);
        EXPECT_EQ(sets[0].records, 20);
        EXPECT_FALSE(sets[0].incomplete);
        EXPECT_EQ(sets[1].offset, 145u);
        EXPECT_TRUE(sets[1].incomplete);
    }
}

// The user ends the download during the transfer, or before the meter has even told its size.
TEST_F(MemoryExchangeTest, TheUserEndsTheExchange) {
    for (std::size_t endAfter : {std::size_t{2}, std::size_t{0}}) {
        SCOPED_TRACE(endAfter);
        meter = {.memory = Memory({{5, 100}})};
        closeAfterProgress = endAfter;
        progress.clear();
        dump.clear();
        dumped = 0;
        clock = 0;
        EXPECT_EQ(Run(), MemoryExchange::Outcome::Stopped);
        EXPECT_EQ(progress.size(), endAfter) << "nothing shown after the end";
        EXPECT_LE(clock, 0.2 + 1) << "no waiting for a time-out";
        EXPECT_FALSE(listedMemory.has_value());
    }
}

// A meter that does not answer the size query goes on streaming its readings: every byte it sent
// meanwhile goes back to the line's owner, who reads them as the live stream.
TEST_F(MemoryExchangeTest, AMeterThatDoesNotAnswerKeepsItsLiveStream) {
    meter = {.memory = {}, .answersSize = false, .streamsAlways = true};
    EXPECT_EQ(Run(), MemoryExchange::Outcome::NoAnswer);
    ASSERT_GT(framesSent, 10);
    Bytes frames;
    for (int i = 0; i < framesSent; ++i) frames.insert(frames.end(), LiveFrame.begin(), LiveFrame.end());
    EXPECT_EQ(unanswered, frames);
}

}  // namespace
