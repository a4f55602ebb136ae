#include "ui/Canvas.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <array>
#include <cmath>

#include "ui/Painting.h"

namespace {

int Px(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

Canvas::Canvas(QWidget* parent) : QWidget(parent) {
    // The back buffer paints every pixel, so Qt need not erase the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    Buffer();
}

void Canvas::Clear(const QColor& colour) {
    background_ = colour;
    shown_.Clear();
    Buffer().fill(colour);
    update();
}

void Canvas::Line(double x1, double y1, double x2, double y2, const QColor& colour, int width,
                  Qt::PenStyle style) {
    QPainter painter(&Buffer());
    QPen pen(colour, std::max(width, 1), style, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawLine(Px(x1), Px(y1), Px(x2), Px(y2));
    update();
}

void Canvas::FillRect(const QRect& rect, const QColor& colour) {
    QPainter painter(&Buffer());
    painter.fillRect(rect.normalized(), colour);
    update();
}

void Canvas::FillBox(double x1, double y1, double x2, double y2, const QColor& colour) {
    // QRect::normalized() would drop a row and a column of a box given corner-first.
    const QPoint a(Px(x1), Px(y1)), b(Px(x2), Px(y2));
    FillRect(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                   QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
             colour);
}

void Canvas::Text(double x, double y, const QString& text, const QColor& colour, const QFont& font) {
    QPainter painter(&Buffer());
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPoint(Px(x), Px(y) + QFontMetrics(font).ascent()), text);
    update();
}

void Canvas::Paint(const std::function<void(QPainter&)>& draw) {
    {
        QPainter painter(&Buffer());
        draw(painter);
    }
    update();
}

void Canvas::Keep(const Drawing& drawing) {
    shown_.Add(drawing);
    if (shown_.CompactionDue()) shown_.Compact(FontMetricsOf(font()));
}

int Canvas::TextWidth(const QString& text, const QFont& font) const {
    return QFontMetrics(font).horizontalAdvance(text);
}

int Canvas::TextHeight(const QString& text, const QFont& font) const {
    Q_UNUSED(text);
    return QFontMetrics(font).height();
}

QColor Canvas::Palette(int index) {
    static const std::array<QColor, 16> colours{
        QColor(0, 0, 0),       QColor(0, 0, 128),     QColor(0, 128, 0),   QColor(0, 128, 128),
        QColor(128, 0, 0),     QColor(128, 0, 128),   QColor(128, 128, 0), QColor(192, 192, 192),
        QColor(128, 128, 128), QColor(0, 0, 255),     QColor(0, 255, 0),   QColor(0, 255, 255),
        QColor(255, 0, 0),     QColor(255, 0, 255),   QColor(255, 255, 0), QColor(255, 255, 255),
    };
    if (index < 0 || index >= static_cast<int>(colours.size())) return colours[0];
    return colours[static_cast<size_t>(index)];
}

void Canvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage& image = Buffer();
    const qreal ratio = image.devicePixelRatio();
    const QRectF area(event->rect());
    painter.drawImage(area, image, QRectF(area.topLeft() * ratio, area.size() * ratio));
}

QImage& Canvas::Buffer() const {
    // A hidden widget gets its resize event only when shown; drawing before that must already
    // use the new size. The buffer has the screen's pixels, so a chart stays crisp on a
    // high-density screen while everything is drawn in the widget's own coordinates.
    const qreal ratio = devicePixelRatioF();
    const QSize size = (QSizeF(this->size().expandedTo(QSize(1, 1))) * ratio).toSize();
    if (size != image_.size() || ratio != image_.devicePixelRatio()) {
        QImage resized(size, QImage::Format_RGB32);
        resized.setDevicePixelRatio(ratio);
        resized.fill(background_);
        QPainter painter(&resized);
        painter.drawImage(0, 0, image_);
        painter.end();
        image_ = std::move(resized);
    }
    return image_;
}

void Canvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Buffer();
    emit Resized(size());
}
