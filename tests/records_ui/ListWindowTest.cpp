#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <algorithm>

#include "ListFixture.h"

namespace {

using ListWindowTest = ListFixture;

QString SampleRow(int n) { return QStringLiteral("%1\t12:00:%2\t20.0\t21.0\t-1.0\tC").arg(n).arg(n % 60, 2, 10, QChar('0')); }

struct LayoutCase {
    bool dual;
    const char* name;
    QStringList titles;
    QStringList visibleButtons;
};

TEST_F(ListWindowTest, ColumnsButtonsAndPlaceBesideTheMainWindow) {
    Panel* panel = OpenPanel();
    ASSERT_NE(panel, nullptr);
    panel->show();
    panel->MovePx(40, 30);
    const LayoutCase cases[] = {
        {true, "List2", {"No.s", "   Time", " T1", " T2", "T1-T2", "Unit"}, {"Save", "Pause", "Print"}},
        {false, "List1", {"No.s", "   Time", "Value", "Unit"}, {"Save", "Print"}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        ListWindow* list = OpenList(c.dual);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->objectName(), c.name);
        EXPECT_EQ(list->Caption(), "Real Time List");
        // Beside the main window as far as the screen allows, with the size it shows with.
        list->show();
        const QRect free = list->screen()->availableGeometry();
        EXPECT_EQ(list->LeftPx(),
                  std::min(panel->LeftPx() + panel->WidthPx(), free.right() + 1 - list->WidthPx()));
        EXPECT_EQ(list->TopPx(), panel->TopPx());

        Grid& grid = list->ListGrid();
        EXPECT_EQ(grid.objectName(), "Grid");
        EXPECT_EQ(grid.Rows(), 1);
        ASSERT_EQ(grid.Cols(), c.titles.size());
        for (int col = 0; col < grid.Cols(); ++col) EXPECT_EQ(grid.TextMatrix(0, col), c.titles[col]);
        QStringList visible;
        for (QAction* action : Child<Toolbar>(list, "Toolbar1")->actions()) {
            if (action->isVisible()) visible << action->objectName();
        }
        EXPECT_EQ(visible, c.visibleButtons);
    }
}

TEST_F(ListWindowTest, NewestRowStaysInViewFromTheSixteenthRowOn) {
    ListWindow* list = OpenList(true);
    list->show();
    Grid& grid = list->ListGrid();
    for (int n = 1; n <= ListWindow::RowsInView; ++n) {
        list->AddSampleRow(SampleRow(n));
        ASSERT_EQ(grid.Row(), n) << "the new row is the current row";
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.TopRow(), 1);

    for (int n = ListWindow::RowsInView + 1; n <= 40; ++n) {
        list->AddSampleRow(SampleRow(n));
        ASSERT_EQ(grid.Row(), n);
        QCoreApplication::processEvents();
        ASSERT_EQ(grid.TopRow(), n - ListWindow::RowsInView + 1) << n;
        const QRect newest = grid.visualRect(grid.model()->index(n - 1, 0));
        ASSERT_TRUE(grid.viewport()->rect().contains(newest)) << "row " << n << " out of view";
    }
    EXPECT_EQ(grid.TextMatrix(40, 0), "40");
    EXPECT_EQ(grid.TextMatrix(40, 4), "-1.0");

    // A burst of rows without events in between ends in the same place.
    for (int n = 41; n <= 100; ++n) list->AddSampleRow(SampleRow(n));
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.TopRow(), 100 - ListWindow::RowsInView + 1);
    EXPECT_TRUE(grid.viewport()->rect().contains(grid.visualRect(grid.model()->index(99, 0))));
}

// The Pause button shows the state the engine tells, whether the user or a lost meter brought the
// list there.
TEST_F(ListWindowTest, PauseAndResumeFollowTheMeterLink) {
    ASSERT_TRUE(StartLinkOnMeter());
    ListWindow* list = OpenListFromPanel();
    ASSERT_NE(list, nullptr);
    Toolbar* bar = Child<Toolbar>(list, "Toolbar1");
    ASSERT_TRUE(PumpUntil([&] { return list->ListGrid().Rows() > 1; })) << "the running list takes rows";
    EXPECT_TRUE(ListStateIs(RealTimeList::State::Running));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Pause");

    bar->Trigger("Pause");
    ASSERT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Paused); }));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");
    EXPECT_EQ(bar->ButtonIcon("Pause").cacheKey(), bar->ButtonIcon("Start").cacheKey());
    const int rows = list->ListGrid().Rows();
    SampleWatch watch;
    const MeterLink::Sample* sample = watch.SecondSampleFromNow();
    ASSERT_NE(sample, nullptr);
    EXPECT_FALSE(sample->list.add) << "a paused list takes no rows";
    EXPECT_EQ(list->ListGrid().Rows(), rows) << "rows already shown stay";

    bar->Trigger("Pause");
    ASSERT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Running); }));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Pause");
    EXPECT_EQ(bar->ButtonIcon("Pause").cacheKey(), bar->ButtonIcon("Run").cacheKey());
    EXPECT_NE(bar->ButtonIcon("Pause").cacheKey(), bar->ButtonIcon("Start").cacheKey());

    // The meter goes away: the sample that finds the link lost pauses the list, and the button
    // offers to start it again.
    meter->Stop();
    ASSERT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Paused); }));
    EXPECT_FALSE(ProgramLink().MeterOnline());
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");

    // Offline and paused: the button does nothing (the engine answers with the state it keeps).
    int told = 0;
    QObject context;
    QObject::connect(&ProgramLink(), &MeterLink::ListChanged, &context, [&told] { ++told; });
    bar->Trigger("Pause");
    ASSERT_TRUE(PumpUntil([&] { return told > 0; }));
    EXPECT_TRUE(ListStateIs(RealTimeList::State::Paused));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");

    // The meter is back (the engine reopens the port in its rhythm): the button resumes the list.
    ASSERT_TRUE(meter->Start());
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().MeterOnline(); }, 40));
    EXPECT_TRUE(ListStateIs(RealTimeList::State::Paused)) << "the list waits for the user";
    bar->Trigger("Pause");
    ASSERT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Running); }));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Pause");
}

// List1 paused by a lost link, a two-channel meter back, "List": the two-channel list is the
// one that runs, and the old one closing does not stop it.
TEST_F(ListWindowTest, TheListOfTheOtherChannelModeTakesOver) {
    ASSERT_TRUE(StartLinkOnMeter({"--channels", "1"}));
    ASSERT_NE(OpenListFromPanel(), nullptr);
    ASSERT_TRUE(Forms::IsShown("List1"));
    meter->Stop();
    ASSERT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Paused); }));

    meter.emplace(MeterCom, std::vector<std::string>{"--channels", "2"});
    ASSERT_TRUE(meter->Start());
    ASSERT_TRUE(
        PumpUntil([] { return ProgramLink().MeterOnline() && ProgramLink().Reading().DualChannel; }, 40));
    ListWindow* list2 = OpenListFromPanel();
    ASSERT_NE(list2, nullptr);
    EXPECT_EQ(list2->objectName(), "List2");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Find("List1"), nullptr);

    ASSERT_TRUE(PumpUntil([&] { return list2->ListGrid().Rows() > 1; })) << "List2 takes rows";
    EXPECT_EQ(list2->ListGrid().TextMatrix(1, 0), "1");
    EXPECT_TRUE(ListStateIs(RealTimeList::State::Running));
    Toolbar* bar = Child<Toolbar>(list2, "Toolbar1");
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Pause");
    bar->Trigger("Pause");
    EXPECT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Paused); }))
        << "and its button pauses it";
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");
}

TEST_F(ListWindowTest, ClosingEndsTheListAndReopeningStartsEmpty) {
    ASSERT_TRUE(StartLinkOnMeter());
    ListWindow* list = OpenListFromPanel();
    ASSERT_NE(list, nullptr);
    list->show();
    ASSERT_TRUE(PumpUntil([&] { return list->ListGrid().Rows() > 2; }));

    list->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Find("List2"), nullptr);
    SampleWatch watch;
    const MeterLink::Sample* sample = watch.SecondSampleFromNow();
    ASSERT_NE(sample, nullptr);
    EXPECT_FALSE(sample->list.add) << "the engine's list has ended";
    EXPECT_TRUE(ListStateIs(RealTimeList::State::Closed));

    list = OpenListFromPanel();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ListGrid().Rows(), 1);
    ASSERT_TRUE(PumpUntil([&] { return list->ListGrid().Rows() > 1; }));
    EXPECT_EQ(list->ListGrid().TextMatrix(1, 0), "1") << "the numbering starts again";
}

TEST_F(ListWindowTest, SaveWhileRecordingOnlyShowsTheMessage) {
    ASSERT_TRUE(StartLinkOnMeter());
    ProgramLink().StartRecording(TempPath("rec.txt").toStdString());
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().Recording(); }));
    ListWindow* list = OpenList(false);
    list->AddSampleRow("1\t09:05:03\t23.5\tC");
    dialogs.QueueFile(TempPath("never"));
    Child<Toolbar>(list, "Toolbar1")->Trigger("Save");
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, DialogCall::Kind::Message);
    EXPECT_EQ(dialogs.Calls()[0].text, "Aready in recording mode, close it and try again !");
    EXPECT_FALSE(QFileInfo::exists(TempPath("never.txt")));
    EXPECT_FALSE(QFileInfo::exists(TempPath("never")));
}

TEST_F(ListWindowTest, SaveButtonWritesTheChosenFileAndCancelWritesNothing) {
    ListWindow* list = OpenList(false);
    list->AddSampleRow("1\t09:05:03\t23.5\tC");

    dialogs.QueueFileCancel();
    Child<Toolbar>(list, "Toolbar1")->Trigger("Save");
    EXPECT_TRUE(QDir(home.path() + "/Documents/TQ36").isEmpty());

    dialogs.QueueFile(TempPath("saved"));
    Child<Toolbar>(list, "Toolbar1")->Trigger("Save");
    EXPECT_EQ(ReadAll(TempPath("saved.txt")),
              "No.s    Time            T1      T2      T1-T2   Unit\r\n1\t09:05:03\t23.5\tC\t\r\n");
    EXPECT_FALSE(ProgramLink().SavePathChosen());
    EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
