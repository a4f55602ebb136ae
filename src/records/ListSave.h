#pragma once

#include <functional>

class RecordTable;
class RecordWriter;

// A list saved as a record file: the header before the first row, then every row with each of
// its cells followed by one TAB (the last one too). A list without rows leaves the file empty.
namespace ListSave {

// `carryOn(row)` is asked after each row is written; false ends the save there. Returns true
// when every row was written.
bool Write(RecordWriter& writer, const RecordTable& rows, const std::function<bool(long row)>& carryOn = {});

}  // namespace ListSave
