#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ProgramState.h"
#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "WaitUntil.h"
#include "acquisition/PollCycle.h"
#include "meter/Meter.h"
#include <unistd.h>

#include "serial/EventHooks.h"
#include "serial/Rs232_API.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 25.0 C on T1, 10.0 C on T2, type K.
const Bytes GoodFrame = {0x02, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00, 0x03};

// Drives a poll cycle against a pseudo-terminal on COM 4. Time is simulated: every wait of the
// cycle advances the clock by its length, and bytes scripted for the n-th wait are sent then.
class PollCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        meter = std::make_unique<PseudoTerminal>();
        meter->LinkAs(4);
        ASSERT_TRUE(Rs232_API::OpenPort(4, Rs232_API::MeterSettings));
        Rs232_API::CurrentPortIndex() = 1;
        EventHooks::Install([] {}, [this](double seconds) { Wait(seconds); });
        cycle = std::make_unique<PollCycle>(
            PollCycle::Display{[this] { shown.push_back("port"); }, [this] { shown.push_back("reading"); },
                               [this] { shown.push_back("type"); }, [this] { shown.push_back("No COM"); }},
            [this] { return static_cast<int>(std::floor(clock)) % 86400; }, [this] { return clock; });
    }

    void TearDown() override {
        EventHooks::Uninstall();
        ResetProgramState();
    }

    void Wait(double seconds) {
        clock += seconds;
        ++waits;
        auto it = script.find(waits);
        if (it != script.end()) {
            it->second();
            // Give the kernel a moment to move the bytes to the other side of the terminal.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void SendAtWait(int wait, Bytes bytes) {
        script[wait] = [this, bytes] { meter->Send(bytes); };
    }

    bool PortOpen() { return Rs232_API::PortDriver().IsOpen(4); }

    TempPortsDir folder;
    std::unique_ptr<PseudoTerminal> meter;
    std::unique_ptr<PollCycle> cycle;
    std::map<int, std::function<void()>> script;
    std::vector<std::string> shown;
    double clock = 43200.0;
    int waits = 0;
};

TEST_F(PollCycleTest, GoodFramesAreDecodedAndShown) {
    struct Case {
        const char* name;
        Bytes sent;
    };
    Bytes twenty = GoodFrame;
    twenty.insert(twenty.end(), {0x02, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x03});
    for (const Case& c : {Case{"exactly nine bytes", GoodFrame}, Case{"twenty bytes, 03 at nine", twenty}}) {
        SCOPED_TRACE(c.name);
        Meter::ResetCurrent();
        shown.clear();
        script.clear();
        waits = 0;
        SendAtWait(1, c.sent);
        EXPECT_TRUE(cycle->Run());
        EXPECT_EQ(shown, (std::vector<std::string>{"port", "port", "reading", "type"}));
        const CurrentReading& r = Meter::Current();
        EXPECT_TRUE(r.MeterOnline);
        EXPECT_EQ(r.T1Value.Text(), "25.0");
        EXPECT_EQ(r.T2Value.Text(), "10.0");
        EXPECT_EQ(r.T1T2C.Text(), "15.0");
        EXPECT_EQ(r.ThermocoupleType, "K");
        EXPECT_EQ(Rs232_API::OpenPorts(1).receiveBuffer.size(), 0u) << "bytes after the frame are dropped";
        EXPECT_EQ(waits, 1) << "shown within the first wait";
    }
}

TEST_F(PollCycleTest, BadStartIsDiscardedAndTheSameTickWaitsAgain) {
    Bytes shifted = GoodFrame;
    shifted[0] = 0x03;
    SendAtWait(1, shifted);
    SendAtWait(4, GoodFrame);
    EXPECT_TRUE(cycle->Run());
    EXPECT_EQ(waits, 4);
    EXPECT_EQ(Meter::Current().T1Value.Text(), "25.0");
    EXPECT_EQ(shown.front(), "port") << "the port is shown as soon as bytes came";
}

TEST_F(PollCycleTest, ThirdWindowEndsInNoComWhateverItCollected) {
    SendAtWait(1, {0x02, 0x00, 0x00});
    // Two short windows; the third gets 50 good bytes but still ends in No COM.
    Bytes fifty;
    for (int i = 0; i < 5; ++i) fifty.insert(fifty.end(), GoodFrame.begin(), GoodFrame.end());
    fifty.resize(50, 0);
    script[50] = [this, fifty] { meter->Send(fifty); };
    Meter::Current().MeterOnline = true;
    EXPECT_FALSE(cycle->Run());
    EXPECT_EQ(shown, std::vector<std::string>{"No COM"});
    EXPECT_FALSE(Meter::Current().MeterOnline);
    EXPECT_TRUE(Rs232_API::OpenPorts(1).receiveBuffer.empty()) << "No COM discards what was held";
    EXPECT_NEAR(clock - 43200.0, 3 * 2.0, 3.0) << "three windows of one to two seconds";
}

// A floating receive line or another device: every window holds bytes, none of them a frame.
// That counts as silence: No COM, and the port is reconnected in the same rhythm.
TEST_F(PollCycleTest, NoiseAloneEndsInNoComLikeSilence) {
    const Bytes noise = {0x55, 0x13, 0xA7, 0x00, 0xFF, 0x02, 0x41, 0x99, 0x10, 0x33};
    for (int wait = 1; wait <= 200; ++wait) SendAtWait(wait, noise);
    Meter::Current().MeterOnline = true;
    EXPECT_FALSE(cycle->Run());
    EXPECT_EQ(shown.back(), "No COM");
    EXPECT_FALSE(Meter::Current().MeterOnline);
    EXPECT_LE(waits, 30) << "three windows, as for a silent meter";

    // Frames again: the next cycles find the meter.
    script.clear();
    for (int wait = waits + 1; wait <= waits + 200; ++wait) SendAtWait(wait, GoodFrame);
    for (int run = 0; run < 5 && !Meter::Current().MeterOnline; ++run) cycle->Run();
    EXPECT_TRUE(Meter::Current().MeterOnline);
    EXPECT_EQ(Meter::Current().T1Value.Text(), "25.0");
}

TEST_F(PollCycleTest, SilentMeterIsClosedAndReopenedInRhythm) {
    const std::vector<std::pair<float, bool>> expected = {{1, true}, {0, false}, {1, false}, {0, true}, {1, true}};
    for (std::size_t tick = 0; tick < expected.size(); ++tick) {
        SCOPED_TRACE(tick + 1);
        EXPECT_FALSE(cycle->Run());
        EXPECT_EQ(cycle->NoDataTicks(), expected[tick].first);
        EXPECT_EQ(PortOpen(), expected[tick].second);
        EXPECT_EQ(Rs232_API::CurrentPortIndex(), 1);
        EXPECT_LE(Rs232_API::OpenPortCount(), 1);
    }
    EXPECT_EQ(Rs232_API::OpenPorts(1).number, 4);
}

TEST_F(PollCycleTest, GoodFrameDoesNotResetTheNoDataCount) {
    EXPECT_FALSE(cycle->Run());
    EXPECT_EQ(cycle->NoDataTicks(), 1);
    for (int i = 0; i < 3; ++i) {
        script.clear();
        SendAtWait(waits + 1, GoodFrame);
        EXPECT_TRUE(cycle->Run());
    }
    EXPECT_EQ(cycle->NoDataTicks(), 1);
    EXPECT_TRUE(PortOpen());
    script.clear();
    EXPECT_FALSE(cycle->Run());
    EXPECT_EQ(cycle->NoDataTicks(), 0);
    EXPECT_FALSE(PortOpen()) << "the second No COM closes the port at once";
}

TEST_F(PollCycleTest, CollectionWindowEndsAcrossMidnight) {
    clock = 86399.5;
    EXPECT_FALSE(cycle->Run());
    EXPECT_LT(clock - 86399.5, 7.0) << "three windows, none stalled by the day wrapping";
}

TEST_F(PollCycleTest, VanishedDeviceShowsNoComAndComesBackOnANewTerminal) {
    SendAtWait(1, GoodFrame);
    ASSERT_TRUE(cycle->Run());
    meter->Close();  // the cable is pulled
    script.clear();
    EXPECT_FALSE(cycle->Run());
    EXPECT_EQ(shown.back(), "No COM");
    EXPECT_FALSE(Meter::Current().MeterOnline);

    auto replugged = std::make_unique<PseudoTerminal>();
    replugged->LinkAs(4);
    bool back = false;
    for (int tick = 0; tick < 6 && !back; ++tick) {
        script.clear();
        script[waits + 1] = [&] { replugged->Send(GoodFrame); };
        back = cycle->Run();
    }
    EXPECT_TRUE(back) << "the same COM number is reopened on the new device";
    EXPECT_EQ(Rs232_API::OpenPortCount(), 1);
}

TEST_F(PollCycleTest, MissingDeviceIsRetriedForeverWithoutFillingTheTable) {
    meter.reset();
    folder.LinkMissing(4);
    Rs232_API::Reset();
    Rs232_API::OpenPort(4, Rs232_API::MeterSettings);
    Rs232_API::CurrentPortIndex() = 1;
    for (int tick = 0; tick < 30; ++tick) cycle->Run();
    EXPECT_EQ(Rs232_API::OpenPortCount(), 1);

    meter = std::make_unique<PseudoTerminal>();
    meter->LinkAs(4);
    bool back = false;
    for (int tick = 0; tick < 6 && !back; ++tick) {
        script.clear();
        script[waits + 1] = [this] { meter->Send(GoodFrame); };
        back = cycle->Run();
    }
    EXPECT_TRUE(back) << "a meter plugged in long after start is still picked up";
}

}  // namespace
