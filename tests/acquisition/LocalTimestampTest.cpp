#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "acquisition/LocalTimestamp.h"

namespace {

// The time of day and the calendar clock are read one after the other: a second that begins
// between the two readings, midnight's or that of the end of summer time, dates the sample as the
// instant that had its time of day, not as the calendar's. In Berlin's zone, given as a rule so
// that no zone database is needed.
TEST(LocalTimestamp, SampleIsDatedByTheInstantThatHadItsTimeOfDay) {
    const char* zone = std::getenv("TZ");
    const std::optional<std::string> before = zone ? std::optional<std::string>(zone) : std::nullopt;
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    constexpr double Dec8 = 1796688000;   // 2026-12-08T00:00:00Z
    constexpr double Oct25 = 1792886400;  // 2026-10-25T00:00:00Z, summer time ends at 01:00Z
    // The calendar already past midnight, the time of day read just before it.
    EXPECT_EQ(LocalTimestamp::OfSample(Dec8 - 3600 + 0.0004, 86399), "2026-12-07T23:59:59+01:00");
    EXPECT_EQ(LocalTimestamp::OfSample(Dec8 - 3600 + 0.0004, 0), "2026-12-08T00:00:00+01:00");
    // The calendar already past the end of summer time, 02:59:59 summer time read just before it.
    EXPECT_EQ(LocalTimestamp::OfSample(Oct25 + 3600 + 0.0002, 2 * 3600 + 59 * 60 + 59),
              "2026-10-25T02:59:59+02:00");
    EXPECT_EQ(LocalTimestamp::OfSample(Oct25 + 3600 + 0.0002, 2 * 3600), "2026-10-25T02:00:00+01:00");
    if (before) {
        setenv("TZ", before->c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
