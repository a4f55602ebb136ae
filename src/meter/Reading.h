#pragma once

#include <string>
#include <string_view>

// A temperature as the meter reports it: a number, or one of the marks "----" (no reading),
// "OL" (over range upwards), "-OL" (over range downwards). Empty until first written.
class Reading {
  public:
    enum class Kind { Empty, Number, NoReading, Over, Under };

    Reading() = default;
    static Reading Number(double value) { return Reading(Kind::Number, value); }
    static Reading Mark(Kind kind) { return Reading(kind, 0.0); }

    Kind kind() const { return kind_; }
    bool IsNumber() const { return kind_ == Kind::Number; }
    bool IsMark() const { return kind_ == Kind::NoReading || kind_ == Kind::Over || kind_ == Kind::Under; }
    double Value() const { return value_; }  // meaningful only for a number

    // "0.0" for a number (locale-independent, never "-0.0"), the mark's text, "" when empty.
    std::string Text() const;
    // "----", "OL" or "-OL" for a mark kind, "" otherwise.
    static std::string_view MarkText(Kind kind);

    bool operator==(const Reading&) const = default;

  private:
    Reading(Kind kind, double value) : kind_(kind), value_(value) {}

    Kind kind_ = Kind::Empty;
    double value_ = 0.0;
};

// "0.0" format: at least one integer digit, one decimal, '.' whatever the locale, no "-0.0".
std::string FormatOneDecimal(double value);
// Writes the same into buf (at least 32 bytes) without allocating; returns the length.
int FormatOneDecimal(double value, char* buf);
