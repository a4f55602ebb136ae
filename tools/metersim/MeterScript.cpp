#include "MeterScript.h"

#include <algorithm>
#include <fstream>
#include <sstream>

std::optional<std::vector<ScriptEvent>> ParseScript(const std::string& text, const MeterSettings& start,
                                                    std::string& error) {
    std::vector<ScriptEvent> events;
    std::istringstream lines(text);
    std::string line;
    for (int lineNo = 1; std::getline(lines, line); ++lineNo) {
        std::istringstream words(line);
        std::string time, key, value, extra;
        if (!(words >> time) || time[0] == '#') continue;
        auto seconds = ParseDecimal(time);
        bool complete = static_cast<bool>(words >> key >> value) && !(words >> extra);
        if (!seconds || *seconds < 0 || !complete || !MeterSettings::IsSetting(key)) {
            error = "script line " + std::to_string(lineNo) + ": expected 'SECONDS SETTING VALUE', got '" +
                    line + "'";
            return std::nullopt;
        }
        events.push_back({*seconds, key, value});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
    MeterSettings trial = start;
    for (const ScriptEvent& e : events) {
        std::string problem = trial.Apply(e.key, e.value);
        if (!problem.empty()) {
            error = "script at " + std::to_string(e.time) + " s: " + problem;
            return std::nullopt;
        }
    }
    return events;
}

std::optional<std::vector<ScriptEvent>> ReadScriptFile(const std::string& path, const MeterSettings& start,
                                                       std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read script file '" + path + "'";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseScript(text.str(), start, error);
}
