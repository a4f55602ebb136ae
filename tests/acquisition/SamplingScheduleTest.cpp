#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "acquisition/SamplingSchedule.h"

namespace {

constexpr int Day = SamplingSchedule::SecondsPerDay;

// Ticks ten times per second, as the sampling timer does, for `seconds` seconds from `from`
// (wrapping at midnight); returns the seconds of the day at which a sample was due.
std::vector<int> DueSeconds(SamplingSchedule& schedule, int from, int seconds) {
    std::vector<int> due;
    for (int i = 0; i < seconds; ++i) {
        int now = (from + i) % Day;
        for (int tick = 0; tick < 10; ++tick) {
            if (schedule.Tick(now)) due.push_back(now);
        }
    }
    return due;
}

struct ScheduleCase {
    const char* name;
    int interval, setAt;  // SetInterval(interval, setAt) before running
    int from, seconds;
    std::vector<int> due;
};

void PrintTo(const ScheduleCase& c, std::ostream* os) { *os << c.name; }

class Schedules : public testing::TestWithParam<ScheduleCase> {};

TEST_P(Schedules, SamplesFallDue) {
    const ScheduleCase& c = GetParam();
    SamplingSchedule schedule;
    schedule.SetInterval(c.interval, c.setAt);
    EXPECT_EQ(DueSeconds(schedule, c.from, c.seconds), c.due);
}

INSTANTIATE_TEST_SUITE_P(
    SamplingSchedule, Schedules,
    testing::Values(ScheduleCase{"TwoSecondGrid", 2, 1000, 1000, 9, {1002, 1004, 1006, 1008}},
                    ScheduleCase{"OneSecond", 1, 50, 50, 4, {51, 52, 53}},
                    ScheduleCase{"MidnightOnTheGrid", 2, 86394, 86394, 10, {86396, 86398, 0, 2}},
                    ScheduleCase{"DueAt86400", 2, 86396, 86396, 5, {86398, 0}},
                    ScheduleCase{"DueAt86403", 5, 86393, 86393, 16, {86398, 3, 8}},
                    ScheduleCase{"IntervalOfADay", 86400, 100, 100, Day + 1, {100}},
                    ScheduleCase{"IntervalOfADayBeforeMidnight", 86400, 86000, 86000, Day + 1, {86000}}),
    [](const testing::TestParamInfo<ScheduleCase>& info) { return info.param.name; });

// A fresh schedule samples at the first tick, every 2 s; a new interval counts from its setting.
TEST(SamplingSchedule, NewIntervalTakesEffectAtOnce) {
    SamplingSchedule schedule;
    EXPECT_EQ(schedule.SamplingSeconds(), 2);
    EXPECT_EQ(DueSeconds(schedule, 1000, 5), (std::vector<int>{1000, 1002, 1004}));
    schedule.SetInterval(5, 1005);
    EXPECT_EQ(schedule.NextSampleTime(), 1010);
    EXPECT_EQ(DueSeconds(schedule, 1005, 16), (std::vector<int>{1010, 1015, 1020}));
    schedule.SetInterval(1, 1021);
    EXPECT_EQ(DueSeconds(schedule, 1021, 3), (std::vector<int>{1022, 1023}));
}

// Timers stopped over midnight (a long print): the overdue sample comes with the first tick after.
TEST(SamplingSchedule, TicksMissedOverMidnight) {
    SamplingSchedule schedule;
    schedule.SetInterval(10, 86389);
    EXPECT_FALSE(schedule.Tick(86390));
    EXPECT_TRUE(schedule.Tick(5));
    EXPECT_EQ(DueSeconds(schedule, 6, 10), (std::vector<int>{15}));
}

// The clock of the day as the ticks see it; only a step back of more than half a day is midnight.
TEST(SamplingSchedule, ClockStepsBack) {
    struct Case {
        const char* name;
        int setAt;  // a 2-s interval set at this second
        std::vector<int> ticks;
        std::vector<int> due;
    };
    const Case cases[] = {
        {"NtpCorrectionOfOneSecond", 1000, {1001, 1002, 1003, 1002, 1003, 1004, 1005, 1006}, {1002, 1004, 1006}},
        {"EndOfDaylightSaving", 10800, {10801, 10802, 10803, 7203, 7204, 10803, 10804}, {10802, 10804}},
        {"Midnight", 86396, {86398, 86399, 0, 1, 2}, {86398, 0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SamplingSchedule schedule;
        schedule.SetInterval(2, c.setAt);
        std::vector<int> due;
        for (int now : c.ticks) {
            if (schedule.Tick(now)) due.push_back(now);
        }
        EXPECT_EQ(due, c.due);
    }
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
