#pragma once

class FormWindow;
class MeterLink;
class RecordTable;

// Choosing the target of a record file and writing a list window's rows into it. The dialog
// leaves its choice with the meter link (RecordFilePath, SavePathChosen); the save reads the path
// and clears SavePathChosen once it is done.
namespace RecordFile {

inline constexpr const char* SaveFilter = "All Files (*.*)|*.*|";

// Opens the Save dialog in the default record folder (created when missing) and asks before an
// existing file would be replaced; No counts as Cancel. The real-time list takes no rows while
// the dialog is open. Returns SavePathChosen.
bool ShowSaveAsDialog(MeterLink& link);

// Writes every row of a list to RecordFilePath, header first, counting the rows in the caption of
// the list's window `form`. A failure stops the save and is reported once; a file that was there
// before stays as it was. Returns true when every row was written.
bool SaveList(MeterLink& link, FormWindow& form, const RecordTable& rows);

}  // namespace RecordFile
