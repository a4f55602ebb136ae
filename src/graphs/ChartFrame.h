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

// Axes, the 17 ticks, the 9 temperature labels "0.0#" from yMin to yMax with the unit ("°C", "°F"
// or "K") beside the middle one, or just above it where the labels leave it no room, and for two
// channels the legend T1/T2/T1-T2 and "(Time)".
void Draw(Drawing& out, const Style& style, const Area& area, double yMin, double yMax, const std::string& unit,
          bool twoChannels, const TextMetrics& metrics);

// The widest range a unit allows: C -200 to 1767, F -328 to 1999.9, anything else (K) 0 to 1999.9.
struct UnitLimits {
    std::string unit;  // "C", "F" or "K"
    double max, min;
};
UnitLimits LimitsOf(const std::string& unit);

// The grid behind the curves: the middle line solid, running `overshoot` px past the area, and
// dotted lines at the other eighths (the bottom one too when `withBottom`).
void GridLines(Drawing& out, const Area& area, double overshoot, bool withBottom);
// A time label's dotted line up the area, and the short tick half-way between two labels.
void TimeLine(Drawing& out, double x, const Area& area);
void HalfTick(Drawing& out, double x, const Area& area);
// The next point of a curve, joined to the previous one unless there is none (previousX 0) or
// the pen stands at the left edge.
void Join(Drawing& out, double previousX, double& previousY, double x, double y, bool atLeftEdge, Colour colour);

// Height above the bottom of the area: 5 px over the top for "OL", "----" and values above the
// range, 3 px under the bottom for "-OL" and values below; a limit itself lies on the edge.
double Height(const Reading& value, double yMin, double yMax, double areaHeight);

// "0.0#": one or two decimals.
std::string TemperatureLabel(double value);

}  // namespace ChartFrame
