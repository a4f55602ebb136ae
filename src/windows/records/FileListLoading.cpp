#include "windows/records/FileListLoading.h"

#include <QPointer>
#include <optional>
#include <string>

#include "records/FileListRows.h"
#include "records/RecordFileReader.h"
#include "records/RecordFormat.h"
#include "ui/CaptionProgress.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/ReentryGuard.h"
#include "windows/records/ListWindow.h"

namespace {

constexpr std::size_t BatchRows = 512;
// Bytes read between two turns of the event loop while no line ends, so that even a file of one
// endless line never stops the window.
constexpr std::size_t StepBytes = 1 << 20;

ListWindow* ShowFileList(bool dual, const QString& title) {
    auto* list = Forms::GetAs<ListWindow>(ListWindow::NameOf(ListWindow::Kind::File, dual));
    if (!list) return nullptr;
    list->SetCaption(title);
    list->show();
    return list;
}

}  // namespace

bool LoadRecordFile(const QString& path, const QString& title) {
    RecordFileReader reader;
    return LoadRecordFile(reader, path, title);
}

bool LoadRecordFile(RecordFileReader& reader, const QString& path, const QString& title) {
    if (path.isEmpty()) return false;
    static bool loading = false;
    ReentryGuard guard(loading);
    if (!guard) return false;
    for (bool dual : {false, true}) Forms::Unload(ListWindow::NameOf(ListWindow::Kind::File, dual));
    if (!reader.Open(path.toStdString())) {
        // A file that is missing or may not be read ends the command silently; anything that is
        // not a file at all is named, so the user knows why nothing opens.
        if (reader.NotARegularFile()) {
            Dialogs::Current().Message(QStringLiteral("%1 is not a regular file and cannot be opened as a list.").arg(path));
        }
        return false;
    }

    QPointer<ListWindow> list;
    std::optional<CaptionProgress> progress;
    FileListRows rows;
    const auto showList = [&] {
        list = ShowFileList(*rows.Dual(), title);
        if (list) progress.emplace(*list, QStringLiteral(" Records Completed"));
        return !list.isNull();
    };
    const auto appendRows = [&] { list->AppendRows(rows.TakeRows()); };
    for (;;) {
        std::optional<std::string> line = reader.NextLine(StepBytes);
        if (!line) {
            if (!reader.Pending()) break;
            EventPump::ProcessEvents();
            if (progress && FormWindow::IsGone(list.data())) return false;  // closed meanwhile
            continue;
        }
        rows.Take(std::move(*line), reader.Cut());
        if (!list && rows.Dual() && !showList()) return false;
        // Rows reach the list in batches, between the turns of the event loop: the view then
        // hears of a batch once instead of once per row.
        if (list && rows.Ready() >= BatchRows) appendRows();
        // Events run every few milliseconds, so a long file fills the list while the program stays
        // responsive; the user may close the list meanwhile.
        if (progress && progress->Due()) {
            appendRows();
            progress->Show(rows.Lines());
            EventPump::ProcessEvents();
            if (FormWindow::IsGone(list.data())) return false;
        }
    }
    rows.End();
    if (!list && rows.Dual() && !showList()) return false;
    // A file of headers alone opens the two-channel list, empty.
    if (!list && rows.Headers() > 0 && !reader.Failed()) list = ShowFileList(true, title);
    if (!list) return !reader.Failed();
    appendRows();
    progress.reset();
    if (reader.Failed()) {
        // The caption keeps its count, so the list does not pass for the whole file.
        list->SetCaption(QString::number(rows.Lines()) + QStringLiteral(" Records Completed"));
        Dialogs::Current().Message(QStringLiteral("%1 could not be read to its end (%2).\r\nThe list shows the "
                                                  "records read before.")
                                       .arg(path, QString::fromStdString(reader.ErrorText())));
        return false;
    }
    list->SetCaption(QString::fromStdString(RecordFormat::WithTxtExtension(title.toStdString())));
    return true;
}
