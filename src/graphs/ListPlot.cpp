#include "graphs/ListPlot.h"

#include <cmath>

#include "graphs/ChartFrame.h"
#include "graphs/RangeInput.h"

namespace {

constexpr double KelvinOffset = 273.2;

// Into the plot's unit from a record's unit: a record of another unit counts as K in a plot in
// C or F, and as C in a plot in K. Differences take no offset.
double Convert(double v, const std::string& from, const std::string& to, bool difference) {
    const double offset = difference ? 0 : KelvinOffset;
    const double fahrenheitZero = difference ? 0 : 32;
    if (to == "C") {
        if (from == "C") return v;
        if (from == "F") return (v - fahrenheitZero) * 5 / 9;
        return v - offset;
    }
    if (to == "F") {
        if (from == "F") return v;
        if (from == "C") return v * 9 / 5 + fahrenheitZero;
        return (v - offset) * 9 / 5 + fahrenheitZero;
    }
    if (from == "K") return v;
    if (from == "F") return (v - fahrenheitZero) * 5 / 9 + offset;
    return v + offset;
}

}  // namespace

ListPlot& ListPlot::Instance() {
    static ListPlot plot;
    return plot;
}

void ListPlot::Open(const std::string& sourceList, bool twoChannels, const std::string& firstUnit,
                    long recordCount) {
    sourceList_ = sourceList;
    twoChannels_ = twoChannels;
    const ChartFrame::UnitLimits limits = ChartFrame::LimitsOf(firstUnit);
    unit_ = limits.unit;
    unitTempMax_ = limits.max;
    unitTempMin_ = limits.min;
    yMax_ = unitTempMax_;
    yMin_ = unitTempMin_;
    recordCount_ = recordLimit_ = lastRecord_ = recordCount;
    firstRecord_ = 1;
}

void ListPlot::SetRange(double yMin, double yMax, long firstRecord, long lastRecord) {
    yMin_ = yMin;
    yMax_ = yMax;
    firstRecord_ = firstRecord;
    lastRecord_ = lastRecord;
    recordLimit_ = lastRecord - firstRecord + 1;
}

Drawing ListPlot::Layout(int clientWidth, int clientHeight, double timeWidth, const TextMetrics& metrics) {
    Drawing out;
    out.push_back(ClearOp(Colours::White));
    originY_ = clientHeight - 40;
    height_ = clientHeight - 100;
    width_ = clientWidth - OriginX - timeWidth / 2;
    xStep_ = recordLimit_ > 0 ? width_ / recordLimit_ : width_;
    xPos_ = -xStep_;
    prevX_ = 0;
    ChartFrame::Draw(out, {OriginX, 2, 10, 80, DrawOp::Style::Solid}, Area(), yMin_, yMax_, unit_, twoChannels_, metrics);
    return out;
}

ListPlot::Run::Run(ListPlot& plot, Cell cell, const TextMetrics& metrics)
    : plot_(plot), cell_(std::move(cell)), metrics_(metrics), record_(plot.firstRecord_) {
    plot_.xPos_ = -plot_.xStep_;
    plot_.prevX_ = 0;
}

Drawing ListPlot::Run::Grid() {
    Drawing out;
    ChartFrame::GridLines(out, plot_.Area(), 2, false);
    return out;
}

Drawing ListPlot::Run::Next() {
    Drawing out;
    if (Done()) return out;
    plot_.xPos_ += plot_.xStep_;
    const int unitColumn = plot_.twoChannels_ ? 5 : 3;
    const std::string unit = cell_(record_, unitColumn);
    Channel(out, 2, false, unit, previous_[0], Colours::Black);
    if (plot_.twoChannels_) {
        Channel(out, 3, false, unit, previous_[1], Colours::Blue);
        Channel(out, 4, true, unit, previous_[2], Colours::Red);
    }
    plot_.prevX_ = OriginX + plot_.xPos_;
    TimeMark(out, record_);
    ++record_;
    return out;
}

void ListPlot::Run::Channel(Drawing& out, int column, bool difference, const std::string& unit, double& previousY,
                            Colour colour) {
    const Reading value = CellValue(cell_(record_, column), unit, plot_.unit_, difference);
    const double y = plot_.originY_ - ChartFrame::Height(value, plot_.yMin_, plot_.yMax_, plot_.height_);
    ChartFrame::Join(out, plot_.prevX_, previousY, OriginX + plot_.xPos_, y, plot_.xPos_ == 0, colour);
}

void ListPlot::Run::TimeMark(Drawing& out, long record) {
    const long position = record - plot_.firstRecord_ + 1;
    const double x = OriginX + plot_.xPos_, y0 = plot_.originY_;
    if (!labelShown_ && IsLabelPosition(position, plot_.recordLimit_)) {
        ChartFrame::TimeLine(out, x, plot_.Area());
        const std::string time = cell_(record, 1);
        double left = x - metrics_.width(time) / 2;
        if (record == plot_.firstRecord_) left -= 10;
        if (record == plot_.lastRecord_) left -= 10;
        out.push_back(TextOp(left, y0 + 10, time, Colours::Black));
        labelShown_ = true;
    } else if (labelShown_ && IsTickPosition(position, plot_.recordLimit_)) {
        ChartFrame::HalfTick(out, x, plot_.Area());
        labelShown_ = false;
    }
}

ChartFrame::Area ListPlot::Area() const { return {OriginX, originY_, width_, height_}; }

Reading ListPlot::CellValue(const std::string& text, const std::string& recordUnit, const std::string& plotUnit,
                            bool difference) {
    if (text == "OL") return Reading::Mark(Reading::Kind::Over);
    if (text == "-OL") return Reading::Mark(Reading::Kind::Under);
    if (text == "----") return Reading::Mark(Reading::Kind::NoReading);
    std::string number = text;
    for (char& c : number) {
        if (c == ',') c = '.';
    }
    return Reading::Number(Convert(RangeInput::LeadingNumber(number), recordUnit, plotUnit, difference));
}

bool ListPlot::IsLabelPosition(long position, long records) {
    if (position == 1) return true;
    for (long k = 1; k <= 5; ++k) {
        if (k * records / 5 > 0 && position == k * records / 5) return true;
    }
    return false;
}

bool ListPlot::IsTickPosition(long position, long records) {
    for (long k = 1; k <= 10; ++k) {
        if (k * records / 10 > 0 && position == k * records / 10) return true;
    }
    return false;
}
