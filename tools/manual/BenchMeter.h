#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "MeterSession.h"
#include "meter/MeterFrame.h"

// The simulated meter on a pseudo-terminal linked as COM<n> in the alias folder, served from this
// process rather than from a simulator of its own. Its time moves only when it is told to, so the
// readings, and the pictures made from them, come out the same on every build.
class BenchMeter {
  public:
    // `simulatorArgs` as tq36-metersim takes them. Throws std::runtime_error when they are wrong
    // or no pseudo-terminal can be had.
    BenchMeter(int com, const std::vector<std::string>& simulatorArgs);
    ~BenchMeter();
    BenchMeter(const BenchMeter&) = delete;
    BenchMeter& operator=(const BenchMeter&) = delete;

    // Takes what the program sent and writes what is due, as much as the line takes now; a timer
    // calls it while the program waits with events running.
    void Serve();
    void Advance(double seconds) { now_ = now_ + seconds; }
    // The meter's time: the clock its bytes arrive by.
    double Now() const { return now_; }
    // The frame the meter would send at its present time.
    MeterFrame Frame() const;

  private:
    int master_ = -1;
    int slave_ = -1;  // held open so that the line stays up between the program's opens
    MeterSession session_;
    std::atomic<double> now_ = 0;  // read by the link's thread as its line clock
};
