// Figures for the ui layer: a grid filled with the largest real-time list, and the cost of a
// one-second Delay. Each figure is the median of five runs.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "ui/Canvas.h"
#include "ui/EventPump.h"
#include "ui/Grid.h"

#include "BenchSupport.h"
#include "ListRows.h"

namespace {
using Bench::Median;
using Bench::CpuSeconds;
using Bench::ResidentMb;
using Bench::TwoChannelRow;


constexpr int Runs = 5;
constexpr int ListRows = 58300;

void GridFigures() {
    // The rows are made beforehand, so only the grid's own work and memory are measured.
    std::vector<QString> rows;
    rows.reserve(ListRows);
    for (int n = 1; n <= ListRows; ++n) rows.push_back(TwoChannelRow(n));

    std::vector<double> appendMs, scrollMs, saveMs, extraMb, storeMb;
    for (int run = 0; run < Runs; ++run) {
        auto grid = std::make_unique<Grid>();
        grid->SetCols(6);
        grid->resize(420, 300);
        grid->show();
        QApplication::processEvents();
        // Memory of the rows alone: the empty grid is already on screen.
        const double before = ResidentMb();

        QElapsedTimer timer;
        timer.start();
        for (const QString& row : rows) grid->AddItem(row);
        QApplication::processEvents();
        appendMs.push_back(timer.nsecsElapsed() / 1e6);
        extraMb.push_back(ResidentMb() - before);

        timer.restart();
        for (int top = 1; top < ListRows; top += ListRows / 50) {
            grid->SetTopRow(top);
            grid->repaint();
        }
        grid->SetTopRow(ListRows);
        QApplication::processEvents();
        scrollMs.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        QByteArray file;
        for (int r = 1; r < grid->Rows(); ++r) {
            file += grid->RowText(r, QLatin1Char('\t')).toLatin1();
            file += "\r\n";
        }
        saveMs.push_back(timer.nsecsElapsed() / 1e6);
        storeMb.push_back(grid->Model().StoreBytes() / (1024.0 * 1024.0));
        if (file.isEmpty()) std::printf("(nothing saved)\n");
        grid.reset();
    }
    std::printf("grid, %d two-channel rows: append %.1f ms, 51 scroll+repaints %.1f ms, "
                "rows to text %.1f ms, resident memory for the rows %.1f MB (row store %.1f MB)\n",
                ListRows, Median(appendMs), Median(scrollMs), Median(saveMs), Median(extraMb), Median(storeMb));
}

// A plot of the largest list draws one line segment per record and channel.
void CanvasFigures() {
    Canvas canvas;
    canvas.resize(694, 628);
    canvas.show();
    QApplication::processEvents();
    std::vector<double> lineMs;
    for (int run = 0; run < Runs; ++run) {
        canvas.Clear(Qt::white);
        QElapsedTimer timer;
        timer.start();
        for (int n = 1; n <= ListRows; ++n) {
            const double x = 52 + n * 600.0 / ListRows;
            canvas.Line(x - 600.0 / ListRows, 100 + n % 400, x, 100 + (n + 7) % 400, Canvas::Palette(n % 3 * 4));
        }
        QApplication::processEvents();
        lineMs.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("canvas, %d line segments: %.1f ms\n", ListRows, Median(lineMs));
}

void DelayFigures() {
    std::vector<double> wallMs, cpuMs;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer wall;
        const double cpuBefore = CpuSeconds();
        wall.start();
        EventPump::Delay(1.0);
        wallMs.push_back(wall.nsecsElapsed() / 1e6);
        cpuMs.push_back((CpuSeconds() - cpuBefore) * 1000.0);
    }
    std::printf("EventPump::Delay(1.0): wall %.1f ms, CPU %.2f ms\n", Median(wallMs), Median(cpuMs));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    GridFigures();
    CanvasFigures();
    DelayFigures();
    return 0;
}
