#pragma once

#include "records/RecordTable.h"

class FormWindow;

// Printing a list window's rows: a title, a rule and one line per data row. Readings, samples and
// records go on meanwhile; the print holds the rows the list had when Print was pressed. It
// returns true when the whole list went to the printer;
// a second print while one runs is refused, and a list closed while its printer dialog was
// open prints nothing.
namespace ListPrinting {

// The rows of a list window `form`: in the two-channel layout six columns (No., time, T1, T2,
// T1-T2, unit), TAB-separated; in the one-channel layout four (No., time, value, unit),
// right-aligned in fixed widths. The print keeps its own copy of the rows it was given.
bool PrintList(FormWindow& form, RecordTable rows);

}  // namespace ListPrinting
