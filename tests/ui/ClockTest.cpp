#include <gtest/gtest.h>

#include "FakeClock.h"

namespace {

TEST(FakeClock, CrossesMidnightBothWays) {
    FakeClock clock(23, 59, 58);
    EXPECT_EQ(clock.TimeText(), "23:59:58");
    EXPECT_EQ(clock.SecondsSinceMidnight(), 86398);
    clock.Advance(1);
    EXPECT_EQ(clock.TimeText(), "23:59:59");
    clock.Advance(1);
    EXPECT_EQ(clock.TimeText(), "00:00:00");
    EXPECT_EQ(clock.SecondsSinceMidnight(), 0);
    clock.Advance(-1);
    EXPECT_EQ(clock.TimeText(), "23:59:59");
    clock.Advance(3 * 86400 + 62);
    EXPECT_EQ(clock.TimeText(), "00:01:01");
}

TEST(FakeClock, WholeSecondsAndTextFormat) {
    struct Case {
        double seconds;
        int whole;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "00:00:00"},        {7 * 3600 + 5 * 60 + 9, 25509, "07:05:09"},
        {13 * 3600 + 0.999, 46800, "13:00:00"},  // fractions never round up to the next second
        {86400 + 5, 5, "00:00:05"}, {-1, 86399, "23:59:59"},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        clock.SetSeconds(c.seconds);
        EXPECT_EQ(clock.SecondsSinceMidnight(), c.whole) << c.seconds;
        EXPECT_EQ(clock.TimeText(), c.text) << c.seconds;
    }
}

}  // namespace
