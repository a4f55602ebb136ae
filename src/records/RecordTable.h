#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The rows a list shows: real-time samples, a data set's records or a record file read back, as
// the texts of their cells (number, time, T1, T2, T1-T2, unit in the two-channel layout; number,
// time, value, unit in the one-channel one). Rows are counted from 1, as the lists number them.
//
// All rows live in one UTF-8 text buffer, each row its cells joined by TAB and ended by '\n',
// found through one offset per row: 58300 rows cost about two megabytes and appending is
// amortised O(1). Cell texts therefore never hold TAB or '\n' (they become blanks).
//
// Copies share their rows until one of them changes, so a copy is a cheap snapshot that nothing
// done to the original later alters (a plot keeps the records it was given this way).
class RecordTable {
public:
    static constexpr int TwoChannelColumns = 6;
    static constexpr int OneChannelColumns = 4;
    static constexpr int ColumnsFor(bool twoChannels) { return twoChannels ? TwoChannelColumns : OneChannelColumns; }

    explicit RecordTable(int columns = OneChannelColumns);

    int Columns() const { return columns_; }
    // Fields past the last column are not shown; rows already held keep their text.
    void SetColumns(int columns);
    bool TwoChannels() const { return columns_ == TwoChannelColumns; }
    // The unit column of the layout (5 or 3), and the value columns: T1 (2), T2 (3), T1-T2 (4).
    int UnitColumn() const { return columns_ - 1; }

    long Rows() const { return static_cast<long>(store_->rowStart.size()); }
    // The cell's text, valid until this table changes; empty outside the table, and for a cell
    // the row does not have.
    std::string_view Cell(long row, int column) const;
    // The first cells.size() cells of `row` at once, as Cell would give them, for one scan of the
    // row instead of one per cell.
    void Cells(long row, std::span<std::string_view> cells) const;
    // The first Columns() cells of `row` joined by `separator` (missing ones empty).
    std::string RowText(long row, char separator) const;

    // Appends a row from a TAB-separated UTF-8 line: fields past the last column are dropped,
    // missing ones stay empty.
    void Append(std::string_view tabbedRow);
    void SetCell(long row, int column, std::string_view text);
    void Clear();

    // Bytes of row text held (rewritten rows count until the next compaction), and reserved.
    std::size_t TextBytes() const { return store_->buffer.size(); }
    std::size_t StoreBytes() const;
    // Whether this table and `other` hold their rows in one store (a snapshot not yet parted).
    bool SharesRowsWith(const RecordTable& other) const { return store_ == other.store_; }

private:
    struct Store {
        std::string buffer;
        std::vector<std::uint32_t> rowStart;
        std::size_t wasted = 0;  // bytes of rows that were rewritten elsewhere in the buffer
    };

    std::string_view RowView(long row) const;
    Store& Writable();
    void CompactIfWasteful(Store& store);

    std::shared_ptr<Store> store_;
    int columns_;
};
