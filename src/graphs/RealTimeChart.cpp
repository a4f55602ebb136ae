#include "graphs/RealTimeChart.h"

#include <algorithm>
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
    index_ = -1;
    gridPhase_ = 0;
    lenXPlusbox_ = 60;
    // A reopened graph's first sample is at the left edge, and there it gets its time label.
    countNumber_ = 0;
}

Drawing RealTimeChart::Layout(int clientWidth, int clientHeight, const TextMetrics& metrics) {
    Drawing out;
    out.push_back(ClearOp(Colours::White));
    const double x0 = OriginX;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    drawnYMax_ = yMax_;
    drawnYMin_ = yMin_;
    originY_ = clientHeight - BottomMargin;
    plotHeight_ = clientHeight - TopMargin - BottomMargin;
    plotWidth_ = PlotWidthFor(clientWidth);
    const double y0 = originY_, w = plotWidth_, h = plotHeight_;

    // Marks the pen before the left edge: the first sample draws no line.
    prevX_ = 0;
    index_ = -1;
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

Drawing RealTimeChart::Sample(const std::string& timeText, const CurrentReading& reading, const TextMetrics& metrics) {
    Drawing out;
    if (unitAtStart_.empty()) {
        if (reading.UnitText.empty()) return out;
        Open(reading.DualChannel, reading.UnitText);
        out = Layout(clientWidth_, clientHeight_, metrics);
    }
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
    prevX_ = OriginX + XPos();
    return out;
}

// Compared in samples with a margin far below a pixel: a step of W / n puts the n-th sample on
// the right edge even when the division does not come out exact.
bool RealTimeChart::Reaches(long index, double samples) const {
    return static_cast<double>(index) >= samples - 1e-9 * std::max(1.0, samples);
}

// The pen moves on one step; past the right edge it starts again at the left one. A white bar two
// samples wide clears the old curve just ahead of it.
void RealTimeChart::EraseAhead(Drawing& out) {
    const double x0 = OriginX, y0 = originY_, h = plotHeight_;
    ++index_;
    if (Reaches(index_, SamplesAcross() + 1)) {
        index_ = 0;
        prevX_ = 0;
        countNumber_ = 0;
        out.push_back(BoxOp(x0, y0 + 3, x0 + 2 * xStep_, y0 - h - 5, Colours::White));
    } else {
        const double x = x0 + XPos();
        out.push_back(BoxOp(x + 1, y0 + 3, x + 1 + 2 * xStep_, y0 - h - 5, Colours::White));
    }
}

// The middle grid line is redrawn solid behind the eraser, the others two ticks in three, so
// they come back dotted.
void RealTimeChart::GridSegments(Drawing& out) {
    const double x0 = OriginX, y0 = originY_, h = plotHeight_;
    gridPhase_ += 1;
    for (int i = 0; i <= 16; i += 2) {
        const double y = y0 - i * h / 16;
        const double x = x0 + XPos();
        if (i == 8) {
            out.push_back(LineOp(x, y, x + xStep_, y, Colours::Grid));
        } else if (gridPhase_ <= 1) {
            const double end = Reaches(index_ + 1, SamplesAcross()) ? x : x + xStep_;
            out.push_back(LineOp(x, y, end, y, Colours::Grid));
        } else if (gridPhase_ >= 3) {
            gridPhase_ = 0;
        }
    }
}

void RealTimeChart::TimeLabel(Drawing& out, const std::string& timeText, const TextMetrics& metrics) {
    const double x = OriginX + XPos(), y0 = originY_, h = plotHeight_;
    if (countNumber_ == 0 && (EveryNth(index_, lenXPlusbox_) || Reaches(index_, SamplesAcross()))) {
        countNumber_ += 1;
        ChartFrame::TimeLine(out, x, {OriginX, y0, plotWidth_, h});
        // The label of the previous sweep stands at the same place: all of it goes first.
        const std::string label = timeText + " ";
        const double left = x - 15 - metrics.width(timeText) / 2;
        out.push_back(BoxOp(left, y0 + 10, left + metrics.width(label),
                            std::max(y0 + 22, y0 + 10 + metrics.height), Colours::White));
        out.push_back(TextOp(left, y0 + 10, label, Colours::Black));
    } else if (countNumber_ != 0 && EveryNth(index_, lenXPlusbox_ / 2)) {
        ChartFrame::HalfTick(out, x, {OriginX, y0, plotWidth_, h});
        countNumber_ = 0;
    }
}

void RealTimeChart::Trace(Drawing& out, const Reading& value, double& previousY, Colour colour) {
    const double y = originY_ - Height(value);
    ChartFrame::Join(out, prevX_, previousY, OriginX + XPos(), y, index_ == 0, colour);
}

double RealTimeChart::Height(const Reading& value) const {
    return ChartFrame::Height(value, drawnYMin_, drawnYMax_, plotHeight_);
}
