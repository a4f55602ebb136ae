#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

#include "FakeClock.h"
#include "PrintedPages.h"
#include "ProgramState.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "Widgets.h"
#include "meter/Meter.h"
#include "stats/StatisticsState.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "windows/stats/AvgWindow.h"
#include "app/Windows.h"
#include "windows/stats/StatisticsCommands.h"

namespace {

const Reading Over = Reading::Mark(Reading::Kind::Over);
const Reading Under = Reading::Mark(Reading::Kind::Under);
const Reading NoReading = Reading::Mark(Reading::Kind::NoReading);
Reading N(double value) { return Reading::Number(value); }

// One channel of one twin: its place among T1, T2, T1-T2 and its labels (max, time, min, time, avg).
struct ChannelCase {
    bool dual;
    int index;
    const char* labels[5];
};
const ChannelCase T1Of2{true, 0, {"LblT1Max", "LblT1MaxTime", "LblT1Min", "LblT1MinTime", "LblT1Avg"}};
const ChannelCase T2Of2{true, 1, {"LblT2Max", "LblT2MaxTime", "LblT2Min", "LblT2MinTime", "LblT2Avg"}};
const ChannelCase T1T2Of2{
    true, 2, {"LblT1T2Max", "LblT1T2MaxTime", "LblT1T2Min", "LblT1T2MinTime", "LblT1T2Avg"}};
const ChannelCase T1Of1{false, 0, {"LblMax", "LblMaxTime", "LblMin", "LblMinTime", "LblAVG"}};

// An online meter in C with a type K thermocouple reading 0.0 everywhere; the clock at 10:00:00.
class AvgWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        Dialogs::Install(&dialogs);
        Clock::Install(&clock);
        clock.Set(10, 0, 0);
        for (bool dual : {false, true})
            Forms::Register(AvgWindow::NameOf(dual),
                            [dual] { return new AvgWindow(ProgramLink(), ProgramShared().statistics, dual); });
        CurrentReading meter = ProgramLink().Reading();
        meter.MeterOnline = true;
        meter.UnitText = "C";
        meter.ThermocoupleType = "K";
        ProgramLink().ReadingArrived(meter);
        Set(0, N(0.0));
    }
    void TearDown() override { ResetProgramState(); }

    static AvgWindow* Open(bool dual) {
        MeterReading()->DualChannel = dual;
        OpenStatistics(ProgramLink(), ProgramShared().statistics);
        return Forms::FindAs<AvgWindow>(AvgWindow::NameOf(dual));
    }
    // `sample` on one channel in every unit, 0.0 on the others.
    static void Set(int index, const Reading& sample) {
        CurrentReading m = ProgramLink().Reading();
        Reading* units[3][3] = {
            {&m.T1C, &m.T1F, &m.T1K}, {&m.T2C, &m.T2F, &m.T2K}, {&m.T1T2C, &m.T1T2F, &m.T1T2K}};
        for (int channel = 0; channel < 3; ++channel) {
            for (Reading* field : units[channel]) *field = channel == index ? sample : N(0.0);
        }
        ProgramLink().ReadingArrived(m);
    }
    // The link's beat of a second, at the clock's time, with the reading it holds.
    void Beat() {
        ProgramLink().BeatArrived({clock.TimeText().toStdString(), ProgramLink().Reading()});
    }
    // One beat a second later per sample.
    void Ticks(int index, const std::vector<Reading>& samples) {
        for (const Reading& sample : samples) {
            clock.Advance(1);
            Set(index, sample);
            Beat();
        }
    }
    static QString Text(const QWidget* window, const char* name) {
        return Child<QLabel>(window, name)->text();
    }
    static QStringList Shown(const QWidget* window, const ChannelCase& c) {
        QStringList texts;
        for (const char* name : c.labels) texts << Text(window, name);
        return texts;
    }
    static QPushButton* StartStop(const QWidget* window) {
        return Child<QPushButton>(window, "CmdStartStop");
    }
    static const StatisticsState& State() { return ProgramShared().statistics; }

    ScriptedDialogs dialogs;
    FakeClock clock;
};

TEST_F(AvgWindowTest, OpensBesideTheMainWindowAndGathers) {
    Forms::Register("Panel", [] { return new FormWindow("Panel"); });
    auto* panel = static_cast<FormWindow*>(Forms::Show("Panel"));
    panel->setGeometry(40, 60, 300, 200);
    for (bool dual : {true, false}) {
        SCOPED_TRACE(dual ? "AVG2" : "AVG1");
        AvgWindow* window = Open(dual);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->LeftPx(), panel->LeftPx() + panel->WidthPx());
        EXPECT_EQ(window->TopPx(), panel->TopPx());
        EXPECT_EQ(
            QStringList({Text(window, "LblUnit"), Text(window, "LblType"), Text(window, "LblStartTime")}),
            QStringList({"C", "K", "10:00:00"}));
        EXPECT_TRUE(window->TicksEnabled());
        EXPECT_TRUE(State().AvgWindowOpen() && State().AvgRunning());
        EXPECT_EQ(State().UnitTextAtStart(), "C");
        EXPECT_EQ(ProgramLink().ChannelModeAtStart(), dual);

        MeterReading()->DualChannel = !dual;
        OpenStatistics(ProgramLink(), ProgramShared().statistics);
        EXPECT_EQ(Forms::Find(AvgWindow::NameOf(!dual)), nullptr) << "one statistics window at a time";
        Forms::Unload(window->Name());
        EXPECT_FALSE(State().AvgWindowOpen() || State().AvgRunning());
    }
    MeterReading()->MeterOnline = false;
    OpenStatistics(ProgramLink(), ProgramShared().statistics);
    EXPECT_EQ(Forms::LoadedNames(), QStringList({"Panel"}));
}

// Ticks at 10:00:01, 10:00:02 ... on each channel of both twins.
TEST_F(AvgWindowTest, SequencesOfSamples) {
    const struct {
        const char* name;
        std::vector<Reading> samples;
        QStringList shown;
    } cases[] = {
        {"first sample", {N(21.5)}, {"21.5", "10:00:01", "21.5", "10:00:01", "21.5"}},
        {"repeated maximum", {N(20.0), N(22.0), N(22.0)}, {"22.0", "10:00:03", "20.0", "10:00:01", "21.3"}},
        {"OL", {N(20.0), Over, N(25.0)}, {"OL", "10:00:02", "20.0", "10:00:01", "OL"}},
        {"-OL", {Under, N(5.0)}, {"5.0", "10:00:02", "-OL", "10:00:01", "OL"}},
        {"----", {N(20.0), NoReading, N(25.0), Over}, {"----", "10:00:02", "----", "10:00:02", "----"}},
    };
    for (const auto& c : cases) {
        for (const ChannelCase* channel : {&T1Of2, &T2Of2, &T1T2Of2, &T1Of1}) {
            SCOPED_TRACE(testing::Message() << c.name << " on " << channel->labels[0]);
            clock.Set(10, 0, 0);
            AvgWindow* window = Open(channel->dual);
            Ticks(channel->index, c.samples);
            EXPECT_EQ(Shown(window, *channel), c.shown);
            Forms::Unload(window->Name());
        }
    }
}

// A screen reader reads each value as shown, and what it is from its description.
TEST_F(AvgWindowTest, ScreenReadersReadTheValuesAndTheirMeaning) {
    struct Case {
        bool dual;
        const char* label;
        QString read;
        QString meaning;
    };
    const Case cases[] = {
        {true, "LblT1Max", "300.0", "T1 Maximum"}, {true, "LblT1MaxTime", "10:00:01", "T1 Maximum time"},
        {true, "LblT2Min", "0.0", "T2 Minimum"},   {true, "LblT1T2Avg", "0.0", "T1-T2 Average"},
        {true, "LblUnit", "C", "Unit"},            {false, "LblMin", "300.0", "Minimum"},
        {false, "LblStartTime", "10:00:00", "Start Time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        clock.Set(10, 0, 0);
        AvgWindow* window = Open(c.dual);
        Ticks(0, {N(300.0)});
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(Child<QLabel>(window, c.label));
        ASSERT_NE(spoken, nullptr);
        EXPECT_EQ(spoken->text(QAccessible::Name), c.read);
        EXPECT_EQ(spoken->text(QAccessible::Description), c.meaning);
        Forms::Unload(window->Name());
    }
}

TEST_F(AvgWindowTest, StopKeepsTheValuesAndStartBeginsAfresh) {
    for (const ChannelCase* t1 : {&T1Of2, &T1Of1}) {
        clock.Set(10, 0, 0);
        AvgWindow* window = Open(t1->dual);
        Ticks(0, {N(21.5), N(23.5)});
        clock.Set(10, 0, 5);
        StartStop(window)->click();
        Ticks(0, {N(99.0)});
        EXPECT_EQ(StartStop(window)->text(), "Start");
        EXPECT_EQ(Text(window, "LblStopTime"), "10:00:05");
        EXPECT_EQ(Text(window, "LblCurrentTime"), "10:00:06");
        EXPECT_EQ(Shown(window, *t1), QStringList({"23.5", "10:00:02", "21.5", "10:00:01", "22.5"}));

        clock.Set(10, 1, 0);
        StartStop(window)->click();
        EXPECT_EQ(StartStop(window)->text(), "Stop");
        EXPECT_EQ(QStringList({Text(window, "LblStartTime"), Text(window, "LblStopTime")}),
                  QStringList({"10:01:00", ""}));
        EXPECT_EQ(Shown(window, *t1), QStringList({"", "10:00:02", "", "10:00:01", ""}));
        Ticks(0, {N(5.0)});
        EXPECT_EQ(Shown(window, *t1), QStringList({"5.0", "10:01:01", "5.0", "10:01:01", "5.0"}));
        Forms::Unload(window->Name());
    }
}

TEST_F(AvgWindowTest, GathersInTheUnitOfTheStart) {
    for (const ChannelCase* t1 : {&T1Of2, &T1Of1}) {
        MeterReading()->UnitText = "F";
        AvgWindow* window = Open(t1->dual);
        {
            ReadingChange meter;
            meter->UnitText = "C";
            meter->T1F = N(86.0), meter->T1C = N(30.0), meter->T1K = N(303.2);
        }
        Beat();
        EXPECT_EQ(Text(window, t1->labels[0]), "86.0");
        // Only the two-channel twin takes the meter's present unit at a new Start.
        StartStop(window)->click();
        StartStop(window)->click();
        Beat();
        EXPECT_EQ(Text(window, t1->labels[0]), t1->dual ? "30.0" : "86.0");
        EXPECT_EQ(Text(window, "LblUnit"), t1->dual ? "C" : "F");
        Forms::Unload(window->Name());
    }
}

TEST_F(AvgWindowTest, ChannelChangeClosesTwoChannelsAndStopsOne) {
    QPointer<AvgWindow> dual = Open(true);
    MeterReading()->DualChannel = false;
    Beat();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dual.isNull());
    EXPECT_FALSE(State().AvgWindowOpen() || State().AvgRunning());

    AvgWindow* single = Open(false);
    Ticks(0, {N(21.5)});
    MeterReading()->DualChannel = true;
    Ticks(0, {N(40.0), N(40.0)});
    EXPECT_TRUE(Forms::IsShown("AVG1"));
    EXPECT_FALSE(State().AvgWindowOpen() || State().AvgRunning());
    EXPECT_EQ(Shown(single, T1Of1), QStringList({"21.5", "10:00:01", "21.5", "10:00:01", "21.5"}));
    EXPECT_EQ(Text(single, "LblCurrentTime"), "10:00:03");
}

// The one-channel window stopped by a change to two channels, Start pressed on it, then AVG on
// the main window: the two-channel window takes over alone and gathers from its own start.
TEST_F(AvgWindowTest, AvgAfterAChannelChangeOpensOneWindowThatGathersAlone) {
    QPointer<AvgWindow> single = Open(false);
    Ticks(0, {N(20.0)});
    MeterReading()->DualChannel = true;
    Ticks(0, {N(20.0)});
    StartStop(single)->click();
    Ticks(0, {N(20.0)});

    AvgWindow* dual = Open(true);
    ASSERT_NE(dual, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(single.isNull()) << "one statistics window at a time";
    EXPECT_TRUE(State().AvgWindowOpen() && State().AvgRunning());
    for (int tick = 0; tick < 3; ++tick) {
        clock.Advance(1);
        Set(0, N(20.0));
        Beat();
    }
    EXPECT_EQ(Shown(dual, T1Of2), QStringList({"20.0", "10:00:06", "20.0", "10:00:06", "20.0"}));
}

// A tick that the channel change refuses takes no sample, so it does not weigh in the average
// when gathering goes on (the gathering flags are the program's, not the window's).
TEST_F(AvgWindowTest, RefusedTickIsNotCounted) {
    AvgWindow* single = Open(false);
    MeterReading()->DualChannel = true;
    Ticks(0, {N(20.0)});
    ASSERT_FALSE(State().AvgRunning());
    MeterReading()->DualChannel = false;
    ProgramShared().statistics.WindowOpened();
    Ticks(0, {N(20.0), N(15.0)});
    EXPECT_EQ(Text(single, "LblAVG"), "17.5");
}

TEST_F(AvgWindowTest, SamplingTickClosesStatisticsOfTheOtherChannelMode) {
    for (bool dualAtOpen : {true, false}) {
        for (bool dualNow : {true, false}) {
            SCOPED_TRACE(testing::Message() << "opened dual " << dualAtOpen << ", now dual " << dualNow);
            const QString name = Open(dualAtOpen)->Name();
            MeterReading()->DualChannel = dualNow;
            MeterLink::Sample sample;
            sample.reading = ProgramLink().Reading();
            sample.channelModeChanged = true;
            ProgramLink().SampleArrived(sample);
            EXPECT_EQ(Forms::Find(name) != nullptr, dualAtOpen == dualNow);
            Forms::Unload(name);
        }
    }
}

TEST_F(AvgWindowTest, TwoChannelWindowPrintsAsShown) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath("avg.pdf");
    AvgWindow* window = Open(true);
    dialogs.QueuePrintCancel();
    Child<Toolbar>(window, "Toolbar1")->Trigger("Print");
    EXPECT_FALSE(QFile::exists(pdf));
    Child<QLabel>(window, "LblT1T2Avg")->setText("-123.4");
    dialogs.QueuePrintToPdf(pdf);
    Child<Toolbar>(window, "Toolbar1")->Trigger("Print");
    // Its frames, captions and values as lines and text, not a picture of the screen.
    EXPECT_TRUE(PdfImageSizes(pdf).isEmpty());
    const QString text = PdfText(pdf);
    for (const char* shown : {"T1-T2", "Maximum", "Average", "Current Time", "-123.4", "Stop"})
        EXPECT_TRUE(text.contains(shown)) << shown;
}

// With the widest texts each shows, every control lies inside its parent and shows its text whole.
TEST_F(AvgWindowTest, EveryTextFitsItsControl) {
    for (bool dual : {true, false}) {
        AvgWindow* window = Open(dual);
        for (QLabel* label : window->findChildren<QLabel*>()) {
            const QString name = label->objectName();
            if (name.startsWith("Lbl"))
                label->setText(name.endsWith("Time") ? "00:00:00"
                               : name == "LblUnit"   ? "F"
                               : name == "LblType"   ? "N"
                                                     : "-2829.6");
        }
        StartStop(window)->setText("Start");
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(window)) continue;
            const auto* label = qobject_cast<QLabel*>(control);
            SCOPED_TRACE(testing::Message() << window->Name().toStdString() << " "
                                            << (label ? label->text().toStdString() : ""));
            EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()));
            if (label || qobject_cast<QPushButton*>(control)) {
                EXPECT_GE(control->width(), control->sizeHint().width());
                EXPECT_GE(control->height(), control->sizeHint().height());
            }
        }
        Forms::Unload(window->Name());
    }
}

}  // namespace
