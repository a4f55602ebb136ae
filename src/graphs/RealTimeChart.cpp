#include "graphs/RealTimeChart.h"

#include <cmath>

#include "graphs/ChartFrame.h"
#include "meter/Meter.h"
#include "meter/Reading.h"

namespace {

constexpr double TopMargin = 60, BottomMargin = 40;

// Whether `index` falls on every `interval`-th sample; an interval that rounds to nothing puts
// a label at every sample rather than dividing by zero.
bool EveryNth(long index, double interval) {
    const long n = std::lround(interval);
    return n == 0 || index % n == 0;
}

}  // namespace

RealTimeChart& RealTimeChart::Instance() {
    static RealTimeChart chart;
    return chart;
}

void RealTimeChart::Open(bool dualChannel, const std::string& unitText) {
    channelModeAtStart_ = dualChannel;
    unitAtStart_ = unitText;
    const ChartFrame::UnitLimits limits = ChartFrame::LimitsOf(unitText);
    unitTempMax_ = limits.max;
    unitTempMin_ = limits.min;
    SetRange(unitTempMax_, unitTempMin_);
}

void RealTimeChart::SetRange(double yMax, double yMin) {
    yMax_ = yMax;
    yMin_ = yMin;
}

// The plot area is as wide as the client allows in whole steps of 60 px.
double RealTimeChart::PlotWidthFor(int clientWidth) {
    const long usable = std::max(0L, static_cast<long>(clientWidth) - OriginX);
    return static_cast<double>(usable - usable % 60);
}

void RealTimeChart::SetSpan(int clientWidth, double spanSeconds, double samplingSeconds) {
    plotWidth_ = PlotWidthFor(clientWidth);
    xStep_ = plotWidth_ / (spanSeconds / samplingSeconds);
}

void RealTimeChart::Loaded() {
    xPos_ = -xStep_;
    gridPhase_ = 0;
    nextPlotTime_ = DueTime{};
}

Drawing RealTimeChart::Layout(int clientWidth, int clientHeight, const TextMetrics& metrics) {
    Drawing out;
    out.push_back(ClearOp(Colours::White));
    const double x0 = OriginX;
    originY_ = clientHeight - BottomMargin;
    plotHeight_ = clientHeight - TopMargin - BottomMargin;
    plotWidth_ = PlotWidthFor(clientWidth);
    const double y0 = originY_, w = plotWidth_, h = plotHeight_;

    // Marks the pen before the left edge: the first sample draws no line.
    prevX_ = 0;
    xPos_ = -xStep_;
    ChartFrame::Draw(out, {OriginX, 0, 12, 50, DrawOp::Style::Dashed}, {x0, y0, w, h}, yMin_, yMax_, unitAtStart_,
                     channelModeAtStart_, metrics);
    out.push_back(BoxOp(x0, y0, x0 + w, y0 - h, Colours::White));
    out.push_back(BoxOp(x0 + 2, y0 + 3, x0 + 2 + xStep_, y0 - h - 5, Colours::White));
    ChartFrame::GridLines(out, {x0, y0, w, h}, 0, true);

    // Samples between two time labels: about one label per 120 pixels, an even count.
    const double samples = xStep_ > 0 ? std::floor(w / xStep_) : 0;
    const double perSixty = w > 0 ? samples / (w / 60) : 0;
    lenXPlusbox_ = static_cast<long>(std::floor(perSixty)) % 2 == 0 ? perSixty : std::floor(perSixty) + 1;
    return out;
}

Drawing RealTimeChart::Tick(int now, const std::string& timeText, double samplingSeconds,
                            const CurrentReading& reading, const TextMetrics& metrics) {
    Drawing out;
    if (!nextPlotTime_.Tick(now, static_cast<int>(samplingSeconds))) return out;
    if (channelModeAtStart_ != reading.DualChannel || unitAtStart_ != reading.UnitText) return out;

    EraseAhead(out);
    GridSegments(out);
    TimeLabel(out, timeText, metrics);
    const Meter::UnitValues values = Meter::InUnit(reading, unitAtStart_);
    Trace(out, values.t1, prevT1Y_, Colours::Black);
    if (channelModeAtStart_) {
        Trace(out, values.t2, prevT2Y_, Colours::Blue);
        Trace(out, values.t1t2, prevDiffY_, Colours::Red);
    }
    prevX_ = OriginX + xPos_;
    return out;
}

// The pen moves on one step; past the right edge it starts again at the left one. A white bar two
// samples wide clears the old curve just ahead of it.
void RealTimeChart::EraseAhead(Drawing& out) {
    const double x0 = OriginX, y0 = originY_, h = plotHeight_;
    xPos_ += xStep_;
    if (xPos_ >= plotWidth_ + xStep_) {
        xPos_ = 0;
        prevX_ = 0;
        countNumber_ = 0;
        out.push_back(BoxOp(x0, y0 + 3, x0 + 2 * xStep_, y0 - h - 5, Colours::White));
    } else {
        out.push_back(BoxOp(x0 + xPos_ + 1, y0 + 3, x0 + xPos_ + 1 + 2 * xStep_, y0 - h - 5, Colours::White));
    }
}

// The middle grid line is redrawn solid behind the eraser, the others two ticks in three, so
// they come back dotted.
void RealTimeChart::GridSegments(Drawing& out) {
    const double x0 = OriginX, y0 = originY_, h = plotHeight_;
    gridPhase_ += 1;
    for (int i = 0; i <= 16; i += 2) {
        const double y = y0 - i * h / 16;
        const double x = x0 + xPos_;
        if (i == 8) {
            out.push_back(LineOp(x, y, x + xStep_, y, Colours::Grid));
        } else if (gridPhase_ <= 1) {
            const double end = xPos_ + xStep_ >= plotWidth_ ? x : x + xStep_;
            out.push_back(LineOp(x, y, end, y, Colours::Grid));
        } else if (gridPhase_ >= 3) {
            gridPhase_ = 0;
        }
    }
}

void RealTimeChart::TimeLabel(Drawing& out, const std::string& timeText, const TextMetrics& metrics) {
    const double x = OriginX + xPos_, y0 = originY_, h = plotHeight_;
    const long index = std::lround(xStep_ > 0 ? xPos_ / xStep_ : 0);
    if (countNumber_ == 0 && (EveryNth(index, lenXPlusbox_) || xPos_ >= plotWidth_)) {
        countNumber_ += 1;
        ChartFrame::TimeLine(out, x, {OriginX, y0, plotWidth_, h});
        const double w = metrics.width(timeText);
        out.push_back(BoxOp(x - w / 2 - 15, y0 + 10, x, y0 + 22, Colours::White));
        out.push_back(TextOp(x - 15 - w / 2, y0 + 10, timeText + " ", Colours::Black));
    } else if (countNumber_ != 0 && EveryNth(index, lenXPlusbox_ / 2)) {
        ChartFrame::HalfTick(out, x, {OriginX, y0, plotWidth_, h});
        countNumber_ = 0;
    }
}

void RealTimeChart::Trace(Drawing& out, const Reading& value, double& previousY, Colour colour) {
    const double y = originY_ - Height(value);
    ChartFrame::Join(out, prevX_, previousY, OriginX + xPos_, y, xPos_ == 0, colour);
}

double RealTimeChart::Height(const Reading& value) const { return ChartFrame::Height(value, yMin_, yMax_, plotHeight_); }

