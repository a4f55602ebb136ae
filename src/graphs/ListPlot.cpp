#include "graphs/ListPlot.h"

#include <algorithm>
#include <cmath>

#include "graphs/ChartFrame.h"
#include "graphs/RangeInput.h"

namespace {

constexpr double KelvinOffset = 273.2;

// Into the plot's unit from a record's unit: a record of another unit counts as K in a plot in
// C or F, and as C in a plot in K. Differences take no offset.
double Convert(double v, std::string_view from, std::string_view to, bool difference) {
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

void ListPlot::Open(RecordTable records) {
    records_ = std::move(records);
    const ChartFrame::UnitLimits limits = ChartFrame::LimitsOf(std::string(records_.Cell(1, records_.UnitColumn())));
    unit_ = limits.unit;
    unitTempMax_ = limits.max;
    unitTempMin_ = limits.min;
    yMax_ = unitTempMax_;
    yMin_ = unitTempMin_;
    recordCount_ = recordLimit_ = lastRecord_ = records_.Rows();
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
    ChartFrame::Draw(out, {OriginX, 2, 10, 80, DrawOp::Style::Solid}, Area(), yMin_, yMax_, unit_, TwoChannels(), metrics);
    return out;
}

ListPlot::Run::Run(ListPlot& plot, const TextMetrics& metrics)
    : plot_(plot), metrics_(metrics), record_(plot.firstRecord_) {}

Drawing ListPlot::Run::Grid() {
    Drawing out;
    ChartFrame::GridLines(out, plot_.Area(), 2, false);
    return out;
}

Drawing ListPlot::Run::Next() {
    Drawing out;
    if (Done()) return out;
    const RecordTable& records = plot_.records_;
    // From the record's place in the range, so that no error adds up over many thousands.
    const double x = OriginX + static_cast<double>(record_ - plot_.firstRecord_) * plot_.xStep_;
    std::string_view cells[RecordTable::TwoChannelColumns];
    records.Cells(record_, cells);
    const std::string_view unit = cells[records.UnitColumn()];
    const int channels = plot_.TwoChannels() ? 3 : 1;
    for (int c = 0; c < channels; ++c) {
        Point(out, curves_[c], x, CellValue(cells[2 + c], unit, plot_.unit_, c == 2));
    }
    // A time line is drawn over the curves drawn before it and under those drawn after it.
    Drawing mark;
    const bool marked = TimeMark(mark, record_, x);
    if (marked || record_ == plot_.lastRecord_) {
        for (int c = 0; c < channels; ++c) curves_[c].Close(out);
    }
    out.insert(out.end(), mark.begin(), mark.end());
    ++record_;
    return out;
}

void ListPlot::Run::Point(Drawing& out, ColumnCurve& curve, double x, const Reading& value) {
    if (value.kind() == Reading::Kind::Empty) {
        // A cell the record does not have: the curve breaks here.
        curve.Break(out);
        return;
    }
    curve.Add(out, x, plot_.originY_ - ChartFrame::Height(value, plot_.yMin_, plot_.yMax_, plot_.height_));
}

bool ListPlot::Run::TimeMark(Drawing& out, long record, double x) {
    const long position = record - plot_.firstRecord_ + 1;
    const double y0 = plot_.originY_;
    if (!labelShown_ && IsLabelPosition(position, plot_.recordLimit_)) {
        ChartFrame::TimeLine(out, x, plot_.Area());
        const std::string time(plot_.records_.Cell(record, 1));
        double left = x - metrics_.width(time) / 2;
        if (record == plot_.firstRecord_) left -= 10;
        if (record == plot_.lastRecord_) left -= 10;
        out.push_back(TextOp(left, y0 + 10, time, Colours::Black));
        labelShown_ = true;
        return true;
    }
    if (labelShown_ && IsTickPosition(position, plot_.recordLimit_)) {
        ChartFrame::HalfTick(out, x, plot_.Area());
        labelShown_ = false;
        return true;
    }
    return false;
}

ChartFrame::Area ListPlot::Area() const { return {OriginX, originY_, width_, height_}; }

Reading ListPlot::CellValue(std::string_view text, std::string_view recordUnit, std::string_view plotUnit,
                            bool difference) {
    if (text.empty()) return Reading();
    if (text == "OL") return Reading::Mark(Reading::Kind::Over);
    if (text == "-OL") return Reading::Mark(Reading::Kind::Under);
    if (text == "----") return Reading::Mark(Reading::Kind::NoReading);
    double value = 0;
    if (text.find(',') == std::string_view::npos) {
        value = RangeInput::LeadingNumber(text);
    } else {
        std::string number(text);
        std::replace(number.begin(), number.end(), ',', '.');
        value = RangeInput::LeadingNumber(number);
    }
    return Reading::Number(Convert(value, recordUnit, plotUnit, difference));
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
