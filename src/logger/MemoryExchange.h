#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "logger/DumpReceiver.h"
#include "logger/LoggerFormat.h"

// Reads the meter's logger memory through the current port: the size query "A", the dump "U"
// and its transfer, in the middle of the live frames the meter keeps sending, so every answer is
// recognised by its pattern and anything else is asked for again. Live polling must be held off
// for the whole exchange. Waits go through the core's event hooks, so the user interface runs
// meanwhile; what the user sees goes through `Display`.
class MemoryExchange {
public:
    struct Display {
        std::function<void(long usedBytes)> showWindow;         // the sets' window, with "Remained"
        std::function<void(const std::string&)> showProgress;   // "37.5% Completed"
        // False once the user ended the download: closed its window, or the whole program.
        std::function<bool()> carryOn;
        std::function<void(const std::vector<Logger::DataSet>&)> showSets;
        std::function<void()> transferDone;                      // the busy pointer may go
        std::function<void()> showTime;                          // the time of the download
    };
    // No answer waits forever: these never cut a healthy exchange at 9600 baud.
    struct Limits {
        double answer = 10.0;     // seconds to get a size reply, or the start of the dump
        double stall = 5.0;       // seconds without a dump byte during the transfer
        double liveStream = 2.0;  // seconds to wait for live frames afterwards
    };
    enum class Outcome { Listed, NoData, NoAnswer, Stopped };

    // `clock` gives seconds on a clock that never jumps.
    MemoryExchange(Display display, std::function<double()> clock, Limits limits);
    MemoryExchange(Display display, std::function<double()> clock) : MemoryExchange(display, clock, Limits{}) {}

    // The whole exchange. Leaves the memory it read (or nothing) with DataLogger.
    Outcome Run();

private:
    bool AskSize(long& usedBytes, Outcome& failure);
    bool RequestDump(std::vector<std::uint8_t>& start, Outcome& failure);
    bool Transfer(DumpReceiver& dump, const std::vector<std::uint8_t>& start, Outcome& failure);
    void WaitForLiveStream();
    bool TimedOut(double since, double limit) const { return clock_() - since > limit; }
    Outcome End(Outcome outcome);

    Display display_;
    std::function<double()> clock_;
    Limits limits_;
};
