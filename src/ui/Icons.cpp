#include "ui/Icons.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

#include "ui/Fonts.h"

namespace {

// Every pictogram is drawn on a 24 x 24 grid; the painter is scaled to the pixmap size.
using Drawing = std::function<void(QPainter&)>;

const QColor Ink(40, 40, 40);
const QColor Paper(250, 250, 250);
const QColor Accent(30, 90, 180);
const QColor Alarm(200, 30, 30);
const QColor Go(30, 150, 50);

QPen InkPen(qreal width = 1.5, const QColor& colour = Ink) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Floppy(QPainter& p) {
    QPainterPath body;
    body.moveTo(3, 3);
    body.lineTo(18, 3);
    body.lineTo(21, 6);
    body.lineTo(21, 21);
    body.lineTo(3, 21);
    body.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(Accent);
    p.drawPath(body);
    p.setBrush(Paper);
    p.drawRect(QRectF(7, 3, 9, 6));  // shutter
    p.setBrush(Ink);
    p.drawRect(QRectF(13, 4.5, 1.5, 3));
    p.setBrush(Paper);
    p.drawRect(QRectF(6, 13, 12, 8));  // label
}

void Axes(QPainter& p) {
    p.setPen(InkPen(1.8));
    p.drawLine(QPointF(3, 2), QPointF(3, 21));
    p.drawLine(QPointF(3, 21), QPointF(22, 21));
}

const QHash<QString, Drawing>& Drawings() {
    static const QHash<QString, Drawing> drawings{
        {"Save", Floppy},
        {"Save1",
         [](QPainter& p) {  // save with a record dot: start recording
             Floppy(p);
             p.setPen(InkPen(1.2, Paper));
             p.setBrush(Alarm);
             p.drawEllipse(QPointF(18, 18), 5, 5);
         }},
        {"Stop",
         [](QPainter& p) {
             p.setPen(InkPen(1.5, Alarm.darker(140)));
             p.setBrush(Alarm);
             p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
         }},
        {"Open",
         [](QPainter& p) {
             p.setPen(InkPen());
             p.setBrush(QColor(230, 190, 80));
             p.drawPolygon(QPolygonF({{2, 5}, {9, 5}, {11, 7}, {19, 7}, {19, 19}, {2, 19}}));
             p.setBrush(QColor(250, 215, 110));
             p.drawPolygon(QPolygonF({{5, 10}, {23, 10}, {19, 19}, {2, 19}}));
         }},
        {"List",
         [](QPainter& p) {
             p.setPen(InkPen());
             p.setBrush(Paper);
             p.drawRect(QRectF(3, 3, 18, 18));
             p.setBrush(Accent);
             p.drawRect(QRectF(3, 3, 18, 4));
             p.setPen(InkPen(1.2));
             for (qreal y : {11.0, 15.0, 19.0}) p.drawLine(QPointF(5, y), QPointF(19, y));
             p.drawLine(QPointF(9, 7), QPointF(9, 21));
         }},
        {"Graph",
         [](QPainter& p) {  // a live trace sweeping across
             Axes(p);
             p.setPen(InkPen(1.8, Alarm));
             p.drawPolyline(QPolygonF({{4, 15}, {8, 9}, {11, 13}, {14, 5}, {17, 11}}));
             p.setPen(QPen(Accent, 2, Qt::DotLine));
             p.drawLine(QPointF(19, 3), QPointF(19, 19));
         }},
        {"Plot",
         [](QPainter& p) {  // a stored curve with its points
             Axes(p);
             const QPolygonF points({{5, 17}, {9, 12}, {13, 13}, {17, 7}, {21, 5}});
             p.setPen(InkPen(1.5, Accent));
             p.drawPolyline(points);
             p.setBrush(Alarm);
             p.setPen(Qt::NoPen);
             for (const QPointF& point : points) p.drawEllipse(point, 1.8, 1.8);
         }},
        {"AVG",
         [](QPainter& p) {  // bars with their average line
             p.setPen(InkPen(1.2));
             p.setBrush(Accent);
             p.drawRect(QRectF(3, 12, 4, 9));
             p.drawRect(QRectF(10, 5, 4, 16));
             p.drawRect(QRectF(17, 9, 4, 12));
             p.setPen(InkPen(2, Alarm));
             p.drawLine(QPointF(1, 11), QPointF(23, 11));
         }},
        {"PC",
         [](QPainter& p) {  // a monitor with a clock face: sampling on the computer
             p.setPen(InkPen());
             p.setBrush(Ink);
             p.drawRoundedRect(QRectF(2, 3, 20, 14), 1.5, 1.5);
             p.setBrush(Paper);
             p.drawRect(QRectF(4, 5, 16, 10));
             p.drawLine(QPointF(12, 17), QPointF(12, 20));
             p.drawLine(QPointF(7, 21), QPointF(17, 21));
             p.setPen(InkPen(1.3, Accent));
             p.drawEllipse(QPointF(12, 10), 3.5, 3.5);
             p.drawLine(QPointF(12, 10), QPointF(12, 7.5));
             p.drawLine(QPointF(12, 10), QPointF(14, 10));
         }},
        {"Memory",
         [](QPainter& p) {  // a memory chip
             p.setPen(InkPen(1.4));
             for (qreal x : {7.0, 10.5, 14.0, 17.5}) {
                 p.drawLine(QPointF(x, 2), QPointF(x, 5));
                 p.drawLine(QPointF(x, 19), QPointF(x, 22));
             }
             p.setBrush(Ink);
             p.drawRoundedRect(QRectF(4, 5, 16, 14), 1.5, 1.5);
             p.setBrush(Paper);
             p.setPen(Qt::NoPen);
             p.drawEllipse(QPointF(7.5, 8.5), 1.3, 1.3);
         }},
        {"help",
         [](QPainter& p) {
             p.setPen(InkPen(1.5, Accent.darker(130)));
             p.setBrush(Accent);
             p.drawEllipse(QPointF(12, 12), 10, 10);
             QFont font = Fonts::Get("MS Sans Serif", 10, true);
             font.setPixelSize(15);
             p.setFont(font);
             p.setPen(Paper);
             p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
         }},
        {"Pause",
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(Ink);
             p.drawRoundedRect(QRectF(6, 4, 4, 16), 1, 1);
             p.drawRoundedRect(QRectF(14, 4, 4, 16), 1, 1);
         }},
        {"Start",
         [](QPainter& p) {
             p.setPen(InkPen(1.2, Go.darker(140)));
             p.setBrush(Go);
             p.drawPolygon(QPolygonF({{6, 3}, {20, 12}, {6, 21}}));
         }},
        {"Print",
         [](QPainter& p) {
             p.setPen(InkPen());
             p.setBrush(Paper);
             p.drawRect(QRectF(6, 2, 12, 8));  // paper going in
             p.setBrush(QColor(120, 120, 120));
             p.drawRoundedRect(QRectF(2, 9, 20, 9), 1.5, 1.5);
             p.setBrush(Paper);
             p.drawRect(QRectF(6, 14, 12, 8));  // printed sheet
             p.setPen(InkPen(1.0));
             p.drawLine(QPointF(8, 17), QPointF(16, 17));
             p.drawLine(QPointF(8, 19.5), QPointF(14, 19.5));
             p.setPen(Qt::NoPen);
             p.setBrush(Go);
             p.drawEllipse(QPointF(19, 11.5), 1, 1);
         }},
        {"Limit",
         [](QPainter& p) {  // a scale with its two limits
             p.setPen(InkPen(1.8));
             p.drawLine(QPointF(12, 4), QPointF(12, 20));
             p.setPen(InkPen(1.8, Alarm));
             p.drawLine(QPointF(5, 3), QPointF(19, 3));
             p.drawLine(QPointF(5, 21), QPointF(19, 21));
             p.setPen(Qt::NoPen);
             p.setBrush(Ink);
             p.drawPolygon(QPolygonF({{12, 4}, {8, 9}, {16, 9}}));
             p.drawPolygon(QPolygonF({{12, 20}, {8, 15}, {16, 15}}));
         }},
    };
    return drawings;
}

QPixmap Render(const Drawing& drawing, int px) {
    QPixmap pixmap(px, px);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(px / 24.0, px / 24.0);
    drawing(painter);
    return pixmap;
}

void Frame(QPainter& p) {
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(3, 3, 18, 18));
}

}  // namespace

QIcon Icons::Get(const QString& key) {
    const auto it = Drawings().constFind(key);
    const Drawing drawing = it == Drawings().constEnd() ? Drawing(Frame) : *it;
    QIcon icon;
    for (int px : {16, 24, 32, 48, 64}) icon.addPixmap(Render(drawing, px));
    return icon;
}

QStringList Icons::Keys() {
    QStringList keys = Drawings().keys();
    keys.sort();
    return keys;
}

QPixmap Icons::Unit(QChar unit, QSize size, qreal devicePixelRatio) {
    const QSize pixels = (QSizeF(size) * devicePixelRatio).toSize();
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    pixmap.setDevicePixelRatio(devicePixelRatio);

    const QChar upper = unit.toUpper();
    const QString text = upper == QLatin1Char('K') ? QStringLiteral("K") : QString(QChar(0x00B0)) + upper;
    QFont font = Fonts::Get("Times New Roman", 12, true);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, text);

    // The glyph outlines are scaled to fill the picture with a small margin, so the unit is sharp
    // at any size and on any screen.
    const QRectF bounds = path.boundingRect();
    const QRectF target = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(1, 1, -1, -1);
    if (bounds.isEmpty() || target.isEmpty()) return pixmap;
    const qreal scale = std::min(target.width() / bounds.width(), target.height() / bounds.height());
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());
    painter.fillPath(path, Qt::black);
    return pixmap;
}
