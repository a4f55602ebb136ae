#pragma once

#include <optional>
#include <string_view>

#include "acquisition/DueTime.h"

// The PC-sampling clock: decides on each timer tick whether a sample is due, given the whole
// seconds since midnight, at the interval the user chose.
class SamplingSchedule {
  public:
    static constexpr int SecondsPerDay = DueTime::SecondsPerDay;
    static constexpr int MinInterval = 1;
    static constexpr int MaxInterval = 86400;
    static constexpr int DefaultInterval = 2;

    // The interval as the user typed it. Empty: nothing (keep the old one). Otherwise whole
    // seconds, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4), anything that is not a
    // number counting as 0, and the result clamped to 1..86400. Blanks around the number and a
    // decimal point '.' are accepted.
    static std::optional<int> ParseInterval(std::string_view text);

    // A new interval takes effect at once: the next sample is one interval from now.
    void SetInterval(int seconds, int now);

    // True when a sample is due at this second of the day; the following one is then scheduled.
    bool Tick(int now);

    int SamplingSeconds() const { return samplingSeconds_; }
    int NextSampleTime() const { return due_.Next(); }

  private:
    int samplingSeconds_ = DefaultInterval;
    DueTime due_;
};
