#pragma once

#include <QFont>
#include <QSize>

#include "graphs/Drawing.h"

class ListPlot;
class QPainter;

// What a chart asks to be drawn, painted with any painter: on a window's canvas, or without a
// window on an image, an SVG or a PDF page. Clearing is the surface's own (a canvas keeps its
// colour for later resizes), so clear operations are passed over here.
// `patternEnds` caps each dot and dash of a dotted or dashed line: a screen fills just the pixels
// of the pattern, and on paper only flat ends keep its dots as long as that (square ends, the
// default, add half a pixel to each end of each dot).
void PaintDrawing(QPainter& painter, const Drawing& drawing, const QFont& font,
                  Qt::PenCapStyle patternEnds = Qt::SquareCap);
// A font as the charts measure it.
TextMetrics FontMetricsOf(const QFont& font);
// A text's font in a drawing: `font` grown by textScale, bold if asked.
QFont FontFor(const QFont& font, double textScale, bool bold);
// The charts' font, "Times New Roman" of 8.25 points.
QFont ChartFont();

// The plot of a list on a surface of `size` pixels: the frame of its layout, which leaves room
// for half a time label of the current clock time at the right end.
Drawing PlotLayout(ListPlot& plot, QSize size, const QFont& font);
// The plot whole, as the plot window shows it once its renderer has run: the layout on white,
// then the grid lines and every record of the range.
void PaintPlot(QPainter& painter, ListPlot& plot, QSize size, const QFont& font);
