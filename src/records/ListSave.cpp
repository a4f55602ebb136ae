#include "records/ListSave.h"

#include "records/RecordFormat.h"
#include "records/RecordTable.h"
#include "records/RecordWriter.h"

namespace ListSave {

bool Write(RecordWriter& writer, const RecordTable& rows, const std::function<bool(long row)>& carryOn) {
    for (long row = 1; row <= rows.Rows(); ++row) {
        if (row == 1 && !writer.WriteLine(RecordFormat::Header)) return false;
        if (!writer.WriteLine(RecordFormat::ListSaveLine(rows.RowText(row, RecordFormat::Separator)))) return false;
        if (carryOn && !carryOn(row)) return false;
    }
    return true;
}

}  // namespace ListSave
