#include "graphs/ChartFrame.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ChartFrame {

namespace {
constexpr double UnitClearance = 3;  // px between the unit and a label on the same line
}  // namespace

void Draw(Drawing& out, const Style& style, const Area& area, double yMin, double yMax, const std::string& unit,
          bool twoChannels, const TextMetrics& metrics) {
    const double x0 = area.originX, y0 = area.originY, w = area.width, h = area.height;
    const auto line = [&out](double x1, double y1, double x2, double y2, int width, DrawOp::Style lineStyle) {
        out.push_back(LineOp(x1, y1, x2, y2, Colours::Black, width, lineStyle));
    };
    const auto text = [&out](double x, double y, std::string s, Colour colour) {
        out.push_back(TextOp(x, y, std::move(s), colour));
    };
    line(x0 - 2, y0 + 5, x0 - 2, y0 - h - 5, 2, DrawOp::Style::Solid);
    line(x0 - 2, y0 + 6, x0 + w + style.axisOvershoot, y0 + 6, 2, DrawOp::Style::Solid);
    for (int i = 0; i <= 16; ++i) {
        const double y = y0 - i * h / 16;
        line(x0 - 2, y, x0 - 7, y, 1, style.tickStyle);
        if (i % 2 == 0) line(x0 - 2, y, x0 - 10, y, 1, style.tickStyle);
    }
    double widest = 0;
    for (int k = 0; k <= 8; ++k) {
        const std::string label = TemperatureLabel(yMin + (yMax - yMin) * k / 8);
        const double width = metrics.width(label);
        widest = std::max(widest, width);
        text(x0 - style.labelGap - width, y0 - k * h / 8 - metrics.height / 2, label, Colours::Black);
    }
    // The unit stands beside the middle label; where a label as wide as the widest would reach
    // it, it moves up between the middle label and the next one.
    const std::string sign = unit == "K" ? "K" : "\u00B0" + unit;
    const double unitLeft = x0 - style.unitOffset;
    const bool besideLabels = unitLeft + metrics.width(sign) + UnitClearance <= x0 - style.labelGap - widest;
    text(unitLeft, y0 - (besideLabels ? 8 : 9) * h / 16 - metrics.height / 2, sign, Colours::Black);
    if (twoChannels) {
        text(x0 - 30, y0 - h - 23, "T1", Colours::Black);
        text(x0 - 5, y0 - h - 23, "T2", Colours::Blue);
        text(x0 + 20, y0 - h - 23, "T1-T2", Colours::Red);
        text((x0 + w) / 2, y0 + 25, "(Time)", Colours::Black);
    }
}

UnitLimits LimitsOf(const std::string& unit) {
    if (unit == "C") return {"C", 1767, -200};
    if (unit == "F") return {"F", 1999.9, -328};
    return {"K", 1999.9, 0};
}

void GridLines(Drawing& out, const Area& area, double overshoot, bool withBottom) {
    const double x0 = area.originX, y0 = area.originY, w = area.width, h = area.height;
    out.push_back(LineOp(x0 - 2, y0 - h / 2, x0 + w + overshoot, y0 - h / 2, Colours::Grid));
    for (double eighths : {1, 7, 6, 5, 8, 3, 2, 0}) {
        if (eighths == 0 && !withBottom) continue;
        const double y = y0 - eighths * h / 8;
        out.push_back(LineOp(x0, y, x0 + w, y, Colours::Grid, 1, DrawOp::Style::Dotted));
    }
}

void TimeLine(Drawing& out, double x, const Area& area) {
    out.push_back(LineOp(x, area.originY, x, area.originY - area.height - 10, Colours::Grid, 1, DrawOp::Style::Dotted));
}

void HalfTick(Drawing& out, double x, const Area& area) {
    const double y0 = area.originY, h = area.height;
    out.push_back(LineOp(x, y0 - 4.2 * h / 8, x, y0 - 3.8 * h / 8, Colours::Grid));
}

void Join(Drawing& out, double previousX, double& previousY, double x, double y, bool atLeftEdge, Colour colour) {
    if (previousX != 0 && !atLeftEdge) out.push_back(LineOp(previousX, previousY, x, y, colour));
    previousY = y;
}

double Height(const Reading& value, double yMin, double yMax, double areaHeight) {
    using Kind = Reading::Kind;
    const Kind kind = value.kind();
    if (kind == Kind::Over || kind == Kind::NoReading || kind == Kind::Empty ||
        (kind == Kind::Number && value.Value() > yMax)) {
        return areaHeight + 5;
    }
    if (kind == Kind::Under || value.Value() < yMin) return -3;
    return (value.Value() - yMin) / (yMax - yMin) * areaHeight;
}

std::string TemperatureLabel(double value) {
    const double hundredths = std::round(value * 100);
    std::string text = FormatOneDecimal(hundredths / 100);
    if (static_cast<long long>(std::fabs(hundredths)) % 10 != 0) {
        // A second decimal only when there is one; to_chars writes '.' whatever the locale.
        char buffer[48];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, hundredths / 100, std::chars_format::fixed, 2);
        text.assign(buffer, result.ptr);
    }
    return text;
}

}  // namespace ChartFrame
