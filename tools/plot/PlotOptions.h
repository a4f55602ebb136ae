#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line of tq36-plot, read with getopt_long.
namespace PlotCli {

struct Options {
    std::string file;
    std::string out;
    // As the plot range dialog takes them; unset ones keep the plot's own.
    std::optional<std::string> min, max;
    std::optional<std::string> firstRecord, lastRecord;
    int width = 427, height = 395;  // the plot window's client area
    std::string title;
    std::optional<long> firstDay;  // --date: the first record's day, days since 1970-01-01
    bool likeWindow = false;       // the plot window's chart instead of the report picture
    bool force = false;
    bool help = false;
    bool version = false;
};

// The smallest picture: the plot window snaps back to this size, and the layout needs it.
inline constexpr int MinWidth = 420, MinHeight = 391;
inline constexpr int MaxSide = 16384;

struct Parsed {
    std::optional<Options> options;
    std::string error;  // why not, for the usage message
};

Parsed Parse(const std::vector<std::string>& args);
std::string UsageText();

// The picture's kind, from the ending of its name: "png", "svg", "pdf", or nothing.
std::optional<std::string> KindOf(const std::string& path);

}  // namespace PlotCli
