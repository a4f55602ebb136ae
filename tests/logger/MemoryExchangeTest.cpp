#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ProgramState.h"
#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "logger/DataLogger.h"
#include "logger/MemoryExchange.h"
#include "serial/EventHooks.h"
#include "serial/Rs232_API.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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
};

// The exchange against a pseudo-terminal on COM 4 in simulated time: every wait of the exchange
// advances the clock and lets the meter answer what the exchange sent, 96 bytes a tenth of a
// second as at 9600 baud.
class MemoryExchangeTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        line = std::make_unique<PseudoTerminal>();
        line->LinkAs(4);
        ASSERT_TRUE(Rs232_API::OpenPort(4, Rs232_API::MeterSettings));
        Rs232_API::CurrentPortIndex() = 1;
        EventHooks::Install([] {}, [this](double seconds) { Wait(seconds); });
    }
    void TearDown() override {
        EventHooks::Uninstall();
        ResetProgramState();
    }

    void Wait(double seconds) {
        clock += seconds;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (std::uint8_t command : line->ReceiveNow()) {
            if (command == 0x41 && ++sizeQueries == 1) firstQueryAt = clock;
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
    }

    void Send(const Bytes& bytes) {
        line->Send(bytes);
        // Give the kernel a moment to move the bytes to the other side of the terminal.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    MemoryExchange::Outcome Run() {
        MemoryExchange exchange({.showWindow = [this](long used) { shownUsed = used; },
                                 .showProgress = [this](const std::string& text) { progress.push_back(text); },
                                 .carryOn = [this] { return progress.size() < closeAfterProgress; },
                                 .showSets =
                                     [this](const std::vector<Logger::DataSet>& found) {
                                         sets = found;
                                         imageWhenListed = DataLogger::Instance().MemoryImage();
                                     },
                                 .transferDone = [] {},
                                 .showTime = [this] { timeShownAt = clock; }},
                                [this] { return clock; });
        return exchange.Run();
    }

    TempPortsDir folder;
    std::unique_ptr<PseudoTerminal> line;
    MeterBehaviour meter;
    Bytes dump;
    std::size_t dumped = 0;
    double clock = 0;
    std::optional<long> shownUsed;
    std::vector<std::string> progress;
    std::size_t closeAfterProgress = SIZE_MAX;
    std::vector<Logger::DataSet> sets;
    Bytes imageWhenListed;
    std::optional<double> firstQueryAt, timeShownAt;
    int sizeQueries = 0;
    int waitsAfterDump = 0;
};

// A live frame comes back instead of the first size reply and instead of the first dump: each is
// asked for again, then the whole memory is read, listed and kept.
TEST_F(MemoryExchangeTest, DownloadsAndListsAfterCatchingLiveFrames) {
    meter.memory = Memory({{10, 2}, {1, 40}});
    meter.liveFrameBeforeFirstSizeReply = true;
    meter.liveFrameForFirstDump = true;
    EXPECT_EQ(Run(), MemoryExchange::Outcome::Listed);
    EXPECT_EQ(sizeQueries, 2);
    EXPECT_EQ(shownUsed, static_cast<long>(meter.memory.size()));
    EXPECT_EQ(imageWhenListed, meter.memory) << "a listed set can be opened at once";
    EXPECT_EQ(DataLogger::Instance().MemoryImage(), meter.memory);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].records, 2);
    EXPECT_EQ(sets[1].sampling, 1);
    EXPECT_EQ(sets[1].records, 40);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), "100.0% Completed");
    EXPECT_FALSE(DataLogger::Instance().Downloading());
    // A poll cycle may finish before the first query; the live stream settles before polling resumes.
    ASSERT_TRUE(firstQueryAt && timeShownAt);
    EXPECT_GE(*firstQueryAt, 1.0);
    EXPECT_GE(clock - *timeShownAt, 1.5 - 1e-9);
}

// The meter claims more than it sends and goes back to its live frames: they end the transfer as a
// silence does, and none of their bytes is listed. A dump whose last bytes look like a frame is
// whole all the same.
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
    };
    const Case cases[] = {
        {"ShortDump", Memory({{5, 300}}), 86 * 7, MemoryExchange::Outcome::NoAnswer},
        {"ShortDumpOfOneWait", Memory({{5, 2}}), 40, MemoryExchange::Outcome::NoAnswer},
        {"LastBytesLikeAFrame", likeFrames, 0, MemoryExchange::Outcome::Listed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        meter = {.memory = c.memory, .sizeClaimsMore = c.claimsMore, .streamsAfterDump = true};
        dump.clear();
        sets.clear();
        EXPECT_EQ(Run(), c.outcome);
        if (c.outcome == MemoryExchange::Outcome::Listed) {
            EXPECT_EQ(DataLogger::Instance().MemoryImage(), c.memory);
            ASSERT_EQ(sets.size(), 1u);
            EXPECT_EQ(sets[0].records, 14);
        } else {
            EXPECT_TRUE(sets.empty());
            EXPECT_TRUE(DataLogger::Instance().MemoryImage().empty());
            EXPECT_TRUE(Rs232_API::OpenPorts(1).receiveBuffer.empty());
        }
        EXPECT_FALSE(DataLogger::Instance().Downloading());
    }
}

TEST_F(MemoryExchangeTest, EmptyLoggerHasNoData) {
    EXPECT_EQ(Run(), MemoryExchange::Outcome::NoData);
    EXPECT_FALSE(shownUsed.has_value()) << "no window for an empty logger";
    EXPECT_FALSE(DataLogger::Instance().Downloading());
}

// No answer waits for ever: each silence ends the exchange with the meter's memory left alone.
TEST_F(MemoryExchangeTest, SilenceEndsTheExchange) {
    struct Case {
        const char* name;
        bool answersSize, answersDump;
        std::size_t dumpBytesBeforeStall;
        double within;  // simulated seconds
    };
    const Case cases[] = {
        {"NoSizeReply", false, true, SIZE_MAX, 1 + 10.5},
        {"NoDump", true, false, SIZE_MAX, 1 + 0.2 + 10.5},
        {"TransferStalls", true, true, 200, 1 + 0.2 + 5.5 + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        meter = {.memory = Memory({{5, 100}}),
                 .answersSize = c.answersSize,
                 .answersDump = c.answersDump,
                 .dumpBytesBeforeStall = c.dumpBytesBeforeStall};
        clock = 0;
        dump.clear();
        dumped = 0;
        EXPECT_EQ(Run(), MemoryExchange::Outcome::NoAnswer);
        EXPECT_LE(clock, c.within);
        EXPECT_TRUE(DataLogger::Instance().MemoryImage().empty());
        EXPECT_FALSE(DataLogger::Instance().Downloading());
        EXPECT_TRUE(Rs232_API::OpenPorts(1).receiveBuffer.empty());
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
        EXPECT_LE(clock, 1.0 + 0.2 + 1) << "no waiting for a time-out";
        EXPECT_TRUE(sets.empty());
        EXPECT_TRUE(DataLogger::Instance().MemoryImage().empty());
        EXPECT_FALSE(DataLogger::Instance().Downloading());
    }
}

}  // namespace
