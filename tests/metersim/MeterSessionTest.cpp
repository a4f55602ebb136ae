#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FrameEncoder.h"
#include "LoggerMemory.h"
#include "MeterSession.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Frame = std::vector<std::uint8_t>;

const Bytes SizeCommand = {0x41};
const Bytes DumpCommand = {0x55};

SimOptions Options(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--com", "1", "--seed", "7"};
    args.insert(args.end(), extra.begin(), extra.end());
    ParseOutcome out = ParseOptions(args);
    EXPECT_EQ(out.status, ParseOutcome::Status::Run) << out.error;
    return out.options;
}

// A client that takes every byte the moment it is due, in 1 ms steps of simulated time.
class Client {
  public:
    explicit Client(MeterSession& session) : session_(session) {}

    Bytes RunUntil(double end) {
        Bytes got;
        for (; now_ < end - 1e-9; now_ += 0.001) {
            auto due = session_.Due(now_);
            got.insert(got.end(), due.begin(), due.end());
            session_.Written(due.size());
        }
        received_.insert(received_.end(), got.begin(), got.end());
        return got;
    }
    void Send(const Bytes& bytes) { session_.Receive(bytes, now_); }
    double Now() const { return now_; }
    const Bytes& Received() const { return received_; }

  private:
    MeterSession& session_;
    double now_ = 0.0;
    Bytes received_;
};

std::vector<Frame> FramesIn(const Bytes& bytes) {
    std::vector<Frame> frames;
    for (std::size_t i = 0; i + 9 <= bytes.size();) {
        if (bytes[i] == 0x02 && bytes[i + 8] == 0x03) {
            frames.emplace_back(bytes.begin() + static_cast<long>(i),
                                bytes.begin() + static_cast<long>(i) + 9);
            i += 9;
        } else {
            ++i;
        }
    }
    return frames;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes DefaultFrame = {0x02, 0x00, 0x00, 0xEB, 0x00, 0x00, 0xD2, 0x00, 0x03};

TEST(MeterSession, StreamsWholeFramesAtItsRate) {
    MeterSession session(Options());
    Client client(session);
    Bytes got = client.RunUntil(3.0);
    EXPECT_EQ(got,
              Concat({DefaultFrame, DefaultFrame, DefaultFrame, DefaultFrame, DefaultFrame, DefaultFrame}));
}

TEST(MeterSession, GapsAndSilenceHoldFramesBack) {
    struct Case {
        std::vector<std::string> args;
        std::size_t framesInFourSeconds;  // at 2 per second, ticks at 0, 0.5, ... 3.5
    } cases[] = {
        {{}, 8},
        {{"--gap", "1:1"}, 6},
        {{"--gap", "1:1", "--gap", "3:5"}, 4},
        {{"--gap", "0:10"}, 0},
        {{"--silent-after", "1"}, 2},
        {{"--silent-after", "0"}, 0},
        {{"--rate", "10", "--silent-after", "1.95"}, 20},
    };
    for (const auto& c : cases) {
        MeterSession session(Options(c.args));
        Client client(session);
        Bytes got = client.RunUntil(4.0);
        EXPECT_EQ(FramesIn(got).size(), c.framesInFourSeconds) << ::testing::PrintToString(c.args);
        EXPECT_EQ(got.size(), 9 * c.framesInFourSeconds) << ::testing::PrintToString(c.args);
    }
}

TEST(MeterSession, UnpacedAnswersGoOutAtOnceAndOtherBytesAreIgnored) {
    SimOptions options = Options({"--sets", "1:500"});
    MeterSession session(options);
    Client client(session);
    client.RunUntil(0.1);
    client.Send({0x00, 0x02, 0x61, 0x75, 0x03, 0xFF});
    EXPECT_TRUE(client.RunUntil(0.2).empty());
    client.Send(SizeCommand);
    EXPECT_EQ(client.RunUntil(0.201), LoggerMemory::SizeReply(5 + 3500));
    client.Send(DumpCommand);
    EXPECT_EQ(client.RunUntil(0.202), LoggerMemory::DumpReply(options.memory));
}

TEST(MeterSession, PacedDumpPausesFramesAndThenTheyResume) {
    SimOptions options = Options({"--baud", "9600", "--sets", "5:13"});  // 96 bytes of memory
    MeterSession session(options);
    Client client(session);
    client.RunUntil(0.1);
    client.Send(DumpCommand);
    EXPECT_TRUE(session.Answering());

    // 9600 baud carries 960 bytes a second: about 48 of them in 50 ms.
    Bytes early = client.RunUntil(0.15);
    EXPECT_NEAR(static_cast<double>(early.size()), 48.0, 8.0);

    client.RunUntil(1.0);
    EXPECT_FALSE(session.Answering());
    Bytes expected = Concat({DefaultFrame, LoggerMemory::DumpReply(options.memory), DefaultFrame});
    EXPECT_EQ(client.Received(), expected);
}

// A set cut short: the size claims more than the dump carries, and the frames resume after it.
TEST(MeterSession, DumpShortClaimsMoreThanTheDumpCarries) {
    SimOptions options = Options({"--sets", "5:2", "--dump-short", "40"});
    MeterSession session(options);
    Client client(session);
    client.RunUntil(0.1);
    client.Send(SizeCommand);
    EXPECT_EQ(client.RunUntil(0.2), LoggerMemory::SizeReply(19 + 40));
    client.Send(DumpCommand);
    EXPECT_EQ(client.RunUntil(0.3), LoggerMemory::DumpReply(options.memory));
    EXPECT_EQ(client.RunUntil(1.0), Concat({DefaultFrame}));
}

TEST(MeterSession, ANewCommandEndsTheAnswerInProgress) {
    SimOptions options = Options({"--baud", "9600", "--sets", "1:150"});  // 1055 bytes, over a second to send
    MeterSession session(options);
    Client client(session);
    client.RunUntil(0.1);
    client.Send(DumpCommand);
    Bytes partial = client.RunUntil(0.6);
    ASSERT_GT(partial.size(), 100u);
    ASSERT_LT(partial.size(), options.memory.size());

    client.Send(DumpCommand);
    Bytes restarted = client.RunUntil(2.0);
    Bytes dump = LoggerMemory::DumpReply(options.memory);
    ASSERT_GE(restarted.size(), dump.size());
    EXPECT_EQ(Bytes(restarted.begin(), restarted.begin() + static_cast<long>(dump.size())), dump);

    client.Send(DumpCommand);
    client.RunUntil(2.05);
    client.Send(SizeCommand);
    Bytes afterSize = client.RunUntil(2.6);
    ASSERT_GE(afterSize.size(), 5u);
    EXPECT_EQ(Bytes(afterSize.begin(), afterSize.begin() + 5),
              LoggerMemory::SizeReply(options.memory.size()));
    EXPECT_EQ(FramesIn(Bytes(afterSize.begin() + 5, afterSize.end())).size(), 1u) << "frames resume";
}

TEST(MeterSession, AFrameOnItsWayFinishesBeforeTheAnswer) {
    MeterSession session(Options({"--baud", "9600", "--sets", "10:1"}));
    Client client(session);
    client.RunUntil(0.004);  // a few bytes of the first frame are out
    ASSERT_GT(client.Received().size(), 0u);
    ASSERT_LT(client.Received().size(), 9u);
    client.Send(SizeCommand);
    client.RunUntil(0.1);
    EXPECT_EQ(client.Received(), Concat({DefaultFrame, LoggerMemory::SizeReply(12)}));
}

TEST(MeterSession, EachOfTheFirstCommandsWaitsForAWholeFrame) {
    SimOptions options = Options({"--frame-before-answers", "2", "--sets", "10:2"});
    MeterSession session(options);
    Client client(session);
    client.RunUntil(0.1);
    const Bytes size = LoggerMemory::SizeReply(19);
    struct Step {
        Bytes command;
        Bytes after;
    } steps[] = {
        {SizeCommand, Concat({DefaultFrame, size})},
        {DumpCommand, Concat({DefaultFrame, LoggerMemory::DumpReply(options.memory)})},
        {SizeCommand, size},
    };
    for (const auto& step : steps) {
        client.Send(step.command);
        EXPECT_EQ(client.RunUntil(client.Now() + 0.01), step.after) << "after " << char(step.command[0]);
    }
}

TEST(MeterSession, AFrameOnItsWayFinishesAndAWholeOneFollowsBeforeTheAnswer) {
    MeterSession session(Options({"--baud", "9600", "--frame-before-answers", "1", "--sets", "10:1"}));
    Client client(session);
    client.RunUntil(0.004);
    ASSERT_GT(client.Received().size(), 0u);
    ASSERT_LT(client.Received().size(), 9u);
    client.Send(SizeCommand);
    // At 9600 baud the frame ahead of the answer is half out at 14 ms; a repeated command must not cut it.
    client.RunUntil(0.014);
    client.Send(SizeCommand);
    client.RunUntil(0.1);
    EXPECT_EQ(client.Received(), Concat({DefaultFrame, DefaultFrame, LoggerMemory::SizeReply(12)}));
}

TEST(MeterSession, ABlockedLineHoldsOneFrameAndAClientOpeningDropsIt) {
    MeterSession session(Options({"--sets", "10:1"}));
    for (double t = 0; t < 5; t += 0.01) session.Due(t);  // nobody writes anything out
    EXPECT_EQ(session.Pending(), 9u);

    session.Receive(SizeCommand, 5.0);
    EXPECT_EQ(session.Pending(), 14u);
    session.LineReset();
    auto due = session.Due(5.0);
    EXPECT_EQ(Bytes(due.begin(), due.end()), LoggerMemory::SizeReply(12));
    session.Written(due.size());
    EXPECT_FALSE(session.Answering());

    auto next = session.Due(5.6);
    EXPECT_EQ(Bytes(next.begin(), next.end()), DefaultFrame);
}

TEST(MeterSession, ScriptChangesTheMeterOverTime) {
    SimOptions options = Options();
    std::string error;
    auto script = ParseScript("1 channels 1\n2 unit F\n3 rate 10\n", options.settings, error);
    ASSERT_TRUE(script) << error;
    options.script = *script;
    MeterSession session(options);
    Client client(session);

    EXPECT_EQ(client.RunUntil(1.0), Concat({DefaultFrame, DefaultFrame}));
    std::vector<Frame> oneChannel = FramesIn(client.RunUntil(2.0));
    ASSERT_EQ(oneChannel.size(), 2u);
    EXPECT_EQ(oneChannel[0], (Frame{0x02, 0x00, 0x00, 0xEB, 0xFF, 0x00, 0x00, 0x00, 0x03}));
    // 23.5 C is 74.3 F: the unit changes, the temperature does not.
    std::vector<Frame> fahrenheit = FramesIn(client.RunUntil(3.0));
    ASSERT_EQ(fahrenheit.size(), 2u);
    EXPECT_EQ(fahrenheit[1], (Frame{0x02, 0x01, 0x02, 0xE7, 0xFF, 0x00, 0x00, 0x00, 0x03}));
    EXPECT_NEAR(static_cast<double>(FramesIn(client.RunUntil(4.0)).size()), 10.0, 1.0);
}

TEST(MeterSession, GarbagePutsOneStrayByteBeforeAFrame) {
    MeterSession always(Options({"--garbage", "1"}));
    Bytes got = Client(always).RunUntil(2.0);
    ASSERT_EQ(got.size(), 4u * 10);
    for (std::size_t i = 0; i < got.size(); i += 10)
        EXPECT_EQ(Bytes(got.begin() + static_cast<long>(i) + 1, got.begin() + static_cast<long>(i) + 10),
                  DefaultFrame);

    MeterSession sometimes(Options({"--garbage", "0.5", "--rate", "100"}));
    Bytes mixed = Client(sometimes).RunUntil(2.0);
    std::size_t stray = mixed.size() - 9 * FramesIn(mixed).size();
    EXPECT_GT(stray, 50u);
    EXPECT_LT(stray, 150u);
}

// Exactly N stray bytes in each gap between frames, where they were asked for: written with the
// frame before or after it (or split between the two), or alone halfway to the next frame; about a
// third of them 02 and a third 03.
TEST(MeterSession, StraysGoWhereTheyAreAsked) {
    struct Write {
        double at;
        Bytes bytes;
    };
    std::size_t strays = 0, starts = 0, ends = 0;
    for (const char* place : {"before", "after", "around", "pause"}) {
        SCOPED_TRACE(place);
        MeterSession session(Options({"--rate", "10", "--strays", "3", "--strays-at", place}));
        // Each write as the device loop would make it: whatever is due at that moment.
        std::vector<Write> writes;
        for (int ms = 0; ms < 10000; ++ms) {
            const auto due = session.Due(ms / 1000.0);
            if (due.empty()) continue;
            writes.push_back({ms / 1000.0, Bytes(due.begin(), due.end())});
            session.Written(due.size());
        }
        ASSERT_EQ(writes.size(), std::string(place) == "pause" ? 200u : 100u);
        std::set<std::size_t> framesAt;
        for (std::size_t i = 0; i < writes.size(); ++i) {
            const Bytes& w = writes[i].bytes;
            Bytes stray;
            if (std::string(place) == "pause") {
                if (i % 2 == 0) {
                    EXPECT_EQ(w, DefaultFrame);
                    continue;
                }
                EXPECT_NEAR(writes[i].at - writes[i - 1].at, 0.05, 0.0015) << "halfway between frames";
                stray = w;
            } else {
                ASSERT_EQ(w.size(), 12u);
                std::size_t at = 0;
                while (at <= 3 && Bytes(w.begin() + static_cast<long>(at), w.begin() + static_cast<long>(at) + 9) != DefaultFrame)
                    ++at;
                ASSERT_LE(at, 3u) << "the frame whole in the write";
                framesAt.insert(at);
                stray = Concat({Bytes(w.begin(), w.begin() + static_cast<long>(at)),
                                Bytes(w.begin() + static_cast<long>(at) + 9, w.end())});
            }
            ASSERT_EQ(stray.size(), 3u);
            strays += stray.size();
            starts += static_cast<std::size_t>(std::count(stray.begin(), stray.end(), 0x02));
            ends += static_cast<std::size_t>(std::count(stray.begin(), stray.end(), 0x03));
        }
        const std::map<std::string, std::set<std::size_t>> framesAtFor = {
            {"before", {3}}, {"after", {0}}, {"around", {0, 1, 2, 3}}, {"pause", {}}};
        EXPECT_EQ(framesAt, framesAtFor.at(place));
    }
    EXPECT_NEAR(static_cast<double>(starts) / static_cast<double>(strays), 1.0 / 3, 0.05);
    EXPECT_NEAR(static_cast<double>(ends) / static_cast<double>(strays), 1.0 / 3, 0.05);
}

TEST(MeterSession, WaveSwingsAroundTheSetValues) {
    MeterSession session(Options({"--wave", "sine", "--t1", "100", "--t2", "-50"}));
    std::vector<Frame> frames = FramesIn(Client(session).RunUntil(60.0));
    ASSERT_EQ(frames.size(), 120u);
    std::set<int> t1Seen;
    for (const Frame& f : frames) {
        int t1 = f[2] * 256 + f[3];
        int t2 = f[5] * 256 + f[6];
        EXPECT_NEAR(t1, 1000, 24);
        EXPECT_EQ(f[4] & 0x80, 0x80) << "T2 stays negative";
        EXPECT_NEAR(t2, 500, 24);
        t1Seen.insert(t1);
    }
    EXPECT_GT(t1Seen.size(), 20u);
}

}  // namespace
