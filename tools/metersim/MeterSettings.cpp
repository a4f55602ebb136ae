#include "MeterSettings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace {

constexpr std::array<const char*, 10> SettingNames = {"channels", "unit", "type",    "t1",     "t2",
                                                      "wave",     "rate", "garbage", "strays", "strays-at"};
constexpr std::string_view UnitLetters = "CFK";  // in the order of the status byte's unit codes
constexpr std::string_view TypeLetters = "KJETRSN";
constexpr double MaxRate = 1000.0;
constexpr int MaxStrays = 1000;

// Where a one-letter value stands in `letters`; npos for anything else.
std::size_t LetterIndex(std::string_view letters, const std::string& value) {
    return value.size() == 1 ? letters.find(value[0]) : std::string_view::npos;
}

double ToCelsius(double v, TempUnit unit) {
    switch (unit) {
        case TempUnit::F:
            return (v - 32.0) / 1.8;
        case TempUnit::K:
            return v - 273.2;
        case TempUnit::C:
            break;
    }
    return v;
}

double FromCelsius(double c, TempUnit unit) {
    switch (unit) {
        case TempUnit::F:
            return c * 1.8 + 32.0;
        case TempUnit::K:
            return c + 273.2;
        case TempUnit::C:
            break;
    }
    return c;
}

// A slow swing with a faster ripple on top, so that a chart of the live values has something to show.
double WaveOffset(double seconds, double period) {
    return 2.0 * std::sin(2.0 * std::numbers::pi * seconds / period) +
           0.3 * std::sin(2.0 * std::numbers::pi * seconds / 7.0);
}

}  // namespace

bool MeterSettings::IsSetting(const std::string& key) {
    for (const char* name : SettingNames)
        if (key == name) return true;
    return false;
}

std::string MeterSettings::Apply(const std::string& key, const std::string& value) {
    if (key == "channels") {
        if (value != "1" && value != "2") return "channels must be 1 or 2, not '" + value + "'";
        channels_ = value == "1" ? 1 : 2;
    } else if (key == "unit") {
        auto pos = LetterIndex(UnitLetters, value);
        if (pos == std::string_view::npos) return "unit must be C, F or K, not '" + value + "'";
        unit_ = static_cast<TempUnit>(pos);
    } else if (key == "type") {
        auto pos = LetterIndex(TypeLetters, value);
        if (pos == std::string_view::npos) return "type must be one of K J E T R S N, not '" + value + "'";
        typeCode_ = static_cast<int>(pos);
    } else if (key == "t1" || key == "t2") {
        auto reading = SimReading::Parse(value);
        if (!reading) return key + " must be a number, OL, -OL or ----, not '" + value + "'";
        if (reading->IsNumber()) reading->value = ToCelsius(reading->value, unit_);
        (key == "t1" ? t1C_ : t2C_) = *reading;
    } else if (key == "wave") {
        if (value != "sine" && value != "none") return "wave must be sine or none, not '" + value + "'";
        wave_ = value == "sine";
    } else if (key == "rate") {
        auto rate = ParseDecimal(value);
        if (!rate || *rate <= 0.0 || *rate > MaxRate)
            return "rate must be a number of frames per second above 0 and at most 1000, not '" + value + "'";
        rate_ = *rate;
    } else if (key == "garbage") {
        auto p = ParseDecimal(value);
        if (!p || *p < 0.0 || *p > 1.0)
            return "garbage must be a probability from 0 to 1, not '" + value + "'";
        garbage_ = *p;
    } else if (key == "strays") {
        int n = -1;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (ec != std::errc() || end != value.data() + value.size() || n < 0 || n > MaxStrays)
            return "strays must be a whole number of bytes from 0 to 1000, not '" + value + "'";
        strays_ = n;
    } else if (key == "strays-at") {
        constexpr std::array<const char*, 4> places = {"before", "after", "around", "pause"};
        std::size_t at = 0;
        while (at < places.size() && value != places[at]) ++at;
        if (at == places.size())
            return "strays-at must be before, after, around or pause, not '" + value + "'";
        straysAt_ = static_cast<StraysAt>(at);
    } else {
        return "unknown setting '" + key + "'";
    }
    return {};
}

SimReading MeterSettings::InUnit(const SimReading& celsius, double waveOffset) const {
    if (!celsius.IsNumber()) return celsius;
    return SimReading::Number(FromCelsius(celsius.value, unit_) + waveOffset);
}

MeterSample MeterSettings::SampleAt(double seconds) const {
    MeterSample sample;
    sample.unit = unit_;
    sample.channels = channels_;
    sample.typeCode = typeCode_;
    sample.t1 = InUnit(t1C_, wave_ ? WaveOffset(seconds, 60.0) : 0.0);
    sample.t2 = InUnit(t2C_, wave_ ? WaveOffset(seconds + 13.0, 90.0) : 0.0);
    return sample;
}
