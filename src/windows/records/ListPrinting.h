#pragma once

class FormWindow;
class Grid;

// Printing a list window's rows: a title, a rule and one line per data row. The main window's
// polling and sampling timers rest for the time of a print and run again afterwards exactly as
// they ran before, on every way out. Both return true when the whole list went to the printer;
// a second print while one runs is refused, and a list closed while its printer dialog was
// open prints nothing.
namespace ListPrinting {

// Six columns (No., time, T1, T2, T1-T2, unit), TAB-separated.
bool PrintTwoChannelList(FormWindow& form, Grid& grid);
// Four columns (No., time, value, unit), right-aligned in fixed widths.
bool PrintOneChannelList(FormWindow& form, Grid& grid);

}  // namespace ListPrinting
