#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MeterScript.h"
#include "MeterSettings.h"

// A stretch of silence on the line: no frames from `start` for `length` seconds.
struct Gap {
    double start = 0.0;
    double length = 0.0;
};

// Everything the command line asks of the simulator, with the memory and script files already read.
struct SimOptions {
    int com = 0;
    MeterSettings settings;
    std::vector<std::uint8_t> memory;  // the used logger memory, from its set marker on
    std::vector<ScriptEvent> script;
    std::vector<Gap> gaps;
    std::optional<double> silentAfter;
    std::optional<double> exitAfter;
    int baud = 0;                 // 0: frames paced by the rate only, replies as fast as the line takes them
    int framesBeforeAnswers = 0;  // first commands that each get a live frame before their answer
    std::size_t dumpShort = 0;    // bytes the size reply claims beyond what the dump carries
    std::optional<std::size_t> hangUpAfter;  // bytes of the answer to U after which the line goes
    std::uint32_t seed = 0;
};

struct ParseOutcome {
    enum class Status { Run, Help, Error };
    Status status = Status::Error;
    SimOptions options;
    std::string error;
};

// Reads the arguments after the program name. Temperatures are read in the unit given anywhere on the
// line; without --t1/--t2 they are 23.5 and 21.0 in that unit.
ParseOutcome ParseOptions(const std::vector<std::string>& args);

std::string UsageText();
