#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The PC-sampling clock: decides on each look whether a sample is due, at the interval the user
// chose. It counts on the steady clock, so that a clock of the day that is set back (the end of
// daylight saving time, a correction) or forward never stops or doubles the samples; the time of
// day only places each sample on the start of one of its seconds.
class SamplingSchedule {
  public:
    static constexpr int MinInterval = 1;
    static constexpr int MaxInterval = 86400;
    static constexpr int DefaultInterval = 2;

    // The interval as the user typed it. Empty: nothing (keep the old one). Otherwise whole
    // seconds, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4), anything that is not a
    // number counting as 0, and the result clamped to 1..86400. Blanks around the number and a
    // decimal point '.' are accepted.
    static std::optional<int> ParseInterval(std::string_view text);

    explicit SamplingSchedule(int seconds = DefaultInterval) : samplingSeconds_(seconds) {}

    // A new interval takes effect at once: the next sample is one interval after the start of the
    // current second. `now` is on the steady clock, `timeOfDay` the clock of the day read with it.
    void SetInterval(int seconds, double now, double timeOfDay);

    // True when a sample is due; the following one is then scheduled. A schedule never set is due
    // at its first look.
    bool Tick(double now, double timeOfDay);
    // The samples that fell due before the one the last Tick took and went by untaken, since the
    // look came that much later (the process was stopped or starved); counted on the steady
    // clock, so a clock of the day set back or forward makes none.
    long Missed() const { return missed_; }

    int SamplingSeconds() const { return samplingSeconds_; }
    // When the next sample is due, on the steady clock.
    double NextSampleTime() const { return static_cast<double>(nextMs_) / 1000; }

  private:
    // Milliseconds, so that a second's start computed from two clocks compares exactly.
    static std::int64_t Ms(double seconds);
    std::int64_t SecondStartMs(double now, double timeOfDay) const;

    int samplingSeconds_ = DefaultInterval;
    std::int64_t nextMs_ = INT64_MIN;
    long missed_ = 0;
};
