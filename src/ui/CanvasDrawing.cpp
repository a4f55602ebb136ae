#include "ui/CanvasDrawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/Canvas.h"

namespace {

QColor ToQColor(Colour c) { return QColor(c.r, c.g, c.b); }

Qt::PenStyle ToPenStyle(DrawOp::Style style) {
    switch (style) {
        case DrawOp::Style::Dotted:
            return Qt::DotLine;
        case DrawOp::Style::Dashed:
            return Qt::DashLine;
        case DrawOp::Style::Solid:
            break;
    }
    return Qt::SolidLine;
}

int Px(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

// One painter for the whole list: a plot's thousands of segments would otherwise each open one.
void DrawOnCanvas(Canvas& canvas, const Drawing& drawing) {
    // Nothing changes: no repaint. The real-time graph asks ten times a second and has a sample
    // to draw only once an interval.
    if (drawing.empty()) return;
    const QFont font = canvas.font();
    const int ascent = QFontMetrics(font).ascent();
    // A clearing comes first in a layout; the canvas keeps its colour for later resizes.
    for (const DrawOp& op : drawing) {
        if (op.kind == DrawOp::Kind::Clear) canvas.Clear(ToQColor(op.colour));
    }
    canvas.Paint([&](QPainter& painter) {
        painter.setFont(font);
        for (const DrawOp& op : drawing) {
            switch (op.kind) {
                case DrawOp::Kind::Clear:
                    break;
                case DrawOp::Kind::Line:
                    painter.setPen(QPen(ToQColor(op.colour), std::max(op.width, 1), ToPenStyle(op.style), Qt::SquareCap,
                                        Qt::MiterJoin));
                    painter.drawLine(Px(op.x1), Px(op.y1), Px(op.x2), Px(op.y2));
                    break;
                case DrawOp::Kind::Box: {
                    const QPoint a(Px(op.x1), Px(op.y1)), b(Px(op.x2), Px(op.y2));
                    painter.fillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                           QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                                     ToQColor(op.colour));
                    break;
                }
                case DrawOp::Kind::Text:
                    painter.setPen(ToQColor(op.colour));
                    painter.drawText(QPoint(Px(op.x1), Px(op.y1) + ascent), QString::fromStdString(op.text));
                    break;
            }
        }
    });
}

TextMetrics CanvasMetrics(const Canvas& canvas) {
    const QFont font = canvas.font();
    return {[&canvas, font](const std::string& text) { return double(canvas.TextWidth(QString::fromStdString(text), font)); },
            double(canvas.TextHeight(QStringLiteral("0"), font))};
}
