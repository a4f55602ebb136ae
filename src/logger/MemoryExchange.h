#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "logger/DumpReceiver.h"
#include "logger/LoggerFormat.h"

// Reads the meter's logger memory through a line to it: the size query "A", the dump "U" and its
// transfer, in the middle of the live frames the meter keeps sending, so every answer is
// recognised by its pattern and anything else is asked for again. Nothing else may read the line
// during the exchange. What the user sees goes through `Display`.
class MemoryExchange {
public:
    // The line to the meter, as the exchange needs it.
    class Line {
    public:
        virtual ~Line() = default;
        virtual void Send(std::uint8_t command) = 0;
        // Everything that arrived since the last call.
        virtual std::vector<std::uint8_t> Take() = 0;
        // Waits `seconds` (the line's owner may do its other work meanwhile).
        virtual void Wait(double seconds) = 0;
        // Drops whatever the system still holds from the meter, both ways.
        virtual void Flush() = 0;
        // True once the port hung up or failed to read: nothing more will come on this line.
        virtual bool Gone() const = 0;
        // Bytes taken while no answer had begun: the meter's live stream, which is the line
        // owner's to read.
        virtual void Unanswered(std::span<const std::uint8_t> /*bytes*/) {}
    };
    struct Display {
        std::function<void(long usedBytes)> showWindow;         // the sets' window, with "Remained"
        std::function<void(const std::string&)> showProgress;   // "37.5% Completed"
        // False once the user ended the download: closed its window, or the whole program.
        std::function<bool()> carryOn;
        // The memory read and its sets; `announced` is the size the meter gave, larger than the
        // memory when the dump ended short (its last set is then marked incomplete).
        std::function<void(const std::vector<std::uint8_t>& memory, const std::vector<Logger::DataSet>&,
                           long announced)>
            showSets;
        std::function<void()> transferDone;                      // the busy pointer may go
        std::function<void()> showTime;                          // the time of the download
    };
    // No answer waits forever: these never cut a healthy exchange at 9600 baud.
    struct Limits {
        double answer = 10.0;     // seconds to get a size reply, or the start of the dump
        double stall = 5.0;       // seconds without a dump byte during the transfer
    };
    // Short: the meter went back to its live frames before the size it announced, as after a set
    // it cut itself (a power loss). Lost: the line hung up, failed or fell silent during the dump.
    // Either way what came is listed, its last set marked incomplete.
    enum class Outcome { Listed, Short, Lost, NoData, NoAnswer, Stopped };

    // `clock` gives seconds on a clock that never jumps.
    MemoryExchange(Line& line, Display display, std::function<double()> clock, Limits limits);
    MemoryExchange(Line& line, Display display, std::function<double()> clock)
        : MemoryExchange(line, display, clock, Limits{}) {}

    // The whole exchange; the memory it read went to `showSets`.
    Outcome Run();

private:
    bool AskSize(long& usedBytes, Outcome& failure);
    bool RequestDump(std::vector<std::uint8_t>& start, Outcome& failure);
    // True when the whole dump came; otherwise `failure` says how it ended.
    bool Transfer(DumpReceiver& dump, const std::vector<std::uint8_t>& start, Outcome& failure);
    bool TimedOut(double since, double limit) const { return clock_() - since > limit; }
    Outcome End(Outcome outcome);

    // The answer's bytes so far, the meter's lead byte first.
    std::vector<std::uint8_t> TakeInto(std::vector<std::uint8_t>& held);

    Line& line_;
    Display display_;
    std::function<double()> clock_;
    Limits limits_;
};
