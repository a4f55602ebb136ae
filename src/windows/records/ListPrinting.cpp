#include "windows/records/ListPrinting.h"

#include <QPointer>
#include <QPrinter>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/AcquisitionPause.h"
#include "records/RecordFormat.h"
#include "ui/CaptionProgress.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/HourglassGuard.h"
#include "ui/Printer.h"
#include "ui/ReentryGuard.h"

namespace {

struct ListLayout {
    int columns;
    // The two-channel print halts the timers before its dialog opens, the one-channel print
    // only once the dialog is confirmed.
    bool timersRestDuringDialog;
    std::string title;
    std::string rule;
    std::string (*row)(const std::vector<std::string>& cells);
};

bool PrintList(FormWindow& form, Grid& grid, const ListLayout& layout) {
    static bool printing = false;
    ReentryGuard guard(printing);
    if (!guard) return false;

    // No polling and no PC sampling while the list prints.
    std::optional<AcquisitionPause> acquisition;
    if (layout.timersRestDuringDialog) acquisition.emplace();
    const QPointer<FormWindow> window(&form);
    const QPointer<Grid> list(&grid);
    // Text goes to the printer as outlines either way; at screen resolution the ui Printer's
    // TAB stops come out right (on a high-resolution printer they are far too wide).
    QPrinter printer(QPrinter::ScreenResolution);
    if (!Dialogs::Current().PrintDialog(printer)) return false;
    // The sampling tick may have closed the list while the dialog was open.
    if (FormWindow::IsGone(window) || !list) return false;
    if (!acquisition) acquisition.emplace();

    HourglassGuard hourglass;
    CaptionProgress progress(*window, QStringLiteral(" record(s) completed"));
    Printer out(printer);
    if (!out.PrintLine(QString::fromStdString(layout.title)) || !out.PrintLine(QString::fromStdString(layout.rule))) {
        return false;
    }
    std::vector<std::string> cells(static_cast<size_t>(layout.columns));
    for (int row = 1; row < list->Rows(); ++row) {
        // Events run every few milliseconds rather than after every row, so a long list keeps
        // the program responsive without spending its time in the event loop.
        if (progress.Due()) {
            progress.Show(row);
            EventPump::ProcessEvents();
            if (!list || progress.FormGone() || row >= list->Rows()) return false;
        }
        list->SetRow(row);
        for (size_t col = 0; col < cells.size(); ++col) {
            cells[col] = list->TextMatrix(row, static_cast<int>(col)).toStdString();
        }
        if (!out.PrintLine(QString::fromStdString(layout.row(cells)))) return false;
    }
    return out.EndDoc();
}

}  // namespace

namespace ListPrinting {

bool PrintTwoChannelList(FormWindow& form, Grid& grid) {
    static const ListLayout layout{6, true, std::string(RecordFormat::TwoChannelPrintTitle),
                                   std::string(RecordFormat::TwoChannelPrintRule),
                                   &RecordFormat::TwoChannelPrintRow};
    return PrintList(form, grid, layout);
}

bool PrintOneChannelList(FormWindow& form, Grid& grid) {
    static const ListLayout layout{4, false, RecordFormat::OneChannelPrintTitle(),
                                   RecordFormat::OneChannelPrintRule(), &RecordFormat::OneChannelPrintRow};
    return PrintList(form, grid, layout);
}

}  // namespace ListPrinting
