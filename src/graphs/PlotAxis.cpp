#include "graphs/PlotAxis.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace PlotAxis {

namespace {

constexpr long Day = 86400;
// Quotients within this of a whole number count as whole: 0.1 * 3 is not 0.3 in binary.
constexpr double Slack = 1e-9;

struct RoundStep {
    double value;
    int decimals;
};

// 1, 2, 2.5 and 5 times 10^exponent; 2.5 needs a decimal more than the others.
RoundStep StepOf(int mantissa, int exponent) {
    const double scale = std::pow(10.0, exponent);
    if (mantissa == 25) return {2.5 * scale, std::max(0, 1 - exponent)};
    return {mantissa * scale, std::max(0, -exponent)};
}

long Floor(double value, double step) { return static_cast<long>(std::floor(value / step + Slack)); }
long Ceil(double value, double step) { return static_cast<long>(std::ceil(value / step - Slack)); }

}  // namespace

Temperatures TemperatureAxis(double dataLow, double dataHigh, int maxIntervals,
                             std::optional<double> fixedLow, std::optional<double> fixedHigh) {
    maxIntervals = std::max(maxIntervals, 1);
    double low = fixedLow.value_or(fixedHigh ? std::min(dataLow, *fixedHigh) : dataLow);
    double high = fixedHigh.value_or(fixedLow ? std::max(dataHigh, *fixedLow) : dataHigh);
    if (!(high - low > Slack * std::max(1.0, std::fabs(high)))) {
        // One value throughout: a unit either side of it, on the side that is free.
        if (!fixedLow) low -= fixedHigh ? 1 : 0.5;
        if (!fixedHigh) high += fixedLow ? 1 : 0.5;
    }
    const double margin = (high - low) / 20;
    if (!fixedLow) low -= margin;
    if (!fixedHigh) high += margin;

    // From a step that would need ten times the intervals allowed, up to the first that fits.
    const int smallest = static_cast<int>(std::floor(std::log10((high - low) / maxIntervals))) - 1;
    RoundStep step{};
    long first = 0, last = 0;
    for (int exponent = smallest;; ++exponent) {
        bool fits = false;
        for (const int mantissa : {1, 2, 25, 5}) {
            step = StepOf(mantissa, exponent);
            first = fixedLow ? Ceil(low, step.value) : Floor(low, step.value);
            last = fixedHigh ? Floor(high, step.value) : Ceil(high, step.value);
            if (last - first <= maxIntervals) {
                fits = true;
                break;
            }
        }
        if (fits) break;
    }
    Temperatures axis;
    axis.step = step.value;
    axis.decimals = step.decimals;
    axis.low = fixedLow ? *fixedLow : static_cast<double>(first) * step.value;
    axis.high = fixedHigh ? *fixedHigh : static_cast<double>(last) * step.value;
    for (long k = first; k <= last; ++k) axis.ticks.push_back(static_cast<double>(k) * step.value);
    return axis;
}

std::string TemperatureText(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0) rounded = 0;  // no "-0"
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::optional<long> SecondsOfDay(std::string_view time) {
    if (time.size() != 8 || time[2] != ':' || time[5] != ':') return std::nullopt;
    long parts[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const char tens = time[3 * i], ones = time[3 * i + 1];
        if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return std::nullopt;
        parts[i] = (tens - '0') * 10 + (ones - '0');
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

std::optional<long> RunningTime::Next(std::string_view time) {
    const std::optional<long> seconds = SecondsOfDay(time);
    if (!seconds) return std::nullopt;
    if (last_ >= 0 && *seconds - last_ < -Day / 2) ++day_;
    last_ = *seconds;
    return day_ * Day + *seconds;
}

long TimeStep(long spanSeconds, int maxLabels) {
    static constexpr long Steps[] = {1,   2,   5,    10,   15,   30,    60,    120,  300,
                                     600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
    maxLabels = std::max(maxLabels, 1);
    for (const long step : Steps) {
        if (spanSeconds / step < maxLabels) return step;
    }
    return Day * (spanSeconds / Day / maxLabels + 1);
}

std::string TimeText(long seconds, long step) {
    const long ofDay = ((seconds % Day) + Day) % Day;
    char text[16];
    if (step % 60 == 0) {
        std::snprintf(text, sizeof text, "%02ld:%02ld", ofDay / 3600, ofDay / 60 % 60);
    } else {
        std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", ofDay / 3600, ofDay / 60 % 60, ofDay % 60);
    }
    return text;
}

std::string DateText(long firstDay, long seconds) {
    const long days = firstDay + static_cast<long>(std::floor(static_cast<double>(seconds) / Day));
    const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(days))};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::optional<long> DayOf(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto part = [&](std::size_t at, std::size_t length) -> std::optional<int> {
        int value = 0;
        const char* begin = text.data() + at;
        const auto [ptr, ec] = std::from_chars(begin, begin + length, value);
        if (ec != std::errc() || ptr != begin + length || *begin == '-' || *begin == '+') return std::nullopt;
        return value;
    };
    const auto year = part(0, 4), month = part(5, 2), day = part(8, 2);
    if (!year || !month || !day) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(*year),
                                           std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days(date).time_since_epoch().count();
}

}  // namespace PlotAxis
