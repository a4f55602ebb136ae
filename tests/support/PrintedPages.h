#pragma once

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <algorithm>

// What a print to PDF shows, as poppler renders it.

// Pixels of `area` (widget pixels) darker than mid-grey.
inline int DarkPixels(const QImage& image, const QRect& area) {
    const double ratio = image.devicePixelRatio();
    int dark = 0;
    for (int y = static_cast<int>(area.top() * ratio); y <= static_cast<int>(area.bottom() * ratio); ++y) {
        for (int x = static_cast<int>(area.left() * ratio); x <= static_cast<int>(area.right() * ratio);
             ++x) {
            if (image.valid(x, y) && qGray(image.pixel(x, y)) < 128) ++dark;
        }
    }
    return dark;
}

// The first page of a PDF as poppler renders it at 96 dpi.
inline QImage PdfPage(const QString& pdf) {
    QProcess render;
    render.start("pdftoppm", {"-r", "96", "-png", "-singlefile", pdf, pdf});
    if (!render.waitForFinished(60000)) return {};
    return QImage(pdf + ".png");
}

// The size in pixels of each image a PDF holds, as pdfimages lists them.
inline QList<QSize> PdfImageSizes(const QString& pdf) {
    QProcess images;
    images.start("pdfimages", {"-list", pdf});
    if (!images.waitForFinished(60000)) return {};
    QList<QSize> sizes;
    // Two heading lines, then one line per image: page, number, type, width, height, ...
    const QStringList rows =
        QString::fromUtf8(images.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).mid(2);
    for (const QString& row : rows) {
        const QStringList fields = row.simplified().split(' ');
        sizes << QSize(fields.value(3).toInt(), fields.value(4).toInt());
    }
    return sizes;
}

// Every stream of a PDF, one after another: the pages' drawing commands unpacked (Qt packs them
// with zlib), the others as stored. Enough to look for an operator or a colour in the pages.
inline QByteArray PdfStreams(const QString& pdf) {
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    QByteArray streams;
    for (qsizetype at = data.indexOf(">>\nstream\n"); at >= 0; at = data.indexOf(">>\nstream\n", at)) {
        const qsizetype begin = at + 10, end = data.indexOf("endstream", begin);
        if (end < 0) break;
        const QByteArray stored = data.mid(begin, end - begin);
        // qUncompress wants the unpacked size first; it grows its buffer when that is too small.
        const QByteArray unpacked = qUncompress(QByteArray("\0\0\x10\0", 4) + stored);
        streams += (unpacked.isEmpty() ? stored : unpacked) + '\n';
        at = end;
    }
    return streams;
}

// The text of a PDF, as poppler reads it.
inline QString PdfText(const QString& pdf) {
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForFinished(60000)) return {};
    return QString::fromUtf8(text.readAllStandardOutput());
}

// Whether some pixel is clearly of the hue of `colour` (pure blue or red), as smoothing leaves it.
inline bool HasHueOf(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int own = colour == QColor(Qt::blue) ? c.blue() : c.red();
            const int others =
                colour == QColor(Qt::blue) ? std::max(c.red(), c.green()) : std::max(c.green(), c.blue());
            if (own - others > 100) return true;
        }
    }
    return false;
}

