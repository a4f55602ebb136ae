#pragma once

#include <span>
#include <string>
#include <string_view>

// Records as CSV for spreadsheets and pandas, the one form in which tq36-cli writes them, whether
// it converts a record file or records into CSV as it runs. Columns:
// record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark, and for one channel
// record,timestamp,t1,unit,t1_mark. A reading that is a number goes to its number column, any
// other text (a mark such as "OL", "-OL" or "----") to its mark column, the number left empty.
// A field that holds the delimiter, a double quote or a line break is quoted as RFC 4180 has it,
// so every row stays in its columns whatever delimiter and decimal sign are chosen.
// Lines come without their line end: the writer adds CR LF.
struct CsvStyle {
    char delimiter = ',';
    // Numbers written 23,5 as spreadsheets in German, French, Italian, Spanish and Portuguese read
    // them; a point otherwise.
    bool decimalComma = false;
};

class CsvRows {
  public:
    explicit CsvRows(CsvStyle style = {}) : style_(style) {}

    // The column names, for records of `readings` readings (1 or 3).
    void AppendHeader(std::string& out, std::size_t readings) const;
    // One record: its number, its timestamp, its readings as a record file holds them (T1, or T1,
    // T2 and T1-T2; numbers with a decimal point or comma, blanks around them ignored) and its unit.
    void AppendRecord(std::string& out, std::string_view record, std::string_view timestamp,
                      std::span<const std::string_view> readings, std::string_view unit) const;

  private:
    void AppendField(std::string& out, std::string_view field) const;
    void AppendNumber(std::string& out, std::string_view number, std::size_t sign) const;

    CsvStyle style_;
};
