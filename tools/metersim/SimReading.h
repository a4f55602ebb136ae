#pragma once

#include <optional>
#include <string>

// A temperature the simulated meter reports: a number in the meter's current unit or one of the
// marks the meter sends instead of a number.
struct SimReading {
    enum class Kind { Number, NoReading, Over, Under };

    Kind kind = Kind::Number;
    double value = 0.0;

    static SimReading Number(double v) { return {Kind::Number, v}; }
    static SimReading Mark(Kind k) { return {k, 0.0}; }
    bool IsNumber() const { return kind == Kind::Number; }

    // A decimal number ("23.5", "-40") or one of the mark texts "OL", "-OL", "----".
    static std::optional<SimReading> Parse(const std::string& text);

    bool operator==(const SimReading&) const = default;
};

// A whole, finite decimal number with '.' as the separator, whatever the locale.
std::optional<double> ParseDecimal(const std::string& text);
