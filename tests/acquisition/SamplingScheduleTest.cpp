#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/SamplingSchedule.h"

namespace {

constexpr int Day = 86400;

// The clock of the day as a function of the steady clock: `offset` seconds ahead of it, set by
// `step` seconds (below 0 back) once the steady clock reaches `stepAt`, wrapping at midnight.
struct DayClock {
    double offset = 0;
    double stepAt = 1e18;
    double step = 0;
    double At(double steady) const {
        double t = steady + offset + (steady >= stepAt ? step : 0);
        return std::fmod(std::fmod(t, Day) + Day, Day);
    }
};

// Looks ten times per second, as the engine does at the least, for `seconds` seconds of the steady
// clock from `from`; returns the whole seconds of the day at which a sample was due.
std::vector<int> DueSeconds(SamplingSchedule& schedule, const DayClock& clock, double from, int seconds) {
    std::vector<int> due;
    for (int i = 0; i < seconds * 10; ++i) {
        const double now = from + i * 0.1;
        if (schedule.Tick(now, clock.At(now))) due.push_back(static_cast<int>(std::llround(clock.At(now) * 1000) / 1000));
    }
    return due;
}

struct ScheduleCase {
    const char* name;
    int interval;
    DayClock clock;
    double setAt;  // SetInterval on the steady clock, then looks from there
    int seconds;
    std::vector<int> due;
};

void PrintTo(const ScheduleCase& c, std::ostream* os) { *os << c.name; }

class Schedules : public testing::TestWithParam<ScheduleCase> {};

TEST_P(Schedules, SamplesFallDue) {
    const ScheduleCase& c = GetParam();
    SamplingSchedule schedule;
    schedule.SetInterval(c.interval, c.setAt, c.clock.At(c.setAt));
    EXPECT_EQ(DueSeconds(schedule, c.clock, c.setAt, c.seconds), c.due);
}

// The steady clock starts at 50 s; the day's clock is 1000.3 s ahead of it unless said.
INSTANTIATE_TEST_SUITE_P(
    SamplingSchedule, Schedules,
    testing::Values(
        ScheduleCase{"TwoSecondGridOnWholeSeconds", 2, {1000.3}, 50, 9, {1052, 1054, 1056, 1058}},
        ScheduleCase{"OneSecond", 1, {1000.3}, 50, 4, {1051, 1052, 1053, 1054}},
        ScheduleCase{"OverMidnight", 2, {86340.5}, 50, 10, {86392, 86394, 86396, 86398, 0}},
        ScheduleCase{"IntervalOfADay", 86400, {1000}, 50, Day + 1, {1050}},
        // The end of daylight saving time: the hour comes again and sampling goes on through it.
        ScheduleCase{"ClockSetBackAnHour", 2, {10740.0, 55.5, -3600}, 50, 10, {10792, 10794, 7196, 7198}},
        ScheduleCase{"ClockSetBackHalfASecond", 2, {1000.0, 53.2, -0.5}, 50, 8, {1052, 1053, 1055, 1057}},
        // Set forward: the skipped time is a gap, and the grid goes on from the new time.
        ScheduleCase{"ClockSetForward", 2, {1000.0, 53.5, 600}, 50, 8, {1052, 1654, 1656}}),
    [](const testing::TestParamInfo<ScheduleCase>& info) { return info.param.name; });

// A schedule never set samples at its first look, every 2 s; a new interval counts from the start
// of the second it was set in.
TEST(SamplingSchedule, NewIntervalTakesEffectAtOnce) {
    const DayClock clock{1000};
    SamplingSchedule schedule;
    EXPECT_EQ(schedule.SamplingSeconds(), 2);
    EXPECT_EQ(DueSeconds(schedule, clock, 0, 5), (std::vector<int>{1000, 1002, 1004}));
    schedule.SetInterval(5, 5.7, clock.At(5.7));
    EXPECT_DOUBLE_EQ(schedule.NextSampleTime(), 10);
    EXPECT_EQ(DueSeconds(schedule, clock, 5.8, 16), (std::vector<int>{1010, 1015, 1020}));
}

// The engine stopped for a while (the machine starved): the overdue sample comes at the first look
// after, and the next one an interval from that second.
TEST(SamplingSchedule, LateLookTakesOneSample) {
    const DayClock clock{1000};
    SamplingSchedule schedule;
    schedule.SetInterval(2, 0, clock.At(0));
    EXPECT_FALSE(schedule.Tick(1.9, clock.At(1.9)));
    EXPECT_TRUE(schedule.Tick(7.4, clock.At(7.4)));
    EXPECT_FALSE(schedule.Tick(8.9, clock.At(8.9)));
    EXPECT_TRUE(schedule.Tick(9.0, clock.At(9.0)));
}

TEST(SamplingSchedule, ParseInterval) {
    EXPECT_EQ(SamplingSchedule::ParseInterval(""), std::nullopt);
    const std::string manyDigits(400, '9');
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::pair<std::string, int> cases[] = {
        {"2", 2},         {"2.5", 2},          {"3.5", 4},   {"4.5", 4},   {"1.5", 2},
        {"0.4", 1},       {"0.5", 1},          {"0", 1},     {"-5", 1},    {"100000", 86400},
        {"86400", 86400}, {"86400.5", 86400},  {" 10 ", 10}, {"\t7\t", 7}, {"+4", 4},
        {"30.", 30},      {".5", 1},           {"abc", 1},   {"12abc", 1}, {"2,5", 1},
        {"1e3", 1},       {"inf", 1},          {"nan", 1},   {"   ", 1},   {".", 1},
        {"-", 1},         {manyDigits, 86400}, {tiny, 1},
    };
    for (const auto& [text, seconds] : cases) {
        EXPECT_EQ(SamplingSchedule::ParseInterval(text), std::optional<int>(seconds)) << '"' << text << '"';
    }
}

}  // namespace
