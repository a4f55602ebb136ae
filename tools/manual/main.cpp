// The manual's pictures and PDFs and the program's icon, made at build time offscreen (no
// display, no network):
//
//   tq36-manual --pictures DIR              the windows the manual shows, DIR/NAME.png each, and
//                                           DIR/shown.txt, what they show that captions state
//   tq36-manual SOURCE.md DIR OUT.pdf       one language of the manual, with the pictures in DIR
//   tq36-manual --icon SIZE OUT.png         the program's icon, SIZE pixels square
//
// The pictures are taken once and shared by the six languages: a window shows the program's own
// texts, which are the same in every language.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPolygonF>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ManualPdf.h"
#include "Pictures.h"
#include "app/Windows.h"
#include "ui/EventPump.h"

namespace {

// The program's icon: a thermometer on a blue tile with a red trace beside it.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 86, 160));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(16, 8, 12, 36), 6, 6);
    painter.drawEllipse(QPointF(22, 46), 10, 10);
    painter.setBrush(QColor(210, 30, 30));
    painter.drawRect(QRectF(19.5, 24, 5, 20));
    painter.drawEllipse(QPointF(22, 46), 7, 7);
    painter.setPen(QPen(QColor(255, 200, 60), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({QPointF(36, 44), QPointF(42, 30), QPointF(48, 36), QPointF(56, 16)}));
    return image;
}

int TakePictures(const QString& folder) {
    QStringList shown;
    const QHash<QString, QImage> pictures = ManualPictures::Take(&shown);
    QDir().mkpath(folder);
    int status = 0;
    QFile shownFile(QDir(folder).filePath("shown.txt"));
    if (!shownFile.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        shownFile.write((shown.join('\n') + '\n').toUtf8()) < 0) {
        std::fprintf(stderr, "tq36-manual: cannot write %s\n", qPrintable(shownFile.fileName()));
        status = 1;
    }
    for (const QString& name : ManualPictures::Names()) {
        if (!pictures.value(name).save(QDir(folder).filePath(name + ".png"))) {
            std::fprintf(stderr, "tq36-manual: no picture of %s\n", qPrintable(name));
            status = 1;
        }
    }
    return status;
}

int WriteManual(const QString& sourcePath, const QString& folder, const QString& pdfPath) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tq36-manual: cannot read %s\n", qPrintable(sourcePath));
        return 1;
    }
    QHash<QString, QImage> pictures;
    for (const QString& name : ManualPictures::Names()) {
        const QImage picture(QDir(folder).filePath(name + ".png"));
        if (!picture.isNull()) pictures.insert(name, picture);
    }
    const QString error = WriteManualPdf(QString::fromUtf8(source.readAll()), pictures, pdfPath);
    if (error.isEmpty()) return 0;
    std::fprintf(stderr, "tq36-manual: %s: %s\n", qPrintable(sourcePath), qPrintable(error));
    QFile::remove(pdfPath);
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const auto arg = [&](int i) { return QString::fromLocal8Bit(argv[i]); };
    if (argc == 4 && std::string_view(argv[1]) == "--icon") {
        QGuiApplication app(argc, argv);
        return Icon(std::atoi(argv[2])).save(arg(3)) ? 0 : 1;
    }
    if (argc == 3 && std::string_view(argv[1]) == "--pictures") {
        // Windows drawn at twice a screen's resolution, so that their text stays sharp in print.
        qputenv("QT_SCALE_FACTOR", "2");
        QApplication app(argc, argv);
        return TakePictures(arg(2));
    }
    if (argc == 4) {
        QGuiApplication app(argc, argv);
        return WriteManual(arg(1), arg(2), arg(3));
    }
    std::fprintf(stderr,
                 "usage: tq36-manual --pictures DIR | tq36-manual SOURCE.md DIR OUT.pdf | "
                 "tq36-manual --icon SIZE OUT.png\n");
    return 2;
}
