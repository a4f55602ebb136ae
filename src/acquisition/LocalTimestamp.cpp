#include "acquisition/LocalTimestamp.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace LocalTimestamp {

namespace {
constexpr int SecondsPerDay = 86400;
// The time of day and the calendar clock are read one right after the other: the sample's instant
// lies within this of the calendar reading.
constexpr std::time_t ClocksApartSeconds = 2;

std::tm Local(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}
}  // namespace

std::string Iso(const std::tm& local) {
    const long offsetMinutes = local.tm_gmtoff / 60;
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  offsetMinutes < 0 ? '-' : '+', std::labs(offsetMinutes) / 60,
                  std::labs(offsetMinutes) % 60);
    return text;
}

std::string OfSample(double calendarSeconds, int secondOfDay) {
    const auto read = static_cast<std::time_t>(std::floor(calendarSeconds));
    const std::tm local = Local(read);
    const long readSecond = local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec;
    // Under each offset in force a moment around the reading, the instant with the sample's second
    // of the day nearest the reading; one that really has that offset counts. Across the end of
    // summer time the same time of day comes twice, an hour apart: the nearer is the sample's.
    std::optional<std::tm> best;
    std::time_t bestDistance = 0;
    for (const std::time_t probe : {read, read - ClocksApartSeconds, read + ClocksApartSeconds}) {
        const long offset = Local(probe).tm_gmtoff;
        const auto apart = static_cast<std::time_t>(std::remainder(
            double(secondOfDay - readSecond + local.tm_gmtoff - offset), double(SecondsPerDay)));
        const std::tm candidate = Local(read + apart);
        const std::time_t distance = apart < 0 ? -apart : apart;
        if (candidate.tm_gmtoff == offset && (!best || distance < bestDistance)) {
            best = candidate;
            bestDistance = distance;
        }
    }
    // A time of day that the clock skipped (the start of summer time) has no instant: the one
    // under the offset of the reading, as the clock shows it.
    if (!best) {
        best = Local(read + static_cast<std::time_t>(
                                std::remainder(double(secondOfDay - readSecond), double(SecondsPerDay))));
    }
    return Iso(*best);
}

}  // namespace LocalTimestamp
