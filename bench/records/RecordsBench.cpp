// Figures for the real-time list at its limit of 58300 rows: filling List2 sample by sample,
// saving it as a record file, and printing it to a PDF. Each figure is the median of its runs.
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QEvent>
#include <QTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "ScriptedDialogs.h"
#include "Widgets.h"
#include "ui/MeterLink.h"
#include "app/Windows.h"
#include "graphs/ListPlot.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/Toolbar.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/ListPrinting.h"
#include "windows/records/ListWindow.h"
#include "windows/records/RecordFile.h"

#include "BenchSupport.h"
#include "ListRows.h"

namespace {

// What the program's windows share, as app/ makes it.
SharedState& Shared() {
    static SharedState shared;
    return shared;
}
using Bench::Median;
using Bench::CpuSeconds;
using Bench::ResidentMb;
using Bench::TwoChannelRow;


constexpr int ListRows = static_cast<int>(PcRecording::DesktopMaxRecords);

// Lists need no meter here: the link never starts.
MeterLink& Link() {
    static MeterLink link;
    return link;
}

std::unique_ptr<ListWindow> ShownList() {
    auto list = std::make_unique<ListWindow>(Link(), ListWindow::Kind::RealTime, true);
    list->show();
    QApplication::processEvents();
    return list;
}

// List2 as the sampling tick fills it: one AddSampleRow per sample, newest row kept in view.
std::unique_ptr<ListWindow> FillFigures(const std::vector<QString>& rows) {
    constexpr int Runs = 5;
    std::vector<double> fillMs, extraMb;
    std::unique_ptr<ListWindow> list;
    for (int run = 0; run < Runs; ++run) {
        list = ShownList();
        const double before = ResidentMb();
        QElapsedTimer timer;
        timer.start();
        for (const QString& row : rows) list->AddSampleRow(row);
        QApplication::processEvents();
        fillMs.push_back(timer.nsecsElapsed() / 1e6);
        extraMb.push_back(ResidentMb() - before);
        if (run + 1 < Runs) list.reset();
    }
    std::printf("List2 AddSampleRow x %d: %.1f ms (runs %.1f .. %.1f), extra resident memory %.1f MB "
                "(first run %.1f MB; freed memory is reused by later runs)\n",
                ListRows, Median(fillMs), *std::min_element(fillMs.begin(), fillMs.end()),
                *std::max_element(fillMs.begin(), fillMs.end()), Median(extraMb), extraMb.front());
    std::printf("  top row after the last sample: %d of %d rows\n", list->ListGrid().TopRow(),
                list->ListGrid().Rows() - 1);
    return list;
}

void SaveFigures(ListWindow& list, const QTemporaryDir& dir) {
    constexpr int Runs = 5;
    std::vector<double> saveMs;
    const QString path = dir.filePath("list.txt");
    for (int run = 0; run < Runs; ++run) {
        Link().SavePathChosen(path.toStdString(), true);
        QElapsedTimer timer;
        timer.start();
        const bool saved = RecordFile::SaveList(Link(), list, list.Records());
        saveMs.push_back(timer.nsecsElapsed() / 1e6);
        if (!saved) std::printf("  save failed\n");
    }
    std::printf("SaveList, %d two-channel rows: %.1f ms (file %lld bytes)\n", ListRows, Median(saveMs),
                static_cast<long long>(QFileInfo(path).size()));
}

void PrintFigures(ListWindow& list, const QTemporaryDir& dir, ScriptedDialogs& dialogs) {
    constexpr int Runs = 3;
    std::vector<double> printMs;
    const QString pdf = dir.filePath("list.pdf");
    for (int run = 0; run < Runs; ++run) {
        dialogs.QueuePrintToPdf(pdf);
        QElapsedTimer timer;
        timer.start();
        const bool printed = ListPrinting::PrintList(list, list.Records());
        printMs.push_back(timer.nsecsElapsed() / 1e6);
        if (!printed) std::printf("  print failed\n");
    }
    std::printf("PrintList, two-channel, %d rows to PDF: %.1f ms (PDF %.1f MB)\n", ListRows, Median(printMs),
                QFileInfo(pdf).size() / (1024.0 * 1024.0));
}

// The saved list read back into FileList2: the work, the memory it takes, and the longest time the
// program served no events while the list filled.
void OpenFigures(const QTemporaryDir& dir) {
    constexpr int Runs = 5;
    RegisterWindows(Link(), Shared());
    const QString path = dir.filePath("list.txt");
    std::vector<double> openMs, extraMb;
    qint64 longestGap = 0;
    for (int run = 0; run < Runs; ++run) {
        Forms::UnloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const double before = Bench::ResidentMb();
        QElapsedTimer sinceTick;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        sinceTick.start();
        probe.start(5);
        QElapsedTimer timer;
        timer.start();
        const bool loaded = LoadRecordFile(path, "list.txt");
        openMs.push_back(timer.nsecsElapsed() / 1e6);
        longestGap = std::max(longestGap, sinceTick.elapsed());
        extraMb.push_back(Bench::ResidentMb() - before);
        auto* list = Forms::FindAs<ListWindow>("FileList2");
        if (!loaded || !list || list->ListGrid().Rows() != ListRows + 1) std::printf("  open failed\n");
    }
    std::printf("LoadRecordFile, %d two-channel records into FileList2: %.1f ms (runs %.1f .. %.1f), extra resident "
                "memory %.1f MB (first run %.1f MB), longest event gap %lld ms\n",
                ListRows, Median(openMs), *std::min_element(openMs.begin(), openMs.end()),
                *std::max_element(openMs.begin(), openMs.end()), Median(extraMb), extraMb.front(),
                static_cast<long long>(longestGap));

    // Its plot: the window opens on a snapshot of the list's rows, not a copy of them. The first
    // plot window of the process is measured on a list of two rows, so that what the window itself
    // costs (its back buffers) shows apart from what the records cost.
    auto plotCost = [](const QString& file) {
        if (!LoadRecordFile(file, "plot.txt")) return -1.0;
        auto* list = Forms::FindAs<ListWindow>("FileList2");
        const double before = Bench::ResidentMb();
        Child<Toolbar>(list, "Toolbar1")->Trigger("Plot");
        QCoreApplication::processEvents();
        const double extra = Bench::ResidentMb() - before;
        if (!Shared().plot.Records().SharesRowsWith(list->Records())) std::printf("  rows not shared\n");
        Forms::UnloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return extra;
    };
    QFile two(dir.filePath("two.txt"));
    if (two.open(QIODevice::WriteOnly)) two.write("1\t10:00:00\t1.0\t2.0\t-1.0\tC\r\n2\t10:00:02\t1.0\t2.0\t-1.0\tC\r\n");
    two.close();
    const double small = plotCost(two.fileName());
    const double large = plotCost(path);
    std::printf("Plot opened: extra resident memory %.2f MB for a list of 2 rows (the window), %.2f MB for the %d-row "
                "list (rows shared with the list)\n",
                small, large, ListRows);
    Forms::UnloadAll();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    Dialogs::Install(&dialogs);

    std::vector<QString> rows;
    rows.reserve(ListRows);
    for (int n = 1; n <= ListRows; ++n) rows.push_back(TwoChannelRow(n));

    std::unique_ptr<ListWindow> list = FillFigures(rows);
    SaveFigures(*list, dir);
    PrintFigures(*list, dir, dialogs);
    OpenFigures(dir);
    Dialogs::Install(nullptr);
    return 0;
}
