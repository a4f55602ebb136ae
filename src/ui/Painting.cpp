#include "ui/Painting.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "graphs/ListPlot.h"
#include "ui/Clock.h"
#include "ui/Fonts.h"

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

// A report's line: anti-aliased (the caller turns it on), at its exact ends.
void PaintSmoothLine(QPainter& painter, const DrawOp& op) {
    const QPen pen(ToQColor(op.colour), op.penWidth, ToPenStyle(op.style), Qt::SquareCap, Qt::MiterJoin);
    if (painter.pen() != pen) painter.setPen(pen);
    painter.drawLine(QLineF(op.x1, op.y1, op.x2, op.y2));
}

// A report's text in a size or weight of its own, or turned about its top left.
void PaintStyledText(QPainter& painter, const DrawOp& op, const QFont& font) {
    const QFont styled = FontFor(font, op.textScale, op.bold);
    painter.save();
    painter.setFont(styled);
    painter.setPen(ToQColor(op.colour));
    painter.translate(op.x1, op.y1);
    painter.rotate(op.angle);
    painter.drawText(QPointF(0, QFontMetricsF(styled).ascent()), QString::fromStdString(op.text));
    painter.restore();
}

}  // namespace

void PaintDrawing(QPainter& painter, const Drawing& drawing, const QFont& font, Qt::PenCapStyle patternEnds) {
    const int ascent = QFontMetrics(font).ascent();
    // Smooth lines are anti-aliased; every other line is drawn as the caller set the painter.
    const bool callersSmoothing = painter.testRenderHint(QPainter::Antialiasing);
    bool smoothing = callersSmoothing;
    const auto smooth = [&](bool on) {
        if (smoothing != on) painter.setRenderHint(QPainter::Antialiasing, smoothing = on);
    };
    painter.setFont(font);
    for (const DrawOp& op : drawing) {
        switch (op.kind) {
            case DrawOp::Kind::Clear:
                break;
            case DrawOp::Kind::Line: {
                if (op.penWidth > 0) {
                    smooth(true);
                    PaintSmoothLine(painter, op);
                    break;
                }
                smooth(callersSmoothing);
                // A pen set anew, even the same one, starts a new group in an SVG.
                const QPen pen(ToQColor(op.colour), std::max(op.width, 1), ToPenStyle(op.style),
                               op.style == DrawOp::Style::Solid ? Qt::SquareCap : patternEnds, Qt::MiterJoin);
                if (painter.pen() != pen) painter.setPen(pen);
                painter.drawLine(Px(op.x1), Px(op.y1), Px(op.x2), Px(op.y2));
                break;
            }
            case DrawOp::Kind::Box: {
                const QPoint a(Px(op.x1), Px(op.y1)), b(Px(op.x2), Px(op.y2));
                painter.fillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                       QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                                 ToQColor(op.colour));
                break;
            }
            case DrawOp::Kind::Text:
                if (op.textScale != 1 || op.bold || op.angle != 0) {
                    PaintStyledText(painter, op, font);
                    break;
                }
                painter.setPen(ToQColor(op.colour));
                painter.drawText(QPoint(Px(op.x1), Px(op.y1) + ascent), QString::fromStdString(op.text));
                break;
        }
    }
    smooth(callersSmoothing);
}

TextMetrics FontMetricsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    return {[metrics](const std::string& text) {
                return double(metrics.horizontalAdvance(QString::fromStdString(text)));
            },
            double(metrics.height())};
}

QFont FontFor(const QFont& font, double textScale, bool bold) {
    QFont styled(font);
    if (textScale != 1) styled.setPointSizeF(font.pointSizeF() * textScale);
    styled.setBold(bold || font.bold());
    return styled;
}

QFont ChartFont() { return Fonts::Get("Times New Roman", 8.25); }

Drawing PlotLayout(ListPlot& plot, QSize size, const QFont& font) {
    const QString timeRoom = Clock::Current().TimeText() + "00";
    const double timeWidth = QFontMetrics(font).horizontalAdvance(timeRoom);
    return plot.Layout(size.width(), size.height(), timeWidth, FontMetricsOf(font));
}

void PaintPlot(QPainter& painter, ListPlot& plot, QSize size, const QFont& font) {
    const Drawing layout = PlotLayout(plot, size, font);
    for (const DrawOp& op : layout) {
        if (op.kind == DrawOp::Kind::Clear) painter.fillRect(QRect(QPoint(0, 0), size), ToQColor(op.colour));
    }
    PaintDrawing(painter, layout, font);
    ListPlot::Run run(plot, FontMetricsOf(font));
    Drawing drawing = run.Grid();
    while (!run.Done()) {
        Drawing next = run.Next();
        drawing.insert(drawing.end(), std::make_move_iterator(next.begin()),
                       std::make_move_iterator(next.end()));
    }
    PaintDrawing(painter, drawing, font);
}
