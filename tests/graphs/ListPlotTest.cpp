#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphs/ListPlot.h"
#include "graphs/RangeInput.h"

namespace {

const TextMetrics Metrics{[](const std::string& text) { return 6.0 * static_cast<double>(text.size()); }, 14};

TEST(ListPlot, UnitConversions) {
    struct Case {
        const char* plot;
        const char* record;
        double value;
        double t;     // T1 or T2
        double diff;  // T1-T2
    };
    const Case cases[] = {
        {"C", "C", 100, 100, 100},       {"C", "F", 212, 100, 212 * 5.0 / 9}, {"C", "K", 373.2, 100, 373.2},
        {"C", "", 373.2, 100, 373.2},    {"F", "F", 50, 50, 50},               {"F", "C", 100, 212, 180},
        {"F", "K", 273.2, 32, 273.2 * 9 / 5}, {"K", "K", 300, 300, 300},       {"K", "F", 32, 273.2, 32 * 5.0 / 9},
        {"K", "C", 0, 273.2, 0},         {"K", "", 0, 273.2, 0},               {"K", "X", 10, 283.2, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plot) + " from " + c.record);
        const std::string text = std::to_string(c.value);
        EXPECT_NEAR(ListPlot::CellValue(text, c.record, c.plot, false).Value(), c.t, 1e-9);
        EXPECT_NEAR(ListPlot::CellValue(text, c.record, c.plot, true).Value(), c.diff, 1e-9);
    }
    EXPECT_DOUBLE_EQ(ListPlot::CellValue("23,5", "C", "C", false).Value(), 23.5) << "a decimal comma";
    EXPECT_EQ(ListPlot::CellValue("OL", "C", "F", false).kind(), Reading::Kind::Over);
    EXPECT_EQ(ListPlot::CellValue("-OL", "C", "F", true).kind(), Reading::Kind::Under);
    EXPECT_EQ(ListPlot::CellValue("----", "C", "K", false).kind(), Reading::Kind::NoReading);
}

RecordTable Table(const std::vector<std::string>& rows, bool twoChannels) {
    RecordTable table(RecordTable::ColumnsFor(twoChannels));
    for (const std::string& row : rows) table.Append(row);
    return table;
}

Drawing RunAll(ListPlot& plot) {
    ListPlot::Run run(plot, Metrics);
    Drawing all = run.Grid();
    while (!run.Done()) {
        const Drawing step = run.Next();
        all.insert(all.end(), step.begin(), step.end());
    }
    return all;
}

std::vector<DrawOp> LinesOf(const Drawing& drawing, Colour colour) {
    std::vector<DrawOp> lines;
    for (const DrawOp& op : drawing) {
        if (op.kind == DrawOp::Kind::Line && op.colour == colour) lines.push_back(op);
    }
    return lines;
}

// Labels and ticks take turns: the records whose time the renderer writes, centred under the
// record and 10 px further left at the first and at the last record of the range, each over a
// dotted line up the area; and the records where it puts a half-way tick on the middle line.
TEST(ListPlot, LabelAndTickPositions) {
    struct Label {
        long record;
        double shift;  // px left of centred
    };
    struct Case {
        long records, first, last;
        std::vector<Label> labels;
        std::vector<long> ticks;
    };
    const Case cases[] = {
        {100, 1, 100, {{1, 10}, {20, 0}, {40, 0}, {60, 0}, {80, 0}, {100, 10}}, {10, 30, 50, 70, 90}},
        {100, 11, 30, {{11, 10}, {14, 0}, {18, 0}, {22, 0}, {26, 0}, {30, 10}}, {12, 16, 20, 24, 28}},
        {3, 1, 3, {{1, 10}, {3, 10}}, {2}},
        {1, 1, 1, {{1, 20}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.records << " records, " << c.first << " to " << c.last);
        std::vector<std::string> rows;
        for (long n = 1; n <= c.records; ++n) rows.push_back(std::to_string(n) + "\tt" + std::to_string(n) + "\t20.0\tC");
        ListPlot plot;
        plot.Open(Table(rows, false));
        plot.SetRange(0, 100, c.first, c.last);
        plot.Layout(700, 600, 50, Metrics);
        const double y0 = plot.OriginY(), h = plot.Height();
        ListPlot::Run run(plot, Metrics);
        run.Grid();
        std::size_t label = 0, tick = 0;
        while (!run.Done()) {
            const long record = run.Record();
            const double x = ListPlot::OriginX + static_cast<double>(record - c.first) * plot.XStep();
            for (const DrawOp& op : run.Next()) {
                if (op.kind == DrawOp::Kind::Text) {
                    ASSERT_LT(label, c.labels.size()) << "a label at record " << record;
                    const Label& expected = c.labels[label++];
                    EXPECT_EQ(record, expected.record);
                    EXPECT_EQ(op.text, "t" + std::to_string(record));
                    EXPECT_DOUBLE_EQ(op.x1, x - Metrics.width(op.text) / 2 - expected.shift) << record;
                    EXPECT_DOUBLE_EQ(op.y1, y0 + 10) << record;
                } else if (op.kind == DrawOp::Kind::Line && op.colour == Colours::Grid) {
                    EXPECT_DOUBLE_EQ(op.x1, x) << record;
                    EXPECT_DOUBLE_EQ(op.x2, x) << record;
                    if (op.style == DrawOp::Style::Dotted) {
                        EXPECT_DOUBLE_EQ(op.y1, y0) << "the time line of record " << record;
                        EXPECT_DOUBLE_EQ(op.y2, y0 - h - 10) << record;
                    } else {
                        ASSERT_LT(tick, c.ticks.size()) << "a tick at record " << record;
                        EXPECT_EQ(record, c.ticks[tick++]);
                        EXPECT_DOUBLE_EQ(op.y1, y0 - 4.2 * h / 8) << record;
                        EXPECT_DOUBLE_EQ(op.y2, y0 - 3.8 * h / 8) << record;
                    }
                }
            }
        }
        EXPECT_EQ(label, c.labels.size());
        EXPECT_EQ(tick, c.ticks.size());
    }
}

// A two-channel list: records 1 to 4, C then F; all in C they make one continuous curve.
class PlotRunTest : public testing::Test {
protected:
    void SetUp() override {
        plot.Open(Table({"1\t10:00:00\t20.0\t10.0\t10.0\tC", "2\t10:00:02\t68.0\t50.0\t18.0\tF",
                         "3\t10:00:04\t20,0\t10.0\t10.0\tC", "4\t10:00:06\tOL\t100\t----\tC"},
                        true));
        plot.SetRange(0, 100, 1, 4);
        plot.Layout(700, 600, 50, Metrics);
    }
    ListPlot plot;
};

TEST_F(PlotRunTest, MixedUnitsMakeOneContinuousCurve) {
    const double y20 = plot.OriginY() - 0.2 * plot.Height();
    const std::vector<DrawOp> black = LinesOf(RunAll(plot), Colours::Black);
    ASSERT_EQ(black.size(), 3u) << "the first record draws no line";
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(black[i].y1, y20, 1e-9);
        EXPECT_NEAR(black[i].y2, y20, 1e-9) << "68 F is 20 C";
    }
    EXPECT_NEAR(black[2].y2, plot.OriginY() - plot.Height() - 5, 1e-9) << "OL 5 px above";
    EXPECT_NEAR(black[0].x1, ListPlot::OriginX, 1e-9);
}

TEST_F(PlotRunTest, TopOfTheRangeLiesOnTheEdgeAndOneRecordDrawsNoLine) {
    const std::vector<DrawOp> blue = LinesOf(RunAll(plot), Colours::Blue);
    ASSERT_EQ(blue.size(), 3u);
    EXPECT_NEAR(blue[2].y2, plot.OriginY() - plot.Height(), 1e-9) << "T2 = 100 on the top edge";

    plot.SetRange(0, 100, 2, 2);
    plot.Layout(700, 600, 50, Metrics);
    for (const DrawOp& op : RunAll(plot)) {
        EXPECT_FALSE(op.kind == DrawOp::Kind::Line && op.colour != Colours::Grid) << "a range of one record";
    }
}

// A cell a record does not have is no value: the curve breaks there instead of dropping to 0.
TEST(ListPlot, MissingCellsBreakTheCurve) {
    ListPlot plot;
    plot.Open(Table({"1\t10:00:00\t20.0\t10.0\t10.0\tC", "2\t10:00:02\t30.0\t\t\tC", "3\t10:00:04\t40.0\t10.0\t30.0\tC"},
                    true));
    plot.SetRange(0, 100, 1, 3);
    plot.Layout(700, 600, 50, Metrics);
    const Drawing drawing = RunAll(plot);
    EXPECT_EQ(LinesOf(drawing, Colours::Black).size(), 2u) << "T1 is there in every record";
    EXPECT_TRUE(LinesOf(drawing, Colours::Blue).empty());
    EXPECT_TRUE(LinesOf(drawing, Colours::Red).empty());
    for (const DrawOp& op : LinesOf(drawing, Colours::Black)) {
        EXPECT_LT(std::max(op.y1, op.y2), plot.OriginY()) << "nothing drawn at 0 K";
    }
}

// A whole recording on one plot: hundreds of records fall on each pixel column, and a column's
// curve costs a few lines (and a few more where a time line parts it), not one per record.
TEST(ListPlot, ManyRecordsCostWhatTheColumnsNeed) {
    constexpr long Records = 58300;
    std::vector<std::string> rows;
    for (long n = 1; n <= Records; ++n) {
        rows.push_back(std::to_string(n) + "\t10:00:00\t" + std::to_string(20 + n % 50) + ".0\t" +
                       std::to_string(n % 7) + ".0\t1.0\tC");
    }
    ListPlot plot;
    plot.Open(Table(rows, true));
    plot.Layout(700, 600, 50, Metrics);
    const Drawing drawing = RunAll(plot);
    const double columns = plot.Width() + 1;
    for (Colour colour : {Colours::Black, Colours::Blue, Colours::Red}) {
        EXPECT_LE(static_cast<double>(LinesOf(drawing, colour).size()), 4 * columns + 4 * 11);
        EXPECT_GE(static_cast<double>(LinesOf(drawing, colour).size()), columns - 1);
    }
}

TEST(ListPlot, RangeChecks) {
    struct Case {
        const char *t1, *t2, *r1, *r2;
        const char* message;
    };
    const Case cases[] = {
        {"-200", "1767", "1", "50", ""},
        {"20", "20", "1", "50", "Invalid, -200 <= Temperature <= 1767"},
        {"-201", "100", "1", "50", "Invalid, -200 <= Temperature <= 1767"},
        {"0", "1768", "1", "50", "Invalid, -200 <= Temperature <= 1767"},
        {"0", "100", "5", "5", "Invalid, 0 <= Records <= 50"},
        {"0", "100", "0", "5", "Invalid, 0 <= Records <= 50"},
        {"0", "100", "1", "51", "Invalid, 0 <= Records <= 50"},
        {"0", "100", "49", "50", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.t1) + " " + c.t2 + " " + c.r1 + " " + c.r2);
        EXPECT_EQ(RangeInput::CheckPlot(c.t1, c.t2, c.r1, c.r2, -200, 1767, 50).message, c.message);
    }
}

}  // namespace
