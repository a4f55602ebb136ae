#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stats/Statistics.h"

namespace {

using Statistics::Channel;
using Kind = Reading::Kind;

const Reading Empty;
const Reading NoReading = Reading::Mark(Kind::NoReading);
const Reading Over = Reading::Mark(Kind::Over);
const Reading Under = Reading::Mark(Kind::Under);
Reading N(double value) { return Reading::Number(value); }

TEST(Statistics, UpdateMaxMin) {
    struct Case {
        const char* name;
        Reading sample;
        const char* shownMax;
        const char* shownMin;
        struct {
            const char* text;
            bool timeMoved;
        } max, min;
    };
    const Case cases[] = {
        {"first number", N(21.5), "", "", {"21.5", true}, {"21.5", true}},
        {"higher", N(23.0), "22.0", "20.0", {"23.0", true}, {"20.0", false}},
        {"tie on the maximum moves its time", N(22.0), "22.0", "20.0", {"22.0", true}, {"20.0", false}},
        {"tie on the minimum moves its time", N(20.0), "22.0", "20.0", {"22.0", false}, {"20.0", true}},
        {"negative", N(-5.0), "-3.0", "-4.0", {"-3.0", false}, {"-5.0", true}},
        {"compared as shown, in tenths", N(22.04), "22.0", "20.0", {"22.0", true}, {"20.0", false}},
        {"kept number shown as 0.0", N(5.0), "22", "-1", {"22.0", false}, {"-1.0", false}},
        {"number under OL", N(5.0), "OL", "3.0", {"OL", false}, {"3.0", false}},
        {"number over -OL", N(5.0), "-OL", "-OL", {"5.0", true}, {"-OL", false}},
        {"number takes a minimum of OL", N(5.0), "OL", "OL", {"OL", false}, {"5.0", true}},
        {"number against ----", N(5.0), "----", "----", {"----", false}, {"----", false}},
        {"OL first", Over, "", "", {"OL", true}, {"OL", true}},
        {"OL after numbers", Over, "22.0", "20.0", {"OL", true}, {"20.0", false}},
        {"OL against ----", Over, "----", "----", {"----", false}, {"----", false}},
        {"OL over -OL", Over, "-OL", "-OL", {"OL", true}, {"-OL", false}},
        {"-OL first", Under, "", "", {"-OL", true}, {"-OL", true}},
        {"-OL after numbers", Under, "22.0", "20.0", {"22.0", false}, {"-OL", true}},
        {"-OL against ----", Under, "----", "----", {"----", false}, {"----", false}},
        {"---- takes both", NoReading, "OL", "20.0", {"----", true}, {"----", true}},
        {"a channel never read counts as ----", Empty, "22.0", "20.0", {"----", true}, {"----", true}},
        {"texts that are no number count as empty", N(1.0), "abc", "nan", {"1.0", true}, {"1.0", true}},
        {"infinity is no number", N(1.0), "inf", "-inf", {"1.0", true}, {"1.0", true}},
        {"half a number is no number", N(5.0), "9x", "1.0 ", {"5.0", true}, {"5.0", true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Statistics::MaxMin next = Statistics::UpdateMaxMin(c.sample, Statistics::ParseShown(c.shownMax),
                                                                 Statistics::ParseShown(c.shownMin));
        EXPECT_EQ(next.max.value.Text(), c.max.text);
        EXPECT_EQ(next.max.timeMoved, c.max.timeMoved);
        EXPECT_EQ(next.min.value.Text(), c.min.text);
        EXPECT_EQ(next.min.timeMoved, c.min.timeMoved);
    }
}

TEST(Statistics, AverageAfterEachSample) {
    struct Case {
        const char* name;
        std::vector<Reading> samples;
        std::vector<std::string> averages;
    };
    const Case cases[] = {
        {"numbers", {N(20.0), N(22.0), N(22.0)}, {"20.0", "21.0", "21.3"}},
        {"OL sticks", {N(20.0), Over, N(25.0)}, {"20.0", "OL", "OL"}},
        {"-OL makes the sum OL", {Under, N(5.0)}, {"OL", "OL"}},
        {"---- wins over OL", {Over, NoReading, N(5.0)}, {"OL", "----", "----"}},
        {"OL never replaces ----", {NoReading, Over}, {"----", "----"}},
        {"average of the shown tenths", {N(0.05), N(0.0)}, {"0.1", "0.1"}},
        {"negative", {N(-10.0), N(-11.0)}, {"-10.0", "-10.5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Statistics::Figures figures;
        std::vector<std::string> averages;
        for (const Reading& sample : c.samples) {
            figures.Add(sample);
            averages.push_back(figures.AverageText());
        }
        EXPECT_EQ(averages, c.averages);
    }
}

TEST(Statistics, SampleIsTheChannelInTheUnitAtStart) {
    CurrentReading r;
    r.T1C = N(1), r.T1F = N(2), r.T1K = N(3);
    r.T2C = N(4), r.T2F = N(5), r.T2K = N(6);
    r.T1T2C = N(7), r.T1T2F = N(8), r.T1T2K = N(9);
    r.UnitText = "C";  // the meter's present unit never decides
    struct Case {
        const char* unit;
        double t1, t2, t1t2;
    };
    const Case cases[] = {{"C", 1, 4, 7}, {"F", 2, 5, 8}, {"K", 3, 6, 9}, {"", 3, 6, 9}, {"c", 3, 6, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        EXPECT_EQ(Statistics::Sample(r, Channel::T1, c.unit), N(c.t1));
        EXPECT_EQ(Statistics::Sample(r, Channel::T2, c.unit), N(c.t2));
        EXPECT_EQ(Statistics::Sample(r, Channel::T1T2, c.unit), N(c.t1t2));
    }
}

}  // namespace
