// A record file plotted to a PNG as the program does it, from the file on disk to the picture:
// the file list fills, its Plot opens the plot window at its default size, the renderer draws
// every record, and the window's chart is written out: the way through the windows, beside
// tq36-plot's way without them (bench/graphs/plot-vs-gnuplot.sh pairs that one with gnuplot).
//
//   bench_plot_png FILE OUT.png

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "Widgets.h"
#include "app/Windows.h"
#include "ui/Canvas.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/graphs/PlotWindow.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/ListWindow.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_plot_png FILE OUT.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Plots need no meter: the link never starts.
    MeterLink link;
    static SharedState shared;
    RegisterWindows(link, shared);
    if (!LoadRecordFile(QString::fromLocal8Bit(argv[1]), "plot.txt")) return 1;
    auto* list = Forms::FindAs<ListWindow>(Forms::Find("FileList2") ? "FileList2" : "FileList1");
    if (!list) return 1;
    Child<Toolbar>(list, "Toolbar1")->Trigger("Plot");
    auto* plot = Forms::FindAs<PlotWindow>(WindowNames::Plot);
    if (!plot) return 1;
    // The curves without the window's two seconds of waiting.
    Child<QTimer>(plot, "Timer1")->stop();
    plot->Timer1_Timer();
    return Child<Canvas>(plot, "Chart")->Image().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
