#pragma once

#include <string>
#include <utility>

// The state of the Max / Min / AVG statistics that the statistics windows share with their
// opening command: whether a statistics window is open, whether it gathers samples, and the unit
// letter it gathers them in. The windows and the command tell it; everyone else only asks.
class StatisticsState {
  public:
    bool AvgWindowOpen() const { return avgWindowOpen_; }
    bool AvgRunning() const { return avgRunning_; }
    const std::string& UnitTextAtStart() const { return unitTextAtStart_; }

    // A statistics window opens and gathers from now on.
    void WindowOpened() { avgWindowOpen_ = avgRunning_ = true; }
    // The window is going, or can no longer gather (the meter changed its channels).
    void WindowClosed() { avgWindowOpen_ = avgRunning_ = false; }
    void GatheringStarted() { avgRunning_ = true; }
    void GatheringStopped() { avgRunning_ = false; }
    void SetUnitTextAtStart(std::string unitText) { unitTextAtStart_ = std::move(unitText); }

  private:
    bool avgWindowOpen_ = false;
    bool avgRunning_ = false;
    std::string unitTextAtStart_;
};
