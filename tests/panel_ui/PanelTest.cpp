#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "FileText.h"
#include "QtPrinters.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "meter/Meter.h"
#include "panel/Panel.h"
#include "panel/SamplingState.h"
#include "panel/Windows.h"
#include "records/ListWindow.h"
#include "ui/Grid.h"
#include "serial/Rs232_API.h"
#include "ui/EventPump.h"
#include "ui/FakeClock.h"
#include "ui/Forms.h"
#include "ui/ScriptedDialogs.h"
#include "ui/Toolbar.h"

namespace {

constexpr int Com = 2;

template <typename Condition>
bool PumpUntil(Condition condition, double seconds = 20) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > seconds * 1000) return false;
        EventPump::Delay(0.05);
    }
    return true;
}

// The main window on COM 2, with the simulated meter behind it when a test starts one.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dialogs::Install(&dialogs);
        Rs232_API::Reset();
        Meter::ResetCurrent();
        Sampling::Reset();
        RegisterWindows();
    }
    void TearDown() override {
        Forms::UnloadAll();
        EventPump::Delay(0.05);  // let deferred deletes run
        if (meter) meter->Stop();
        Rs232_API::Reset();
        Dialogs::Install(nullptr);
        Clock::Install(nullptr);
    }

    void StartMeter(std::vector<std::string> args) {
        meter = std::make_unique<SimulatedMeter>(Com, std::move(args));
        ASSERT_TRUE(meter->Start());
    }

    Panel* OpenPanel() {
        Rs232_API::OpenPort(Com, Rs232_API::MeterSettings);
        Rs232_API::CurrentPortIndex() = Rs232_API::OpenPortCount();
        return Forms::GetAs<Panel>("Panel");
    }

    Panel* OpenPanelWithReading(std::vector<std::string> args, const char* t1) {
        StartMeter(std::move(args));
        Panel* panel = OpenPanel();
        EXPECT_TRUE(PumpUntil([&] { return panel->LblT1->text() == t1; })) << panel->LblT1->text().toStdString();
        return panel;
    }

    // The main window with a reading, the clock standing at `clock` and the sampling clock
    // driven by the test; the running schedule has taken the sample of this second.
    Panel* OpenPanelAtTime(FakeClock& clock, std::vector<std::string> args, const char* t1) {
        Clock::Install(&clock);
        Panel* panel = OpenPanelWithReading(std::move(args), t1);
        panel->Timer2->stop();
        panel->Timer2_Timer();
        return panel;
    }

    TempPortsDir ports;
    ScriptedDialogs dialogs;
    std::unique_ptr<SimulatedMeter> meter;
};

TEST_F(PanelTest, ShowsTwoChannelReadingFromTheMeter) {
    Panel* panel = OpenPanelWithReading({"--channels", "2", "--t1", "23.5", "--t2", "-21.7", "--type", "J"}, "23.5");
    EXPECT_EQ(panel->Caption(), "TQ36      V10.02");
    EXPECT_EQ(panel->LblT2->text(), "-21.7");
    EXPECT_EQ(panel->LblT1T2->text(), "45.2");
    EXPECT_EQ(panel->LblName->text(), "Dual DATALOGGER THERMOMETER");
    EXPECT_FALSE(panel->UnitT1->isHidden());
    EXPECT_FALSE(panel->UnitT1T2->isHidden());
    EXPECT_EQ(panel->LblT1->font().pointSizeF(), 36);
    EXPECT_FALSE(panel->ImgC->isHidden());
    EXPECT_TRUE(panel->ImgF->isHidden());
    EXPECT_TRUE(panel->ImgK->isHidden());
    EXPECT_EQ(panel->LblType->text(), "J");
    EXPECT_EQ(panel->LblCOM->text(), "COM  2");
    EXPECT_TRUE(Meter::Current().MeterOnline);
    // The figures stay inside the window.
    for (QLabel* figure : {panel->LblT1, panel->LblT2, panel->LblT1T2}) {
        EXPECT_GE(figure->geometry().left(), 0);
        EXPECT_LE(figure->geometry().right(), panel->width());
    }
}

TEST_F(PanelTest, OneChannelLayoutAndMarks) {
    Panel* panel = OpenPanelWithReading({"--channels", "1", "--unit", "F", "--t1", "OL"}, "OL");
    EXPECT_EQ(panel->LblName->text(), "DATALOGGER THERMOMETER");
    EXPECT_EQ(panel->LblT2->text(), "");
    EXPECT_EQ(panel->LblT1T2->text(), "");
    EXPECT_TRUE(panel->UnitT1->isHidden());
    EXPECT_TRUE(panel->UnitT2->isHidden());
    EXPECT_TRUE(panel->UnitT1T2->isHidden());
    EXPECT_EQ(panel->LblT1->font().pointSizeF(), 72);
    EXPECT_TRUE(panel->LblT1->alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(panel->ImgF->isHidden());
    EXPECT_TRUE(panel->ImgC->isHidden());
}

TEST_F(PanelTest, SilentMeterGivesNoComAndRestartedMeterComesBack) {
    Panel* panel = OpenPanelWithReading({"--channels", "2", "--unit", "K", "--t1", "300.0", "--t2", "----"}, "300.0");
    EXPECT_EQ(panel->LblT1T2->text(), "----");
    EXPECT_FALSE(panel->ImgK->isHidden());
    meter->Stop();
    EXPECT_TRUE(PumpUntil([&] { return panel->LblCOM->text() == "No COM"; }, 30));
    EXPECT_FALSE(Meter::Current().MeterOnline);

    // Back with one channel on a new pseudo-terminal behind the same COM number.
    meter = std::make_unique<SimulatedMeter>(Com, std::vector<std::string>{"--channels", "1", "--t1", "-5.0"});
    ASSERT_TRUE(meter->Start());
    EXPECT_TRUE(PumpUntil([&] { return panel->LblT1->text() == "-5.0"; }, 40));
    EXPECT_EQ(panel->LblCOM->text(), "COM  2");
    EXPECT_EQ(panel->LblName->text(), "DATALOGGER THERMOMETER");
    EXPECT_EQ(Rs232_API::OpenPortCount(), 1);
}

// The user closes the main window while a poll cycle waits for a silent meter: the cycle ends
// without touching the window or reopening the port.
TEST_F(PanelTest, ClosingDuringAPollCycleEndsItCleanly) {
    Panel* panel = OpenPanelWithReading({"--channels", "2", "--gap", "1:100"}, "23.5");
    QPointer<Panel> alive(panel);
    EventPump::Delay(1.5);  // the meter has gone quiet; a cycle is collecting
    QTimer::singleShot(300, [] { Forms::Unload("Panel"); });
    EXPECT_TRUE(PumpUntil([&] { return alive.isNull(); }, 10));
    EventPump::Delay(3);
    EXPECT_EQ(Rs232_API::OpenPortCount(), 0);
    EXPECT_FALSE(Rs232_API::PortDriver().IsOpen(Com));
}

TEST_F(PanelTest, ToolbarButtonsCaptionToggleAndHelpPanel) {
    StartMeter({});
    Panel* panel = OpenPanel();
    const char* tooltips[][2] = {{"Save", "Save As"},      {"Open", "Open File"},       {"List", "List Display"},
                                 {"Graph", "Graphic Display"}, {"AVG", "Max/Min/AVG"}, {"PC", "PC Sampling"},
                                 {"Memory", "Datalogger"},     {"Stop", "Stop Recording"}, {"Save1", "Save As"},
                                 {"help", "Help"}};
    for (auto& [key, tip] : tooltips) EXPECT_EQ(panel->Toolbar1->ButtonTooltip(key), tip) << key;
    EXPECT_FALSE(panel->Toolbar1->ButtonVisible("Stop"));
    EXPECT_FALSE(panel->Toolbar1->ButtonVisible("Save1"));
    EXPECT_TRUE(panel->Toolbar1->ButtonVisible("help"));

    panel->LblCOM_Click();
    EXPECT_EQ(panel->Caption(), "TQ36      V10.02   2019.08.16.1");
    panel->LblCOM_Click();
    EXPECT_EQ(panel->Caption(), "TQ36      V10.02");

    EXPECT_TRUE(panel->SSPhelp->isHidden());
    panel->Toolbar1->Trigger("help");
    EXPECT_FALSE(panel->SSPhelp->isHidden());
    panel->Toolbar1->Trigger("help");
    EXPECT_TRUE(panel->SSPhelp->isHidden());
}

TEST_F(PanelTest, NoPortChosenEndsWithMessage) {
    Rs232_API::CurrentPortIndex() = 0;
    Forms::Get("Panel");
    EventPump::Delay(0.05);
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"No device found, try again!"});
    EXPECT_EQ(Forms::Find("Panel"), nullptr);
}

TEST_F(PanelTest, SamplingIntervalInput) {
    StartMeter({});
    Panel* panel = OpenPanel();
    struct Case {
        QString typed;
        int expected;
    };
    for (const Case& c : {Case{"2.5", 2}, Case{"3.5", 4}, Case{"100000", 86400}, Case{"0", 1}, Case{"-7", 1},
                          Case{"abc", 1}, Case{"10", 10}, Case{"", 10}}) {
        dialogs.QueueInput(c.typed);
        panel->Toolbar1->Trigger("PC");
        EXPECT_EQ(Sampling::State().Schedule.SamplingSeconds(), c.expected) << c.typed.toStdString();
    }
    const DialogCall& call = dialogs.Calls().front();
    EXPECT_EQ(call.text, "Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ");
    EXPECT_EQ(call.title, "Input Sampling Time");
    EXPECT_EQ(call.defaultText, "2");
}

// Recording through the toolbar with the clock standing still between samples.
TEST_F(PanelTest, RecordsSamplesOnTheScheduleAndStopsByUser) {
    FakeClock clock(14, 3, 7);
    Panel* panel = OpenPanelAtTime(clock, {"--channels", "2", "--t1", "23.5", "--t2", "21.0"}, "23.5");
    const auto file = std::filesystem::path(ports.Path()) / "run1";
    dialogs.QueueFile(QString::fromStdString(file.string()));
    panel->Toolbar1->Trigger("Save");
    ASSERT_TRUE(Sampling::State().Recording);
    EXPECT_EQ(panel->Toolbar1->ButtonTooltip("Save"), "Stop Recording");
    EXPECT_EQ(panel->LblFileName->text(), "run1.txt");

    // The schedule took its sample of 14:03:07 before the recording started; it runs on and the
    // recording begins with the next one.
    for (int second = 0; second < 5; ++second) {  // 14:03:07 .. 14:03:11, one tick a second
        panel->Timer2_Timer();
        clock.Advance(1);
    }
    EXPECT_EQ(panel->LblCount->text(), "2");
    EXPECT_EQ(panel->LblRec->text(), "Rec");
    panel->Toolbar1->Trigger("Save");
    EXPECT_FALSE(Sampling::State().Recording);
    EXPECT_EQ(panel->Toolbar1->ButtonTooltip("Save"), "Save As");
    EXPECT_EQ(panel->LblFileName->text(), "");
    EXPECT_EQ(FileText(file.string() + ".txt"),
              "No.s    Time            T1      T2      T1-T2   Unit\r\n"
              "1\t14:03:09\t23.5\t21.0\t2.5\tC\r\n"
              "2\t14:03:11\t23.5\t21.0\t2.5\tC\r\n");
}

TEST_F(PanelTest, LostLinkStopsRecordingAtTheNextSample) {
    FakeClock clock(23, 59, 58);
    Panel* panel = OpenPanelAtTime(clock, {"--channels", "1", "--t1", "20.0"}, "20.0");
    const auto file = std::filesystem::path(ports.Path()) / "night.txt";
    dialogs.QueueFile(QString::fromStdString(file.string()));
    panel->Toolbar1->Trigger("Save");
    // The sample of 23:59:58 was taken before the recording started; the next one is due at
    // 86400, which a clock of the day never shows: it must come at midnight.
    clock.Advance(2);
    panel->Timer2_Timer();  // 00:00:00
    EXPECT_EQ(panel->LblCount->text(), "1");
    Meter::Current().MeterOnline = false;
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_FALSE(Sampling::State().Recording);
    EXPECT_EQ(panel->LblCount->text(), "");
    EXPECT_EQ(panel->LblFileName->text(), "");
    EXPECT_EQ(FileText(file),
              "No.s    Time            T1      T2      T1-T2   Unit\r\n"
              "1\t00:00:00\t20.0\tC\r\n");
}

TEST_F(PanelTest, RecordingIntoAFullDiskStopsWithOneMessage) {
    FakeClock clock(10, 0, 0);
    Panel* panel = OpenPanelAtTime(clock, {"--channels", "1", "--t1", "20.0"}, "20.0");
    // /dev/full takes the open but refuses every write, like a disk that filled up.
    const auto full = std::filesystem::path(ports.Path()) / "full.txt";
    std::filesystem::create_symlink("/dev/full", full);
    dialogs.QueueFile(QString::fromStdString(full.string()));
    panel->Toolbar1->Trigger("Save");
    ASSERT_TRUE(Sampling::State().Recording);
    panel->Timer2_Timer();
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_FALSE(Sampling::State().Recording);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].contains("No space left on device"));
    EXPECT_EQ(panel->Toolbar1->ButtonTooltip("Save"), "Save As");
}

// The real-time list as the sampling clock feeds it: a row per sample, a pause on a lost link,
// and the window closed once it holds the most rows a list may have.
TEST_F(PanelTest, SamplingClockFeedsTheRealTimeList) {
    FakeClock clock(9, 0, 0);
    Panel* panel = OpenPanelAtTime(clock, {"--channels", "2", "--t1", "OL", "--t2", "21.0"}, "OL");
    panel->Toolbar1->Trigger("List");
    auto* list = Forms::FindAs<ListWindow>("List2");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(Sampling::State().ListRunning);
    panel->Toolbar1->Trigger("List");  // a second press neither clears nor restarts it
    for (int i = 0; i < 3; ++i) {
        clock.Advance(2);
        panel->Timer2_Timer();
    }
    ASSERT_EQ(list->ListGrid().Rows(), 4);
    EXPECT_EQ(list->ListGrid().RowText(3, '|'), "3|09:00:06|OL|21.0|OL|C");

    Meter::Current().MeterOnline = false;  // the link goes: one more row, then the list pauses
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_EQ(list->ListGrid().Rows(), 5);
    EXPECT_FALSE(Sampling::State().ListRunning);
    EXPECT_EQ(list->Toolbar1->ButtonTooltip("Pause"), "Start");
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_EQ(list->ListGrid().Rows(), 5);

    Meter::Current().MeterOnline = true;
    list->Toolbar1_ButtonClick("Pause");
    ASSERT_TRUE(Sampling::State().ListRunning);
    Sampling::State().ListRowCount = Sampling::MaxRecords - 1;
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_FALSE(Sampling::State().ListRunning);
    EXPECT_EQ(Sampling::State().ListRowCount, 0);
    EXPECT_EQ(Forms::Find("List2"), nullptr) << "the list closes at its limit";
}

}  // namespace
