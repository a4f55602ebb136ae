#include "ui/CanvasDrawing.h"

#include <QPainter>

#include "ui/Canvas.h"
#include "ui/Painting.h"

// One painter for the whole list: a plot's thousands of segments would otherwise each open one.
void DrawOnCanvas(Canvas& canvas, const Drawing& drawing) {
    // Nothing changes: no repaint. The real-time graph asks ten times a second and has a sample
    // to draw only once an interval.
    if (drawing.empty()) return;
    // A clearing comes first in a layout; the canvas keeps its colour for later resizes.
    for (const DrawOp& op : drawing) {
        if (op.kind == DrawOp::Kind::Clear) canvas.Clear(QColor(op.colour.r, op.colour.g, op.colour.b));
    }
    canvas.Keep(drawing);
    const QFont font = canvas.font();
    canvas.Paint([&](QPainter& painter) { PaintDrawing(painter, drawing, font); });
}

TextMetrics CanvasMetrics(const Canvas& canvas) { return FontMetricsOf(canvas.font()); }
