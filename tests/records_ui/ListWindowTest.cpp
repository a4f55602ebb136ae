#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <algorithm>

#include "ListFixture.h"
#include "ui/Toolbar.h"

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
    Panel* panel = OpenPanelWithTimers(false, false);
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

TEST_F(ListWindowTest, PauseAndResumeFollowTheMeterLink) {
    ListWindow* list = OpenList(true);
    Toolbar* bar = Child<Toolbar>(list, "Toolbar1");
    ProgramLink().ListOpened(ProgramLink().Reading().DualChannel);
    MeterReading()->MeterOnline = true;
    list->AddSampleRow(SampleRow(1));

    bar->Trigger("Pause");
    EXPECT_FALSE((ProgramLink().ListState() == RealTimeList::State::Running));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");
    EXPECT_EQ(bar->ButtonIcon("Pause").cacheKey(), bar->ButtonIcon("Start").cacheKey());
    EXPECT_EQ(list->ListGrid().Rows(), 2) << "rows already shown stay";

    // Offline and paused: the button does nothing.
    MeterReading()->MeterOnline = false;
    bar->Trigger("Pause");
    EXPECT_FALSE((ProgramLink().ListState() == RealTimeList::State::Running));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");

    MeterReading()->MeterOnline = true;
    bar->Trigger("Pause");
    EXPECT_TRUE((ProgramLink().ListState() == RealTimeList::State::Running));
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Pause");
    EXPECT_EQ(bar->ButtonIcon("Pause").cacheKey(), bar->ButtonIcon("Run").cacheKey());
    EXPECT_NE(bar->ButtonIcon("Pause").cacheKey(), bar->ButtonIcon("Start").cacheKey());

    // A lost link pauses the list from the sampling tick; the button then offers to start.
    list->ShowPaused();
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");
}

// List1 paused by a lost link, a two-channel meter back, "List": the two-channel list is the
// one that runs, and closing the old one does not stop it.
TEST_F(ListWindowTest, TheListOfTheOtherChannelModeTakesOver) {
    Panel* panel = OpenPanelWithTimers(false, false);
    ASSERT_NE(panel, nullptr);
    MeterReading()->MeterOnline = true;
    Child<Toolbar>(panel, "Toolbar1")->Trigger("List");
    ASSERT_TRUE(Forms::IsShown("List1"));
    Sampling::State().List().Take("10:00:00\t20.0\tC", false, false, false);  // the link is lost
    ASSERT_FALSE((ProgramLink().ListState() == RealTimeList::State::Running));

    MeterReading()->DualChannel = true;
    Child<Toolbar>(panel, "Toolbar1")->Trigger("List");
    ListWindow* list2 = Forms::FindAs<ListWindow>("List2");
    ASSERT_NE(list2, nullptr);
    if (QWidget* list1 = Forms::Find("List1")) list1->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE((ProgramLink().ListState() == RealTimeList::State::Running)) << "List2 takes rows";
    const RealTimeList::Step step = Sampling::State().List().Take("10:00:02\t20.0\t21.0\t-1.0\tC", true, true, true);
    EXPECT_TRUE(step.add);
    Toolbar* bar = Child<Toolbar>(list2, "Toolbar1");
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Pause");
    bar->Trigger("Pause");
    EXPECT_FALSE((ProgramLink().ListState() == RealTimeList::State::Running)) << "and its button pauses it";
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");
}

TEST_F(ListWindowTest, ClosingEndsTheListAndReopeningStartsEmpty) {
    for (bool dual : {true, false}) {
        SCOPED_TRACE(dual ? "List2" : "List1");
        ListWindow* list = OpenList(dual);
        list->show();
        list->AddSampleRow(SampleRow(1));
        ProgramLink().ListOpened(ProgramLink().Reading().DualChannel);

        list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE((ProgramLink().ListState() == RealTimeList::State::Running));
        EXPECT_EQ(Sampling::State().List().RowCount(), 0);
        EXPECT_EQ(Forms::Find(dual ? "List2" : "List1"), nullptr);
        EXPECT_EQ(OpenList(dual)->ListGrid().Rows(), 1);
    }
}

TEST_F(ListWindowTest, SaveWhileRecordingOnlyShowsTheMessage) {
    ListWindow* list = OpenList(false);
    list->AddSampleRow("1\t09:05:03\t23.5\tC");
    ASSERT_TRUE(Sampling::State().Recorder().Start(TempPath("rec.txt").toStdString(), false));
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
    ProgramLink().ListOpened(ProgramLink().Reading().DualChannel);

    dialogs.QueueFileCancel();
    Child<Toolbar>(list, "Toolbar1")->Trigger("Save");
    EXPECT_TRUE(QDir(home.path() + "/Documents/TQ36").isEmpty());

    dialogs.QueueFile(TempPath("saved"));
    Child<Toolbar>(list, "Toolbar1")->Trigger("Save");
    EXPECT_EQ(ReadAll(TempPath("saved.txt")),
              "No.s    Time            T1      T2      T1-T2   Unit\r\n1\t09:05:03\t23.5\tC\t\r\n");
    EXPECT_FALSE(ProgramLink().SavePathChosen());
    EXPECT_TRUE((ProgramLink().ListState() == RealTimeList::State::Running));
    EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
