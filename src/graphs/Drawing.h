#pragma once

#include <cstdint>
#include <functional>
#include <string>
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
};

using Drawing = std::vector<DrawOp>;

// The window's font as the chart needs to know it.
struct TextMetrics {
    std::function<double(const std::string&)> width;
    double height = 0;
};
