#pragma once

#include <string>

#include "graphs/Drawing.h"
#include "meter/Reading.h"

// What the real-time chart and the plot of a list have in common: the frame around the plot
// area (axes, ticks, temperature labels with the unit, the legend) and where a reading lies.
namespace ChartFrame {

struct Style {
    int originX;            // left edge of the plot area
    double axisOvershoot;   // how far the time axis runs past the plot area
    double labelGap;        // between a temperature label's right end and the area
    double unitOffset;      // the unit's left edge, left of the area
    DrawOp::Style tickStyle;
};

struct Area {
    double originX, originY, width, height;  // bottom-left corner and size, in pixels
};

// Axes, the 17 ticks, the 9 temperature labels "0.0#" from yMin to yMax with the unit beside the
// middle one ("°C", "°F" or "K"), and for two channels the legend T1/T2/T1-T2 and "(Time)".
void Draw(Drawing& out, const Style& style, const Area& area, double yMin, double yMax, const std::string& unit,
          bool twoChannels, const TextMetrics& metrics);

// Height above the bottom of the area: 5 px over the top for "OL", "----" and values above the
// range, 3 px under the bottom for "-OL" and values below; a limit itself lies on the edge.
double Height(const Reading& value, double yMin, double yMax, double areaHeight);

// "0.0#": one or two decimals.
std::string TemperatureLabel(double value);

}  // namespace ChartFrame
