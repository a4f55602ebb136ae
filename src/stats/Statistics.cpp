#include "stats/Statistics.h"

#include "meter/Meter.h"

#include <charconv>
#include <cmath>

namespace Statistics {

namespace {

using Kind = Reading::Kind;

// A sample as the window shows it: rounded to tenths; a channel that never had a reading counts
// as having none now.
Reading AsShown(const Reading& sample) {
    if (sample.kind() == Kind::Empty) return Reading::Mark(Kind::NoReading);
    if (!sample.IsNumber()) return sample;
    const Reading shown = ParseShown(sample.Text());
    return shown.kind() == Kind::Empty ? Reading::Mark(Kind::NoReading) : shown;
}

Extreme Kept(const Reading& value) { return {value, false}; }
Extreme Moved(const Reading& sample) { return {sample, true}; }

Extreme MaxAfterNumber(const Reading& v, const Reading& shownMax) {
    switch (shownMax.kind()) {
        case Kind::NoReading:
        case Kind::Over:
            return Kept(shownMax);
        case Kind::Empty:
        case Kind::Under:
            return Moved(v);
        case Kind::Number:
            break;
    }
    return shownMax.Value() <= v.Value() ? Moved(v) : Kept(shownMax);
}

Extreme MinAfterNumber(const Reading& v, const Reading& shownMin) {
    switch (shownMin.kind()) {
        case Kind::NoReading:
        case Kind::Under:
            return Kept(shownMin);
        case Kind::Empty:
        case Kind::Over:
            return Moved(v);
        case Kind::Number:
            break;
    }
    return shownMin.Value() >= v.Value() ? Moved(v) : Kept(shownMin);
}

}  // namespace

const Reading& Sample(const CurrentReading& reading, Channel channel, std::string_view unitAtStart) {
    const Meter::UnitValues values = Meter::InUnit(reading, unitAtStart);
    switch (channel) {
        case Channel::T1:
            return values.t1;
        case Channel::T2:
            return values.t2;
        case Channel::T1T2:
            break;
    }
    return values.t1t2;
}

Reading ParseShown(std::string_view text) {
    for (Kind mark : {Kind::NoReading, Kind::Over, Kind::Under}) {
        if (text == Reading::MarkText(mark)) return Reading::Mark(mark);
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return {};
    return Reading::Number(value);
}

MaxMin UpdateMaxMin(const Reading& sample, const Reading& max, const Reading& min) {
    const Reading v = AsShown(sample);
    MaxMin next{Kept(max), Kept(min)};
    switch (v.kind()) {
        case Kind::NoReading:
            next = {Moved(v), Moved(v)};
            break;
        case Kind::Over:
            if (max.kind() != Kind::NoReading) next.max = Moved(v);
            if (min.kind() == Kind::Empty || min.kind() == Kind::Over) next.min = Moved(v);
            break;
        case Kind::Under:
            if (min.kind() != Kind::NoReading) next.min = Moved(v);
            if (max.kind() == Kind::Empty || max.kind() == Kind::Under) next.max = Moved(v);
            break;
        case Kind::Number:
            next = {MaxAfterNumber(v, max), MinAfterNumber(v, min)};
            break;
        case Kind::Empty:
            break;
    }
    return next;
}

void RunningSum::Add(const Reading& sample) {
    const Reading v = AsShown(sample);
    if (mark_ == Mark::NoReading || v.kind() == Kind::NoReading) {
        mark_ = Mark::NoReading;
    } else if (mark_ == Mark::Over || v.IsMark()) {
        mark_ = Mark::Over;
    } else {
        tenths_ += std::round(v.Value() * 10.0);
    }
}

std::string RunningSum::AverageText(long count) const {
    switch (mark_) {
        case Mark::NoReading:
            return std::string(Reading::MarkText(Kind::NoReading));
        case Mark::Over:
            return std::string(Reading::MarkText(Kind::Over));
        case Mark::None:
            break;
    }
    if (count <= 0) return "";
    return FormatOneDecimal(tenths_ / 10.0 / static_cast<double>(count));
}

Figures::Moved Figures::Add(const Reading& sample) {
    const MaxMin next = UpdateMaxMin(sample, max_, min_);
    max_ = next.max.value;
    min_ = next.min.value;
    sum_.Add(sample);
    ++count_;
    return {next.max.timeMoved, next.min.timeMoved};
}

}  // namespace Statistics
