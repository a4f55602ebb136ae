#pragma once

#include <string>

#include "graphs/Drawing.h"
#include "meter/CurrentReading.h"

// The sweeping real-time chart: a plot area that the pen crosses from left to right across a
// time span and then starts again at the left edge, erasing the old curve just ahead of it. It
// keeps the chart's state (range, span, sweep position), which the graph and its range dialog
// share, and turns a layout or a sample into what is to be drawn; the window draws that and keeps
// nothing else.
class RealTimeChart {
public:
    static constexpr int OriginX = 52;
    static constexpr double DefaultSpanSeconds = 300;

    // The graph opens for the meter as it is: its channel mode and unit, the unit's widest range.
    void Open(bool dualChannel, const std::string& unitText);
    // The range the Y axis shows (the range dialog checks it first).
    void SetRange(double yMax, double yMin);
    // Plot width from the client width, then the step that spreads `spanSeconds` across it.
    void SetSpan(int clientWidth, double spanSeconds, double samplingSeconds);
    // A freshly loaded window: the pen before the left edge, the grid pacing and the time labels
    // anew.
    void Loaded();

    // The empty chart for a client area of this size; the curve so far is gone. The curve is drawn
    // against the range this layout labels until the next layout, whatever is stored meanwhile.
    Drawing Layout(int clientWidth, int clientHeight, const TextMetrics& metrics);
    // One sample of the sampling clock, taken at `timeText` ("hh:mm:ss" on the clock of the day,
    // which only labels it): nothing once the meter changed its channel mode or unit. A chart
    // opened before the meter's first frame waits for it, then lays itself out for that frame's
    // unit and channel mode and draws from there.
    Drawing Sample(const std::string& timeText, const CurrentReading& reading, const TextMetrics& metrics);

    // Height above the bottom of the plot area at which a reading is drawn, in the range of the
    // last layout: 5 px over the top for "OL", "----" and values above the range, 3 px under the
    // bottom for "-OL" and values below.
    double Height(const Reading& value) const;
    static double PlotWidthFor(int clientWidth);

    double YMax() const { return yMax_; }
    double YMin() const { return yMin_; }
    double UnitTempMax() const { return unitTempMax_; }
    double UnitTempMin() const { return unitTempMin_; }
    double XStep() const { return xStep_; }
    double XPos() const { return static_cast<double>(index_) * xStep_; }
    double PlotWidth() const { return plotWidth_; }
    double PlotHeight() const { return plotHeight_; }
    double OriginY() const { return originY_; }
    double LabelInterval() const { return lenXPlusbox_; }

private:
    // Whether the pen, `index` samples from the left edge, has reached `samples` samples across.
    bool Reaches(long index, double samples) const;
    double SamplesAcross() const { return xStep_ > 0 ? plotWidth_ / xStep_ : 0; }
    void EraseAhead(Drawing& out);
    void GridSegments(Drawing& out);
    void TimeLabel(Drawing& out, const std::string& timeText, const TextMetrics& metrics);
    void Trace(Drawing& out, const Reading& value, double& previousY, Colour colour);

    double originY_ = 0, plotHeight_ = 0, plotWidth_ = 0;
    double yMax_ = 0, yMin_ = 0, unitTempMax_ = 0, unitTempMin_ = 0;
    double drawnYMax_ = 0, drawnYMin_ = 0;
    int clientWidth_ = 0, clientHeight_ = 0;
    double xStep_ = 0, prevX_ = 0;
    // The pen's sample from the left edge (-1 before it); its x offset is index_ · xStep_, so
    // no rounding accumulates over a sweep.
    long index_ = -1;
    double prevT1Y_ = 0, prevT2Y_ = 0, prevDiffY_ = 0;
    std::string unitAtStart_;
    bool channelModeAtStart_ = false;
    double gridPhase_ = 0;
    double lenXPlusbox_ = 60;
    int countNumber_ = 0;
};
