#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtMath>
#include <cmath>
#include <functional>

#include "FakeClock.h"
#include "PrintedPages.h"
#include "ProgramState.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "graphs/RealTimeChart.h"
#include "meter/Meter.h"
#include "ui/Canvas.h"
#include "ui/CanvasDrawing.h"
#include "ui/Forms.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "ui/WindowFrame.h"
#include "windows/graphs/RealTimeGraph.h"
#include "windows/graphs/RealTimeRange.h"

namespace {

const QColor Black(0, 0, 0), White(255, 255, 255), Grey(192, 192, 192), Blue(0, 0, 255), Red(255, 0, 0);

// The graph opened for a two-channel meter in C, the clock standing at 10:00:00; the samples are
// the test's, told to the link as its engine tells them.
class RealTimeGraphTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        Dialogs::Install(&dialogs);
        Clock::Install(&clock);
        RegisterProgramWindows();
        Show(30, 10, true);
        OpenRealTimeGraph(ProgramLink(), ProgramShared().chart);
        graph = Forms::FindAs<RealTimeGraph>("RealTime23");
        ASSERT_NE(graph, nullptr);
        ProgramShared().chart.SetRange(100, 0);
        graph->Relayout();
    }
    void TearDown() override { ResetProgramState(); }

    static void Show(double t1, double t2, bool dual) {
        ReadingChange r;
        r->DualChannel = dual;
        r->UnitText = "C";
        r->T1C = Reading::Number(t1);
        r->T2C = Reading::Number(t2);
        r->T1T2C = Reading::Number(t1 - t2);
    }
    void Sample() {
        clock.Advance(2);
        MeterLink::Sample sample;
        sample.time = clock.TimeText().toStdString();
        sample.reading = ProgramLink().Reading();
        ProgramLink().SampleArrived(sample);
    }

    static const RealTimeChart& Chart() { return ProgramShared().chart; }
    double X0() const { return RealTimeChart::OriginX; }
    double Y0() const { return Chart().OriginY(); }
    double H() const { return Chart().PlotHeight(); }
    double YOf(double value) const { return Y0() - value / 100 * H(); }

    bool ColourNear(double x, double y, const QColor& colour) const {
        return ::ColourNear(Child<Canvas>(graph, "Chart")->Image(), x, y, colour);
    }
    int TextWidth(const QString& text) const {
        const Canvas* canvas = Child<Canvas>(graph, "Chart");
        return canvas->TextWidth(text, canvas->font());
    }
    int DarkPixels(const QRect& area) const {
        return ::DarkPixels(Child<Canvas>(graph, "Chart")->Image(), area);
    }
    int TextHeight() const {
        const Canvas* canvas = Child<Canvas>(graph, "Chart");
        return canvas->TextHeight("0", canvas->font());
    }
    // The part of the chart that `text` takes with its top-left corner at (x, y).
    QRect TextArea(const QString& text, double x, double y) const {
        return QRect(static_cast<int>(std::lround(x)) - 1, static_cast<int>(std::lround(y)) - 1,
                     TextWidth(text) + 2, TextHeight() + 2);
    }
    // Whether the chart shows `text` in `colour` at (x, y), pixel for pixel as the canvas writes
    // it there on white.
    bool ShowsText(const QString& text, double x, double y, const QColor& colour) const {
        const Canvas* chart = Child<Canvas>(graph, "Chart");
        Canvas alone;
        alone.resize(chart->size());
        alone.Clear(White);
        alone.Text(x, y, text, colour, chart->font());
        const qreal ratio = chart->Image().devicePixelRatio();
        const QRect area = TextArea(text, x, y);
        const QRect pixels(
            QPoint(qFloor(area.left() * ratio), qFloor(area.top() * ratio)),
            QPoint(qCeil((area.right() + 1) * ratio) - 1, qCeil((area.bottom() + 1) * ratio) - 1));
        return chart->Image().copy(pixels) == alone.Image().copy(pixels);
    }
    // Whether anything but white lies in `area` of the chart.
    bool Blank(const QRect& area) const {
        const QImage image = Child<Canvas>(graph, "Chart")->Image();
        const qreal ratio = image.devicePixelRatio();
        for (int y = qFloor(area.top() * ratio); y < qCeil((area.bottom() + 1) * ratio); ++y)
            for (int x = qFloor(area.left() * ratio); x < qCeil((area.right() + 1) * ratio); ++x)
                if (image.valid(x, y) && image.pixelColor(x, y) != White) return false;
        return true;
    }
    QLineEdit* RangeField(const char* name) const {
        return Child<QLineEdit>(Forms::Find("RealTimeRange"), name);
    }
    // Limit, then OK with the fields as they are shown, changed by `edit` first.
    void LimitThenOk(const std::function<void()>& edit = {}) {
        Child<Toolbar>(graph, "Toolbar1")->Trigger("Limit");
        if (edit) edit();
        Forms::FindAs<RealTimeRange>("RealTimeRange")->CmdOK_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        graph = Forms::FindAs<RealTimeGraph>("RealTime23");
    }

    ScriptedDialogs dialogs;
    FakeClock clock{10, 0, 0};
    RealTimeGraph* graph = nullptr;
};

TEST_F(RealTimeGraphTest, EmptyChartHasItsAxesGridAndLabels) {
    EXPECT_EQ(graph->Caption(), "Real Time Graph");
    EXPECT_TRUE(ColourNear(X0() - 2, Y0() - H() / 3, Black)) << "Y axis";
    EXPECT_TRUE(ColourNear(X0() + 100, Y0() + 6, Black)) << "time axis";
    EXPECT_TRUE(ColourNear(X0() + 100, Y0() - H() / 2, Grey)) << "middle grid line";
    EXPECT_TRUE(ColourNear(X0() + 100, Y0() - H() / 3, White)) << "plot area";
    // The label "50.0" ends 12 px left of the plot on the middle line; between two labels the
    // margin is empty.
    const int labelLeft = static_cast<int>(X0()) - 12 - TextWidth("50.0");
    EXPECT_GT(DarkPixels(QRect(labelLeft, static_cast<int>(Y0() - H() / 2) - 5, TextWidth("50.0"), 10)), 10);
    EXPECT_EQ(DarkPixels(QRect(labelLeft, static_cast<int>(Y0() - 3 * H() / 16) - 5, TextWidth("50.0"), 10)),
              0);

    // Seventeen dashed ticks on the Y axis, every other one longer.
    const int x0 = static_cast<int>(X0());
    for (int i = 0; i <= 16; ++i) {
        SCOPED_TRACE(i);
        const int y = static_cast<int>(std::lround(Y0() - i * H() / 16));
        EXPECT_EQ(DarkPixels(QRect(x0 - 5, y, 2, 1)), 2) << "the tick's dash at the axis";
        if (i % 2 == 0) {
            EXPECT_GT(DarkPixels(QRect(x0 - 10, y, 2, 1)), 0) << "a long tick reaches 10 px left of the area";
            EXPECT_LT(DarkPixels(QRect(x0 - 9, y, 5, 1)), 5) << "with a gap between its dashes";
        } else {
            EXPECT_EQ(DarkPixels(QRect(x0 - 10, y, 3, 1)), 0) << "a short tick";
        }
        if (i < 16) {
            EXPECT_EQ(DarkPixels(QRect(x0 - 10, y - 16, 7, 15)), 0) << "nothing between two ticks";
        }
    }

    // The legend above the area and "(Time)" under it.
    const double top = Y0() - H() - 23;
    EXPECT_TRUE(ShowsText("T1", X0() - 30, top, Black));
    EXPECT_TRUE(ShowsText("T2", X0() - 5, top, Blue));
    EXPECT_TRUE(ShowsText("T1-T2", X0() + 20, top, Red));
    EXPECT_TRUE(ShowsText("(Time)", (X0() + Chart().PlotWidth()) / 2, Y0() + 25, Black));

    // The unit 50 px left of the area, level with the middle label when the labels leave it room.
    ProgramShared().chart.SetRange(8, 0);
    graph->Relayout();
    EXPECT_TRUE(ShowsText("\u00B0C", X0() - 50, Y0() - H() / 2 - TextHeight() / 2.0, Black));

    // A one-channel meter: no legend and no "(Time)".
    Show(30, 10, false);
    OpenRealTimeGraph(ProgramLink(), ProgramShared().chart);
    graph = Forms::FindAs<RealTimeGraph>("RealTime23");
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(ColourNear(X0() - 2, Y0() - H() / 3, Black)) << "Y axis";
    const double oneChannelTop = Y0() - H() - 23;
    EXPECT_TRUE(
        Blank(TextArea("T1", X0() - 30, oneChannelTop).united(TextArea("T1-T2", X0() + 20, oneChannelTop))));
    EXPECT_TRUE(Blank(TextArea("(Time)", (X0() + Chart().PlotWidth()) / 2, Y0() + 25)));
}

// Three samples of T1 30, T2 10 (T1-T2 20): black, blue and red lines between them, the white
// bar ahead of the pen, a mark above the area, and the top of the range on the top edge.
TEST_F(RealTimeGraphTest, TracesEraserAndMarksWhereTheyBelong) {
    Sample();
    Sample();
    const double x1 = X0(), x2 = X0() + Chart().XStep();
    for (auto [value, colour] : {std::pair{30.0, Black}, std::pair{10.0, Blue}, std::pair{20.0, Red}}) {
        EXPECT_TRUE(ColourNear(x1, YOf(value), colour)) << value;
        EXPECT_TRUE(ColourNear(x2, YOf(value), colour)) << value;
    }
    EXPECT_TRUE(ColourNear(x2 + Chart().XStep() + 2, Y0() - H() / 2, White)) << "the eraser clears the grid ahead";

    MeterReading()->T1C = Reading::Mark(Reading::Kind::Over);
    Sample();
    EXPECT_TRUE(ColourNear(X0() + Chart().XPos(), Y0() - H() - 5, Black)) << "OL 5 px above the area";
    Show(100, 0, true);
    Sample();
    EXPECT_TRUE(ColourNear(X0() + Chart().XPos(), Y0() - H(), Black)) << "the top of the range on the top edge";
}

TEST_F(RealTimeGraphTest, WrapStartsAgainWithoutALineBack) {
    Show(90, 10, true);
    while (Chart().XPos() < Chart().PlotWidth()) Sample();
    Show(20, 10, true);
    Sample();
    EXPECT_EQ(Chart().XPos(), 0);
    EXPECT_FALSE(ColourNear(X0() + Chart().PlotWidth() / 2, YOf(55), Black)) << "no line back to the left edge";
    EXPECT_TRUE(ColourNear(X0() + Chart().PlotWidth() / 2, YOf(90), Black)) << "the old sweep is still there";
}

// The range dialog: what it shows, the keys it takes, and OK opening the graph again.
TEST_F(RealTimeGraphTest, RangeDialogReopensTheGraphWithItsValues) {
    ProgramShared().chart.SetRange(1767, -200);
    Child<Toolbar>(graph, "Toolbar1")->Trigger("Limit");
    auto* range = Forms::FindAs<RealTimeRange>("RealTimeRange");
    ASSERT_NE(range, nullptr);
    auto field = [range](const char* name) { return Child<QLineEdit>(range, name); };
    EXPECT_EQ(field("TxtMax")->text(), "1767");
    EXPECT_EQ(field("TxtMin")->text(), "-200");
    EXPECT_EQ(field("TxtCounts")->text(), "5  min");
    for (const char* name : {"TxtMax", "TxtMin", "TxtCounts", "TxtWidth", "TxtHeight"}) field(name)->clear();
    TypeKeys(field("TxtMax"), "1a0b0");
    TypeKeys(field("TxtMin"), "-x5");
    TypeKeys(field("TxtCounts"), "2-.");
    TypeKeys(field("TxtWidth"), "w");
    EXPECT_EQ(field("TxtMax")->text(), "100");
    EXPECT_EQ(field("TxtMin")->text(), "-5");
    EXPECT_EQ(field("TxtCounts")->text(), "2");
    EXPECT_EQ(field("TxtWidth")->text(), "w") << "size fields take any key";

    field("TxtWidth")->setText("4");
    range->CmdOK_Click();
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"5 <= Width <= 14, try again!"});
    EXPECT_EQ(Chart().YMax(), 100) << "the range is kept after a later check fails";
    EXPECT_NE(Forms::Find("RealTimeRange"), nullptr);

    field("TxtWidth")->setText("5");
    field("TxtHeight")->setText("5");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(field("TxtCounts"), &enter);  // Enter in the span field is OK
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Find("RealTimeRange"), nullptr);
    auto* reopened = Forms::FindAs<RealTimeGraph>("RealTime23");
    ASSERT_NE(reopened, nullptr);
    EXPECT_NE(reopened, graph);
    EXPECT_EQ(Chart().YMin(), -5);
    EXPECT_DOUBLE_EQ(Chart().XStep(), Chart().PlotWidth() / 60) << "2 minutes at 2-s samples";
    EXPECT_TRUE(reopened->Sampling());
}

// The range dialog has no prescribed place: it opens beside its graph, not over it.
TEST_F(RealTimeGraphTest, RangeDialogOpensBesideTheGraph) {
    WindowFrame::Install(QMargins(1, 20, 1, 5));
    const QRect free = graph->screen()->availableGeometry();
    graph->resize(free.width() / 3, free.height() / 3);
    graph->MovePx(free.center().x() - free.width() / 6, free.center().y() - free.height() / 6);
    graph->show();
    Child<Toolbar>(graph, "Toolbar1")->Trigger("Limit");
    auto* range = Forms::FindAs<FormWindow>("RealTimeRange");
    ASSERT_NE(range, nullptr);
    ASSERT_TRUE(range->isVisible());
    const QRect graphFrame(graph->LeftPx(), graph->TopPx(), graph->WidthPx(), graph->HeightPx());
    const QRect rangeFrame(range->LeftPx(), range->TopPx(), range->WidthPx(), range->HeightPx());
    EXPECT_TRUE(free.contains(rangeFrame));
    EXPECT_FALSE(rangeFrame.intersects(graphFrame));
    range->close();
}

TEST_F(RealTimeGraphTest, RangeDialogClosedOrFaultyLeavesTheGraphAsItWas) {
    ASSERT_TRUE(graph->Sampling());
    Child<Toolbar>(graph, "Toolbar1")->Trigger("Limit");
    EXPECT_FALSE(graph->Sampling()) << "no samples while the dialog is open";
    Forms::Find("RealTimeRange")->close();
    EXPECT_TRUE(graph->Sampling());

    Child<Toolbar>(graph, "Toolbar1")->Trigger("Limit");
    auto* range = Forms::FindAs<RealTimeRange>("RealTimeRange");
    Child<QLineEdit>(range, "TxtWidth")->setText("wide");
    range->CmdOK_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Find("RealTimeRange"), nullptr);
    EXPECT_EQ(Forms::Find("RealTime23"), nullptr) << "a size that is no number closes the graph";
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(RealTimeGraphTest, PauseAndStartSwapTheButton) {
    ASSERT_TRUE(graph->Sampling());
    Toolbar* bar = Child<Toolbar>(graph, "Toolbar1");
    bar->Trigger("Pause");
    EXPECT_FALSE(graph->Sampling());
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Start");
    EXPECT_EQ(bar->ButtonIcon("Pause").cacheKey(), bar->ButtonIcon("Start").cacheKey());
    bar->Trigger("Pause");
    EXPECT_TRUE(graph->Sampling());
    EXPECT_EQ(bar->ButtonTooltip("Pause"), "Pause");
}

TEST_F(RealTimeGraphTest, PrintsTheChartAsShown) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("graph.pdf");
    dialogs.QueuePrintCancel();
    Child<Toolbar>(graph, "Toolbar1")->Trigger("Print");
    EXPECT_FALSE(QFileInfo::exists(pdf));
    for (int sample = 0; sample < 10; ++sample) Sample();
    dialogs.QueuePrintToPdf(pdf);
    Child<Toolbar>(graph, "Toolbar1")->Trigger("Print");
    const QImage page = PdfPage(pdf);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(::DarkPixels(page, page.rect()), 2000) << "axes, ticks and labels";
    EXPECT_TRUE(HasHueOf(page, Blue)) << "the T2 curve";
    EXPECT_TRUE(HasHueOf(page, Red)) << "the T1-T2 curve";
    // Lines and text, not a picture of the screen.
    EXPECT_TRUE(PdfImageSizes(pdf).isEmpty());
    const QString text = PdfText(pdf);
    for (const char* shown : {"100.0", "(Time)", "T1-T2", "10:00:02"})
        EXPECT_TRUE(text.contains(shown)) << shown;
}

// A graph left running draws over itself sweep after sweep; what it keeps for printing stays
// about one picture's worth and still paints exactly what the window shows, marks over the
// area included.
TEST_F(RealTimeGraphTest, LongRunKeepsOnlyWhatShows) {
    const Canvas* canvas = Child<Canvas>(graph, "Chart");
    const auto sweep = [&](int number) {
        do {
            if (Chart().XPos() == Chart().XStep() * 7)
                MeterReading()->T1C = Reading::Mark(Reading::Kind::Over);
            else
                Show(50 + 40 * std::sin(number + Chart().XPos() / 17), 10 + number, true);
            Sample();
        } while (Chart().XPos() != 0);
    };
    sweep(1);
    const std::size_t before = canvas->Shown().size();
    sweep(2);
    const std::size_t oneSweep = canvas->Shown().size() - before;
    for (int number = 3; number <= 100; ++number) sweep(number);
    EXPECT_LT(canvas->Shown().size(), 4 * oneSweep) << "after 100 sweeps of " << oneSweep;

    Canvas again;
    again.resize(canvas->size());
    again.setFont(canvas->font());
    again.Clear(canvas->Background());
    DrawOnCanvas(again, canvas->Shown());
    EXPECT_TRUE(again.Image() == canvas->Image());
}

// Under a desktop that frames its windows the steps are the outer size: the first OK sizes the
// graph by them, and OK without a change leaves it as it is. A span of 7 minutes reads back as 7.
TEST_F(RealTimeGraphTest, RangeOkWithoutAChangeKeepsTheGraphAsItIs) {
    const QMargins frame(1, 20, 1, 5);
    WindowFrame::Install(frame);
    OpenRealTimeGraph(ProgramLink(), ProgramShared().chart);
    graph = Forms::FindAs<RealTimeGraph>("RealTime23");
    LimitThenOk([this] {
        EXPECT_EQ(RangeField("TxtWidth")->text(), "9");
        EXPECT_EQ(RangeField("TxtHeight")->text(), "10");
        RangeField("TxtCounts")->setText("7");
    });
    ASSERT_NE(graph, nullptr);
    const QSize sized = graph->size();
    EXPECT_EQ(sized, Twips::Size(2400 + 810 * 9, 855 + 900 * 10).shrunkBy(frame));
    for (int round = 1; round <= 2; ++round) {
        LimitThenOk([this] {
            EXPECT_EQ(RangeField("TxtWidth")->text(), "9");
            EXPECT_EQ(RangeField("TxtHeight")->text(), "10");
            EXPECT_EQ(RangeField("TxtCounts")->text(), "7  min");
        });
        ASSERT_NE(graph, nullptr);
        EXPECT_EQ(graph->size(), sized) << round;
    }
    EXPECT_TRUE(dialogs.Messages().empty());
}

// Pasted text goes through the fields' filters as typed keys do.
TEST_F(RealTimeGraphTest, PastedTextIsFilteredLikeTypedKeys) {
    Child<Toolbar>(graph, "Toolbar1")->Trigger("Limit");
    auto paste = [](QLineEdit* field, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        QKeyEvent ctrlV(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
        QCoreApplication::sendEvent(field, &ctrlV);
    };
    QLineEdit* max = RangeField("TxtMax");
    max->setText("1");
    max->end(false);
    paste(max, "2a0.5e1");
    EXPECT_EQ(max->text(), "120.51");
    QLineEdit* counts = RangeField("TxtCounts");
    counts->selectAll();
    paste(counts, "+1e1 min");
    EXPECT_EQ(counts->text(), "11");
    RangeField("TxtWidth")->setText("+5");
    RangeField("TxtHeight")->setText("1e1");
    Forms::FindAs<RealTimeRange>("RealTimeRange")->CmdOK_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_NE(Forms::Find("RealTime23"), nullptr) << "+5 and 1e1 are numbers";
}

}  // namespace
