#pragma once

#include <optional>
#include <string>

#include "graphs/Drawing.h"

class ListPlot;

// A list's plot laid out for a report, as a drawing: the temperature axis scaled to the data on
// a round step, time labels on whole minutes or hours (with dates, given the first record's
// day), an optional title, axis captions, a legend for two channels, and every size (text, pens,
// gaps) grown with the picture, so that a picture three times as large reads as the default one.
// The records, their range and the unit are the plot's; marks and cells without a value leave a
// gap in the curve, as a value the meter did not send is never drawn.
namespace ReportPlot {

// The title's text against the others'; it is bold.
inline constexpr double TitleScale = 1.3;
// The size the others are measured against: the plot window's client area.
inline constexpr int DefaultWidth = 427, DefaultHeight = 395;

struct Options {
    int width = DefaultWidth, height = DefaultHeight;
    std::string title;               // none when empty
    std::optional<double> min, max;  // ends of the temperature axis the user fixed
    std::optional<long> firstDay;    // the first record's day (days since 1970-01-01): dated labels
};

// How much larger than the default picture's text and pens are in a picture of this size.
double ScaleOf(int width, int height);

// `text` measures the picture's font (grown by ScaleOf already), `title` that font at TitleScale
// in bold.
Drawing Draw(const ListPlot& plot, const Options& options, const TextMetrics& text, const TextMetrics& title);

}  // namespace ReportPlot
