#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// What a chart asks to be drawn, in client pixels (origin top left, y downwards), so that its
// arithmetic needs no widget and a window draws the list on its canvas.
struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

namespace Colours {
inline constexpr Colour Black{0, 0, 0};
inline constexpr Colour White{255, 255, 255};
inline constexpr Colour Blue{0, 0, 255};
inline constexpr Colour Red{255, 0, 0};
inline constexpr Colour Grid{192, 192, 192};  // palette index 7
}  // namespace Colours

struct DrawOp {
    enum class Kind { Clear, Line, Box, Text };
    enum class Style { Solid, Dotted, Dashed };
    Kind kind = Kind::Line;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a line's ends, a box's opposite corners, a text's top left
    Colour colour;
    int width = 1;
    Style style = Style::Solid;
    std::string text;
    // A report picture's pen and text, which grow with its size. A line of penWidth > 0 is drawn
    // smooth (anti-aliased) that wide, at its exact ends; 0 keeps the windows' pixel
    // lines of `width`. A text is textScale times the painter's font, bold if asked, and turned
    // by `angle` degrees about its top left (-90 reads upwards).
    double penWidth = 0;
    double textScale = 1;
    bool bold = false;
    double angle = 0;
};

using Drawing = std::vector<DrawOp>;

// The four kinds of drawing, as the charts write them.
inline DrawOp ClearOp(Colour colour) { return {DrawOp::Kind::Clear, 0, 0, 0, 0, colour, 1, DrawOp::Style::Solid, {}}; }
inline DrawOp LineOp(double x1, double y1, double x2, double y2, Colour colour, int width = 1,
                     DrawOp::Style style = DrawOp::Style::Solid) {
    return {DrawOp::Kind::Line, x1, y1, x2, y2, colour, width, style, {}};
}
inline DrawOp BoxOp(double x1, double y1, double x2, double y2, Colour colour) {
    return {DrawOp::Kind::Box, x1, y1, x2, y2, colour, 1, DrawOp::Style::Solid, {}};
}
inline DrawOp TextOp(double x, double y, std::string text, Colour colour) {
    return {DrawOp::Kind::Text, x, y, x, y, colour, 1, DrawOp::Style::Solid, std::move(text)};
}

// A report picture's smooth line and its text in a size and weight of its own.
inline DrawOp SmoothLineOp(double x1, double y1, double x2, double y2, Colour colour, double penWidth) {
    DrawOp op = LineOp(x1, y1, x2, y2, colour);
    op.penWidth = penWidth;
    return op;
}
inline DrawOp ScaledTextOp(double x, double y, std::string text, Colour colour, double textScale, bool bold = false,
                           double angle = 0) {
    DrawOp op = TextOp(x, y, std::move(text), colour);
    op.textScale = textScale;
    op.bold = bold;
    op.angle = angle;
    return op;
}

// The window's font as the chart needs to know it.
struct TextMetrics {
    std::function<double(const std::string&)> width;
    double height = 0;
};
