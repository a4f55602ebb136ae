#include <gtest/gtest.h>

#include <map>
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

// Labels and ticks take turns, as the renderer draws them.
TEST(ListPlot, LabelAndTickPositions) {
    struct Case {
        long records;
        std::vector<long> labels, ticks;
    };
    const Case cases[] = {{100, {1, 20, 40, 60, 80, 100}, {10, 30, 50, 70, 90}}, {3, {1, 3}, {2}}, {1, {1}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.records);
        std::vector<long> labels, ticks;
        bool labelShown = false;
        for (long position = 1; position <= c.records; ++position) {
            if (!labelShown && ListPlot::IsLabelPosition(position, c.records)) {
                labels.push_back(position);
                labelShown = true;
            } else if (labelShown && ListPlot::IsTickPosition(position, c.records)) {
                ticks.push_back(position);
                labelShown = false;
            }
        }
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(ticks, c.ticks);
    }
}

// A two-channel list: records 1 to 4, C then F; all in C they make one continuous curve.
class PlotRunTest : public testing::Test {
protected:
    void SetUp() override {
        plot.Open("FileList2", true, "C", static_cast<long>(rows.size()));
        plot.SetRange(0, 100, 1, static_cast<long>(rows.size()));
        plot.Layout(700, 600, 50, Metrics);
    }
    Drawing RunAll() {
        ListPlot::Run run(plot, [this](long row, int column) { return rows.at(static_cast<std::size_t>(row - 1)).at(static_cast<std::size_t>(column)); },
                          Metrics);
        Drawing all = run.Grid();
        while (!run.Done()) {
            const Drawing step = run.Next();
            all.insert(all.end(), step.begin(), step.end());
        }
        return all;
    }
    std::vector<std::vector<std::string>> rows = {{"1", "10:00:00", "20.0", "10.0", "10.0", "C"},
                                                   {"2", "10:00:02", "68.0", "50.0", "18.0", "F"},
                                                   {"3", "10:00:04", "20,0", "10.0", "10.0", "C"},
                                                   {"4", "10:00:06", "OL", "100", "----", "C"}};
    ListPlot plot;
};

TEST_F(PlotRunTest, MixedUnitsMakeOneContinuousCurve) {
    const double y20 = plot.OriginY() - 0.2 * plot.Height();
    std::vector<DrawOp> black;
    for (const DrawOp& op : RunAll()) {
        if (op.kind == DrawOp::Kind::Line && op.colour == Colours::Black) black.push_back(op);
    }
    ASSERT_EQ(black.size(), 3u) << "the first record draws no line";
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(black[i].y1, y20, 1e-9);
        EXPECT_NEAR(black[i].y2, y20, 1e-9) << "68 F is 20 C";
    }
    EXPECT_NEAR(black[2].y2, plot.OriginY() - plot.Height() - 5, 1e-9) << "OL 5 px above";
    EXPECT_NEAR(black[0].x1, ListPlot::OriginX, 1e-9);
}

TEST_F(PlotRunTest, TopOfTheRangeLiesOnTheEdgeAndOneRecordDrawsNoLine) {
    std::vector<DrawOp> blue;
    for (const DrawOp& op : RunAll()) {
        if (op.kind == DrawOp::Kind::Line && op.colour == Colours::Blue) blue.push_back(op);
    }
    ASSERT_EQ(blue.size(), 3u);
    EXPECT_NEAR(blue[2].y2, plot.OriginY() - plot.Height(), 1e-9) << "T2 = 100 on the top edge";

    plot.SetRange(0, 100, 2, 2);
    plot.Layout(700, 600, 50, Metrics);
    for (const DrawOp& op : RunAll()) {
        EXPECT_FALSE(op.kind == DrawOp::Kind::Line && op.colour != Colours::Grid) << "a range of one record";
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
