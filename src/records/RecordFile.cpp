#include "records/RecordFile.h"

#include <QFileInfo>
#include <string>
#include <vector>

#include "panel/SamplingState.h"
#include "records/CaptionProgress.h"
#include "records/RecordFormat.h"
#include "records/RecordWriter.h"
#include "ui/Dialogs.h"
#include "ui/FormWindow.h"
#include "ui/Grid.h"
#include "ui/HourglassGuard.h"

namespace {

// The real-time list stops taking rows while the Save dialog is open, unless a recording runs,
// and takes them again when the dialog closes, whatever the user chose.
class ListPause {
public:
    ListPause() {
        SamplingState& state = Sampling::State();
        paused_ = !state.Recording && state.ListRunning;
        if (paused_) state.ListRunning = false;
    }
    ~ListPause() {
        if (paused_) Sampling::State().ListRunning = true;
    }
    ListPause(const ListPause&) = delete;
    ListPause& operator=(const ListPause&) = delete;

private:
    bool paused_ = false;
};

void ReportSaveFailure(const std::string& path, const std::string& reason) {
    Dialogs::Current().Message(QStringLiteral("The list could not be saved to %1:\r\n%2")
                                   .arg(QString::fromStdString(path), QString::fromStdString(reason)));
}

// The header goes out with the first row, so a list without rows leaves an empty file.
bool WriteRows(FormWindow& form, Grid& grid, RecordWriter& writer) {
    HourglassGuard hourglass;
    CaptionProgress progress(form, QStringLiteral("Records Completed"));
    const int rows = grid.Rows();
    std::vector<std::string> cells(static_cast<size_t>(grid.Cols()));
    for (int row = 1; row < rows; ++row) {
        if (row == 1 && !writer.WriteLine(RecordFormat::Header)) return false;
        grid.SetRow(row);
        if (progress.Due()) progress.Show(row);
        for (size_t col = 0; col < cells.size(); ++col) {
            cells[col] = grid.TextMatrix(row, static_cast<int>(col)).toStdString();
        }
        if (!writer.WriteLine(RecordFormat::ListSaveLine(cells))) return false;
    }
    return true;
}

}  // namespace

namespace RecordFile {

bool ShowSaveAsDialog() {
    SamplingState& state = Sampling::State();
    const std::string folder = RecordFormat::DefaultFolder();
    if (!RecordFormat::EnsureFolder(folder).ok) {
        state.SavePathChosen = false;
        return false;
    }

    std::optional<QString> chosen;
    {
        ListPause pause;
        chosen = Dialogs::Current().SaveFile(QString::fromStdString(folder), QStringLiteral(".txt"),
                                             QString::fromLatin1(SaveFilter), true);
    }
    if (!chosen) {
        state.SavePathChosen = false;
        return false;
    }
    state.RecordFilePath = RecordFormat::WithTxtExtension(chosen->toStdString());
    state.SavePathChosen = !QFileInfo(*chosen).fileName().isEmpty();
    return state.SavePathChosen;
}

bool SaveGridToFile(FormWindow& form, Grid& grid) {
    const std::string path = Sampling::State().RecordFilePath;
    RecordWriter writer;
    bool saved = writer.Open(path) && WriteRows(form, grid, writer);
    std::string reason = writer.ErrorText();
    // A full disk may only show when the file is closed.
    saved = writer.Close() && saved;
    if (!saved) {
        // The caption and pointer are back by now, so the message stands on a calm window.
        ReportSaveFailure(path, reason.empty() ? writer.ErrorText() : reason);
        return false;
    }
    Sampling::State().SavePathChosen = false;
    return true;
}

}  // namespace RecordFile
