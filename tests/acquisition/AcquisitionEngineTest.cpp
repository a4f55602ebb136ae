#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FileText.h"
#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "acquisition/AcquisitionEngine.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// T1 in tenths of a degree C, T2 10.0 C, type K unless told.
Bytes Frame(int tenths, std::uint8_t type = 0x00) {
    return {0x02, 0x00, static_cast<std::uint8_t>(tenths >> 8), static_cast<std::uint8_t>(tenths & 0xFF), 0x00,
            0x00, 0x64, type, 0x03};
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

struct Events : AcquisitionEngine::Listener {
    void ReadingShown(const CurrentReading& r) override { shown.push_back(r.T1Value.Text()); }
    void NoCom() override { ++noCom; }
    void SampleTaken(const AcquisitionEngine::Sample& s) override { samples.push_back(s); }
    void RecordingChanged(const AcquisitionEngine::RecordingReport& r) override { recording.push_back(r); }
    void ListChanged(RealTimeList::State state) override { list.push_back(state); }
    void DownloadEnded(const AcquisitionEngine::DownloadReport& r) override { downloads.push_back(r); }
    void ClockStepped(const AcquisitionEngine::ClockStep& step) override { steps.push_back(step); }

    std::vector<std::string> shown;
    int noCom = 0;
    std::vector<AcquisitionEngine::Sample> samples;
    std::vector<AcquisitionEngine::RecordingReport> recording;
    std::vector<RealTimeList::State> list;
    std::vector<AcquisitionEngine::DownloadReport> downloads;
    std::vector<AcquisitionEngine::ClockStep> steps;
};

// The engine against a pseudo-terminal on COM 4, on a scripted clock: the test moves time, and
// the engine's waits for bytes are real but short.
class AcquisitionEngineTest : public testing::Test {
protected:
    void SetUp() override {
        meter = std::make_unique<PseudoTerminal>();
        meter->LinkAs(4);
        engine = std::make_unique<AcquisitionEngine>(
            AcquisitionEngine::Settings{.port = 4},
            AcquisitionEngine::Clock{[this] { return Steady(); }, [this] { return timeOfDay; }, [this] { return steady + slept; }},
            events);
        ASSERT_TRUE(engine->Open());
    }

    // The meter sends `bytes`; the engine reads them as they come.
    void Deliver(const Bytes& bytes) {
        const long before = engine->BytesRead();
        meter->Send(bytes);
        for (int turn = 0; turn < 200 && engine->BytesRead() < before + static_cast<long>(bytes.size()); ++turn)
            engine->Turn(0.05);
        ASSERT_EQ(engine->BytesRead(), before + static_cast<long>(bytes.size()));
    }

    void Advance(double seconds) {
        steady += seconds;
        timeOfDay += seconds;
        engine->Turn(0);
    }

    // The meter sends `bytes` while the engine is not reading: they wait on the line.
    void Pile(const Bytes& bytes) {
        meter->Send(bytes);
        const int line = open(meter->SlavePath().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(line, 0);
        pollfd readable{line, POLLIN, 0};
        poll(&readable, 1, 10000);
        close(line);
        ASSERT_TRUE(readable.revents & POLLIN);
    }

    // The meter sends `bytes` and pauses half a second, as it does after each frame; the engine
    // waits meanwhile.
    void Meter(const Bytes& bytes) {
        Deliver(bytes);
        Advance(0.5);
    }

    // While `running`, each look at the clock finds it a little later, so the engine's own waits
    // pass in simulated time.
    double Steady() {
        if (running) {
            steady += 0.05;
            timeOfDay += 0.05;
            if (onLook) onLook();
        }
        return steady;
    }

    std::string Record(const std::string& name) { return folder.Path() + "/" + name; }

    TempPortsDir folder;
    std::unique_ptr<PseudoTerminal> meter;
    Events events;
    std::unique_ptr<AcquisitionEngine> engine;
    bool running = false;
    std::function<void()> onLook;  // the meter's part, at each look at the clock while running
    double steady = 1000;
    double slept = 0;  // the boot clock is ahead of the steady one by the time the machine slept
    double timeOfDay = 12 * 3600 + 0.5;
};

TEST_F(AcquisitionEngineTest, AFrameIsFoundWhereverItStarts) {
    Meter(Frame(230));
    Meter(Join({{0x17, 0x03, 0x02}, Frame(235)}));
    // A frame split over two reads is found too.
    const Bytes split = Frame(240);
    Deliver(Bytes(split.begin(), split.begin() + 4));
    Meter(Bytes(split.begin() + 4, split.end()));
    // The first frame only sets what the next is held to: a lone frame may be stray bytes.
    EXPECT_EQ(events.shown, (std::vector<std::string>{"23.5", "24.0"}));
    EXPECT_TRUE(engine->Reading().MeterOnline);
    // A type byte the meter does not name is the meter's frame all the same; the type stays.
    Meter(Join({Frame(250, 0x07)}));
    Meter(Join({Frame(251, 0x07)}));
    EXPECT_EQ(events.shown.back(), "25.1");
    EXPECT_EQ(engine->Reading().ThermocoupleType, "K");
}

// Bytes that waited while the engine could not read (the process stopped, the machine asleep)
// are of unknown age: a frame among them is never a fresh sample, nor shown.
TEST_F(AcquisitionEngineTest, AFrameThatWaitedUnreadIsNeverFresh) {
    engine->SetInterval(1);
    for (int i = 0; i < 4; ++i) Meter(Frame(100 + i));
    engine->StartRecording(Record("stall.txt"));
    Meter(Frame(104));
    // Stopped for 0.6 s, in which the meter sent one frame.
    Pile(Frame(777));
    Advance(0.6);
    Advance(0.5);
    Advance(0.5);
    Meter(Frame(105));
    Meter(Frame(106));
    // Asleep for a minute: the steady clock stood still meanwhile.
    Pile(Frame(888));
    slept += 60;
    Advance(0.1);
    Advance(0.5);
    Advance(0.5);
    engine->StopRecording();
    for (const std::string& shown : events.shown) EXPECT_TRUE(shown != "77.7" && shown != "88.8") << shown;
    for (const std::string& line : Lines(FileText(Record("stall.txt"))))
        EXPECT_TRUE(line.find("77.7") == std::string::npos && line.find("88.8") == std::string::npos) << line;
    EXPECT_EQ(events.shown.back(), "10.6");
}

// Two stray bytes a second among two frames a second, for a minute: the meter never counts as
// silent and every sample is recorded with the newest value.
TEST_F(AcquisitionEngineTest, StrayBytesAmongFramesNeverCountAsSilence) {
    engine->SetInterval(1);
    Meter(Frame(198));
    Meter(Frame(199));
    engine->StartRecording(Record("noisy.txt"));
    for (int second = 0; second < 60; ++second) {
        Meter(Join({{0x55}, Frame(200 + 2 * second)}));
        Meter(Join({{0x02, 0x41}, Frame(201 + 2 * second)}));
    }
    engine->StopRecording();
    EXPECT_EQ(events.noCom, 0);
    EXPECT_EQ(events.recording.back().event, AcquisitionEngine::RecordingReport::Event::StoppedByUser);
    const std::vector<std::string> lines = Lines(FileText(Record("noisy.txt")));
    ASSERT_EQ(lines.size(), 61u);
    // Each record is the newest frame when its second began: 20.0, 20.2, 20.4 ...
    for (int n = 1; n <= 60; ++n) {
        char value[8];
        std::snprintf(value, sizeof value, "\t%.1f\t", 20.0 + 0.2 * (n - 1));
        EXPECT_NE(lines[static_cast<std::size_t>(n)].find(value), std::string::npos) << lines[static_cast<std::size_t>(n)];
    }
}

// No COM after three silent seconds; then the port is closed and, two silences later, reopened.
TEST_F(AcquisitionEngineTest, SilentMeterIsClosedAndReopenedInRhythm) {
    Deliver(Frame(235));
    Advance(2.9);
    EXPECT_EQ(events.noCom, 0);
    Advance(0.2);
    EXPECT_EQ(events.noCom, 1);
    EXPECT_FALSE(engine->Reading().MeterOnline);
    EXPECT_TRUE(engine->PortOpen());
    Advance(3);
    EXPECT_FALSE(engine->PortOpen());
    Advance(3);
    EXPECT_FALSE(engine->PortOpen());
    Advance(3);
    EXPECT_TRUE(engine->PortOpen());
    EXPECT_EQ(events.noCom, 4);
    Meter(Frame(239));
    Meter(Frame(240));
    EXPECT_EQ(events.shown.back(), "24.0");
}

// A recording that the lost link ends says so, with the records it kept.
TEST_F(AcquisitionEngineTest, LostLinkEndsTheRecordingAndSaysWhy) {
    engine->SetInterval(1);
    Meter(Frame(234));
    Meter(Frame(235));
    engine->StartRecording(Record("lost.txt"));
    Advance(1);
    for (int i = 0; i < 4; ++i) Advance(1);
    ASSERT_EQ(events.recording.size(), 2u);
    EXPECT_EQ(events.recording[1].event, AcquisitionEngine::RecordingReport::Event::StoppedLostLink);
    EXPECT_EQ(events.recording[1].records, 1);
    EXPECT_EQ(events.recording[1].path, Record("lost.txt"));
    EXPECT_FALSE(engine->Recorder().Recording());
}

// The clock set back an hour at the end of daylight saving time: the recording goes on at its
// interval, each record stamped with the time of day as it then is, and the step is told.
TEST_F(AcquisitionEngineTest, RecordingGoesOnWhenTheClockIsSetBack) {
    timeOfDay = 3 * 3600 - 2.5;
    engine->SetInterval(1);
    Meter(Frame(198));
    Meter(Frame(199));
    engine->StartRecording(Record("autumn.txt"));
    for (int i = 0; i < 6; ++i) {
        Deliver(Frame(200 + i));
        Advance(1);
        if (i == 2) timeOfDay -= 3600;
    }
    ASSERT_EQ(events.steps.size(), 1u);
    EXPECT_DOUBLE_EQ(events.steps[0].seconds, -3600);
    EXPECT_EQ(events.steps[0].before, "03:00:01");
    EXPECT_EQ(events.steps[0].after, "02:00:01");
    const std::vector<std::string> lines = Lines(FileText(Record("autumn.txt")));
    const std::vector<std::string> records(lines.begin() + 1, lines.end());
    EXPECT_EQ(records, (std::vector<std::string>{"1\t02:59:59\t20.0\t10.0\t10.0\tC", "2\t03:00:00\t20.1\t10.0\t10.1\tC",
                                                 "3\t03:00:01\t20.2\t10.0\t10.2\tC", "4\t02:00:02\t20.3\t10.0\t10.3\tC",
                                                 "5\t02:00:03\t20.4\t10.0\t10.4\tC", "6\t02:00:04\t20.5\t10.0\t10.5\tC"}));
}

// The list's state goes to the window on every path, the lost link's pause too.
TEST_F(AcquisitionEngineTest, ListStateIsToldOnEveryChange) {
    engine->SetInterval(1);
    Meter(Frame(234));
    Meter(Frame(235));
    events.samples.clear();
    engine->ListOpened(true);
    Advance(1);
    for (int i = 0; i < 4; ++i) Advance(1);
    EXPECT_EQ(events.list, (std::vector<RealTimeList::State>{RealTimeList::State::Running, RealTimeList::State::Paused}));
    ASSERT_FALSE(events.samples.empty());
    EXPECT_TRUE(events.samples.front().list.add);
}

// After a logger exchange, the rest of a dump still streaming in is never taken for a reading;
// once the line has been quiet, frames count again.
TEST_F(AcquisitionEngineTest, TheRestOfADumpAfterAnExchangeIsNeverShown) {
    engine->SetInterval(1);
    Meter(Frame(234));
    Meter(Frame(235));
    engine->StartRecording(Record("dump.txt"));
    running = true;
    engine->Download({.answer = 0.3, .stall = 0.3});
    running = false;
    ASSERT_EQ(events.downloads.size(), 1u);
    EXPECT_EQ(events.downloads[0].outcome, MemoryExchange::Outcome::NoAnswer);
    meter->ReceiveNow();
    // Six seconds of dump bytes that hold frame patterns, arriving without a pause: the meter is
    // busy, not silent, so the recording goes on, with gaps where no real frame came.
    for (int i = 0; i < 60; ++i) {
        Bytes piece = {0x00, 0x00};
        const Bytes like = Frame(999);
        piece.insert(piece.end(), like.begin(), like.end());
        Deliver(piece);
        steady += 0.1;
        timeOfDay += 0.1;
    }
    EXPECT_EQ(events.shown, (std::vector<std::string>{"23.5"}));
    EXPECT_EQ(events.noCom, 0);
    EXPECT_TRUE(engine->Recorder().Recording());
    Advance(0.3);
    Meter(Frame(239));
    Meter(Frame(240));
    EXPECT_EQ(events.shown.back(), "24.0");
    Advance(1);
    engine->StopRecording();
    const std::vector<std::string> lines = Lines(FileText(Record("dump.txt")));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines.back().find("\t24.0\t"), std::string::npos) << lines.back();
    for (const std::string& line : lines) EXPECT_EQ(line.find("99.9"), std::string::npos) << line;
}

// The line hangs up in the middle of the dump, as when the adapter is pulled out: the download ends
// at once as the meter lost, not after a silence, and keeps what came with its last set marked.
TEST_F(AcquisitionEngineTest, AHangUpDuringTheDumpEndsTheDownloadAsLost) {
    Bytes memory;
    for (int records : {20, 100}) {
        memory.insert(memory.end(), {0x00, 0x55, 0xAA, 0x00, 0x05});
        const Bytes frame = Frame(235);
        for (int i = 0; i < records; ++i) memory.insert(memory.end(), frame.begin() + 1, frame.end() - 1);
    }
    Bytes dump = {0x02};
    dump.insert(dump.end(), memory.begin(), memory.end());
    const Bytes cut(dump.begin(), dump.begin() + 300);  // the first set whole, the second begun
    const std::uint32_t end = 35968 + static_cast<std::uint32_t>(memory.size());
    const Bytes sizeReply = {0x02, static_cast<std::uint8_t>(end >> 16), static_cast<std::uint8_t>(end >> 8),
                             static_cast<std::uint8_t>(end), 0x03};

    // The meter answers each command; once the program has read all it sent of the dump, the line
    // goes. A download still running long after that is ended by hand, so that only the hang-up
    // can end it as lost: the stall allowed is far longer.
    const long readBefore = engine->BytesRead();
    long sent = 0;
    bool dumped = false, hungUp = false;
    int looksSince = 0;
    onLook = [&] {
        if (hungUp) {
            if (++looksSince == 400) engine->CancelDownload();
            return;
        }
        for (std::uint8_t command : meter->ReceiveNow()) {
            const Bytes& answer = command == 0x41 ? sizeReply : cut;
            meter->Send(answer);
            sent += static_cast<long>(answer.size());
            dumped = dumped || command == 0x55;
        }
        if (dumped && engine->BytesRead() - readBefore == sent) {
            meter->Close();
            hungUp = true;
        }
    };
    running = true;
    engine->Download({.answer = 30, .stall = 1000});
    running = false;

    ASSERT_TRUE(hungUp);
    ASSERT_EQ(events.downloads.size(), 1u);
    const AcquisitionEngine::DownloadReport& report = events.downloads[0];
    EXPECT_EQ(report.outcome, MemoryExchange::Outcome::Lost);
    EXPECT_EQ(report.announced, static_cast<long>(memory.size()));
    EXPECT_EQ(report.memory, Bytes(memory.begin(), memory.begin() + 299));
    ASSERT_EQ(report.sets.size(), 2u);
    EXPECT_FALSE(report.sets[0].incomplete);
    EXPECT_TRUE(report.sets[1].incomplete);
}

// On its own thread the engine runs what other threads post, even a command posted just before
// Stop, and Stop from another thread ends Run, which closes the port.
TEST_F(AcquisitionEngineTest, PostedCommandsRunOnTheEngineThreadAndStopEndsRun) {
    std::thread::id ranOn;
    std::thread loop([this] { engine->Run(); });
    const std::thread::id loopId = loop.get_id();
    engine->Post([&ranOn](AcquisitionEngine& e) {
        ranOn = std::this_thread::get_id();
        e.SetInterval(5);
    });
    engine->Stop();
    loop.join();
    EXPECT_EQ(ranOn, loopId);
    EXPECT_EQ(engine->SamplingSeconds(), 5);
    EXPECT_FALSE(engine->PortOpen());
}

}  // namespace
