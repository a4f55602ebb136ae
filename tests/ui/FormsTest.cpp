#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include "ProgramState.h"
#include "ui/EventPump.h"
#include "ui/FormWindow.h"
#include "ui/Forms.h"
#include "ui/Twips.h"
#include "ui/WindowFrame.h"

namespace {

// A window that counts its life events and holds state that a fresh window must not have.
class CountingForm : public FormWindow {
public:
    explicit CountingForm(const QString& name) : FormWindow(name) {
        timer = new QTimer(this);
        timer->setInterval(5);
    }
    int loads = 0;
    int unloads = 0;
    int rows = 0;
    bool refuseUserClose = false;
    QTimer* timer;

protected:
    void Load() override {
        ++loads;
        timer->start();
    }
    void Unload() override { ++unloads; }
    bool QueryUnload(bool byUser) override { return !(byUser && refuseUserClose); }
};

void DeleteLaterObjects() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class FormsTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        Forms::Register("List2", [] { return new CountingForm("List2"); });
        Forms::Register("Plain", [] { return new QLabel("plain"); });
    }
    void TearDown() override { ResetProgramState(); }
};

TEST_F(FormsTest, GetCreatesAndLoadsOnceFindNeverCreates) {
    EXPECT_EQ(Forms::Find("List2"), nullptr);
    EXPECT_EQ(Forms::Get("Nowhere"), nullptr);
    auto* form = Forms::GetAs<CountingForm>("List2");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->loads, 1);
    EXPECT_EQ(form->objectName(), "List2");
    EXPECT_EQ(Forms::Get("List2"), form);
    EXPECT_EQ(Forms::Find("List2"), form);
    EXPECT_FALSE(Forms::IsShown("List2"));
    Forms::Show("List2");
    EXPECT_TRUE(Forms::IsShown("List2"));
    EXPECT_EQ(form->loads, 1) << "showing a loaded window does not load it again";
}

TEST_F(FormsTest, UnloadDestroysAndAReopenedWindowStartsFresh) {
    auto* first = Forms::GetAs<CountingForm>("List2");
    first->rows = 42;
    Forms::Show("List2");
    QPointer<CountingForm> watch(first);
    Forms::Unload("List2");
    EXPECT_EQ(first->unloads, 1);
    EXPECT_FALSE(first->timer->isActive()) << "an unloaded window's timers must not fire";
    EXPECT_EQ(Forms::Find("List2"), nullptr);
    EXPECT_FALSE(Forms::IsShown("List2"));
    DeleteLaterObjects();
    EXPECT_TRUE(watch.isNull());

    auto* second = Forms::GetAs<CountingForm>("List2");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->rows, 0);
    EXPECT_EQ(second->loads, 1);
    Forms::Unload("Never loaded");  // harmless
}

TEST_F(FormsTest, UserCloseLeavesTheRegistryConsistent) {
    auto* form = Forms::GetAs<CountingForm>("List2");
    Forms::Show("List2");
    QPointer<CountingForm> watch(form);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(form->unloads, 1);
    EXPECT_EQ(Forms::Find("List2"), nullptr);
    EXPECT_FALSE(Forms::LoadedNames().contains("List2"));
    DeleteLaterObjects();
    EXPECT_TRUE(watch.isNull());
    EXPECT_NE(Forms::Get("List2"), nullptr);
}

TEST_F(FormsTest, RefusedCloseKeepsTheWindow) {
    auto* form = Forms::GetAs<CountingForm>("List2");
    form->refuseUserClose = true;
    Forms::Show("List2");
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(Forms::IsShown("List2"));
    EXPECT_EQ(form->unloads, 0);
    Forms::Unload("List2");  // the program's own unload is not a user close
    EXPECT_EQ(Forms::Find("List2"), nullptr);
    EXPECT_EQ(form->unloads, 1);
}

TEST_F(FormsTest, WindowMayUnloadItselfFromItsOwnHandler) {
    auto* form = Forms::GetAs<CountingForm>("List2");
    QPointer<CountingForm> watch(form);
    QObject::connect(form->timer, &QTimer::timeout, form, [] { Forms::Unload("List2"); });
    Forms::Show("List2");
    for (int i = 0; i < 500 && Forms::Find("List2"); ++i) EventPump::Delay(0.01);
    EXPECT_EQ(Forms::Find("List2"), nullptr);
    DeleteLaterObjects();
    EXPECT_TRUE(watch.isNull());
}

TEST_F(FormsTest, PlainWidgetsAndUnloadAll) {
    QPointer<QWidget> plain = Forms::Show("Plain");
    ASSERT_FALSE(plain.isNull());
    Forms::Get("List2");
    EXPECT_EQ(Forms::LoadedNames().size(), 2);
    plain->close();
    DeleteLaterObjects();
    EXPECT_TRUE(plain.isNull());
    EXPECT_EQ(Forms::Find("Plain"), nullptr);
    Forms::UnloadAll();
    EXPECT_TRUE(Forms::LoadedNames().isEmpty());
}

TEST(FormWindow, CaptionSizeAndPlacementInTwips) {
    CountingForm form("Port");
    form.SetCaption("COM Port");
    EXPECT_EQ(form.Caption(), "COM Port");
    form.SetClientSizeTwips(3660, 1605);
    EXPECT_EQ(form.size(), Twips::Size(3660, 1605));
    form.MoveTwips(1440, 720);
    EXPECT_EQ(form.pos(), Twips::Point(1440, 720));
    form.CentreOnScreen();
    const QRect screen = form.screen()->geometry();
    EXPECT_NEAR(form.LeftPx() - screen.left(), screen.right() - form.frameGeometry().right(), 1);
    EXPECT_NEAR(form.TopPx() - screen.top(), screen.bottom() - form.frameGeometry().bottom(), 1);
    EXPECT_EQ(form.loads, 0);
    form.show();
    EXPECT_EQ(form.loads, 1) << "showing a window made without Forms loads it";
    form.hide();
}

// A window is placed by its frame; where it would reach past the screen's free area it moves
// just enough to lie on it, also when it grows between its placing and its showing.
TEST(FormWindow, PlacedFramesStayOnTheScreen) {
    ResetProgramState();
    const QMargins frame(1, 20, 1, 5);
    WindowFrame::Install(frame);
    CountingForm form("Graph");
    form.resize(300, 200);
    const QRect free = form.screen()->availableGeometry();
    const QSize outer(302, 225);
    struct Case {
        QPoint wanted, frameAt;
    };
    const Case cases[] = {
        {free.topLeft() + QPoint(10, 10), free.topLeft() + QPoint(10, 10)},
        {free.topLeft(), free.topLeft()},
        {QPoint(free.right() - 100, free.top()), QPoint(free.right() + 1 - outer.width(), free.top())},
        {QPoint(free.left() - 50, free.bottom()), QPoint(free.left(), free.bottom() + 1 - outer.height())},
    };
    for (const Case& c : cases) {
        form.MovePx(c.wanted.x(), c.wanted.y());
        EXPECT_EQ(form.pos(), c.frameAt + QPoint(1, 20)) << c.wanted.x() << "," << c.wanted.y();
        EXPECT_EQ(QPoint(form.LeftPx(), form.TopPx()), c.frameAt);
    }
    form.MovePx(free.right() - 350, free.top());
    form.resize(400, 200);
    form.show();
    EXPECT_EQ(form.LeftPx() + form.WidthPx(), free.right() + 1) << "grown before it showed";
    EXPECT_EQ(form.size(), QSize(400, 200));
    form.hide();
    ResetProgramState();
}

}  // namespace
