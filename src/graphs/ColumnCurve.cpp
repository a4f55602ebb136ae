#include "graphs/ColumnCurve.h"

#include <algorithm>
#include <cmath>

void ColumnCurve::Add(Drawing& out, double x, double y) {
    const long column = std::lround(x);
    if (points_ > 0 && column == column_) {
        ++points_;
        minY_ = std::min(minY_, y);
        maxY_ = std::max(maxY_, y);
    } else {
        Close(out);
        if (hasLast_) out.push_back(LineOp(lastX_, lastY_, x, y, colour_));
        column_ = column;
        points_ = 1;
        firstY_ = minY_ = maxY_ = y;
    }
    hasLast_ = true;
    lastX_ = x;
    lastY_ = y;
}

void ColumnCurve::Break(Drawing& out) {
    Close(out);
    hasLast_ = false;
}

// The lines between the points of one pixel column are all drawn at that column, so together
// they cover the column from the lowest point to the highest: first to lowest to highest to
// last covers exactly that, and ends where the next column's line begins.
void ColumnCurve::Close(Drawing& out) {
    if (points_ >= 2) {
        const double x = static_cast<double>(column_);
        if (firstY_ != minY_ && !spanOnly_) out.push_back(LineOp(x, firstY_, x, minY_, colour_));
        out.push_back(LineOp(x, minY_, x, maxY_, colour_));
        if (maxY_ != lastY_ && !spanOnly_) out.push_back(LineOp(x, maxY_, x, lastY_, colour_));
    }
    points_ = 0;
}
