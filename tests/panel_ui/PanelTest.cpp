#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QUrl>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "FakeClock.h"
#include "FileText.h"
#include "ProgramState.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "ui/MeterLink.h"
#include "app/Windows.h"
#include "meter/Meter.h"
#include "serial/Rs232_API.h"
#include "ui/Desktop.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/Toolbar.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

namespace {

constexpr int Com = 2;

// The main window on COM 2, with the simulated meter behind it when a test starts one.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        Dialogs::Install(&dialogs);
        RegisterWindows(ProgramLink());
    }
    void TearDown() override {
        ResetProgramState();
        if (meter) meter->Stop();
    }

    // The main window's controls, by name.
    static QString Text(const char* label) { return Child<QLabel>(Forms::Find("Panel"), label)->text(); }
    static bool Hidden(const char* control) { return Child<QWidget>(Forms::Find("Panel"), control)->isHidden(); }
    static Toolbar* Bar(const QWidget* window) { return Child<Toolbar>(window, "Toolbar1"); }

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
        EXPECT_TRUE(PumpUntil([&] { return Text("LblT1") == t1; })) << Text("LblT1").toStdString();
        return panel;
    }

    // The main window with a reading, the clock standing at `clock` and the sampling clock
    // driven by the test; the running schedule has taken the sample of this second.
    Panel* OpenPanelAtTime(FakeClock& clock, std::vector<std::string> args, const char* t1) {
        Clock::Install(&clock);
        Panel* panel = OpenPanelWithReading(std::move(args), t1);
        Child<QTimer>(panel, "Timer2")->stop();
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
        Bar(panel)->Trigger("PC");
        EXPECT_EQ(ProgramLink().SamplingSeconds(), c.expected) << c.typed.toStdString();
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
    Bar(panel)->Trigger("Save");
    ASSERT_TRUE(ProgramLink().Recording());
    EXPECT_EQ(Bar(panel)->ButtonTooltip("Save"), "Stop Recording");
    EXPECT_EQ(Text("LblFileName"), "run1.txt");

    // The schedule took its sample of 14:03:07 before the recording started; it runs on and the
    // recording begins with the next one.
    for (int second = 0; second < 5; ++second) {  // 14:03:07 .. 14:03:11, one tick a second
        panel->Timer2_Timer();
        clock.Advance(1);
    }
    EXPECT_EQ(Text("LblCount"), "2");
    EXPECT_EQ(Text("LblRec"), "Rec");
    Bar(panel)->Trigger("Save");
    EXPECT_FALSE(ProgramLink().Recording());
    EXPECT_EQ(Bar(panel)->ButtonTooltip("Save"), "Save As");
    EXPECT_EQ(Text("LblFileName"), "");
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
    Bar(panel)->Trigger("Save");
    // The sample of 23:59:58 was taken before the recording started; the next one is due at
    // 86400, which a clock of the day never shows: it must come at midnight.
    clock.Advance(2);
    panel->Timer2_Timer();  // 00:00:00
    EXPECT_EQ(Text("LblCount"), "1");
    MeterReading()->MeterOnline = false;
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_FALSE(ProgramLink().Recording());
    EXPECT_EQ(Text("LblCount"), "");
    EXPECT_EQ(Text("LblFileName"), "");
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
    dialogs.QueueAnswer(true);  // it exists: replace it
    Bar(panel)->Trigger("Save");
    ASSERT_TRUE(ProgramLink().Recording());
    Bar(panel)->Trigger("List");
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_FALSE(ProgramLink().Recording());
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].contains("No space left on device"));
    EXPECT_EQ(Bar(panel)->ButtonTooltip("Save"), "Save As");
    // The real-time list still shows the sample that the file refused.
    auto* list = Forms::FindAs<ListWindow>("List1");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ListGrid().RowText(1, '|'), "1|10:00:02|20.0|C");
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

// A clock that moves on by a millisecond each time it is read, as a real one may between two
// reads of one tick.
class SteppingClock : public FakeClock {
public:
    QTime TimeOfDay() const override {
        const QTime now = FakeClock::TimeOfDay();
        const_cast<SteppingClock*>(this)->Advance(0.001);
        return now;
    }
};

// The sample due at midnight is stamped 00:00:00, not with the second before.
TEST_F(PanelTest, SampleTimeAndDueSecondComeFromOneReadingOfTheClock) {
    Panel* panel = OpenPanelWithReading({"--channels", "1", "--t1", "20.0"}, "20.0");
    Child<QTimer>(panel, "Timer1")->stop();
    Child<QTimer>(panel, "Timer2")->stop();
    SteppingClock clock;
    Clock::Install(&clock);
    clock.SetSeconds(86399.999);
    dialogs.QueueInput("1");
    Bar(panel)->Trigger("PC");  // the next sample is due at midnight
    Bar(panel)->Trigger("List");
    clock.SetSeconds(86399.999);
    for (int tick = 0; tick < 3; ++tick) panel->Timer2_Timer();
    auto* list = Forms::FindAs<ListWindow>("List1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ListGrid().Rows(), 2);
    EXPECT_EQ(list->ListGrid().RowText(1, '|'), "1|00:00:00|20.0|C");
}

// The real-time list as the sampling clock feeds it: a row per sample, a pause on a lost link,
// and the window closed when the meter changes its channel mode.
TEST_F(PanelTest, SamplingClockFeedsTheRealTimeList) {
    FakeClock clock(9, 0, 0);
    Panel* panel = OpenPanelAtTime(clock, {"--channels", "2", "--t1", "OL", "--t2", "21.0"}, "OL");
    Bar(panel)->Trigger("List");
    auto* list = Forms::FindAs<ListWindow>("List2");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE((ProgramLink().ListState() == RealTimeList::State::Running));
    Bar(panel)->Trigger("List");  // a second press neither clears nor restarts it
    for (int i = 0; i < 3; ++i) {
        clock.Advance(2);
        panel->Timer2_Timer();
    }
    ASSERT_EQ(list->ListGrid().Rows(), 4);
    EXPECT_EQ(list->ListGrid().RowText(3, '|'), "3|09:00:06|OL|21.0|OL|C");

    MeterReading()->MeterOnline = false;  // the link goes: one more row, then the list pauses
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_EQ(list->ListGrid().Rows(), 5);
    EXPECT_FALSE((ProgramLink().ListState() == RealTimeList::State::Running));
    EXPECT_EQ(Bar(list)->ButtonTooltip("Pause"), "Start");
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_EQ(list->ListGrid().Rows(), 5);

    MeterReading()->MeterOnline = true;
    list->Toolbar1_ButtonClick("Pause");
    ASSERT_TRUE((ProgramLink().ListState() == RealTimeList::State::Running));
    MeterReading()->DualChannel = false;
    clock.Advance(2);
    panel->Timer2_Timer();
    EXPECT_FALSE((ProgramLink().ListState() == RealTimeList::State::Running));
    EXPECT_EQ(Sampling::State().List().RowCount(), 0);
    EXPECT_EQ(Forms::Find("List2"), nullptr);
}

// The sampling tick closes the statistics window when the meter changes its channel mode; "AVG"
// and "Graph" open their windows for the meter as it is.
TEST_F(PanelTest, ToolbarOpensStatisticsAndGraphAndTheTickClosesStatistics) {
    FakeClock clock(9, 0, 0);
    Panel* panel = OpenPanelAtTime(clock, {"--channels", "2", "--t1", "25.0", "--t2", "21.0"}, "25.0");
    Bar(panel)->Trigger("AVG");
    Bar(panel)->Trigger("Graph");
    ASSERT_TRUE(Forms::IsShown("AVG2"));
    EXPECT_TRUE(Forms::IsShown("RealTime23"));
    MeterReading()->DualChannel = false;
    clock.Advance(2);
    panel->Timer2_Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Find("AVG2"), nullptr);
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
    FakeClock clock(9, 0, 0);
    Panel* panel = OpenPanelAtTime(clock, {"--channels", "2"}, "23.5");
    Child<QTimer>(panel, "Timer1")->stop();
    MeterReading()->MeterOnline = false;
    for (const char* key : {"List", "AVG", "Memory", "Save"}) Bar(panel)->Trigger(key);
    for (const char* window : {"List2", "AVG2", "Memory"}) EXPECT_EQ(Forms::Find(window), nullptr) << window;
    EXPECT_TRUE(dialogs.Calls().empty());
    EXPECT_FALSE(ProgramLink().Recording());

    MeterReading()->MeterOnline = true;
    const auto run = std::filesystem::path(ports.Path()) / "run1";
    dialogs.QueueFile(QString::fromStdString(run.string()));
    Bar(panel)->Trigger("Save");
    ASSERT_TRUE(ProgramLink().Recording());
    clock.Advance(2);
    panel->Timer2_Timer();
    Bar(panel)->Trigger("Open");
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"Recording Mode!\n\rPlease stop recording!"});
    EXPECT_TRUE(ProgramLink().Recording());

    Bar(panel)->Trigger("Save");  // stop
    dialogs.QueueFile(QString::fromStdString(run.string()));
    Bar(panel)->Trigger("Open");
    auto* files = Forms::FindAs<ListWindow>("FileList2");
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->Caption(), "run1.txt");
    EXPECT_EQ(files->ListGrid().Rows(), 2);
}

}  // namespace

#include "PanelTest.moc"

namespace {

// A meter whose T1 steps by one each second, recorded every 4 s: the sampling-interval box opened
// from the toolbar, a logger download (polling held, sampling not) and the seconds before No COM
// never record a reading twice under new times. A reading older than 3 s is not recorded at all,
// so with 4 s between samples any two records come from frames at least a second apart.
TEST_F(PanelTest, OldReadingsAreNeverRecordedAgain) {
    QTemporaryDir dir;
    QFile script(dir.filePath("steps.txt"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    for (int second = 1; second <= 60; ++second) script.write(QByteArray::number(second) + " t1 " + QByteArray::number(second) + "\n");
    script.close();
    Panel* panel = OpenPanelWithReading({"--channels", "1", "--t1", "0", "--script", script.fileName().toStdString(),
                                         "--sets", "1:600", "--baud", "9600", "--silent-after", "24"},
                                        "0.0");
    ASSERT_NE(panel, nullptr);
    Sampling::State().IntervalChosen(4, Clock::Current().SecondsSinceMidnight());
    const QString file = dir.filePath("steps-recorded");
    dialogs.QueueFile(file);
    Bar(panel)->Trigger("Save");
    ASSERT_TRUE(ProgramLink().Recording());

    // The box stays open for 4 s.
    dialogs.SetOnCall([](const DialogCall& call) {
        if (call.kind == DialogCall::Kind::Input) PumpUntil([] { return false; }, 4);
    });
    dialogs.QueueInput("4");
    QTimer::singleShot(1000, panel, [panel] { Bar(panel)->Trigger("PC"); });
    PumpUntil([] { return false; }, 7);
    dialogs.SetOnCall({});
    Bar(panel)->Trigger("Memory");
    Forms::Unload("Memory");
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Recording(); }, 40)) << "the lost link ends the recording";

    QStringList records = QString::fromStdString(FileText((file + ".txt").toStdString())).split("\r\n", Qt::SkipEmptyParts).mid(1);
    ASSERT_GE(records.size(), 3) << records.join('|').toStdString();
    int longestStep = 0;
    for (qsizetype i = 1; i < records.size(); ++i) {
        const QStringList before = records[i - 1].split('\t'), after = records[i].split('\t');
        EXPECT_EQ(after[0].toInt(), i + 1) << "numbered on";
        EXPECT_NE(after[2], before[2]) << records.join('|').toStdString();
        const int step = QTime::fromString(before[1], "HH:mm:ss").secsTo(QTime::fromString(after[1], "HH:mm:ss"));
        longestStep = std::max(longestStep, (step + 86400) % 86400);
    }
    EXPECT_GE(longestStep, 8) << "the download shows as a gap: " << records.join('|').toStdString();
}

}  // namespace
