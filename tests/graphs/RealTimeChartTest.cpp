#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphs/ChartFrame.h"
#include "graphs/RangeInput.h"
#include "graphs/RealTimeChart.h"
#include "meter/Reading.h"

namespace {

const TextMetrics Metrics{[](const std::string& text) { return 6.0 * static_cast<double>(text.size()); }, 14};

// A chart opened on a 700 x 600 client area for two channels in C, 2-s samples, 5 minutes across.
RealTimeChart OpenChart(double samplingSeconds = 2, bool dual = true, const std::string& unit = "C") {
    RealTimeChart chart;
    chart.Open(dual, unit);
    chart.SetSpan(700, RealTimeChart::DefaultSpanSeconds, samplingSeconds);
    chart.Loaded();
    chart.Layout(700, 600, Metrics);
    return chart;
}

CurrentReading ReadingOf(double t1, double t2, bool dual = true, const std::string& unit = "C") {
    CurrentReading r;
    r.DualChannel = dual;
    r.UnitText = unit;
    r.T1C = r.T1F = r.T1K = Reading::Number(t1);
    r.T2C = r.T2F = r.T2K = Reading::Number(t2);
    r.T1T2C = r.T1T2F = r.T1T2K = Reading::Number(t1 - t2);
    return r;
}

const DrawOp* FindText(const Drawing& drawing, const std::string& text) {
    const auto it = std::find_if(drawing.begin(), drawing.end(), [&](const DrawOp& op) {
        return op.kind == DrawOp::Kind::Text && op.text == text;
    });
    return it == drawing.end() ? nullptr : &*it;
}

long CountLines(const Drawing& drawing, Colour colour) {
    return std::count_if(drawing.begin(), drawing.end(), [&](const DrawOp& op) {
        return op.kind == DrawOp::Kind::Line && op.colour == colour && op.x1 != op.x2;
    });
}

TEST(RealTimeChart, GeometryAndTimeLabelInterval) {
    struct Case {
        int width, height;
        double samplingSeconds;
        double plotWidth, plotHeight, originY, step, labelInterval;
    };
    const Case cases[] = {
        // 648 px leave a plot of 600: 150 samples of 4 px at 2 s, 15 a minute, so a label every 16.
        {700, 600, 2, 600, 500, 560, 4.0, 16},
        {700, 600, 1, 600, 500, 560, 2.0, 30},
        {112, 300, 2, 60, 200, 260, 0.4, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        RealTimeChart chart;
        chart.Open(true, "C");
        chart.SetSpan(c.width, RealTimeChart::DefaultSpanSeconds, c.samplingSeconds);
        chart.Layout(c.width, c.height, Metrics);
        EXPECT_EQ(chart.PlotWidth(), c.plotWidth);
        EXPECT_EQ(chart.PlotHeight(), c.plotHeight);
        EXPECT_EQ(chart.OriginY(), c.originY);
        EXPECT_DOUBLE_EQ(chart.XStep(), c.step);
        EXPECT_DOUBLE_EQ(chart.LabelInterval(), c.labelInterval);
    }
}

TEST(RealTimeChart, ReadingsToHeights) {
    RealTimeChart chart = OpenChart();
    chart.SetRange(100, 0);
    chart.Layout(700, 600, Metrics);
    struct Case {
        Reading value;
        double height;
    };
    const Case cases[] = {
        {Reading::Number(50), 250},  {Reading::Number(100), 500},        {Reading::Number(0), 0},
        {Reading::Number(100.1), 505}, {Reading::Number(-0.1), -3},      {Reading::Mark(Reading::Kind::Over), 505},
        {Reading::Mark(Reading::Kind::NoReading), 505}, {Reading::Mark(Reading::Kind::Under), -3},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(chart.Height(c.value), c.height) << c.value.Text();
}

TEST(RealTimeChart, TemperatureLabels) {
    const std::pair<double, const char*> cases[] = {{1767, "1767.0"}, {1521.125, "1521.13"}, {-200, "-200.0"},
                                                    {45.875, "45.88"},   {0.5, "0.5"},          {-0.004, "0.0"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(ChartFrame::TemperatureLabel(value), text) << value;
}

// The pen starts at the left edge with no line, joins every later sample, and when it passes the
// right edge starts again at the left without a line back.
TEST(RealTimeChart, SweepAndWrap) {
    RealTimeChart chart = OpenChart(2, false);
    const CurrentReading reading = ReadingOf(20, 0, false);
    EXPECT_EQ(CountLines(chart.Sample("10:00:00", reading, Metrics), Colours::Black), 0) << "the first sample";
    EXPECT_EQ(chart.XPos(), 0);
    for (int sample = 1; sample <= 150; ++sample) {
        const Drawing drawing = chart.Sample("10:00:02", reading, Metrics);
        EXPECT_EQ(CountLines(drawing, Colours::Black), 1) << sample;
    }
    EXPECT_EQ(chart.XPos(), chart.PlotWidth());
    EXPECT_EQ(CountLines(chart.Sample("10:05:02", reading, Metrics), Colours::Black), 0) << "after the wrap";
    EXPECT_EQ(chart.XPos(), 0);
}

// A change of unit or channel mode freezes the chart.
TEST(RealTimeChart, FreezesOnAnotherMeter) {
    RealTimeChart frozen = OpenChart();
    EXPECT_TRUE(frozen.Sample("00:01:40", ReadingOf(20, 10, true, "F"), Metrics).empty());
    EXPECT_TRUE(frozen.Sample("00:01:42", ReadingOf(20, 10, false, "C"), Metrics).empty());
}

// However the span divides the plot, a sweep holds the samples from the left edge up to the last
// one before a step past the right edge: sample i (from 0) is drawn while (i - 1) · sampling < span.
TEST(RealTimeChart, EverySweepHoldsItsSamplesAndNoMore) {
    int combinations = 0;
    for (int clientWidth : {700, 1000}) {
        for (int samplingSeconds : {1, 2, 3, 7}) {
            for (int minutes = 1; minutes <= 30; ++minutes) {
                const int span = minutes * 60;
                long expected = 0;
                while ((expected - 1) * samplingSeconds < span) ++expected;
                RealTimeChart chart;
                chart.Open(false, "C");
                chart.SetSpan(clientWidth, span, samplingSeconds);
                chart.Loaded();
                chart.Layout(clientWidth, 600, Metrics);
                const CurrentReading reading = ReadingOf(20, 0, false);
                long samples = 0;
                double rightmost = 0;
                do {
                    chart.Sample("00:00:00", reading, Metrics);
                    rightmost = std::max(rightmost, chart.XPos());
                    ++samples;
                } while (chart.XPos() > 0 || samples == 1);
                EXPECT_EQ(samples - 1, expected)
                    << clientWidth << " px, " << minutes << " min at " << samplingSeconds << " s";
                EXPECT_LT(rightmost, chart.PlotWidth() + chart.XStep() * 0.999);
                ++combinations;
            }
        }
    }
    EXPECT_EQ(combinations, 240);
}

// A graph window loaded again starts its sweep with a time label at the left edge, whatever the
// previous window left pending.
TEST(RealTimeChart, AReloadedChartLabelsItsLeftEdge) {
    RealTimeChart chart = OpenChart();
    EXPECT_NE(FindText(chart.Sample("10:00:00", ReadingOf(20, 10), Metrics), "10:00:00 "), nullptr);
    chart.Loaded();
    chart.Layout(700, 600, Metrics);
    EXPECT_NE(FindText(chart.Sample("10:00:02", ReadingOf(20, 10), Metrics), "10:00:02 "), nullptr);
}

// Opened before the meter's first frame (no unit yet), the chart waits for it, then takes its
// unit, range and channel mode and draws from there instead of freezing.
TEST(RealTimeChart, ChartOpenedBeforeTheFirstFrameTakesItsUnit) {
    RealTimeChart chart;
    chart.Open(false, "");
    chart.SetSpan(700, RealTimeChart::DefaultSpanSeconds, 2);
    chart.Loaded();
    chart.Layout(700, 600, Metrics);
    EXPECT_TRUE(chart.Sample("10:00:00", CurrentReading{}, Metrics).empty()) << "nothing to draw yet";

    const Drawing first = chart.Sample("10:00:02", ReadingOf(30, 10, true, "F"), Metrics);
    EXPECT_NE(FindText(first, "\u00B0F"), nullptr) << "the chart is laid out again for the unit";
    EXPECT_NE(FindText(first, "T1-T2"), nullptr) << "and the channel mode";
    EXPECT_EQ(chart.YMax(), 1999.9);
    EXPECT_EQ(chart.YMin(), -328);
    const Drawing second = chart.Sample("10:00:04", ReadingOf(30, 10, true, "F"), Metrics);
    EXPECT_EQ(CountLines(second, Colours::Black), 1);
    EXPECT_EQ(CountLines(second, Colours::Blue), 1);
}

// A range stored after the layout (a range dialog whose later check failed) is not what the axes
// show: the curve keeps to the labelled range until the chart is laid out again.
TEST(RealTimeChart, CurveKeepsToTheRangeItsAxesShow) {
    RealTimeChart chart = OpenChart(2, false);
    chart.SetRange(100, 0);
    chart.Layout(700, 600, Metrics);
    chart.SetRange(50, 0);
    chart.Sample("10:00:00", ReadingOf(30, 0, false), Metrics);
    const Drawing drawing = chart.Sample("10:00:02", ReadingOf(30, 0, false), Metrics);
    const auto line = std::find_if(drawing.begin(), drawing.end(), [](const DrawOp& op) {
        return op.kind == DrawOp::Kind::Line && op.colour == Colours::Black;
    });
    ASSERT_NE(line, drawing.end());
    EXPECT_DOUBLE_EQ(line->y2, chart.OriginY() - 0.3 * chart.PlotHeight());
    EXPECT_EQ(chart.YMax(), 50) << "the stored range stays for the dialog";
}

// A time label is cleared in full before it is drawn, so the label of the previous sweep at the
// same place leaves nothing behind.
TEST(RealTimeChart, TimeLabelIsClearedInFull) {
    RealTimeChart chart = OpenChart();
    const Drawing drawing = chart.Sample("10:00:00", ReadingOf(20, 10), Metrics);
    const DrawOp* label = FindText(drawing, "10:00:00 ");
    ASSERT_NE(label, nullptr);
    const auto box = std::find_if(drawing.begin(), drawing.end(), [&](const DrawOp& op) {
        return op.kind == DrawOp::Kind::Box && op.y1 <= label->y1 && op.y2 >= label->y1;
    });
    ASSERT_NE(box, drawing.end());
    EXPECT_LE(std::min(box->x1, box->x2), label->x1);
    EXPECT_GE(std::max(box->x1, box->x2), label->x1 + Metrics.width(label->text));
    EXPECT_GE(std::max(box->y1, box->y2), label->y1 + Metrics.height);
    EXPECT_LT(&*box, label) << "cleared before it is drawn";
}

// The unit sign never overlaps a temperature label: beside the middle label where the widest
// one leaves room, else just above it.
TEST(ChartFrame, UnitSignStaysClearOfTheLabels) {
    struct Case {
        double charWidth, yMax, yMin;
        bool besideMiddleLabel;
    };
    const Case cases[] = {
        {4, 100, 0, true}, {6, 100, 0, false}, {6, 1671.9, 0, false}, {4, 1767, -200, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.yMax);
        const TextMetrics metrics{
            [&](const std::string& text) { return c.charWidth * static_cast<double>(text.size()); }, 14};
        Drawing drawing;
        const ChartFrame::Area area{52, 560, 600, 500};
        ChartFrame::Draw(drawing, {52, 0, 12, 50, DrawOp::Style::Dashed}, area, c.yMin, c.yMax, "C", false,
                         metrics);
        const DrawOp* unit = FindText(drawing, "\u00B0C");
        ASSERT_NE(unit, nullptr);
        const DrawOp* middle = FindText(drawing, ChartFrame::TemperatureLabel((c.yMax + c.yMin) / 2));
        ASSERT_NE(middle, nullptr);
        EXPECT_EQ(unit->x1, 2);
        EXPECT_EQ(unit->y1 == middle->y1, c.besideMiddleLabel);
        for (const DrawOp& op : drawing) {
            if (op.kind != DrawOp::Kind::Text || &op == unit) continue;
            const bool apart = op.x1 >= unit->x1 + metrics.width(unit->text) ||
                               op.y1 >= unit->y1 + metrics.height || unit->y1 >= op.y1 + metrics.height;
            EXPECT_TRUE(apart) << op.text;
        }
    }
}

TEST(RangeInput, ChecksInOrder) {
    using Status = RangeInput::Outcome::Status;
    struct Case {
        RangeInput::Request request;
        Status status;
        const char* message;
        bool rangeKept;
    };
    const Case cases[] = {
        {{"100", "0", "5  min", "5", "14"}, Status::Accepted, "", true},
        {{"1767", "-200", "1440", "14", "5"}, Status::Accepted, "", true},
        {{"1768", "0", "5", "5", "5"}, Status::Refused, "-200 <= Temperature <= 1767, try again!", false},
        {{"50", "50", "5", "5", "5"}, Status::Refused, "-200 <= Temperature <= 1767, try again!", false},
        {{"--5", "-201", "5", "5", "5"}, Status::Refused, "-200 <= Temperature <= 1767, try again!", false},
        {{"100", "--5", "5", "5", "5"}, Status::Accepted, "", true},
        {{"100", "0", "5", "4", "5"}, Status::Refused, "5 <= Width <= 14, try again!", true},
        {{"100", "0", "5", "5", "15"}, Status::Refused, "5 <= Height <= 14, try again!", true},
        {{"100", "0", "0  min", "5", "5"}, Status::Refused, "1 <= Counts <= 1440, try again!", true},
        {{"100", "0", "1441", "5", "5"}, Status::Refused, "1 <= Counts <= 1440, try again!", true},
        {{"100", "0", "5", "+5", "1e1"}, Status::Accepted, "", true},
        {{"100", "0", "5", "1e2", "5"}, Status::Refused, "5 <= Width <= 14, try again!", true},
        {{"100", "0", "5", "+-5", "5"}, Status::Fault, "", true},
        {{"100", "0", "5", "wide", "5"}, Status::Fault, "", true},
        {{"100", "0", "5", "5", ""}, Status::Fault, "", true},
        {{std::string(400, '9'), "0", "5", "5", "5"},
         Status::Refused,
         "-200 <= Temperature <= 1767, try again!",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.max + " " + c.request.min + " " + c.request.counts + " " + c.request.width + " " +
                     c.request.height);
        const RangeInput::Outcome outcome = RangeInput::Check(c.request, 1767, -200);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(outcome.rangeChecked, c.rangeKept);
    }
    EXPECT_EQ(RangeInput::Check({"1999.9", "-328", "1", "5", "5"}, 1999.9, -328).spanSeconds, 60);
    EXPECT_EQ(RangeInput::Check({"1", "0", "2", "5", "5"}, 1999.9, 0).message, "");
    EXPECT_EQ(RangeInput::Check({"1", "1", "2", "5", "5"}, 1999.9, 0).message, "0 <= Temperature <= 1999.9, try again!");
}

// Numbers as the dialog shows them: at most 15 significant digits, no trailing zeros, so a span
// computed with a rounding error reads as the span it is, and its own check accepts it.
// Plain decimals, read without from_chars, come out as from_chars reads them, to the last bit.
TEST(RangeInput, LeadingNumberReadsDecimalsExactly) {
    const char* texts[] = {"23.5",
                           "-0.1",
                           "1999.9",
                           "-328",
                           "+7.25",
                           "  .5",
                           "5.",
                           "-0.0",
                           "0.30000000000001",
                           "123456789012345",
                           "1234567890123456",
                           "98765.4321098765",
                           "0.000000000000001"};
    for (const char* text : texts) {
        std::string_view plain(text);
        while (plain.front() == ' ') plain.remove_prefix(1);
        if (plain.front() == '+') plain.remove_prefix(1);
        double expected = 0;
        std::from_chars(plain.data(), plain.data() + plain.size(), expected, std::chars_format::fixed);
        const double read = RangeInput::LeadingNumber(text);
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0)
            << text << ": " << read << " != " << expected;
    }
    for (int tenths = -20000; tenths <= 20000; ++tenths) {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
        double expected = 0;
        std::from_chars(text, text + std::strlen(text), expected);
        ASSERT_EQ(RangeInput::LeadingNumber(text), expected) << text;
    }
}

TEST(RangeInput, NumberTextShowsFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {6.999999999999999, "7"},
        {0.9999999999999999, "1"},
        {1440.0000000000002, "1440"},
        {29.0 / 6, "4.83333333333333"},
        {1767, "1767"},
        {-200, "-200"},
        {1999.9, "1999.9"},
        {-0.0, "0"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(RangeInput::NumberText(value), text) << value;
    for (double minutes : {0.9999999999999999, 1440.0000000000002}) {
        EXPECT_EQ(
            RangeInput::Check({"100", "0", RangeInput::NumberText(minutes) + "  min", "5", "5"}, 1767, -200)
                .message,
            "");
    }
}

// The steps the dialog shows for a window it sized are the steps it was sized with, at any
// screen resolution, so OK without a change keeps the window as it is.
TEST(RangeInput, WindowStepsReadBackAsSet) {
    for (double dpi : {96.0, 120.0, 144.0, 168.0}) {
        const double twipsPerPixel = 1440 / dpi;
        for (int steps = RangeInput::MinSteps; steps <= RangeInput::MaxSteps; ++steps) {
            const RangeInput::WindowTwips twips = RangeInput::GraphWindowTwips(steps, steps);
            const long widthPx = std::lround(twips.width / twipsPerPixel),
                       heightPx = std::lround(twips.height / twipsPerPixel);
            const RangeInput::WindowSteps back = RangeInput::GraphWindowSteps(
                widthPx * twipsPerPixel, heightPx * twipsPerPixel, twipsPerPixel, twipsPerPixel);
            EXPECT_EQ(back.width, steps) << dpi << " dpi";
            const RangeInput::WindowTwips again = RangeInput::GraphWindowTwips(back.width, back.height);
            EXPECT_EQ(again.height, twips.height) << dpi << " dpi, " << steps << " steps";
        }
    }
    EXPECT_EQ(RangeInput::GraphWindowTwips(9, 10).width, 9690);
    EXPECT_EQ(RangeInput::GraphWindowTwips(9, 10).height, 9855);
    EXPECT_EQ(RangeInput::GraphWindowTwips(5, 12).height, 11655);
    EXPECT_EQ(RangeInput::GraphWindowTwips(5, 13).height, 11800);
    // The graph as first opened: 10410 x 9420 twips inside a frame of 2 x 25 px.
    const RangeInput::WindowSteps opened = RangeInput::GraphWindowSteps(10440, 9795, 15, 15);
    EXPECT_EQ(opened.width, 9);
    EXPECT_EQ(opened.height, 10);
}

}  // namespace
