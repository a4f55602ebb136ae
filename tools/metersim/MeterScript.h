#pragma once

#include <optional>
#include <string>
#include <vector>

#include "MeterSettings.h"

// A timed change of one setting: "5 channels 1" switches to one channel 5 s after start.
struct ScriptEvent {
    double time = 0.0;
    std::string key;
    std::string value;
};

// One event per line, "SECONDS SETTING VALUE" with a setting as MeterSettings::Apply names it;
// blank lines and lines starting with '#' are skipped. Every line is tried on a copy of `start`
// in time order, so a bad value is reported before the meter runs. Events come back sorted by time,
// lines with equal times in file order.
std::optional<std::vector<ScriptEvent>> ParseScript(const std::string& text, const MeterSettings& start,
                                                    std::string& error);

// The same, read from a file.
std::optional<std::vector<ScriptEvent>> ReadScriptFile(const std::string& path, const MeterSettings& start,
                                                       std::string& error);
