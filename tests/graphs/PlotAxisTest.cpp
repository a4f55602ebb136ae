#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphs/PlotAxis.h"

namespace {

std::vector<std::string> Labels(const PlotAxis::Temperatures& axis) {
    std::vector<std::string> labels;
    for (const double tick : axis.ticks) labels.push_back(PlotAxis::TemperatureText(tick, axis.decimals));
    return labels;
}

// Data from -2 to 30 degrees on room for eight steps: a round step of 5 from below the data to
// above it, labels without decimals. Steps of 2.5 and 0.25 take the decimals they need, and
// the user's ends stay where they were put.
TEST(PlotAxis, TemperaturesOnARoundStepThatEnclosesTheData) {
    const PlotAxis::Temperatures room = PlotAxis::TemperatureAxis(-2, 30, 8);
    EXPECT_EQ(room.step, 5);
    EXPECT_LT(room.low, -2);
    EXPECT_GT(room.high, 30);
    EXPECT_EQ(Labels(room), (std::vector<std::string>{"-5", "0", "5", "10", "15", "20", "25", "30", "35"}));

    EXPECT_EQ(
        Labels(PlotAxis::TemperatureAxis(1.1, 2.9, 8)),
        (std::vector<std::string>{"1.00", "1.25", "1.50", "1.75", "2.00", "2.25", "2.50", "2.75", "3.00"}));
    EXPECT_EQ(Labels(PlotAxis::TemperatureAxis(20.1, 20.9, 8)),
              (std::vector<std::string>{"20.0", "20.2", "20.4", "20.6", "20.8", "21.0"}));
    EXPECT_EQ(Labels(PlotAxis::TemperatureAxis(-0.3, 0.3, 4)),
              (std::vector<std::string>{"-0.4", "-0.2", "0.0", "0.2", "0.4"}));

    const PlotAxis::Temperatures fixed = PlotAxis::TemperatureAxis(-2, 30, 8, -20.5, 150);
    EXPECT_EQ(fixed.low, -20.5);
    EXPECT_EQ(fixed.high, 150);
    EXPECT_EQ(Labels(fixed),
              (std::vector<std::string>{"-20", "0", "20", "40", "60", "80", "100", "120", "140"}));
    // One end given above all the data: the other still lies beyond it.
    const PlotAxis::Temperatures above = PlotAxis::TemperatureAxis(-2, 30, 8, 40, std::nullopt);
    EXPECT_EQ(above.low, 40);
    EXPECT_GT(above.high, 40);
    // One value throughout still makes an axis.
    const PlotAxis::Temperatures flat = PlotAxis::TemperatureAxis(25, 25, 8);
    EXPECT_LT(flat.low, 25);
    EXPECT_GT(flat.high, 25);
}

// Labels on whole minutes or hours as the span suits, seconds only for a short run; the running
// time goes on a day at midnight, not where the clock is set back an hour; dates from the first day.
TEST(PlotAxis, TimesOfDayAndDates) {
    EXPECT_EQ(PlotAxis::TimeStep(16 * 3600, 9), 7200);
    EXPECT_EQ(PlotAxis::TimeStep(16 * 3600, 8), 10800) << "9 labels at 2 h";
    EXPECT_EQ(PlotAxis::TimeStep(3600, 8), 600);
    EXPECT_EQ(PlotAxis::TimeStep(40, 8), 10);
    EXPECT_EQ(PlotAxis::TimeStep(3 * 86400, 2), 2 * 86400);
    EXPECT_EQ(PlotAxis::TimeText(7200 + 86400, 7200), "02:00");
    EXPECT_EQ(PlotAxis::TimeText(3600 + 61, 10), "01:01:01");

    PlotAxis::RunningTime running;
    EXPECT_EQ(running.Next("23:59:59"), 86399);
    EXPECT_EQ(running.Next("00:00:01"), 86401);
    EXPECT_EQ(running.Next("02:30:00"), 86400 + 9000);
    EXPECT_EQ(running.Next("01:30:00"), 86400 + 5400) << "the clock set back an hour";
    EXPECT_EQ(running.Next("12:00"), std::nullopt);

    const std::optional<long> day = PlotAxis::DayOf("2026-12-31");
    ASSERT_TRUE(day);
    EXPECT_EQ(PlotAxis::DateText(*day, 86399), "2026-12-31");
    EXPECT_EQ(PlotAxis::DateText(*day, 86400), "2027-01-01");
    EXPECT_EQ(PlotAxis::DayOf("2026-02-30"), std::nullopt);
    EXPECT_EQ(PlotAxis::DayOf("26-12-31"), std::nullopt);
}

}  // namespace
