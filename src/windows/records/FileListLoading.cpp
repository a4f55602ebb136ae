#include "windows/records/FileListLoading.h"

#include <QPointer>
#include <optional>
#include <string>

#include "records/RecordFileReader.h"
#include "records/RecordFormat.h"
#include "ui/CaptionProgress.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "windows/records/ListWindow.h"

bool LoadRecordFile(const QString& path, const QString& title) {
    if (path.isEmpty()) return false;
    for (bool dual : {false, true}) Forms::Unload(ListWindow::NameOf(ListWindow::Kind::File, dual));
    RecordFileReader reader;
    if (!reader.Open(path.toStdString())) return false;

    QPointer<ListWindow> list;
    std::optional<CaptionProgress> progress;
    long lines = 0;
    while (const std::optional<std::string> line = reader.NextLine()) {
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
        list->AppendRow(*line);
        // Events run every few milliseconds, so a long file fills the list while the program stays
        // responsive; the user may close the list meanwhile.
        if (progress->Due()) {
            progress->Show(lines);
            EventPump::ProcessEvents();
            if (FormWindow::IsGone(list.data())) return false;
        }
    }
    if (!list) return !reader.Failed();
    progress.reset();
    list->SetCaption(QString::fromStdString(RecordFormat::WithTxtExtension(title.toStdString())));
    return !reader.Failed();
}
