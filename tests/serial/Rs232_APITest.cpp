#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ProgramState.h"
#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "WaitUntil.h"
#include "serial/Rs232_API.h"

namespace {

using namespace Rs232_API;

class Rs232_APITest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }

    // A meter behind COM<number>, opened as the current port the way the port window does it.
    std::unique_ptr<PseudoTerminal> ConnectMeter(int number) {
        auto meter = std::make_unique<PseudoTerminal>();
        meter->LinkAs(number);
        EXPECT_TRUE(OpenPort(number, MeterSettings));
        CurrentPortIndex() = OpenPortCount();
        return meter;
    }

    // A USB adapter behind COM 3, with its by-id link, opened as the current port.
    std::unique_ptr<PseudoTerminal> ConnectAdapter() {
        auto adapter = std::make_unique<PseudoTerminal>();
        folder.LinkById(Adapter, adapter->SlavePath());
        adapter->LinkAs(3);
        EXPECT_TRUE(OpenPort(3, MeterSettings));
        CurrentPortIndex() = OpenPortCount();
        return adapter;
    }
    static constexpr const char* Adapter = "usb-Maker_Meter_123-if00-port0";

    static bool WaitQueued(int number, long count) {
        return WaitUntil([&] { return PortDriver().IsInBuffSize(number) >= count; });
    }

    static std::vector<int> ListedNumbers() {
        std::vector<int> numbers;
        for (int i = 1; i <= OpenPortCount(); ++i) numbers.push_back(OpenPorts(i).number);
        return numbers;
    }

    TempPortsDir folder;
};

TEST_F(Rs232_APITest, ReceiveBytesAccumulatesUntilCleared) {
    EXPECT_EQ(ReceiveBytes(), 0) << "no port chosen yet";
    auto meter = ConnectMeter(3);
    EXPECT_EQ(ReceiveBytes(), 0);

    meter->Send({1, 2, 3, 4, 5});
    ASSERT_TRUE(WaitQueued(3, 5));
    EXPECT_EQ(ReceiveBytes(), 5);
    meter->Send({6, 7, 8, 9, 10, 11});
    ASSERT_TRUE(WaitQueued(3, 6));
    EXPECT_EQ(ReceiveBytes(), 11);
    EXPECT_EQ(OpenPorts(1).receiveBuffer, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    ClearReceiveBuffer();
    EXPECT_EQ(ReceiveBytes(), 0);
}

TEST_F(Rs232_APITest, ReceiveBytesReportsALostDeviceOnlyWhenTheBufferIsEmpty) {
    auto meter = ConnectMeter(3);
    meter->Send({0x02});
    ASSERT_TRUE(WaitQueued(3, 1));
    ASSERT_EQ(ReceiveBytes(), 1);
    meter->Close();
    EXPECT_EQ(ReceiveBytes(), 1) << "the byte collected before still counts";
    ClearReceiveBuffer();
    EXPECT_EQ(ReceiveBytes(), -1);
}

TEST_F(Rs232_APITest, SendBytesGoesToTheCurrentPort) {
    SendBytes({'A'});  // no port chosen: nothing happens
    auto first = ConnectMeter(3);
    auto second = ConnectMeter(4);
    SendBytes({'U'});
    EXPECT_EQ(second->Receive(1), std::vector<std::uint8_t>{'U'});
    EXPECT_TRUE(first->Receive(1, std::chrono::milliseconds(200)).empty());
}

TEST_F(Rs232_APITest, OpenPortFillsAtMostTenDistinctEntries) {
    // The ports need not exist: a failed open still takes an entry.
    for (int number = 101; number <= 110; ++number) {
        EXPECT_TRUE(OpenPort(number, MeterSettings));
        EXPECT_EQ(OpenPorts(OpenPortCount()).name, "COM" + std::to_string(number));
    }
    EXPECT_EQ(OpenPortCount(), 10);

    EXPECT_FALSE(OpenPort(111, MeterSettings));
    EXPECT_EQ(OpenPortCount(), 10);
    EXPECT_EQ(PortDriver().IsActivity(111), 0) << "a refused entry opens nothing";

    EXPECT_TRUE(OpenPort(104, MeterSettings)) << "a listed port is reopened in place";
    EXPECT_EQ(OpenPortCount(), 10);
    EXPECT_EQ(OpenPorts(4).number, 104);
}

TEST_F(Rs232_APITest, ReconnectingTheSamePortNeverGrowsTheTable) {
    auto meter = ConnectMeter(3);
    meter->Send({9, 9});
    ASSERT_TRUE(WaitQueued(3, 2));
    ASSERT_EQ(ReceiveBytes(), 2);

    for (int attempt = 0; attempt < 15; ++attempt) {
        ASSERT_TRUE(OpenPort(3, MeterSettings));
        EXPECT_EQ(OpenPortCount(), 1);
    }
    EXPECT_TRUE(OpenPorts(1).receiveBuffer.empty()) << "a reopened port starts afresh";
    EXPECT_TRUE(PortDriver().IsOpen(3));

    meter->Send({7});
    ASSERT_TRUE(WaitQueued(3, 1));
    EXPECT_EQ(ReceiveBytes(), 1);
}

TEST_F(Rs232_APITest, ReopeningFollowsARepluggedAdapterToItsNewNode) {
    auto before = ConnectAdapter();
    // Replugged while still open: the old node goes, the adapter returns under another name and
    // its by-id link moves there, while COM 3 still names the old node.
    auto after = std::make_unique<PseudoTerminal>();
    before->Close();
    folder.LinkById(Adapter, after->SlavePath());

    ASSERT_TRUE(OpenPort(3, MeterSettings));
    ASSERT_TRUE(PortDriver().IsOpen(3));
    after->Send({4, 5, 6});
    ASSERT_TRUE(WaitQueued(3, 3));
    EXPECT_EQ(ReceiveBytes(), 3);
}

TEST_F(Rs232_APITest, AnAliasPointedElsewhereWinsOverTheRememberedAdapter) {
    auto adapter = ConnectAdapter();
    PseudoTerminal other;
    other.LinkAs(3);
    ASSERT_TRUE(OpenPort(3, MeterSettings));
    other.Send({1});
    EXPECT_TRUE(WaitQueued(3, 1)) << "COM 3 now means the device the user linked";
}

TEST_F(Rs232_APITest, ClosingTheLastEntryKeepsItsPortForReopening) {
    auto meter = ConnectMeter(5);
    meter->Send({1, 2});
    ASSERT_TRUE(WaitQueued(5, 2));
    ReceiveBytes();

    ClosePort(1);
    EXPECT_EQ(OpenPortCount(), 0);
    EXPECT_EQ(OpenPorts(1).number, 5);
    EXPECT_EQ(OpenPorts(1).name, "COM5");
    EXPECT_TRUE(OpenPorts(1).receiveBuffer.empty());
    EXPECT_FALSE(PortDriver().IsOpen(5));

    ClosePort(1);  // nothing listed any more
    EXPECT_EQ(OpenPortCount(), 0);

    EXPECT_TRUE(OpenPort(OpenPorts(1).number, OpenPorts(1).settings));
    EXPECT_EQ(OpenPortCount(), 1);
    EXPECT_TRUE(PortDriver().IsOpen(5));
}

TEST_F(Rs232_APITest, ClosingAnEarlierEntryMovesTheLaterOnesUp) {
    auto a = ConnectMeter(3);
    auto b = ConnectMeter(4);
    auto c = ConnectMeter(5);
    b->Send({4, 4, 4});
    CurrentPortIndex() = 2;
    ASSERT_TRUE(WaitQueued(4, 3));
    ASSERT_EQ(ReceiveBytes(), 3);

    ClosePort(1);
    EXPECT_EQ(ListedNumbers(), (std::vector<int>{4, 5}));
    EXPECT_EQ(OpenPorts(1).receiveBuffer, (std::vector<std::uint8_t>{4, 4, 4}));
    EXPECT_EQ(OpenPorts(3).number, 0);
    EXPECT_TRUE(OpenPorts(3).name.empty());
    EXPECT_FALSE(PortDriver().IsOpen(3));
    EXPECT_TRUE(PortDriver().IsOpen(4));
    EXPECT_TRUE(PortDriver().IsOpen(5));

    for (int outside : {0, 3, 11, -1}) ClosePort(outside);
    EXPECT_EQ(ListedNumbers(), (std::vector<int>{4, 5}));
    EXPECT_TRUE(PortDriver().IsOpen(5));

    CloseAllPorts();
    EXPECT_EQ(OpenPortCount(), 0);
    EXPECT_FALSE(PortDriver().IsOpen(4));
    EXPECT_FALSE(PortDriver().IsOpen(5));
}

TEST_F(Rs232_APITest, ScanListsExactlyThePortsThatOpen) {
    PseudoTerminal com3, com7, com200;
    com3.LinkAs(3);
    com7.LinkAs(7);
    com200.LinkAs(200);
    folder.LinkMissing(150);

    std::vector<int> tried;
    std::vector<int> found = ScanPorts([&](int number) { tried.push_back(number); });

    ASSERT_EQ(tried.size(), 256u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(tried[static_cast<std::size_t>(i)], i + 1);
    for (int number : {3, 7, 200}) {
        EXPECT_NE(std::find(found.begin(), found.end(), number), found.end()) << number;
        EXPECT_FALSE(PortDriver().IsOpen(number)) << "found ports are closed again";
    }
    // Beyond the fixed device table only the alias links resolve to anything.
    for (int number : found) EXPECT_TRUE(number <= 96 || number == 200) << number;
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
}

TEST_F(Rs232_APITest, ScanLeavesOutAndKeepsOpenAPortAlreadyInUse) {
    auto meter = ConnectMeter(7);
    PseudoTerminal other;
    other.LinkAs(8);
    std::vector<int> found = ScanPorts();
    EXPECT_EQ(std::find(found.begin(), found.end(), 7), found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), 8), found.end());
    EXPECT_TRUE(PortDriver().IsOpen(7));

    meter->Send({1});
    ASSERT_TRUE(WaitQueued(7, 1));
    EXPECT_EQ(ReceiveBytes(), 1);
}

TEST_F(Rs232_APITest, ResetReturnsToTheStartState) {
    auto meter = ConnectMeter(3);
    PortDriver().Init_API();
    Reset();
    EXPECT_EQ(OpenPortCount(), 0);
    EXPECT_EQ(CurrentPortIndex(), 0);
    EXPECT_EQ(OpenPorts(1).number, 0);
    EXPECT_EQ(PortDriver().GetInBuffer(), 0) << "a fresh driver";
    EXPECT_EQ(PortDriver().IsActivity(3), 0);
    // The old driver let go of the device, so it opens again.
    EXPECT_TRUE(OpenPort(3, MeterSettings));
    EXPECT_TRUE(PortDriver().IsOpen(3));
}

}  // namespace
