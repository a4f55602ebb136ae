#include "graphs/RangeInput.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace RangeInput {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole number of steps; nothing when the text is not a number at all.
std::optional<int> Steps(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    // "+5" and "1e1" are numbers too, as any number a user may type.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    // Whole steps, a half going to the even neighbour; far outside the range stays far outside.
    return static_cast<int>(std::clamp(std::nearbyint(value), -1e6, 1e6));
}

}  // namespace

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return 0;
    std::size_t end = i;
    if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
    const std::size_t digitsFrom = end;
    while (end < text.size() && IsDigit(text[end])) ++end;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && IsDigit(text[end])) ++end;
    }
    if (end == digitsFrom) return 0;
    // Up to 15 digits make an exact whole number, and one division by an exact power of ten
    // rounds it as from_chars would: a record file's "23.5" needs nothing more.
    static constexpr double PowersOfTen[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (end - digitsFrom <= 16) {
        std::int64_t digits = 0;
        int count = 0, decimals = 0;
        bool fraction = false;
        for (std::size_t k = digitsFrom; k < end; ++k) {
            if (text[k] == '.') {
                fraction = true;
                continue;
            }
            digits = digits * 10 + (text[k] - '0');
            ++count;
            if (fraction) ++decimals;
        }
        if (count == 0) return 0;
        if (count <= 15) {
            const double magnitude = static_cast<double>(digits) / PowersOfTen[decimals];
            return text[i] == '-' ? -magnitude : magnitude;
        }
    }
    const std::string_view number = text.substr(i, end - i);
    if (number.find_first_of("0123456789") == std::string_view::npos) return 0;
    double value = 0;
    const char* first = number.data() + (number[0] == '+' ? 1 : 0);
    const auto result = std::from_chars(first, number.data() + number.size(), value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) return number[0] == '-' ? -DBL_MAX : DBL_MAX;
    return result.ec == std::errc() ? value : 0;
}

std::string NumberText(double value) {
    // Fifteen digits are all a double holds for sure: a span of 7 minutes computed as 6.99...9
    // shows as 7. to_chars writes '.' whatever the locale.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value == 0 ? 0.0 : value,
                                std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    // The dialogs read their numbers without an exponent: a tiny value (or a huge one) is written
    // out in full, to the fifteenth decimal, so that OK takes back what was shown.
    if (text.find('e') == std::string::npos) return text;
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 15);
    text.assign(buffer, result.ptr);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

WindowTwips GraphWindowTwips(int widthSteps, int heightSteps) {
    const int height = 855 + 900 * heightSteps;
    return {2400 + 810 * widthSteps, height > 11906 ? 11800 : height};
}

WindowSteps GraphWindowSteps(double widthTwips, double heightTwips, double twipsPerPixelX,
                             double twipsPerPixelY) {
    return {static_cast<int>(std::floor((widthTwips + twipsPerPixelX / 2 - 2400) / 810)),
            static_cast<int>(std::ceil((heightTwips - twipsPerPixelY / 2 - 855) / 900))};
}

Outcome Check(const Request& request, double unitTempMax, double unitTempMin) {
    Outcome outcome;
    outcome.status = Outcome::Status::Refused;
    const double max = LeadingNumber(request.max), min = LeadingNumber(request.min);
    if (max > unitTempMax || min < unitTempMin || max <= min) {
        outcome.message = NumberText(unitTempMin) + " <= Temperature <= " + NumberText(unitTempMax) + ", try again!";
        return outcome;
    }
    outcome.rangeChecked = true;
    outcome.yMax = max;
    outcome.yMin = min;

    const std::optional<int> width = Steps(request.width), height = Steps(request.height);
    if (!width) {
        outcome.status = Outcome::Status::Fault;
        return outcome;
    }
    if (*width > MaxSteps || *width < MinSteps) {
        outcome.message = "5 <= Width <= 14, try again!";
        return outcome;
    }
    if (!height) {
        outcome.status = Outcome::Status::Fault;
        return outcome;
    }
    if (*height > MaxSteps || *height < MinSteps) {
        outcome.message = "5 <= Height <= 14, try again!";
        return outcome;
    }
    const double span = LeadingNumber(request.counts) * 60;
    if (span < MinSpanSeconds || span > MaxSpanSeconds) {
        outcome.message = "1 <= Counts <= 1440, try again!";
        return outcome;
    }
    outcome.status = Outcome::Status::Accepted;
    outcome.widthSteps = *width;
    outcome.heightSteps = *height;
    outcome.spanSeconds = span;
    return outcome;
}

PlotOutcome CheckPlot(std::string_view t1, std::string_view t2, std::string_view r1, std::string_view r2,
                      double unitTempMin, double unitTempMax, long records) {
    PlotOutcome outcome;
    const double low = LeadingNumber(t1), high = LeadingNumber(t2);
    // Records are counted whole: 0.5 is record 0, not one past it.
    const double first = std::trunc(LeadingNumber(r1)), last = std::trunc(LeadingNumber(r2));
    if (low < unitTempMin || low >= high || high > unitTempMax) {
        outcome.message = "Invalid, " + NumberText(unitTempMin) + " <= Temperature <= " + NumberText(unitTempMax);
    } else if (first <= 0 || first >= last || last > records) {
        outcome.message = "Invalid, 0 <= Records <= " + std::to_string(records);
    } else {
        outcome = {"", low, high, static_cast<long>(first), static_cast<long>(last)};
    }
    return outcome;
}

}  // namespace RangeInput
