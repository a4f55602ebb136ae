#pragma once

#include <string>
#include <string_view>

#include "meter/CurrentReading.h"
#include "meter/Reading.h"

// The arithmetic of the Max / Min / AVG windows. Every value is taken rounded to tenths, as a user
// reads it off the window, so what is compared is what is shown; the windows keep the values here
// and only show them.
namespace Statistics {

enum class Channel { T1, T2, T1T2 };

// The reading of `channel` in the unit the statistics were started in: "C", "F", any other unit K.
const Reading& Sample(const CurrentReading& reading, Channel channel, std::string_view unitAtStart);

// A shown text read back: a number, one of the marks "----", "OL", "-OL", or empty for anything
// else (a text that is not a number never takes part in a comparison).
Reading ParseShown(std::string_view text);

// One maximum or minimum after a sample: its value (empty before the first sample), and whether
// its time label takes the time of this sample.
struct Extreme {
    Reading value;
    bool timeMoved = false;
};

struct MaxMin {
    Extreme max;
    Extreme min;
};

// The new maximum and minimum after `sample`. A mark beats numbers on its own side ("OL" up,
// "-OL" down), "----" takes both until the next Start, and a sample equal to the maximum or
// minimum moves its time.
MaxMin UpdateMaxMin(const Reading& sample, const Reading& max, const Reading& min);

// The sum of one channel's samples since Start. A sample without a reading makes it "----", an
// over-range sample makes it "OL"; both marks stay until the next Start, "----" over "OL".
class RunningSum {
  public:
    void Add(const Reading& sample);
    // "----", "OL", or the sum divided by `count` as "0.0"; "" before any sample was counted.
    std::string AverageText(long count) const;
    void Reset() { *this = RunningSum{}; }

  private:
    enum class Mark { None, NoReading, Over };

    // Whole tenths (exact in a double far beyond any run), since every sample is a one-decimal
    // value: the sum never drifts.
    double tenths_ = 0.0;
    Mark mark_ = Mark::None;
};

// One channel's figures since Start: maximum, minimum and the sum of the samples.
class Figures {
  public:
    struct Moved {
        bool maxTime = false;
        bool minTime = false;
    };
    // Takes one sample; says which time labels take its time.
    Moved Add(const Reading& sample);

    const Reading& Max() const { return max_; }
    const Reading& Min() const { return min_; }
    // "----", "OL", the average as "0.0", or "" before the first sample.
    std::string AverageText() const { return sum_.AverageText(count_); }

  private:
    Reading max_, min_;
    RunningSum sum_;
    long count_ = 0;
};

}  // namespace Statistics
