#include "acquisition/SamplingSchedule.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

std::string_view Trim(std::string_view text) {
    constexpr std::string_view Blanks = " \t";
    std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number with an optional sign and decimal point, nothing else; 0 for anything else.
double NumberOrZero(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take "inf" and "nan", which are no answer to a number of seconds.
    if (text.empty() || !(IsDigit(text[0]) || text[0] == '.')) return 0;
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (ptr != end) return 0;
    if (ec == std::errc::result_out_of_range) {
        // Too many digits for a double: huge if any digit before the point is not zero, else tiny.
        std::string_view whole = text.substr(0, text.find('.'));
        value = whole.find_first_not_of('0') == std::string_view::npos ? 0 : HUGE_VAL;
    } else if (ec != std::errc()) {
        return 0;
    }
    return negative ? -value : value;
}

int ClampInterval(double seconds) {
    return static_cast<int>(
        std::clamp(seconds, double(SamplingSchedule::MinInterval), double(SamplingSchedule::MaxInterval)));
}

}  // namespace

std::optional<int> SamplingSchedule::ParseInterval(std::string_view text) {
    if (text.empty()) return std::nullopt;
    // nearbyint rounds in the default to-nearest mode, which sends halves to the even neighbour.
    return ClampInterval(std::nearbyint(NumberOrZero(Trim(text))));
}

std::int64_t SamplingSchedule::Ms(double seconds) { return std::llround(seconds * 1000); }

std::int64_t SamplingSchedule::SecondStartMs(double now, double timeOfDay) const {
    return Ms(now) - Ms(timeOfDay) % 1000;
}

void SamplingSchedule::SetInterval(int seconds, double now, double timeOfDay) {
    samplingSeconds_ = ClampInterval(seconds);
    nextMs_ = SecondStartMs(now, timeOfDay) + std::int64_t{samplingSeconds_} * 1000;
    missed_ = 0;
}

bool SamplingSchedule::Tick(double now, double timeOfDay) {
    const std::int64_t nowMs = Ms(now), intervalMs = std::int64_t{samplingSeconds_} * 1000;
    if (nowMs < nextMs_) return false;
    missed_ = nextMs_ == INT64_MIN ? 0 : static_cast<long>((nowMs - nextMs_) / intervalMs);
    nextMs_ = SecondStartMs(now, timeOfDay) + intervalMs;
    return true;
}
