#include "acquisition/LocalTimestamp.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace LocalTimestamp {

namespace {
constexpr int SecondsPerDay = 86400;

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
                  offsetMinutes < 0 ? '-' : '+', std::labs(offsetMinutes) / 60, std::labs(offsetMinutes) % 60);
    return text;
}

std::string OfSample(double calendarSeconds, int secondOfDay) {
    const auto read = static_cast<std::time_t>(std::floor(calendarSeconds));
    const std::tm local = Local(read);
    const int readSecond = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    const auto apart = static_cast<std::time_t>(std::remainder(secondOfDay - readSecond, double(SecondsPerDay)));
    return Iso(apart == 0 ? local : Local(read + apart));
}

}  // namespace LocalTimestamp
