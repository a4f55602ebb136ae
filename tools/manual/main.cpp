// Renders one language of the user manual from its Markdown source into the PDF the help panel
// opens, with pictures of the program's real windows taken as it runs (offscreen, no display).
//
//   tq36-manual SOURCE.md OUT.pdf
//   tq36-manual --icon SIZE OUT.png      the program's icon, SIZE pixels square
//
// An image written as ![caption](shot:NAME) in the source is the window NAME: port, list,
// datalist or plot.

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QGuiApplication>
#include <QPainter>
#include <QPolygonF>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/Windows.h"
#include "logger/LoggerFormat.h"
#include "serial/Rs232_API.h"
#include "ui/Canvas.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/graphs/PlotWindow.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/ListWindow.h"

namespace {

QString SampleRow(int n, bool dual) {
    const int s = 36000 + 2 * n;
    const QString time = QString::fromStdString(Logger::TimeText(s));
    const double t1 = 21.5 + n / 10.0, t2 = 19.0 + n / 20.0;
    if (!dual) return QString("%1\t%2\t%3\tC").arg(n).arg(time).arg(t1, 0, 'f', 1);
    return QString("%1\t%2\t%3\t%4\t%5\tC").arg(n).arg(time).arg(t1, 0, 'f', 1).arg(t2, 0, 'f', 1).arg(t1 - t2, 0, 'f', 1);
}

QImage Grab(const QString& name) {
    QWidget* window = Forms::Find(name);
    return window ? window->grab().toImage() : QImage();
}

// The windows the manual shows, as they look with a few rows in them.
QHash<QString, QImage> TakePictures(const QTemporaryDir& dir) {
    QHash<QString, QImage> pictures;
    Forms::Show(WindowNames::Port);
    pictures.insert("port", Grab("Port"));
    Forms::UnloadAll();

    auto* list = Forms::GetAs<ListWindow>("List2");
    list->show();
    for (int n = 1; n <= 18; ++n) list->AddSampleRow(SampleRow(n, true));
    EventPump::ProcessEvents();
    pictures.insert("list", Grab("List2"));

    auto* data = Forms::GetAs<ListWindow>("DataList1");
    data->show();
    for (int n = 1; n <= 12; ++n) data->ListGrid().AddItem(SampleRow(n, false));
    pictures.insert("datalist", Grab("DataList1"));

    const QString file = dir.filePath("bath.txt");
    QFile out(file);
    if (out.open(QIODevice::WriteOnly)) {
        for (int n = 1; n <= 120; ++n) out.write((SampleRow(n, true) + "\r\n").toUtf8());
        out.close();
    }
    if (LoadRecordFile(file, "bath.txt")) {
        if (auto* files = Forms::FindAs<ListWindow>("FileList2")) {
            files->findChild<Toolbar*>("Toolbar1")->Trigger("Plot");
            if (auto* plot = Forms::FindAs<PlotWindow>(WindowNames::Plot)) {
                plot->findChild<QTimer*>("Timer1")->stop();
                plot->Timer1_Timer();
                if (auto* chart = plot->findChild<Canvas*>("Chart")) pictures.insert("plot", chart->Image());
            }
        }
    }
    Forms::UnloadAll();
    return pictures;
}

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

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string_view(argv[1]) == "--icon") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return Icon(std::atoi(argv[2])).save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: tq36-manual SOURCE.md OUT.pdf | tq36-manual --icon SIZE OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    EventPump::Install();
    RegisterWindows();
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tq36-manual: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());

    QTemporaryDir dir;
    QTextDocument document;
    document.setDefaultFont(QFont("Liberation Sans", 10));
    const QHash<QString, QImage> pictures = TakePictures(dir);
    // Setting the text clears the resources, so the pictures come after it.
    document.setMarkdown(markdown);
    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it) {
        document.addResource(QTextDocument::ImageResource, QUrl("shot:" + it.key()), it.value());
    }

    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    writer.setResolution(150);
    writer.setTitle(markdown.section('\n', 0, 0).remove(QChar('#')).trimmed());
    writer.setCreator("TQ36");
    document.print(&writer);
    Rs232_API::CloseAllPorts();
    return QFile::exists(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
