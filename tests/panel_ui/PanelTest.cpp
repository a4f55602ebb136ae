#include <gtest/gtest.h>

#include <signal.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTime>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FileText.h"
#include "ProgramState.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "ui/Desktop.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

namespace {

constexpr int Com = 2;

// How many of this process's descriptors are open on `device`: the port as the link holds it.
int DescriptorsOn(const std::string& device) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == device) ++count;
    }
    return count;
}

// A simulator script that steps T1 up by one twice a second, between the meter's frames (which
// leave at whole and half seconds), so that every frame carries a value no other frame had.
std::string SteppingScript(const QTemporaryDir& dir) {
    const std::string path = dir.filePath("steps.txt").toStdString();
    std::ofstream script(path);
    for (int step = 1; step <= 600; ++step) script << (step - 0.5) / 2 << " t1 " << step << "\n";
    return path;
}

// One record of a one-channel recording file: its number, second of the day and T1.
struct Record {
    int number = 0;
    int second = 0;
    QString t1;
};

int SecondOfDay(const QString& time) { return QTime(0, 0).secsTo(QTime::fromString(time, "HH:mm:ss")); }
int SecondsBetween(int earlier, int later) { return (later - earlier + 86400) % 86400; }

std::vector<Record> RecordsIn(const std::string& path) {
    std::vector<Record> records;
    const QStringList lines = QString::fromStdString(FileText(path)).split("\r\n", Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split('\t');
        records.push_back({cells[0].toInt(), SecondOfDay(cells[1]), cells[2]});
    }
    return records;
}

// Each record one second after the one before, numbered on, with a value no earlier one had.
void ExpectOneRecordASecond(const std::vector<Record>& records) {
    for (std::size_t i = 1; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].number, records[i - 1].number + 1);
        EXPECT_EQ(SecondsBetween(records[i - 1].second, records[i].second), 1) << "none missing";
        EXPECT_GT(records[i].t1.toDouble(), records[i - 1].t1.toDouble()) << "none repeated";
    }
}

// The main window on COM 2, with the simulated meter behind it when a test starts one. The link
// runs on the real time of day unless a test stands its clock.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        Dialogs::Install(&dialogs);
        RegisterProgramWindows();
        QObject::connect(&ProgramLink(), &MeterLink::SampleTaken, &watcher, [this](const MeterLink::Sample& sample) {
            samples.push_back(sample);
            framesSinceSample = 0;
        });
        QObject::connect(&ProgramLink(), &MeterLink::ReadingShown, &watcher, [this] { ++framesSinceSample; });
    }
    void TearDown() override {
        ResetProgramState();
        if (meter) {
            if (meter->Running()) kill(meter->Pid(), SIGCONT);
            meter->Stop();
        }
    }

    // The main window's controls, by name.
    static QString Text(const char* label) { return Child<QLabel>(Forms::Find("Panel"), label)->text(); }
    static bool Hidden(const char* control) { return Child<QWidget>(Forms::Find("Panel"), control)->isHidden(); }
    static Toolbar* Bar(const QWidget* window) { return Child<Toolbar>(window, "Toolbar1"); }

    void StartMeter(std::vector<std::string> args) {
        meter = std::make_unique<SimulatedMeter>(Com, std::move(args));
        ASSERT_TRUE(meter->Start());
    }

    // As the port window does: the link opens the port, then the main window shows.
    static Panel* OpenPanel() {
        ProgramLink().Start(Com);
        return Forms::GetAs<Panel>("Panel");
    }

    Panel* OpenPanelWithReading(std::vector<std::string> args, const char* t1) {
        StartMeter(std::move(args));
        Panel* panel = OpenPanel();
        EXPECT_TRUE(PumpUntil([&] { return Text("LblT1") == t1; })) << Text("LblT1").toStdString();
        return panel;
    }

    // The main window with a reading and the link's clock standing at `secondOfDay`: the first
    // sample falls due two seconds later, and each later one when the test moves the clock there.
    Panel* OpenPanelAtTime(double secondOfDay, std::vector<std::string> args, const char* t1) {
        StandLinkClockAt(secondOfDay);
        return OpenPanelWithReading(std::move(args), t1);
    }

    // Moves the standing clock on to a due second and waits until the main window has the sample.
    // While the meter sends, a frame that no earlier sample took arrives first: the engine looks at
    // the clock whenever it wakes, for a command too, and would otherwise find nothing new to take.
    void AdvanceToSample(double seconds) {
        if (ProgramLink().MeterOnline()) {
            // A frame shown from now on also shows that the engine has run the commands sent
            // before (a new interval, a list opened): it runs them before it reads on.
            framesSinceSample = 0;
            ASSERT_TRUE(PumpUntil([&] { return framesSinceSample > 0; }));
        }
        const std::size_t before = samples.size();
        AdvanceLinkClock(seconds);
        ASSERT_TRUE(PumpUntil([&] { return samples.size() > before; })) << "no sample after " << seconds << " s";
    }

    // Waits for `count` more samples on the running clock.
    void WaitForSamples(std::size_t count) {
        const std::size_t until = samples.size() + count;
        ASSERT_TRUE(PumpUntil([&] { return samples.size() >= until; }));
    }

    // Sends the simulator to sleep or wakes it: a meter that stays connected and says nothing.
    void Freeze(bool frozen) { kill(meter->Pid(), frozen ? SIGSTOP : SIGCONT); }

    void StartRecording(Panel* panel, const std::string& path) {
        dialogs.QueueFile(QString::fromStdString(path));
        Bar(panel)->Trigger("Save");
        ASSERT_TRUE(PumpUntil([] { return ProgramLink().Recording(); }));
    }

    void StopRecording(Panel* panel) {
        ASSERT_TRUE(ProgramLink().Recording());
        Bar(panel)->Trigger("Save");
        ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Recording(); }));
    }

    TempPortsDir ports;
    ScriptedDialogs dialogs;
    std::unique_ptr<SimulatedMeter> meter;
    QObject watcher;
    std::vector<MeterLink::Sample> samples;  // as the main window was given them
    int framesSinceSample = 0;
};

TEST_F(PanelTest, ShowsTwoChannelReadingFromTheMeter) {
    Panel* panel = OpenPanelWithReading({"--channels", "2", "--t1", "23.5", "--t2", "-21.7", "--type", "J"}, "23.5");
    EXPECT_EQ(panel->Caption(), "TQ36      V10.02");
    EXPECT_EQ(Text("LblT2"), "-21.7");
    EXPECT_EQ(Text("LblT1T2"), "45.2");
    EXPECT_EQ(Text("LblName"), "Dual DATALOGGER THERMOMETER");
    EXPECT_FALSE(Hidden("UnitT1"));
    EXPECT_FALSE(Hidden("UnitT1T2"));
    EXPECT_EQ(Child<QLabel>(panel, "LblT1")->font().pointSizeF(), 36);
    EXPECT_FALSE(Hidden("ImgC"));
    EXPECT_TRUE(Hidden("ImgF"));
    EXPECT_TRUE(Hidden("ImgK"));
    EXPECT_EQ(Text("LblType"), "J");
    EXPECT_EQ(Text("LblCOM"), "COM  2");
    EXPECT_TRUE(ProgramLink().Reading().MeterOnline);
    // The figures stay inside the window.
    for (QLabel* figure : {Child<QLabel>(panel, "LblT1"), Child<QLabel>(panel, "LblT2"), Child<QLabel>(panel, "LblT1T2")}) {
        EXPECT_GE(figure->geometry().left(), 0);
        EXPECT_LE(figure->geometry().right(), panel->width());
    }
}

TEST_F(PanelTest, OneChannelLayoutAndMarks) {
    Panel* panel = OpenPanelWithReading({"--channels", "1", "--unit", "F", "--t1", "OL"}, "OL");
    EXPECT_EQ(Text("LblName"), "DATALOGGER THERMOMETER");
    EXPECT_EQ(Text("LblT2"), "");
    EXPECT_EQ(Text("LblT1T2"), "");
    EXPECT_TRUE(Hidden("UnitT1"));
    EXPECT_TRUE(Hidden("UnitT2"));
    EXPECT_TRUE(Hidden("UnitT1T2"));
    EXPECT_EQ(Child<QLabel>(panel, "LblT1")->font().pointSizeF(), 72);
    EXPECT_TRUE(Child<QLabel>(panel, "LblT1")->alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(Hidden("ImgF"));
    EXPECT_TRUE(Hidden("ImgC"));
}

TEST_F(PanelTest, SilentMeterGivesNoComAndRestartedMeterComesBack) {
    ASSERT_NE(OpenPanelWithReading({"--channels", "2", "--unit", "K", "--t1", "300.0", "--t2", "----"}, "300.0"), nullptr);
    EXPECT_EQ(Text("LblT1T2"), "----");
    EXPECT_FALSE(Hidden("ImgK"));
    meter->Stop();
    EXPECT_TRUE(PumpUntil([&] { return Text("LblCOM") == "No COM"; }, 30));
    EXPECT_FALSE(ProgramLink().Reading().MeterOnline);

    // Back with one channel on a new pseudo-terminal behind the same COM number.
    meter = std::make_unique<SimulatedMeter>(Com, std::vector<std::string>{"--channels", "1", "--t1", "-5.0"});
    ASSERT_TRUE(meter->Start());
    EXPECT_TRUE(PumpUntil([&] { return Text("LblT1") == "-5.0"; }, 40));
    EXPECT_EQ(Text("LblCOM"), "COM  2");
    EXPECT_EQ(Text("LblName"), "DATALOGGER THERMOMETER");
    EXPECT_EQ(DescriptorsOn(meter->DevicePath()), 1) << "the link holds the port once";
}

// The user closes the main window while the link waits on a meter that has gone quiet: the link
// stops and the port is closed before the window has finished closing.
TEST_F(PanelTest, ClosingTheMainWindowStopsTheLinkAndClosesThePort) {
    QPointer<Panel> panel = OpenPanelWithReading({"--channels", "2"}, "23.5");
    Freeze(true);
    ASSERT_EQ(DescriptorsOn(meter->DevicePath()), 1);
    Forms::Unload("Panel");
    EXPECT_FALSE(ProgramLink().Started());
    EXPECT_EQ(DescriptorsOn(meter->DevicePath()), 0);
    EXPECT_TRUE(PumpUntil([&] { return panel.isNull(); }, 10));
}

TEST_F(PanelTest, ToolbarButtonsCaptionToggleAndHelpPanel) {
    StartMeter({});
    Panel* panel = OpenPanel();
    const char* tooltips[][2] = {{"Save", "Save As"},      {"Open", "Open File"},       {"List", "List Display"},
                                 {"Graph", "Graphic Display"}, {"AVG", "Max/Min/AVG"}, {"PC", "PC Sampling"},
                                 {"Memory", "Datalogger"},     {"Stop", "Stop Recording"}, {"Save1", "Save As"},
                                 {"help", "Help"}};
    for (auto& [key, tip] : tooltips) EXPECT_EQ(Bar(panel)->ButtonTooltip(key), tip) << key;
    EXPECT_FALSE(Bar(panel)->ButtonVisible("Stop"));
    EXPECT_FALSE(Bar(panel)->ButtonVisible("Save1"));
    EXPECT_TRUE(Bar(panel)->ButtonVisible("help"));

    panel->LblCOM_Click();
    EXPECT_EQ(panel->Caption(), "TQ36      V10.02   2019.08.16.1");
    panel->LblCOM_Click();
    EXPECT_EQ(panel->Caption(), "TQ36      V10.02");

    EXPECT_TRUE(Hidden("SSPhelp"));
    Bar(panel)->Trigger("help");
    EXPECT_FALSE(Hidden("SSPhelp"));
    Bar(panel)->Trigger("help");
    EXPECT_TRUE(Hidden("SSPhelp"));
}

// The keys do what their buttons do, with the same guards, and Ctrl+Q closes as the close box does.
TEST_F(PanelTest, KeysDoWhatTheirButtonsDo) {
    QPointer<Panel> panel = OpenPanelWithReading({"--channels", "2"}, "23.5");
    Forms::Show("Panel");
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    QTest::keyClick(panel, Qt::Key_F1);
    EXPECT_FALSE(Hidden("SSPhelp"));

    const auto run = std::filesystem::path(ports.Path()) / "keys.txt";
    dialogs.QueueFile(QString::fromStdString(run.string()));
    QTest::keyClick(panel, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().Recording(); }));
    QTest::keyClick(panel, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"Recording Mode!\n\rPlease stop recording!"});
    QTest::keyClick(panel, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Recording(); }));

    QTest::keyClick(panel, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(ProgramLink().Started());
    EXPECT_TRUE(PumpUntil([&] { return panel.isNull(); }, 10));
}

// The main window needs a link that runs: without one (no port was chosen) it says so and closes.
TEST_F(PanelTest, APanelWhoseLinkNeverStartedEndsWithMessage) {
    Forms::Get("Panel");
    PumpUntil([] { return false; }, 0.05);
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"No device found, try again!"});
    EXPECT_EQ(Forms::Find("Panel"), nullptr);
    EXPECT_FALSE(ProgramLink().Started());
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
        Bar(panel)->Trigger("PC");
        EXPECT_EQ(ProgramLink().SamplingSeconds(), c.expected) << c.typed.toStdString();
    }
    const DialogCall& call = dialogs.Calls().front();
    EXPECT_EQ(call.text, "Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ");
    EXPECT_EQ(call.title, "Input Sampling Time");
    EXPECT_EQ(call.defaultText, "2");
}

// Recording through the toolbar with the link's clock standing still between samples.
TEST_F(PanelTest, RecordsSamplesOnTheScheduleAndStopsByUser) {
    Panel* panel = OpenPanelAtTime(14 * 3600 + 3 * 60 + 7, {"--channels", "2", "--t1", "23.5", "--t2", "21.0"}, "23.5");
    const auto file = std::filesystem::path(ports.Path()) / "run1";
    StartRecording(panel, file.string());
    EXPECT_EQ(Bar(panel)->ButtonTooltip("Save"), "Stop Recording");
    EXPECT_EQ(Text("LblFileName"), "run1.txt");

    // The link started at 14:03:07, so samples fall due at 14:03:09 and 14:03:11.
    AdvanceLinkClock(1);
    AdvanceToSample(1);
    AdvanceLinkClock(1);
    AdvanceToSample(1);
    EXPECT_EQ(Text("LblCount"), "2");
    EXPECT_EQ(Text("LblRec"), "Rec");
    StopRecording(panel);
    EXPECT_EQ(Bar(panel)->ButtonTooltip("Save"), "Save As");
    EXPECT_EQ(Text("LblFileName"), "");
    EXPECT_EQ(FileText(file.string() + ".txt"),
              "No.s    Time            T1      T2      T1-T2   Unit\r\n"
              "1\t14:03:09\t23.5\t21.0\t2.5\tC\r\n"
              "2\t14:03:11\t23.5\t21.0\t2.5\tC\r\n");
}

// The meter goes away during a recording: the next sample ends it and the user is told why, when,
// in which file and with how many records; the real-time list pauses at the sample after.
TEST_F(PanelTest, LostLinkEndsTheRecordingWithOneMessageAndPausesTheList) {
    Panel* panel = OpenPanelAtTime(10 * 3600, {"--channels", "2", "--t1", "20.0", "--t2", "21.0"}, "20.0");
    Bar(panel)->Trigger("List");
    auto* list = Forms::FindAs<ListWindow>("List2");
    ASSERT_NE(list, nullptr);
    const auto file = std::filesystem::path(ports.Path()) / "night.txt";
    StartRecording(panel, file.string());
    AdvanceToSample(2);  // 10:00:02
    EXPECT_EQ(Text("LblCount"), "1");

    meter->Stop();
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().MeterOnline(); }));
    AdvanceToSample(2);  // 10:00:04
    EXPECT_FALSE(ProgramLink().Recording());
    EXPECT_EQ(dialogs.Messages(),
              std::vector<QString>{"Recording stopped at 10:00:04: the meter stopped answering.\r\n" +
                                   QString::fromStdString(file.string()) + " keeps 1 records."});
    EXPECT_EQ(Text("LblCount"), "");
    EXPECT_EQ(Text("LblFileName"), "");
    EXPECT_EQ(Bar(panel)->ButtonTooltip("Save"), "Save As");
    EXPECT_EQ(FileText(file),
              "No.s    Time            T1      T2      T1-T2   Unit\r\n"
              "1\t10:00:02\t20.0\t21.0\t-1.0\tC\r\n");

    AdvanceToSample(2);  // 10:00:06
    EXPECT_TRUE(PumpUntil([&] { return Bar(list)->ButtonTooltip("Pause") == "Start"; }));
    EXPECT_EQ(list->ListGrid().Rows(), 2) << "no row without the meter";
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST_F(PanelTest, RecordingIntoAFullDiskStopsWithOneMessage) {
    Panel* panel = OpenPanelAtTime(10 * 3600, {"--channels", "1", "--t1", "20.0"}, "20.0");
    // /dev/full takes the open but refuses every write, like a disk that filled up.
    const auto full = std::filesystem::path(ports.Path()) / "full.txt";
    std::filesystem::create_symlink("/dev/full", full);
    dialogs.QueueAnswer(true);  // it exists: replace it
    StartRecording(panel, full.string());
    Bar(panel)->Trigger("List");
    // The message stays open while three more samples come: they reach the list after the one
    // that the file refused, in their order.
    dialogs.SetOnCall([this](const DialogCall& call) {
        if (call.kind != DialogCall::Kind::Message) return;
        for (int i = 0; i < 3; ++i) AdvanceToSample(2);
    });
    // The refused record's sample may reach the window while its message is open, where it counts
    // for one of the three: wait for all four before looking.
    const std::size_t before = samples.size();
    AdvanceToSample(2);
    ASSERT_TRUE(PumpUntil([&] { return samples.size() >= before + 4; }));
    dialogs.SetOnCall({});
    EXPECT_FALSE(ProgramLink().Recording());
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].contains("No space left on device"));
    EXPECT_EQ(Bar(panel)->ButtonTooltip("Save"), "Save As");
    // The real-time list still shows the sample that the file refused.
    auto* list = Forms::FindAs<ListWindow>("List1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ListGrid().Rows(), 5);
    EXPECT_EQ(list->ListGrid().RowText(1, '|'), "1|10:00:02|20.0|C");
    EXPECT_EQ(list->ListGrid().RowText(4, '|'), "4|10:00:08|20.0|C");
}

// Before any good frame the window says nothing about the meter: no name, headings or figures.
TEST_F(PanelTest, NoMeterEverAnsweringClaimsNothing) {
    ports.LinkMissing(Com);
    Panel* panel = OpenPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return Text("LblCOM") == "No COM"; }));
    for (const char* label : {"LblName", "LblT1", "LblT2", "LblT1T2", "LblType"}) EXPECT_EQ(Text(label), "") << label;
    for (const char* heading : {"UnitT1", "UnitT2", "UnitT1T2", "ImgC", "ImgF", "ImgK"}) EXPECT_TRUE(Hidden(heading)) << heading;
    EXPECT_EQ(Text("TypeMark"), "TYPE");
}

// The sample due at midnight comes at midnight, once, stamped 00:00:00 and not with the second
// before.
TEST_F(PanelTest, TheSampleDueAtMidnightIsStampedMidnight) {
    Panel* panel = OpenPanelAtTime(86399.5, {"--channels", "1", "--t1", "20.0"}, "20.0");
    dialogs.QueueInput("1");
    Bar(panel)->Trigger("PC");  // the next sample is due at midnight
    Bar(panel)->Trigger("List");
    AdvanceToSample(0.5);
    auto* list = Forms::FindAs<ListWindow>("List1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ListGrid().Rows(), 2);
    EXPECT_EQ(list->ListGrid().RowText(1, '|'), "1|00:00:00|20.0|C");
}

// The real-time list as the samples feed it: a row per sample; the window closed when the meter
// changes its channel mode; paused, without rows, once the meter is gone.
TEST_F(PanelTest, SamplingClockFeedsTheRealTimeList) {
    // The meter turns to one channel 8 s after it starts; what the test does with two channels
    // takes about two.
    QTemporaryDir dir;
    const QString script = dir.filePath("channels.txt");
    std::ofstream(script.toStdString()) << "8 channels 1\n";
    Panel* panel = OpenPanelAtTime(9 * 3600, {"--channels", "2", "--t1", "OL", "--t2", "21.0", "--script", script.toStdString()},
                                   "OL");
    Bar(panel)->Trigger("List");
    auto* list = Forms::FindAs<ListWindow>("List2");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(ProgramLink().ListState(), RealTimeList::State::Running);
    Bar(panel)->Trigger("List");  // a second press neither clears nor restarts it
    for (int i = 0; i < 3; ++i) AdvanceToSample(2);
    ASSERT_EQ(list->ListGrid().Rows(), 4);
    EXPECT_EQ(list->ListGrid().RowText(3, '|'), "3|09:00:06|OL|21.0|OL|C");
    ASSERT_TRUE(ProgramLink().Reading().DualChannel) << "the meter changed before the list had its rows";

    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Reading().DualChannel; }));
    AdvanceToSample(2);
    EXPECT_TRUE(PumpUntil([] { return Forms::Find("List2") == nullptr; }));
    EXPECT_EQ(ProgramLink().ListState(), RealTimeList::State::Closed);

    Bar(panel)->Trigger("List");
    list = Forms::FindAs<ListWindow>("List1");
    ASSERT_NE(list, nullptr);
    AdvanceToSample(2);
    ASSERT_EQ(list->ListGrid().Rows(), 2);
    EXPECT_EQ(list->ListGrid().RowText(1, '|'), "1|09:00:10|OL|C");
    meter->Stop();
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().MeterOnline(); }));
    AdvanceToSample(2);
    EXPECT_TRUE(PumpUntil([] { return ProgramLink().ListState() == RealTimeList::State::Paused; }));
    AdvanceToSample(2);
    EXPECT_EQ(list->ListGrid().Rows(), 2);
}

// A sample after the meter changed its channel mode closes the statistics window; "AVG" and
// "Graph" open their windows for the meter as it is.
TEST_F(PanelTest, ToolbarOpensStatisticsAndGraphAndTheTickClosesStatistics) {
    // The meter turns to one channel 8 s after it starts; the windows open within about one.
    QTemporaryDir dir;
    const QString script = dir.filePath("channels.txt");
    std::ofstream(script.toStdString()) << "8 channels 1\n";
    Panel* panel = OpenPanelAtTime(9 * 3600, {"--channels", "2", "--t1", "25.0", "--t2", "21.0", "--script", script.toStdString()},
                                   "25.0");
    Bar(panel)->Trigger("AVG");
    Bar(panel)->Trigger("Graph");
    ASSERT_TRUE(Forms::IsShown("AVG2"));
    EXPECT_TRUE(Forms::IsShown("RealTime23"));
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Reading().DualChannel; }));
    EXPECT_TRUE(Forms::IsShown("AVG2")) << "until a sample sees the change";
    AdvanceToSample(2);
    EXPECT_TRUE(PumpUntil([] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return Forms::Find("AVG2") == nullptr;
    }));
}

// The clock of the day set back an hour (daylight saving time ends) with a recording running: the
// graph and the statistics go on in the sampling clock's rhythm, their labels in the new time.
TEST_F(PanelTest, GraphAndStatisticsKeepTheirRhythmThroughAClockSetBack) {
    QTemporaryDir dir;
    Panel* panel = OpenPanelAtTime(3 * 3600, {"--channels", "2", "--t1", "25.0", "--t2", "21.0"}, "25.0");
    StartRecording(panel, dir.filePath("night.txt").toStdString());
    Bar(panel)->Trigger("Graph");
    Bar(panel)->Trigger("AVG");
    const RealTimeChart& chart = ProgramShared().chart;
    AdvanceToSample(2);  // 03:00:02
    const double pen = chart.XPos();
    StepLinkTimeOfDay(-3600);
    for (int step = 1; step <= 3; ++step) {
        AdvanceToSample(2);
        EXPECT_DOUBLE_EQ(chart.XPos(), pen + step * chart.XStep()) << "sample " << step << " after the step";
    }
    EXPECT_EQ(samples.back().time, "02:00:08");
    EXPECT_EQ(samples.back().recordCount, 4);
    // A sample equal to the maximum moves its time: the beat of the last second is in.
    const QWidget* avg = Forms::Find("AVG2");
    ASSERT_NE(avg, nullptr);
    EXPECT_TRUE(PumpUntil([avg] { return Child<QLabel>(avg, "LblT1MaxTime")->text() == "02:00:08"; }))
        << Child<QLabel>(avg, "LblT1MaxTime")->text().toStdString();
    EXPECT_EQ(Child<QLabel>(avg, "LblCurrentTime")->text(), "02:00:08");
}

// Stands in for the desktop's handler of file links: notes what would have been opened.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

TEST_F(PanelTest, ChoosingAManualHidesThePanelOpensItAndUnselects) {
    StartMeter({});
    Panel* panel = OpenPanel();
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "Open");
    Bar(panel)->Trigger("help");
    QRadioButton* english = Child<QRadioButton>(panel, "Option1_2");
    english->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_TRUE(recorder.opened[0].toLocalFile().endsWith("/help/TQ36-SW-HELP-EN_V2.1.pdf"));
    EXPECT_TRUE(Hidden("SSPhelp"));
    EXPECT_FALSE(english->isChecked());
}

// The six manuals' buttons, one under the other inside the help panel, each 2415 x 255 twips.
TEST_F(PanelTest, HelpOptionsAsDesigned) {
    Panel panel(ProgramLink(), {});
    for (int i = 0; i < 6; ++i) {
        const auto* option = Child<QRadioButton>(&panel, QString("Option1_%1").arg(i).toLatin1().constData());
        ASSERT_NE(option, nullptr);
        EXPECT_EQ(option->geometry(), Twips::Rect(120, 120 + 360 * i, 2415, 255)) << i;
    }
}

// With no viewer for PDF files the user is told where the manual is, to open it by hand.
TEST_F(PanelTest, AManualThatCannotBeOpenedIsNamed) {
    StartMeter({});
    Panel* panel = OpenPanel();
    QStringList tried;
    Desktop::InstallOpener([&tried](const QString& path) {
        tried << path;
        return false;
    });
    Bar(panel)->Trigger("help");
    QRadioButton* french = Child<QRadioButton>(panel, "Option1_4");
    french->click();
    ASSERT_EQ(tried.size(), 1);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(tried[0].endsWith("/help/TQ36-SW-HELP-FR_V2.1.pdf"));
    EXPECT_TRUE(dialogs.Messages()[0].endsWith(tried[0])) << dialogs.Messages()[0].toStdString();
    EXPECT_TRUE(Hidden("SSPhelp"));
    EXPECT_FALSE(french->isChecked());
}

// While the meter is offline, List, AVG, Memory and Save do nothing; Open refuses while a
// recording runs and otherwise fills the file list from the chosen file.
TEST_F(PanelTest, ToolbarGuards) {
    Panel* panel = OpenPanelWithReading({"--channels", "2"}, "23.5");
    Freeze(true);
    ASSERT_TRUE(PumpUntil([&] { return Text("LblCOM") == "No COM"; }));
    for (const char* key : {"List", "AVG", "Memory", "Save"}) Bar(panel)->Trigger(key);
    for (const char* window : {"List2", "AVG2", "Memory"}) EXPECT_EQ(Forms::Find(window), nullptr) << window;
    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_FALSE(ProgramLink().Downloading());

    Freeze(false);
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().MeterOnline(); }, 30));
    const auto run = std::filesystem::path(ports.Path()) / "run1";
    StartRecording(panel, run.string());
    ASSERT_TRUE(PumpUntil([&] { return Text("LblCount") == "1"; }));
    Bar(panel)->Trigger("Open");
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"Recording Mode!\n\rPlease stop recording!"});
    EXPECT_TRUE(ProgramLink().Recording());

    StopRecording(panel);
    dialogs.QueueFile(QString::fromStdString(run.string()));
    Bar(panel)->Trigger("Open");
    auto* files = Forms::FindAs<ListWindow>("FileList2");
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->Caption(), "run1.txt");
    EXPECT_EQ(files->ListGrid().Rows(), 2);
}

// Nothing waits for a silent meter: a click opens its dialog or window before the click returns,
// with no turn of the event loop in between.
TEST_F(PanelTest, WithASilentMeterTheToolbarAnswersAtOnce) {
    Panel* panel = OpenPanelWithReading({"--channels", "2"}, "23.5");
    Freeze(true);
    ASSERT_TRUE(PumpUntil([&] { return Text("LblCOM") == "No COM"; }));
    const struct {
        const char* key;
        std::function<bool()> opened;
    } cases[] = {
        {"PC", [&] { return dialogs.Count(DialogCall::Kind::Input) == 1; }},
        {"Open", [&] { return dialogs.Count(DialogCall::Kind::OpenFile) == 1; }},
        {"Graph", [] { return Forms::IsShown("RealTime23"); }},
        {"help", [] { return !Hidden("SSPhelp"); }},
    };
    for (const auto& c : cases) {
        Bar(panel)->Trigger(c.key);
        EXPECT_TRUE(c.opened()) << c.key;
    }
}

// A recording at one sample a second on a meter whose every frame carries a new value, through a
// logger download (the meter sends no frames meanwhile) and the seconds before a silent meter is
// No COM: no reading is ever recorded twice under a new time, and the download shows as a gap.
TEST_F(PanelTest, OldReadingsAreNeverRecordedAgain) {
    QTemporaryDir dir;
    StartMeter({"--channels", "1", "--t1", "0", "--script", SteppingScript(dir), "--sets", "1:600", "--baud", "9600"});
    Panel* panel = OpenPanel();
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().MeterOnline(); }));
    dialogs.QueueInput("1");
    Bar(panel)->Trigger("PC");
    const std::string file = dir.filePath("steps.txt").toStdString() + "-recorded.txt";
    StartRecording(panel, file);
    ASSERT_TRUE(PumpUntil([&] { return Text("LblCount") == "2"; }));

    Bar(panel)->Trigger("Memory");
    ASSERT_TRUE(ProgramLink().Downloading());
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Downloading(); }, 60));
    Forms::Unload("Memory");
    const long afterDownload = samples.back().recordCount;
    ASSERT_TRUE(PumpUntil([&] { return Text("LblCount").toLong() >= afterDownload + 2; }));
    Freeze(true);
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Recording(); }, 30)) << "the lost link ends the recording";

    const std::vector<Record> records = RecordsIn(file);
    ASSERT_GE(records.size(), 4u);
    int longestStep = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].number, records[i - 1].number + 1) << "numbered on";
        EXPECT_GT(records[i].t1.toDouble(), records[i - 1].t1.toDouble()) << "a reading recorded again";
        longestStep = std::max(longestStep, SecondsBetween(records[i - 1].second, records[i].second));
    }
    EXPECT_GE(longestStep, 3) << "the download shows as a gap";
}

}  // namespace

#include "PanelTest.moc"

namespace {

// A modal dialog of each kind held open while a recording runs at one sample a second, on a meter
// whose every frame carries a new value: meanwhile the main window is given every due sample with
// a fresh value, and the file has each of them once. The Save dialog is the one that starts the
// recording (while one runs, Save stops it and no Save dialog opens), so there the file starts
// after the dialog and the samples show that nothing waited for it.
struct HeldDialog {
    const char* name;
    DialogCall::Kind kind;
    bool recordingThrough;  // the recording runs before, during and after the dialog
};

void PrintTo(const HeldDialog& dialog, std::ostream* out) { *out << dialog.name; }

constexpr double HoldSeconds = 10;

class DialogHeldOpen : public PanelTest, public ::testing::WithParamInterface<HeldDialog> {};

TEST_P(DialogHeldOpen, EveryDueSampleIsTakenOnceMeanwhile) {
    const HeldDialog& c = GetParam();
    QTemporaryDir dir;
    StartMeter({"--channels", "1", "--t1", "0", "--script", SteppingScript(dir)});
    Panel* panel = OpenPanel();
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().MeterOnline(); }));
    dialogs.QueueInput("1");
    Bar(panel)->Trigger("PC");
    const std::string file = dir.filePath("held.txt").toStdString();
    if (c.recordingThrough) StartRecording(panel, file);
    if (c.kind == DialogCall::Kind::Print) Bar(panel)->Trigger("List");
    WaitForSamples(2);

    std::size_t before = 0;  // the samples the main window had when the dialog opened
    bool shown = false;
    dialogs.SetOnCall([&](const DialogCall& call) {
        if (call.kind != c.kind) return;
        shown = true;
        before = samples.size();
        PumpUntil([] { return false; }, HoldSeconds);
    });
    switch (c.kind) {
        case DialogCall::Kind::Input:  // cancelled: the interval stays
            Bar(panel)->Trigger("PC");
            break;
        case DialogCall::Kind::Message:  // refused while recording
            Bar(panel)->Trigger("Open");
            break;
        case DialogCall::Kind::SaveFile:
            dialogs.QueueFile(QString::fromStdString(file));
            Bar(panel)->Trigger("Save");
            ASSERT_TRUE(PumpUntil([] { return ProgramLink().Recording(); }));
            break;
        case DialogCall::Kind::Print:  // cancelled
            Bar(Forms::Find("List1"))->Trigger("Print");
            break;
        default:
            FAIL();
    }
    dialogs.SetOnCall({});
    ASSERT_TRUE(shown);
    WaitForSamples(2);
    StopRecording(panel);

    // From the sample before the dialog to the last one: one a second, each with a new reading.
    for (std::size_t i = before; i < samples.size(); ++i) {
        SCOPED_TRACE(samples[i].time);
        EXPECT_TRUE(samples[i].fresh);
        EXPECT_EQ(SecondsBetween(SecondOfDay(QString::fromStdString(samples[i - 1].time)),
                                 SecondOfDay(QString::fromStdString(samples[i].time))),
                  1)
            << "none missing";
        EXPECT_GT(std::stod(samples[i].reading.T1Value.Text()), std::stod(samples[i - 1].reading.T1Value.Text()))
            << "none repeated";
        if (c.recordingThrough) {
            EXPECT_EQ(samples[i].recordCount, samples[i - 1].recordCount + 1);
        }
    }
    // Each sample the recording took is in the file, under its number, time and reading.
    const std::vector<Record> records = RecordsIn(file);
    ASSERT_EQ(static_cast<long>(records.size()), samples.back().recordCount);
    for (const MeterLink::Sample& sample : samples) {
        if (sample.recording != PcRecording::Result::Written) continue;
        SCOPED_TRACE(sample.time);
        const Record& record = records[static_cast<std::size_t>(sample.recordCount - 1)];
        EXPECT_EQ(record.second, SecondOfDay(QString::fromStdString(sample.time)));
        EXPECT_EQ(record.t1.toStdString(), sample.reading.T1Value.Text());
    }
    ExpectOneRecordASecond(records);
}

INSTANTIATE_TEST_SUITE_P(PanelTest, DialogHeldOpen,
                         ::testing::Values(HeldDialog{"SamplingIntervalBox", DialogCall::Kind::Input, true},
                                           HeldDialog{"MessageBox", DialogCall::Kind::Message, true},
                                           HeldDialog{"SaveDialog", DialogCall::Kind::SaveFile, false},
                                           HeldDialog{"PrintDialogOfTheList", DialogCall::Kind::Print, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
