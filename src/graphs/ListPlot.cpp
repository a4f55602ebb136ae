#include "graphs/ListPlot.h"

#include <cmath>

#include "graphs/ChartFrame.h"
#include "graphs/RangeInput.h"

namespace {

constexpr double KelvinOffset = 273.2;

struct UnitRange {
    const char* unit;
    double max, min;
};
constexpr UnitRange UnitRanges[] = {{"C", 1767, -200}, {"F", 1999.9, -328}, {"K", 1999.9, 0}};

DrawOp Line(double x1, double y1, double x2, double y2, Colour colour, DrawOp::Style style = DrawOp::Style::Solid) {
    return {DrawOp::Kind::Line, x1, y1, x2, y2, colour, 1, style, {}};
}

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

void ListPlot::Open(const std::string& sourceList, bool fromFileList, bool twoChannels, const std::string& firstUnit,
                    long recordCount) {
    sourceList_ = sourceList;
    fromFileList_ = fromFileList;
    twoChannels_ = twoChannels;
    unit_ = firstUnit == "C" || firstUnit == "F" ? firstUnit : "K";
    for (const UnitRange& r : UnitRanges) {
        if (unit_ == r.unit) {
            unitTempMax_ = r.max;
            unitTempMin_ = r.min;
        }
    }
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
    out.push_back({DrawOp::Kind::Clear, 0, 0, 0, 0, Colours::White, 1, DrawOp::Style::Solid, {}});
    originY_ = clientHeight - 40;
    height_ = clientHeight - 100;
    width_ = clientWidth - OriginX - timeWidth / 2;
    xStep_ = recordLimit_ > 0 ? width_ / recordLimit_ : width_;
    xPos_ = -xStep_;
    prevX_ = 0;
    ChartFrame::Draw(out, {OriginX, 2, 10, 80, DrawOp::Style::Solid}, {OriginX, originY_, width_, height_}, yMin_, yMax_,
                     unit_, twoChannels_, metrics);
    return out;
}

ListPlot::Run::Run(ListPlot& plot, Cell cell, const TextMetrics& metrics)
    : plot_(plot), cell_(std::move(cell)), metrics_(metrics), record_(plot.firstRecord_) {
    plot_.xPos_ = -plot_.xStep_;
    plot_.prevX_ = 0;
}

Drawing ListPlot::Run::Grid() {
    const double x0 = OriginX, y0 = plot_.originY_, w = plot_.width_, h = plot_.height_;
    Drawing out{Line(x0 - 2, y0 - h / 2, x0 + w + 2, y0 - h / 2, Colours::Grid)};
    for (double eighths : {1, 7, 6, 5, 8, 3, 2}) {
        const double y = y0 - eighths * h / 8;
        out.push_back(Line(x0, y, x0 + w, y, Colours::Grid, DrawOp::Style::Dotted));
    }
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
    if (plot_.prevX_ != 0 && plot_.xPos_ != 0) out.push_back(Line(plot_.prevX_, previousY, OriginX + plot_.xPos_, y, colour));
    previousY = y;
}

void ListPlot::Run::TimeMark(Drawing& out, long record) {
    const long position = record - plot_.firstRecord_ + 1;
    const double x = OriginX + plot_.xPos_, y0 = plot_.originY_, h = plot_.height_;
    if (!labelShown_ && IsLabelPosition(position, plot_.recordLimit_)) {
        out.push_back(Line(x, y0, x, y0 - h - 10, Colours::Grid, DrawOp::Style::Dotted));
        const std::string time = cell_(record, 1);
        double left = x - metrics_.width(time) / 2;
        if (record == plot_.firstRecord_) left -= 10;
        if (record == plot_.lastRecord_) left -= 10;
        out.push_back({DrawOp::Kind::Text, left, y0 + 10, left, y0 + 10, Colours::Black, 1, DrawOp::Style::Solid, time});
        labelShown_ = true;
    } else if (labelShown_ && IsTickPosition(position, plot_.recordLimit_)) {
        out.push_back(Line(x, y0 - 4.2 * h / 8, x, y0 - 3.8 * h / 8, Colours::Grid));
        labelShown_ = false;
    }
}

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
