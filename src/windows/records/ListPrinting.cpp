#include "windows/records/ListPrinting.h"

#include <QPointer>
#include <QPrinter>
#include <optional>
#include <string>
#include <vector>

#include "records/RecordFormat.h"
#include "records/RecordTable.h"
#include "ui/CaptionProgress.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/HourglassGuard.h"
#include "ui/Printer.h"
#include "ui/ReentryGuard.h"

namespace {

struct ListLayout {
    std::string title;
    std::string rule;
    std::string (*row)(const std::vector<std::string>& cells);
};

bool Print(FormWindow& form, const RecordTable& rows, const ListLayout& layout) {
    static bool printing = false;
    ReentryGuard guard(printing);
    if (!guard) return false;

    // Readings, samples and records go on while the list prints: it prints the rows it had
    // when Print was pressed.
    const QPointer<FormWindow> window(&form);
    // Text goes to the printer as outlines either way; at screen resolution the ui Printer's
    // TAB stops come out right (on a high-resolution printer they are far too wide).
    QPrinter printer(QPrinter::ScreenResolution);
    // The busy pointer comes before the printer dialog and stays until the print has ended or
    // failed (Cancel included).
    HourglassGuard hourglass;
    if (!Dialogs::Current().PrintDialog(printer)) return false;
    // The sampling tick may have closed the list while the dialog was open.
    if (FormWindow::IsGone(window)) return false;

    CaptionProgress progress(*window, QStringLiteral(" record(s) completed"));
    Printer out(printer);
    if (!out.PrintLine(QString::fromStdString(layout.title)) || !out.PrintLine(QString::fromStdString(layout.rule))) {
        return false;
    }
    std::vector<std::string> cells(static_cast<size_t>(rows.Columns()));
    for (long row = 1; row <= rows.Rows(); ++row) {
        // Events run every few milliseconds rather than after every row, so a long list keeps
        // the program responsive without spending its time in the event loop.
        if (progress.Due()) {
            progress.Show(row);
            EventPump::ProcessEvents();
            if (progress.FormGone()) return false;
        }
        for (size_t col = 0; col < cells.size(); ++col) cells[col] = rows.Cell(row, static_cast<int>(col));
        if (!out.PrintLine(QString::fromStdString(layout.row(cells)))) return false;
    }
    return out.EndDoc();
}

}  // namespace

namespace ListPrinting {

bool PrintList(FormWindow& form, RecordTable rows) {
    static const ListLayout twoChannels{std::string(RecordFormat::TwoChannelPrintTitle),
                                        std::string(RecordFormat::TwoChannelPrintRule), &RecordFormat::TwoChannelPrintRow};
    static const ListLayout oneChannel{RecordFormat::OneChannelPrintTitle(), RecordFormat::OneChannelPrintRule(),
                                       &RecordFormat::OneChannelPrintRow};
    return Print(form, rows, rows.TwoChannels() ? twoChannels : oneChannel);
}

}  // namespace ListPrinting
