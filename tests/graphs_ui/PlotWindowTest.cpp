#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>
#include <cmath>

#include "PrintedPages.h"
#include "ProgramState.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "graphs/ChartFrame.h"
#include "graphs/ListPlot.h"
#include "meter/Meter.h"
#include "ui/Canvas.h"
#include "ui/CanvasDrawing.h"
#include "ui/Forms.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "windows/graphs/PlotRange.h"
#include "windows/graphs/PlotWindow.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/ListWindow.h"

namespace {

const QColor Black(0, 0, 0), Blue(0, 0, 255);

// A file list opened from a record file, then plotted; the test draws the curves itself instead
// of waiting for the window's two seconds.
class PlotWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        Dialogs::Install(&dialogs);
        RegisterProgramWindows();
    }
    void TearDown() override { ResetProgramState(); }

    PlotWindow* PlotOf(const QByteArray& content) {
        QFile file(dir.filePath("rec.txt"));
        if (!file.open(QIODevice::WriteOnly)) return nullptr;
        file.write(content);
        file.close();
        if (!LoadRecordFile(file.fileName(), "rec.txt")) return nullptr;
        auto* list = Forms::FindAs<ListWindow>(Forms::Find("FileList2") ? "FileList2" : "FileList1");
        Child<Toolbar>(list, "Toolbar1")->Trigger("Plot");
        auto* plot = Forms::FindAs<PlotWindow>("ListPlot1");
        if (plot) Child<QTimer>(plot, "Timer1")->stop();
        return plot;
    }

    static bool ColourNear(PlotWindow* plot, double x, double y, const QColor& colour) {
        return ::ColourNear(Child<Canvas>(plot, "Chart")->Image(), x, y, colour);
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
};

// A one-channel file while a two-channel meter is online: the plot takes the list that opened
// it, draws its curve, and the window and caption come back as they were.
TEST_F(PlotWindowTest, CurvesOfTheListThatOpenedThePlot) {
    MeterReading()->DualChannel = true;
    PlotWindow* plot = PlotOf("1\t10:00:00\t20.0\tC\t\r\n2\t10:00:02\t30.0\tC\t\r\n3\t10:00:04\tOL\tC\t\r\n"
                              "4\t10:00:06\t100.0\tC\t\r\n");
    ASSERT_NE(plot, nullptr);
    ListPlot& chart = ProgramShared().plot;
    EXPECT_FALSE(chart.TwoChannels()) << "the layout of the list that opened the plot";
    chart.SetRange(0, 100, 1, 4);
    plot->Relayout();
    Child<QTimer>(plot, "Timer1")->stop();
    plot->Timer1_Timer();
    EXPECT_TRUE(plot->isVisible());
    EXPECT_EQ(plot->Caption(), "Plot Data/File");
    const double x0 = ListPlot::OriginX, y0 = chart.OriginY(), h = chart.Height(), step = chart.XStep();
    EXPECT_TRUE(ColourNear(plot, x0, y0 - 0.2 * h, Black)) << "the curve starts at the first record";
    EXPECT_TRUE(ColourNear(plot, x0 + step, y0 - 0.3 * h, Black)) << "and reaches the second";
    EXPECT_TRUE(ColourNear(plot, x0 + 2 * step, y0 - h - 5, Black)) << "OL 5 px above the area";
    EXPECT_TRUE(ColourNear(plot, x0 + 3 * step, y0 - h, Black)) << "the top of the range on the top edge";
}

// The plot keeps the records it was given: a file opened afterwards replaces the list, and a new
// layout (a resize, Limit -> OK) draws the plot's own ten records again, none of them at 0 K.
TEST_F(PlotWindowTest, PlotWhoseListWasReplacedDrawsItsOwnRecords) {
    QByteArray ten;
    for (int n = 1; n <= 10; ++n) ten += QByteArray::number(n) + "\t10:00:00\t50.0\t40.0\t10.0\tC\r\n";
    PlotWindow* plot = PlotOf(ten);
    ASSERT_NE(plot, nullptr);
    QFile three(dir.filePath("three.txt"));
    ASSERT_TRUE(three.open(QIODevice::WriteOnly));
    three.write("1\t11:00:00\t90.0\t80.0\t10.0\tF\r\n2\t11:00:02\t90.0\t80.0\t10.0\tF\r\n3\t11:00:04\t90.0\t80.0\t10.0\tF\r\n");
    three.close();
    ASSERT_TRUE(LoadRecordFile(three.fileName(), "three.txt"));
    ASSERT_EQ(Forms::FindAs<ListWindow>("FileList2")->Records().Rows(), 3);

    plot->resize(plot->width() + 40, plot->height() + 20);
    ListPlot& chart = ProgramShared().plot;
    chart.SetRange(0, 100, 1, 10);
    plot->Relayout();
    Child<QTimer>(plot, "Timer1")->stop();
    plot->Timer1_Timer();
    EXPECT_EQ(chart.RecordCount(), 10);
    EXPECT_EQ(chart.Unit(), "C");
    const double x0 = ListPlot::OriginX, y0 = chart.OriginY(), h = chart.Height(), step = chart.XStep();
    for (int record : {4, 7, 10}) {
        SCOPED_TRACE(record);
        const double x = x0 + (record - 1) * step;
        EXPECT_TRUE(ColourNear(plot, x, y0 - 0.5 * h, Black)) << "T1 = 50 of the plot's own records";
        EXPECT_TRUE(ColourNear(plot, x, y0 - 0.4 * h, Blue)) << "T2 = 40";
        EXPECT_FALSE(ColourNear(plot, x, y0 + 3, Black)) << "no record read as an empty cell";
    }
}

// However many records fall on one pixel column, each of the three curves covers the same pixels
// as the lines between every two neighbouring records would, also where a time line parts a
// column. Where curves share pixels, which one lies on top may differ from record-by-record
// drawing, so each is compared on its own, with the grid, the time lines and the labels.
TEST_F(PlotWindowTest, ColumnsOfManyRecordsDrawTheSamePixelsAsEveryRecordsLine) {
    constexpr long Records = 20000;
    RecordTable rows(RecordTable::TwoChannelColumns);
    for (long n = 1; n <= Records; ++n) {
        const double t1 = 50 + 40 * std::sin(n / 300.0) + (n * 7919 % 23) - 11;
        const double t2 = 50 + 30 * std::cos(n / 200.0) + (n * 104729 % 17) - 8;
        rows.Append(std::to_string(n) + "\t10:00:00\t" + std::to_string(t1) + "\t" + std::to_string(t2) +
                    "\t" + std::to_string(t1 - t2) + "\tC");
    }
    constexpr int Width = 700, Height = 600;
    Canvas measure;
    const TextMetrics metrics = CanvasMetrics(measure);
    ListPlot plot;
    plot.Open(rows);
    plot.SetRange(0, 100, 1, Records);
    const Drawing frame = plot.Layout(Width, Height, 50, metrics);
    const auto xOf = [&plot](long record) {
        return ListPlot::OriginX + static_cast<double>(record - 1) * plot.XStep();
    };
    ASSERT_TRUE(ListPlot::IsLabelPosition(4000, Records));
    ASSERT_EQ(std::lround(xOf(3999)), std::lround(xOf(4001)))
        << "the time line of record 4000 parts a column";

    ListPlot::Run run(plot, metrics);
    Drawing all = run.Grid(), reference = all;
    const Colour colours[] = {Colours::Black, Colours::Blue, Colours::Red};
    double previousY[3] = {};
    while (!run.Done()) {
        const long record = run.Record();
        for (int c = 0; c < 3; ++c) {
            const double value = std::stod(std::string(rows.Cell(record, 2 + c)));
            const double y =
                plot.OriginY() - ChartFrame::Height(Reading::Number(value), 0, 100, plot.Height());
            if (record > 1)
                reference.push_back(LineOp(xOf(record - 1), previousY[c], xOf(record), y, colours[c]));
            previousY[c] = y;
        }
        for (const DrawOp& op : run.Next()) {
            all.push_back(op);
            if (op.kind != DrawOp::Kind::Line || op.colour == Colours::Grid) reference.push_back(op);
        }
    }
    EXPECT_LT(all.size(), reference.size() / 5) << "far fewer lines than records";
    for (Colour colour : colours) {
        const auto drawn = [&](const Drawing& drawing) {
            Drawing one;
            for (const DrawOp& op : drawing) {
                const bool curve = op.kind == DrawOp::Kind::Line && op.colour != Colours::Grid;
                if (!curve || op.colour == colour) one.push_back(op);
            }
            Canvas canvas;
            canvas.resize(Width, Height);
            DrawOnCanvas(canvas, frame);
            DrawOnCanvas(canvas, one);
            return canvas.Image();
        };
        EXPECT_TRUE(drawn(all) == drawn(reference))
            << int(colour.r) << "," << int(colour.g) << "," << int(colour.b);
    }
}

TEST_F(PlotWindowTest, PrintsTheChart) {
    PlotWindow* plot = PlotOf("1\t10:00:00\t20.0\t21.0\t-1.0\tC\r\n2\t10:00:02\t30.0\t21.0\t9.0\tC\r\n");
    ASSERT_NE(plot, nullptr);
    plot->Timer1_Timer();
    const QString pdf = dir.filePath("plot.pdf");
    dialogs.QueuePrintToPdf(pdf);
    Child<Toolbar>(plot, "Toolbar1")->Trigger("Print");
    const QImage page = PdfPage(pdf);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(DarkPixels(page, page.rect()), 2000) << "axes, ticks and labels";
    EXPECT_TRUE(HasHueOf(page, QColor(Qt::blue))) << "the T2 curve";
    EXPECT_TRUE(HasHueOf(page, QColor(Qt::red))) << "the T1-T2 curve";
    // As wide as the page allows, in the window's proportions: not stretched down the page.
    QRect drawn;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) drawn |= QRect(x, y, 1, 1);
    EXPECT_GT(drawn.right(), page.width() * 3 / 4);
    EXPECT_NEAR(double(drawn.height()) / drawn.width(), double(plot->height()) / plot->width(), 0.1);
    // Lines and text, not a picture of the screen: no image, the labels as text, and the curves
    // as paths stroked in their colours (blue and red lines: "m", "l", then "S").
    EXPECT_TRUE(PdfImageSizes(pdf).isEmpty());
    const QString text = PdfText(pdf);
    for (const char* shown : {"1767.0", "-200.0", "(Time)", "T1-T2", "10:00:00"})
        EXPECT_TRUE(text.contains(shown)) << shown;
    const QByteArray pages = PdfStreams(pdf);
    // The pen's colour, its width and ends, then the segment.
    const auto stroked = [&](const char* colour) {
        const QRegularExpression segment(QString(colour) +
                                         R"( SCN\n[^\n]*\n[\d.]+ [\d.]+ m\n[\d.]+ [\d.]+ l\nS\n)");
        return segment.match(QString::fromLatin1(pages)).hasMatch();
    };
    EXPECT_TRUE(stroked("0 0 1")) << "T2";
    EXPECT_TRUE(stroked("1 0 0")) << "T1-T2";
}

TEST_F(PlotWindowTest, SnapsBackWhenDraggedSmaller) {
    PlotWindow* plot = PlotOf("1\t10:00:00\t20.0\t21.0\t-1.0\tC\r\n2\t10:00:02\t20.0\t21.0\t-1.0\tC\r\n");
    ASSERT_NE(plot, nullptr);
    const QSize least = Twips::Size(6300, 5865);
    const std::pair<QSize, QSize> cases[] = {
        {{100, 100}, least},
        {{least.width() - 1, least.height() + 40}, least},
        {{least.width() + 40, least.height() - 1}, least},
        {least, least},
        {{least.width() + 40, least.height() + 1}, {least.width() + 40, least.height() + 1}},
    };
    for (const auto& [dragged, kept] : cases) {
        plot->resize(dragged);
        EXPECT_EQ(plot->size(), kept) << dragged.width() << " x " << dragged.height();
    }
}

TEST_F(PlotWindowTest, RangeDialogChecksAndRedraws) {
    PlotWindow* plot = PlotOf("1\t10:00:00\t20.0\t21.0\t-1.0\tC\r\n2\t10:00:02\t25.0\t21.0\t4.0\tC\r\n"
                              "3\t10:00:04\t30.0\t21.0\t9.0\tC\r\n");
    ASSERT_NE(plot, nullptr);
    Child<Toolbar>(plot, "Toolbar1")->Trigger("Limit");
    auto* range = Forms::FindAs<PlotRange>("PlotRange");
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range->Caption(), "Plot Range ( C )");
    auto field = [range](const char* name) { return Child<QLineEdit>(range, name); };
    EXPECT_EQ(field("TxtT1")->text(), "-200");
    EXPECT_EQ(field("TxtR2")->text(), "3");
    field("TxtR1")->clear();
    TypeKeys(field("TxtR1"), "1a-");
    EXPECT_EQ(field("TxtR1")->text(), "1") << "records take digits only";
    field("TxtR2")->setText("4");
    range->CmdOK_Click();
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"Invalid, 0 <= Records <= 3"});

    field("TxtT1")->setText("0");
    field("TxtT2")->setText("50");
    field("TxtR2")->setText("3");
    range->CmdOK_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Find("PlotRange"), nullptr);
    EXPECT_EQ(ProgramShared().plot.YMax(), 50);
    EXPECT_EQ(ProgramShared().plot.RecordLimit(), 3);
    EXPECT_NE(Forms::Find("ListPlot1"), nullptr);
}

}  // namespace

// tq36-cli plot --like-window draws a file as the plot window does: the same picture, pixel for pixel, at the
// window's size, for a range given on the command line as the range dialog gives it. The file
// has marks, a change of unit, records without a unit, and more records than pixel columns.
TEST_F(PlotWindowTest, CommandLinePlotDrawsTheWindowsChart) {
    QByteArray file = "No.s    Time            T1      T2      T1-T2   Unit\r\n";
    for (int n = 1; n <= 3000; ++n) {
        const double t1 = 20 + (n % 170) * 0.7, t2 = 60 - (n % 90) * 0.4;
        QByteArray row =
            QByteArray::number(n) + "\t" + QTime(8, 0).addSecs(n).toString("HH:mm:ss").toLatin1() + "\t";
        if (n % 997 == 0) {
            row += "OL\t-OL\t----\tC\t";
        } else if (n > 2000) {
            row += QByteArray::number(t1 * 1.8 + 32, 'f', 1) + "\t" +
                   QByteArray::number(t2 * 1.8 + 32, 'f', 1) + "\t" +
                   QByteArray::number((t1 - t2) * 1.8, 'f', 1) + "\tF\t";
        } else {
            row += QByteArray::number(t1, 'f', 1) + "\t" + QByteArray::number(t2, 'f', 1) + "\t" +
                   QByteArray::number(t1 - t2, 'f', 1) + (n % 500 == 0 ? "" : "\tC\t");
        }
        file += row + "\r\n";
    }
    PlotWindow* plot = PlotOf(file);
    ASSERT_NE(plot, nullptr);
    ASSERT_TRUE(ProgramShared().plot.TwoChannels());
    plot->resize(523, 431);
    ProgramShared().plot.SetRange(-20, 150, 7, 2950);
    plot->Relayout();
    Child<QTimer>(plot, "Timer1")->stop();
    plot->Timer1_Timer();
    const QImage window = Child<Canvas>(plot, "Chart")->Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(window.size(), QSize(523, 431));

    QProcess program;
    program.start(TQ36_CLI_PROGRAM, {"plot", dir.filePath("rec.txt"), "--records", "7-2950", "--min", "-20", "--max",
                                      "150", "--size", "523x431", "--like-window", "--out", dir.filePath("plot.png")});
    ASSERT_TRUE(program.waitForFinished(60000));
    ASSERT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    const QImage picture = QImage(dir.filePath("plot.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), window.size());
    long differing = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) differing += picture.pixel(x, y) != window.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
}
