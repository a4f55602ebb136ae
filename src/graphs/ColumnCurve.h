#pragma once

#include "graphs/Drawing.h"

// A curve through many points, many of which may fall on one pixel column: a column's lines are
// drawn once the column is complete, as the few lines that cover what all its points' lines
// would cover, so that a long list costs what the pixels need.
class ColumnCurve {
  public:
    // `spanOnly`: a column is the one line from its lowest point to its highest, which covers
    // the same, for a picture that draws no pen's path (the windows draw the path through the
    // first and last points, as the lines of every point would leave the pen).
    explicit ColumnCurve(Colour colour = Colours::Black, bool spanOnly = false)
        : colour_(colour), spanOnly_(spanOnly) {}

    // The next point, joined to the one before unless the curve broke there.
    void Add(Drawing& out, double x, double y);
    // No line from the last point to the next one (a cell without a value).
    void Break(Drawing& out);
    // Draws the column held, if any; the next point still joins the last one.
    void Close(Drawing& out);

  private:
    Colour colour_;
    bool spanOnly_;
    bool hasLast_ = false;
    double lastX_ = 0, lastY_ = 0;
    long column_ = 0;
    int points_ = 0;  // in the column; 0 when none is held
    double firstY_ = 0, minY_ = 0, maxY_ = 0;
};
