#pragma once

#include <QRect>
#include <QSize>

// Sizes and positions of the windows are given in twips (1440 per inch). They are turned into
// pixels with the screen's logical DPI, so a layout keeps its proportions on any screen; at the
// usual 96 dpi one pixel is 15 twips.
class Twips {
public:
    static constexpr int PerInch = 1440;

    static int ToPxX(int twips);
    static int ToPxY(int twips);
    static int FromPxX(int px);
    static int FromPxY(int px);
    static QRect Rect(int left, int top, int width, int height);
    static QSize Size(int width, int height);
    static QPoint Point(int left, int top);

    // Dots per inch in use; 96 before a screen exists.
    static double DpiX();
    static double DpiY();
};
