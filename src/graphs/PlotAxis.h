#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The arithmetic of a report picture's axes: temperatures on a round step that encloses the data,
// labelled with no more decimals than the step needs, and times of day on whole seconds, minutes,
// hours or days, as the span suits.
namespace PlotAxis {

// Values low, low + step ... up to high, where the labels go.
struct Temperatures {
    double low = 0, high = 1, step = 1;
    int decimals = 0;
    std::vector<double> ticks;  // the multiples of step from low to high
};

// The axis for data from dataLow to dataHigh with at most maxIntervals steps between labels: a
// margin of a twentieth of the span on each side, then out to the round step. A fixed end (the
// user's --min or --max) stays where it is and the step's multiples inside it are labelled; the
// free end still takes in the fixed one, so the axis never runs backwards.
Temperatures TemperatureAxis(double dataLow, double dataHigh, int maxIntervals,
                             std::optional<double> fixedLow = {}, std::optional<double> fixedHigh = {});
// A label: `decimals` decimals, '.' whatever the locale, and never "-0".
std::string TemperatureText(double value, int decimals);

// "hh:mm:ss" as seconds of the day; nothing for any other text.
std::optional<long> SecondsOfDay(std::string_view time);

// The times of day of a run as one running count of seconds from the first day's midnight: the
// day goes on by one where the time of day goes back by more than half a day, as it does at
// midnight in a recording (the plot's labels and tq36-cli convert's dates both go by it). A
// smaller step back is the clock set back, on the same day.
class RunningTime {
  public:
    // The running seconds of the next record's time; nothing for a text that is no time of day,
    // which leaves the run as it was.
    std::optional<long> Next(std::string_view time);
    // The last time of day taken, in seconds; below 0 before the first.
    long LastOfDay() const { return last_; }
    // The days the run went on by.
    long Days() const { return day_; }

  private:
    long day_ = 0;
    long last_ = -1;
};

// Seconds between two time labels: the smallest of 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min,
// 1, 2, 3, 6, 12 h or a whole number of days that puts at most maxLabels labels on the span.
long TimeStep(long spanSeconds, int maxLabels);
// A label at `seconds` of the running time: "hh:mm", or "hh:mm:ss" when the step is in seconds.
std::string TimeText(long seconds, long step);
// The day of a label at `seconds` of the running time for a run whose first record is on
// `firstDay` (days since 1970-01-01): "YYYY-MM-DD".
std::string DateText(long firstDay, long seconds);
// "YYYY-MM-DD" as days since 1970-01-01; nothing for any other text or a day no calendar has.
std::optional<long> DayOf(std::string_view text);

}  // namespace PlotAxis
