#include "windows/records/RecordFile.h"

#include <QFileInfo>
#include <string>

#include "ui/MeterLink.h"
#include "records/ListSave.h"
#include "records/RecordFormat.h"
#include "records/RecordWriter.h"
#include "ui/CaptionProgress.h"
#include "ui/Dialogs.h"
#include "ui/FormWindow.h"
#include "ui/HourglassGuard.h"

namespace {

void ReportSaveFailure(const std::string& path, const std::string& reason) {
    Dialogs::Current().Message(QStringLiteral("The list could not be saved to %1:\r\n%2")
                                   .arg(QString::fromStdString(path), QString::fromStdString(reason)));
}

// The Save dialog. Whether to replace an existing file is asked here, for the name the file will
// really have: the dialog itself only knows the name as typed, before ".txt" is appended.
std::optional<QString> ChooseFile(const std::string& folder) {
    Dialogs& dialogs = Dialogs::Current();
    std::optional<QString> chosen = dialogs.SaveFile(QString::fromStdString(folder), QStringLiteral(".txt"),
                                                     QString::fromLatin1(RecordFile::SaveFilter));
    if (!chosen) return std::nullopt;
    const QFileInfo target(QString::fromStdString(RecordFormat::WithTxtExtension(chosen->toStdString())));
    if (target.exists() &&
        !dialogs.Question(QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(target.fileName()),
                          QStringLiteral("Confirm Save As"))) {
        return std::nullopt;
    }
    return chosen;
}

}  // namespace

namespace RecordFile {

bool ShowSaveAsDialog(MeterLink& link) {
    const std::string folder = RecordFormat::DefaultFolder();
    if (!RecordFormat::EnsureFolder(folder).ok) {
        link.SavePathUsed();
        return false;
    }

    // The real-time list takes no rows while the dialog is open.
    link.HoldList(true);
    const std::optional<QString> chosen = ChooseFile(folder);
    link.HoldList(false);
    if (!chosen) {
        link.SavePathUsed();
        return false;
    }
    link.SavePathChosen(RecordFormat::WithTxtExtension(chosen->toStdString()), !QFileInfo(*chosen).fileName().isEmpty());
    return link.SavePathChosen();
}

bool SaveList(MeterLink& link, FormWindow& form, const RecordTable& rows) {
    const std::string path = link.RecordFilePath();
    // The dialog asked before an existing file would be replaced; it is, once the list is whole.
    RecordWriter writer;
    bool saved = false;
    if (writer.OpenWhole(path, RecordWriter::Existing::Replace)) {
        HourglassGuard hourglass;
        CaptionProgress progress(form, QStringLiteral("Records Completed"));
        saved = ListSave::Write(writer, rows, [&progress](long row) {
            if (progress.Due()) progress.Show(row);
            return true;
        }) && writer.Commit();
    }
    if (!saved) {
        // The caption and pointer are back by now, so the message stands on a calm window.
        ReportSaveFailure(path, writer.ErrorText());
        return false;
    }
    link.SavePathUsed();
    return true;
}

}  // namespace RecordFile
