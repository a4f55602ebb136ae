#include <gtest/gtest.h>

#include "ui/Canvas.h"
#include "ui/Fonts.h"

namespace {

QColor Pixel(const Canvas& canvas, int x, int y) { return canvas.Image().pixelColor(x, y); }

class CanvasTest : public testing::Test {
protected:
    void SetUp() override {
        canvas.resize(200, 120);
        canvas.Clear(Qt::white);
    }
    Canvas canvas;
};

TEST_F(CanvasTest, PaletteIsTheClassicSixteen) {
    const std::pair<int, QColor> samples[] = {
        {0, QColor(0, 0, 0)},       {1, QColor(0, 0, 128)},    {7, QColor(192, 192, 192)},
        {8, QColor(128, 128, 128)}, {9, QColor(0, 0, 255)},    {12, QColor(255, 0, 0)},
        {14, QColor(255, 255, 0)},  {15, QColor(255, 255, 255)}, {16, QColor(0, 0, 0)},
    };
    for (const auto& [index, colour] : samples) EXPECT_EQ(Canvas::Palette(index), colour) << index;
}

TEST_F(CanvasTest, FillBoxCoversBothCornersInAnyOrder) {
    canvas.FillBox(50.4, 40, 20, 10.6, Canvas::Palette(7));
    EXPECT_EQ(Pixel(canvas, 20, 11), QColor(192, 192, 192));
    EXPECT_EQ(Pixel(canvas, 50, 40), QColor(192, 192, 192));
    EXPECT_EQ(Pixel(canvas, 35, 25), QColor(192, 192, 192));
    EXPECT_EQ(Pixel(canvas, 51, 40), QColor(Qt::white));
    EXPECT_EQ(Pixel(canvas, 20, 41), QColor(Qt::white));
    EXPECT_EQ(Pixel(canvas, 19, 25), QColor(Qt::white));
}

TEST_F(CanvasTest, LinesHaveColourWidthAndStyle) {
    canvas.Line(10, 20, 110, 20, Qt::black);
    canvas.Line(10, 40, 110, 40, Qt::blue, 2);
    canvas.Line(10, 60, 110, 60, Canvas::Palette(7), 1, Qt::DotLine);
    int solid = 0, wide = 0, dotted = 0;
    for (int x = 10; x <= 110; ++x) {
        solid += Pixel(canvas, x, 20) == QColor(Qt::black);
        wide += Pixel(canvas, x, 39) == QColor(Qt::blue) || Pixel(canvas, x, 41) == QColor(Qt::blue);
        dotted += Pixel(canvas, x, 60) == QColor(192, 192, 192);
    }
    EXPECT_GE(solid, 100);
    EXPECT_EQ(Pixel(canvas, 60, 21), QColor(Qt::white)) << "a 1-pixel line is one pixel high";
    EXPECT_GE(wide, 100) << "a 2-pixel line covers a second row";
    EXPECT_GT(dotted, 15);
    EXPECT_LT(dotted, 80) << "a dotted line leaves gaps";
}

TEST_F(CanvasTest, TextStartsAtItsTopLeftCorner) {
    const QFont font = Fonts::Get("Times New Roman", 8.25, false);
    const QString text = "0.0#";
    const int w = canvas.TextWidth(text, font), h = canvas.TextHeight(text, font);
    ASSERT_GT(w, 5);
    ASSERT_GT(h, 5);
    canvas.Text(60, 30, text, Qt::red, font);
    int inside = 0, outside = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (Pixel(canvas, x, y) == QColor(Qt::white)) continue;
            const bool in = x >= 60 && x < 60 + w + 1 && y >= 30 && y < 30 + h;
            (in ? inside : outside)++;
        }
    }
    EXPECT_GT(inside, 10);
    EXPECT_EQ(outside, 0);
}

TEST_F(CanvasTest, ResizeKeepsThePictureAndPaintingShowsTheBuffer) {
    canvas.show();
    canvas.FillBox(5, 5, 9, 9, Qt::red);
    QSize reported;
    QObject::connect(&canvas, &Canvas::Resized, [&](QSize size) { reported = size; });
    canvas.resize(300, 200);
    EXPECT_EQ(reported, QSize(300, 200));
    EXPECT_EQ(canvas.Image().size(), QSize(300, 200));
    EXPECT_EQ(Pixel(canvas, 7, 7), QColor(Qt::red));
    EXPECT_EQ(Pixel(canvas, 250, 150), QColor(Qt::white));

    const QImage shown = canvas.grab().toImage();
    EXPECT_EQ(shown.pixelColor(7, 7), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(100, 100), QColor(Qt::white));

    canvas.resize(6, 6);
    canvas.resize(300, 200);
    EXPECT_EQ(Pixel(canvas, 5, 5), QColor(Qt::red)) << "what still fitted survives";
    EXPECT_EQ(Pixel(canvas, 8, 8), QColor(Qt::white)) << "what was cut off is gone";
    canvas.hide();
}

TEST_F(CanvasTest, DrawingOnAHiddenCanvasUsesItsNewSize) {
    canvas.resize(400, 300);  // a hidden widget hears of this only when shown
    canvas.FillBox(390, 290, 399, 299, Qt::blue);
    EXPECT_EQ(canvas.Image().size(), QSize(400, 300));
    EXPECT_EQ(Pixel(canvas, 395, 295), QColor(Qt::blue));
}

}  // namespace
