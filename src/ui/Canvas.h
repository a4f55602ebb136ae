#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

#include "graphs/ShownDrawing.h"

class QPainter;

// A drawing surface with a persistent back buffer: what is drawn stays until it is drawn over,
// whatever covers the window meanwhile. Coordinates are pixels of the client area, origin top
// left, y downwards; fractional coordinates are rounded to the nearest pixel.
class Canvas : public QWidget {
    Q_OBJECT
public:
    explicit Canvas(QWidget* parent = nullptr);

    void Clear(const QColor& colour = Qt::white);
    void Line(double x1, double y1, double x2, double y2, const QColor& colour, int width = 1,
              Qt::PenStyle style = Qt::SolidLine);
    void FillRect(const QRect& rect, const QColor& colour);
    // Fills the box between two opposite corners, both corners included, in any order.
    void FillBox(double x1, double y1, double x2, double y2, const QColor& colour);
    // Draws `text` with its top-left corner at (x, y).
    void Text(double x, double y, const QString& text, const QColor& colour, const QFont& font);
    int TextWidth(const QString& text, const QFont& font) const;

    // Many drawings at once with one painter on the back buffer (each call above opens its own);
    // coordinates as above, rounding is the caller's.
    void Paint(const std::function<void(QPainter&)>& draw);
    int TextHeight(const QString& text, const QFont& font) const;

    // What a chart drew through DrawOnCanvas since the last clearing, kept so that the picture
    // can be painted again at any size (a print); the calls above draw into the picture only.
    void Keep(const Drawing& drawing);
    const Drawing& Shown() const { return shown_.Ops(); }
    const QColor& Background() const { return background_; }

    // The classic 16-colour palette; indexes outside 0..15 give black.
    static QColor Palette(int index);

    // The picture as drawn so far, always of the widget's current size in the screen's pixels
    // (its device pixel ratio says how many per widget pixel).
    const QImage& Image() const { return Buffer(); }

signals:
    // The back buffer has the new size; the old picture is kept in its top-left part.
    void Resized(QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage& Buffer() const;

    mutable QImage image_;
    QColor background_ = Qt::white;
    ShownDrawing shown_;
};
