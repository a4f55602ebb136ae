#include "graphs/CanvasDrawing.h"

#include <QFont>

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

}  // namespace

void DrawOnCanvas(Canvas& canvas, const Drawing& drawing) {
    const QFont font = canvas.font();
    for (const DrawOp& op : drawing) {
        switch (op.kind) {
            case DrawOp::Kind::Clear:
                canvas.Clear(ToQColor(op.colour));
                break;
            case DrawOp::Kind::Line:
                canvas.Line(op.x1, op.y1, op.x2, op.y2, ToQColor(op.colour), op.width, ToPenStyle(op.style));
                break;
            case DrawOp::Kind::Box:
                canvas.FillBox(op.x1, op.y1, op.x2, op.y2, ToQColor(op.colour));
                break;
            case DrawOp::Kind::Text:
                canvas.Text(op.x1, op.y1, QString::fromStdString(op.text), ToQColor(op.colour), font);
                break;
        }
    }
}

TextMetrics CanvasMetrics(const Canvas& canvas) {
    const QFont font = canvas.font();
    return {[&canvas, font](const std::string& text) { return double(canvas.TextWidth(QString::fromStdString(text), font)); },
            double(canvas.TextHeight(QStringLiteral("0"), font))};
}
