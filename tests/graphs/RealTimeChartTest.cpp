#include <gtest/gtest.h>

#include <algorithm>
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
    int now = 36000;
    EXPECT_EQ(CountLines(chart.Tick(now, "10:00:00", 2, reading, Metrics), Colours::Black), 0) << "the first sample";
    EXPECT_EQ(chart.XPos(), 0);
    for (int sample = 1; sample <= 150; ++sample) {
        now += 2;
        const Drawing drawing = chart.Tick(now, "10:00:02", 2, reading, Metrics);
        EXPECT_EQ(CountLines(drawing, Colours::Black), 1) << sample;
    }
    EXPECT_EQ(chart.XPos(), chart.PlotWidth());
    now += 2;
    EXPECT_EQ(CountLines(chart.Tick(now, "10:05:02", 2, reading, Metrics), Colours::Black), 0) << "after the wrap";
    EXPECT_EQ(chart.XPos(), 0);
    now += 1;
    EXPECT_TRUE(chart.Tick(now, "10:05:03", 2, reading, Metrics).empty()) << "not due yet";
}

// A change of unit or channel mode freezes the chart; a clock passing midnight does not stop it.
TEST(RealTimeChart, FreezesOnAnotherMeterButGoesOnOverMidnight) {
    RealTimeChart frozen = OpenChart();
    EXPECT_FALSE(frozen.Tick(100, "00:01:40", 2, ReadingOf(20, 10, true, "F"), Metrics).size() > 0);
    EXPECT_FALSE(frozen.Tick(102, "00:01:42", 2, ReadingOf(20, 10, false, "C"), Metrics).size() > 0);

    RealTimeChart night = OpenChart();
    EXPECT_FALSE(night.Tick(86398, "23:59:58", 2, ReadingOf(20, 10), Metrics).empty());
    EXPECT_TRUE(night.Tick(86399, "23:59:59", 2, ReadingOf(20, 10), Metrics).empty());
    EXPECT_FALSE(night.Tick(0, "00:00:00", 2, ReadingOf(20, 10), Metrics).empty()) << "due at 86400";
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
        {{"100", "0", "5", "wide", "5"}, Status::Fault, "", true},
        {{"100", "0", "5", "5", ""}, Status::Fault, "", true},
        {{std::string(400, '9'), "0", "5", "5", "5"}, Status::Refused, "-200 <= Temperature <= 1767, try again!", false},
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

}  // namespace
