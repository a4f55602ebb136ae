#include "SimReading.h"

#include <charconv>
#include <cmath>

std::optional<double> ParseDecimal(const std::string& text) {
    double v = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || first == last || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<SimReading> SimReading::Parse(const std::string& text) {
    if (text == "OL") return Mark(Kind::Over);
    if (text == "-OL") return Mark(Kind::Under);
    if (text == "----") return Mark(Kind::NoReading);
    if (auto v = ParseDecimal(text)) return Number(*v);
    return std::nullopt;
}
