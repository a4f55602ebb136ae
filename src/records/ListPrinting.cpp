#include "records/ListPrinting.h"

#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <string>
#include <vector>

#include "panel/Panel.h"
#include "records/CaptionProgress.h"
#include "records/RecordFormat.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/HourglassGuard.h"
#include "ui/Printer.h"
#include "ui/ReentryGuard.h"

namespace {

// No polling and no PC sampling while a list prints. Each timer of the main window gets back
// the running state it had, however the print ends; a main window that was unloaded meanwhile
// is left alone.
class MainTimersPause {
public:
    MainTimersPause() = default;
    ~MainTimersPause() {
        if (!panel_ || panel_->IsUnloaded()) return;
        for (const Entry& entry : entries_) {
            if (entry.timer && entry.wasActive) entry.timer->start();
        }
    }
    MainTimersPause(const MainTimersPause&) = delete;
    MainTimersPause& operator=(const MainTimersPause&) = delete;

    void Stop() {
        if (stopped_) return;
        stopped_ = true;
        panel_ = Forms::FindAs<Panel>("Panel");
        if (!panel_) return;
        for (QTimer* timer : {panel_->Timer1, panel_->Timer2}) {
            if (!timer) continue;
            entries_.push_back({timer, timer->isActive()});
            timer->stop();
        }
    }

private:
    struct Entry {
        QPointer<QTimer> timer;
        bool wasActive = false;
    };
    QPointer<Panel> panel_;
    std::vector<Entry> entries_;
    bool stopped_ = false;
};

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

    MainTimersPause timers;
    if (layout.timersRestDuringDialog) timers.Stop();
    // Text goes to the printer as outlines either way; at screen resolution the ui Printer's
    // TAB stops come out right (on a high-resolution printer they are far too wide).
    QPrinter printer(QPrinter::ScreenResolution);
    if (!Dialogs::Current().PrintDialog(printer)) return false;
    timers.Stop();

    HourglassGuard hourglass;
    CaptionProgress progress(form, QStringLiteral(" record(s) completed"));
    QPointer<Grid> list(&grid);
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
