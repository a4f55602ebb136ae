#include "graphs/ReportPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "graphs/ColumnCurve.h"
#include "graphs/ListPlot.h"
#include "graphs/PlotAxis.h"

namespace ReportPlot {

namespace {

constexpr Colour GridGrey{220, 220, 220};
constexpr float NoValue = std::numeric_limits<float>::quiet_NaN();
constexpr long NoTime = std::numeric_limits<long>::min();
constexpr std::int32_t NoStoredTime = std::numeric_limits<std::int32_t>::min();

// Every size of the picture at scale 1, in pixels.
constexpr double Pad = 8;         // picture edge to anything drawn
constexpr double Gap = 4;         // between neighbours: a label and its tick, two rows
constexpr double TickLength = 4;  // outside the plot area
constexpr double ThinPen = 1;     // frame, ticks, grid
constexpr double CurvePen = 1.25;
constexpr double LegendSample = 16;  // a legend entry's line
constexpr double LegendSpacing = 12;
// Labels at least this many of their own heights apart (temperatures) or widths (times).
constexpr double TemperatureLabelSpacing = 2.0;
constexpr double TimeLabelSpacing = 1.8;

// The records of the range as numbers in the plot's unit (NaN where there is none) and as
// running seconds (NoStoredTime where the time cell holds no time of day). Floats and 32 bits are
// plenty for a reading's four digits and 68 years of seconds, and half the memory to fill.
struct Series {
    int channels = 1;
    long count = 0;
    std::vector<float> values;  // record by record, channel by channel
    std::vector<std::int32_t> times;
    double low = std::numeric_limits<double>::infinity(), high = -std::numeric_limits<double>::infinity();
    long firstTime = NoTime, lastTime = NoTime;  // the first time and the latest
};

Series Read(const ListPlot& plot) {
    Series series;
    const RecordTable& records = plot.Records();
    series.channels = plot.TwoChannels() ? 3 : 1;
    series.count = std::max(0L, plot.LastRecord() - plot.FirstRecord() + 1);
    series.values.reserve(static_cast<std::size_t>(series.count * series.channels));
    series.times.reserve(static_cast<std::size_t>(series.count));
    PlotAxis::RunningTime running;
    std::string_view cells[RecordTable::TwoChannelColumns];
    for (long r = plot.FirstRecord(); r <= plot.LastRecord(); ++r) {
        records.Cells(r, cells);
        const std::string_view unit = cells[records.UnitColumn()];
        for (int c = 0; c < series.channels; ++c) {
            const Reading value = ListPlot::CellValue(cells[2 + c], unit, plot.Unit(), c == 2);
            if (!value.IsNumber() || !std::isfinite(value.Value())) {
                series.values.push_back(NoValue);
                continue;
            }
            series.values.push_back(static_cast<float>(value.Value()));
            series.low = std::min(series.low, value.Value());
            series.high = std::max(series.high, value.Value());
        }
        const std::optional<long> time = running.Next(cells[1]);
        series.times.push_back(time ? static_cast<std::int32_t>(*time) : NoStoredTime);
        if (time) {
            if (series.firstTime == NoTime) series.firstTime = *time;
            series.lastTime = std::max(series.lastTime == NoTime ? *time : series.lastTime, *time);
        }
    }
    return series;
}

struct Box {
    double left, top, right, bottom;
};

// The part of a line inside the box (Liang and Barsky), or nothing: values beyond the user's
// --min or --max run to the edge of the plot area and no further.
bool Clip(DrawOp& line, const Box& box) {
    double t0 = 0, t1 = 1;
    const double dx = line.x2 - line.x1, dy = line.y2 - line.y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {line.x1 - box.left, box.right - line.x1, line.y1 - box.top, box.bottom - line.y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    const double x1 = line.x1, y1 = line.y1;
    line.x1 = x1 + t0 * dx;
    line.y1 = y1 + t0 * dy;
    line.x2 = x1 + t1 * dx;
    line.y2 = y1 + t1 * dy;
    return true;
}

struct TimeMark {
    double x;
    long time;
};

// Where the time labels fall: at each multiple of the step the running time reaches, between the
// two records it lies between. After a clock set back the labels wait until the time passes the
// last one again, so none comes twice.
std::vector<TimeMark> TimeMarks(const Series& series, long step, double left, double xStep) {
    std::vector<TimeMark> marks;
    if (series.firstTime == NoTime) return marks;
    long next =
        static_cast<long>(std::ceil(static_cast<double>(series.firstTime) / static_cast<double>(step))) *
        step;
    long previousTime = NoTime;
    double previousX = 0;
    for (long i = 0; i < series.count; ++i) {
        const std::int32_t stored = series.times[static_cast<std::size_t>(i)];
        if (stored == NoStoredTime) continue;
        const long time = stored;
        const double x = left + static_cast<double>(i) * xStep;
        for (; time >= next; next += step) {
            const bool between = previousTime != NoTime && previousTime < next;
            marks.push_back({between
                                 ? previousX + (x - previousX) * static_cast<double>(next - previousTime) /
                                                   static_cast<double>(time - previousTime)
                                 : x,
                             next});
        }
        previousTime = time;
        previousX = x;
    }
    return marks;
}

// The sizes of one picture, grown with it, and the plot area once it is laid out.
struct Layout {
    double s, pad, gap, tickLength, thin, lineHeight;
    Box area{};
    double timeLabelTop = 0, captionTop = 0;
};

// The title, centred, and for two channels the legend, right-aligned above the plot area; the
// top of what comes below them.
double Heading(Drawing& out, const Layout& at, double width, double right, const std::string& heading,
               const TextMetrics& title, const TextMetrics& text, int channels) {
    double top = at.pad;
    if (!heading.empty()) {
        // A title wider than the picture is set smaller until it fits.
        const double fit = std::min(1.0, (width - 2 * at.pad) / title.width(heading));
        out.push_back(ScaledTextOp((width - fit * title.width(heading)) / 2, top, heading, Colours::Black,
                                   TitleScale * fit, true));
        top += fit * title.height + at.gap;
    }
    if (channels == 3) {
        static const struct {
            const char* name;
            Colour colour;
        } Legend[] = {{"T1-T2", Colours::Red}, {"T2", Colours::Blue}, {"T1", Colours::Black}};
        double x = right;
        const double middle = top + at.lineHeight / 2;
        for (const auto& entry : Legend) {
            x -= text.width(entry.name);
            out.push_back(TextOp(x, top, entry.name, entry.colour));
            x -= at.gap + LegendSample * at.s;
            out.push_back(SmoothLineOp(x, middle, x + LegendSample * at.s, middle, entry.colour,
                                       CurvePen * at.s * 1.5));
            x -= LegendSpacing * at.s;
        }
        top += at.lineHeight + at.gap;
    }
    return top;
}

// Grid line, tick and label of each temperature, and the caption turned to read upwards.
void TemperatureLabels(Drawing& out, const Layout& at, const PlotAxis::Temperatures& axis,
                       const std::vector<std::string>& labels, const std::string& caption,
                       const TextMetrics& text) {
    const Box& area = at.area;
    for (std::size_t k = 0; k < axis.ticks.size(); ++k) {
        const double y =
            area.top + (axis.high - axis.ticks[k]) / (axis.high - axis.low) * (area.bottom - area.top);
        out.push_back(SmoothLineOp(area.left, y, area.right, y, GridGrey, at.thin));
        out.push_back(SmoothLineOp(area.left - at.tickLength, y, area.left, y, Colours::Black, at.thin));
        out.push_back(TextOp(area.left - at.tickLength - at.gap - text.width(labels[k]),
                             y - at.lineHeight / 2, labels[k], Colours::Black));
    }
    out.push_back(ScaledTextOp(at.pad, (area.top + area.bottom) / 2 + text.width(caption) / 2, caption,
                               Colours::Black, 1, false, -90));
}

// Time labels on the round step that leaves them room, whole minutes unless the span is short;
// with the first day known, the date under the first label of each day.
void TimeLabels(Drawing& out, const Layout& at, const Series& series, double xStep,
                std::optional<long> firstDay, const TextMetrics& text) {
    const Box& area = at.area;
    const double plotWidth = area.right - area.left;
    const long span = series.firstTime == NoTime ? 0 : series.lastTime - series.firstTime;
    // A dated label needs the room of its date, wider than its time.
    const double dateWidth = firstDay ? text.width("0000-00-00") : 0;
    const auto labelsFor = [&](const char* widestLabel) {
        return static_cast<int>(plotWidth /
                                std::max(text.width(widestLabel) * TimeLabelSpacing, dateWidth + 4 * at.gap));
    };
    long step = PlotAxis::TimeStep(span, labelsFor("00:00"));
    if (step < 60) step = std::min(PlotAxis::TimeStep(span, labelsFor("00:00:00")), 60L);
    double labelEnd = -std::numeric_limits<double>::infinity();
    long labelledDay = std::numeric_limits<long>::min();
    for (const TimeMark& mark : TimeMarks(series, step, area.left, xStep)) {
        const std::string label = PlotAxis::TimeText(mark.time, step);
        const double labelWidth = text.width(label);
        // Labels that would run into the one before (a gap in the records) are left out.
        const double room = std::max(labelWidth, dateWidth);
        if (mark.x - room / 2 < labelEnd + 2 * at.gap) continue;
        labelEnd = mark.x + room / 2;
        out.push_back(SmoothLineOp(mark.x, area.top, mark.x, area.bottom, GridGrey, at.thin));
        out.push_back(
            SmoothLineOp(mark.x, area.bottom, mark.x, area.bottom + at.tickLength, Colours::Black, at.thin));
        out.push_back(TextOp(mark.x - labelWidth / 2, at.timeLabelTop, label, Colours::Black));
        const long day = static_cast<long>(std::floor(static_cast<double>(mark.time) / 86400));
        if (firstDay && day != labelledDay) {
            const std::string date = PlotAxis::DateText(*firstDay, mark.time);
            out.push_back(
                TextOp(mark.x - text.width(date) / 2, at.timeLabelTop + at.lineHeight, date, Colours::Black));
            labelledDay = day;
        }
    }
    out.push_back(
        TextOp(area.left + (plotWidth - text.width("Time")) / 2, at.captionTop, "Time", Colours::Black));
}

// Each channel's curve a pixel column at a time, cut at the plot area's edges.
void Curves(Drawing& out, const Layout& at, const Series& series, const PlotAxis::Temperatures& axis,
            double xStep) {
    static constexpr Colour CurveColours[] = {Colours::Black, Colours::Blue, Colours::Red};
    const Box& area = at.area;
    const double yScale = (area.bottom - area.top) / (axis.high - axis.low);
    Drawing curves;
    for (int c = 0; c < series.channels; ++c) {
        ColumnCurve curve(CurveColours[c], true);
        for (long i = 0; i < series.count; ++i) {
            const float value = series.values[static_cast<std::size_t>(i * series.channels + c)];
            if (std::isnan(value)) {
                curve.Break(curves);
            } else {
                curve.Add(curves, area.left + static_cast<double>(i) * xStep,
                          area.top + (axis.high - value) * yScale);
            }
        }
        curve.Close(curves);
    }
    for (DrawOp& line : curves) {
        if (!Clip(line, area)) continue;
        line.penWidth = CurvePen * at.s;
        out.push_back(std::move(line));
    }
}

void FrameLines(Drawing& out, const Layout& at) {
    const Box& a = at.area;
    out.push_back(SmoothLineOp(a.left, a.top, a.right, a.top, Colours::Black, at.thin));
    out.push_back(SmoothLineOp(a.right, a.top, a.right, a.bottom, Colours::Black, at.thin));
    out.push_back(SmoothLineOp(a.right, a.bottom, a.left, a.bottom, Colours::Black, at.thin));
    out.push_back(SmoothLineOp(a.left, a.bottom, a.left, a.top, Colours::Black, at.thin));
}

}  // namespace

double ScaleOf(int width, int height) {
    return std::min(static_cast<double>(width) / DefaultWidth, static_cast<double>(height) / DefaultHeight);
}

Drawing Draw(const ListPlot& plot, const Options& options, const TextMetrics& text,
             const TextMetrics& title) {
    const double s = ScaleOf(options.width, options.height);
    Layout at{s, Pad * s, Gap * s, TickLength * s, ThinPen * s, text.height};
    const Series series = Read(plot);
    Drawing out;

    // Across: room at the right for half a time label (or date) centred on the last record.
    const double timeRoom =
        std::max(text.width("00:00:00"), options.firstDay ? text.width("0000-00-00") : 0.0);
    at.area.right = options.width - at.pad - timeRoom / 2;
    // Down: title and legend, half a label above the area; under it the ticks, the time labels,
    // the dates and the caption.
    at.area.top =
        Heading(out, at, options.width, at.area.right, options.title, title, text, series.channels) +
        at.lineHeight / 2;
    at.captionTop = options.height - at.pad - at.lineHeight;
    at.timeLabelTop = at.captionTop - at.gap - (options.firstDay ? 2 : 1) * at.lineHeight;
    at.area.bottom = at.timeLabelTop - at.gap / 2 - at.tickLength;

    // The temperatures on as many steps as the height holds with two lines between labels; the
    // widest label then says where the area starts.
    const double plotHeight = at.area.bottom - at.area.top;
    const int maxIntervals =
        std::clamp(static_cast<int>(plotHeight / (at.lineHeight * TemperatureLabelSpacing)), 2, 12);
    const bool hasData = series.low <= series.high;
    const PlotAxis::Temperatures axis = PlotAxis::TemperatureAxis(
        hasData ? series.low : 0, hasData ? series.high : 100, maxIntervals, options.min, options.max);
    std::vector<std::string> labels;
    double widest = 0;
    for (const double value : axis.ticks) {
        labels.push_back(PlotAxis::TemperatureText(value, axis.decimals));
        widest = std::max(widest, text.width(labels.back()));
    }
    at.area.left = at.pad + at.lineHeight + 2 * at.gap + widest + at.gap + at.tickLength;

    const std::string unit = plot.Unit() == "K" ? "K" : "\u00B0" + plot.Unit();
    TemperatureLabels(out, at, axis, labels, "Temperature (" + unit + ")", text);
    const double xStep =
        series.count > 1 ? (at.area.right - at.area.left) / static_cast<double>(series.count - 1) : 0;
    TimeLabels(out, at, series, xStep, options.firstDay, text);
    Curves(out, at, series, axis, xStep);
    FrameLines(out, at);
    return out;
}

}  // namespace ReportPlot
