#include "windows/records/FileListLoading.h"

#include <QPointer>
#include <optional>
#include <string>
#include <vector>

#include "records/RecordFileReader.h"
#include "records/RecordFormat.h"
#include "ui/CaptionProgress.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "windows/records/ListWindow.h"

namespace {
constexpr std::size_t BatchRows = 512;
}

bool LoadRecordFile(const QString& path, const QString& title) {
    if (path.isEmpty()) return false;
    for (bool dual : {false, true}) Forms::Unload(ListWindow::NameOf(ListWindow::Kind::File, dual));
    RecordFileReader reader;
    if (!reader.Open(path.toStdString())) return false;

    QPointer<ListWindow> list;
    std::optional<CaptionProgress> progress;
    // Rows reach the list in batches, between the turns of the event loop: the view then hears
    // of a batch once instead of once per row.
    std::vector<std::string> batch;
    long lines = 0;
    while (std::optional<std::string> line = reader.NextLine()) {
        ++lines;
        const bool header = RecordFileReader::IsHeader(*line);
        if (!list) {
            // The first record tells the layout; a file of headers alone shows in the wider one.
            if (header) continue;
            const bool dual = RecordFileReader::IsTwoChannelRecord(*line);
            list = Forms::GetAs<ListWindow>(ListWindow::NameOf(ListWindow::Kind::File, dual));
            if (!list) return false;
            list->SetCaption(title);
            list->show();
            progress.emplace(*list, QStringLiteral(" Records Completed"));
        }
        if (header) continue;
        batch.push_back(std::move(*line));
        if (batch.size() == BatchRows) {
            list->AppendRows(batch);
            batch.clear();
        }
        // Events run every few milliseconds, so a long file fills the list while the program stays
        // responsive; the user may close the list meanwhile.
        if (progress->Due()) {
            list->AppendRows(batch);
            batch.clear();
            progress->Show(lines);
            EventPump::ProcessEvents();
            if (FormWindow::IsGone(list.data())) return false;
        }
    }
    if (!list) return !reader.Failed();
    list->AppendRows(batch);
    progress.reset();
    list->SetCaption(QString::fromStdString(RecordFormat::WithTxtExtension(title.toStdString())));
    return !reader.Failed();
}
