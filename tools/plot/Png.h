#pragma once

#include <QByteArray>

class QImage;

// A PNG of an image, lossless, truecolour without alpha. Each row goes in as its difference to
// the row above ("up" filter): a chart's rows are mostly alike, so this compresses well without
// the search for the best filter of each row that takes most of libpng's time on a chart.
QByteArray PngOf(const QImage& image);
