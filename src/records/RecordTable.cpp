#include "records/RecordTable.h"

#include <algorithm>

namespace {

constexpr char CellSeparator = '\t';
constexpr char RowEnd = '\n';

std::string_view Field(std::string_view row, int column) {
    std::size_t start = 0;
    for (int i = 0; i < column; ++i) {
        const std::size_t tab = row.find(CellSeparator, start);
        if (tab == std::string_view::npos) return {};
        start = tab + 1;
    }
    return row.substr(start, row.find(CellSeparator, start) - start);
}

}  // namespace

RecordTable::RecordTable(int columns) : store_(std::make_shared<Store>()), columns_(std::max(columns, 1)) {}

void RecordTable::SetColumns(int columns) { columns_ = std::max(columns, 1); }

RecordTable::Store& RecordTable::Writable() {
    // A snapshot still holds these rows: this table parts from it before it changes.
    if (store_.use_count() > 1) store_ = std::make_shared<Store>(*store_);
    return *store_;
}

std::string_view RecordTable::RowView(long row) const {
    const Store& s = *store_;
    const std::size_t start = s.rowStart[static_cast<std::size_t>(row - 1)];
    const std::size_t end = s.buffer.find(RowEnd, start);
    return std::string_view(s.buffer).substr(start, end - start);
}

std::string_view RecordTable::Cell(long row, int column) const {
    if (row < 1 || row > Rows() || column < 0 || column >= columns_) return {};
    return Field(RowView(row), column);
}

void RecordTable::Cells(long row, std::span<std::string_view> cells) const {
    const std::string_view text = row >= 1 && row <= Rows() ? RowView(row) : std::string_view();
    std::size_t start = 0;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (static_cast<int>(c) >= columns_ || start > text.size()) {
            cells[c] = {};
            continue;
        }
        std::size_t tab = text.find(CellSeparator, start);
        if (tab == std::string_view::npos) tab = text.size();
        cells[c] = text.substr(start, tab - start);
        start = tab + 1;
    }
}

std::string RecordTable::RowText(long row, char separator) const {
    if (row < 1 || row > Rows()) return {};
    const std::string_view text = RowView(row);
    std::string joined;
    joined.reserve(text.size() + static_cast<std::size_t>(columns_));
    std::size_t start = 0;
    for (int c = 0; c < columns_; ++c) {
        if (c > 0) joined.push_back(separator);
        if (start > text.size()) continue;
        std::size_t tab = text.find(CellSeparator, start);
        if (tab == std::string_view::npos) tab = text.size();
        joined.append(text.substr(start, tab - start));
        start = tab + 1;
    }
    return joined;
}

void RecordTable::Append(std::string_view tabbedRow) {
    Store& s = Writable();
    s.rowStart.push_back(static_cast<std::uint32_t>(s.buffer.size()));
    // Fields past the last column are dropped here, as no list shows them.
    std::size_t end = 0;
    for (int tabs = 0; end < tabbedRow.size(); ++end) {
        if (tabbedRow[end] == CellSeparator && ++tabs == columns_) break;
    }
    const std::size_t from = s.buffer.size();
    s.buffer.append(tabbedRow.substr(0, end));
    std::replace(s.buffer.begin() + static_cast<std::ptrdiff_t>(from), s.buffer.end(), RowEnd, ' ');
    s.buffer.push_back(RowEnd);
}

void RecordTable::SetCell(long row, int column, std::string_view text) {
    if (row < 1 || row > Rows() || column < 0 || column >= columns_) return;
    std::vector<std::string> fields(static_cast<std::size_t>(columns_));
    const std::string_view current = RowView(row);
    for (int c = 0; c < columns_; ++c) fields[static_cast<std::size_t>(c)] = Field(current, c);
    std::string& cell = fields[static_cast<std::size_t>(column)];
    cell = text;
    std::replace(cell.begin(), cell.end(), CellSeparator, ' ');
    std::replace(cell.begin(), cell.end(), RowEnd, ' ');
    int lastNonEmpty = 0;
    for (int c = 0; c < columns_; ++c) {
        if (!fields[static_cast<std::size_t>(c)].empty()) lastNonEmpty = c;
    }
    std::string updated;
    for (int c = 0; c <= lastNonEmpty; ++c) {
        if (c > 0) updated.push_back(CellSeparator);
        updated.append(fields[static_cast<std::size_t>(c)]);
    }

    Store& s = Writable();
    const std::size_t index = static_cast<std::size_t>(row - 1);
    const std::size_t start = s.rowStart[index];
    const std::size_t end = s.buffer.find(RowEnd, start) + 1;
    if (end == s.buffer.size()) {
        s.buffer.resize(start);
    } else {
        // Rewriting in place would move every row behind it; the new text goes to the end
        // instead and the old one is dropped at the next compaction.
        s.wasted += end - start;
        s.rowStart[index] = static_cast<std::uint32_t>(s.buffer.size());
    }
    s.buffer.append(updated);
    s.buffer.push_back(RowEnd);
    CompactIfWasteful(s);
}

void RecordTable::CompactIfWasteful(Store& s) {
    if (s.wasted < 4096 || s.wasted * 2 < s.buffer.size()) return;
    std::string compact;
    compact.reserve(s.buffer.size() - s.wasted);
    for (std::size_t i = 0; i < s.rowStart.size(); ++i) {
        const std::size_t start = s.rowStart[i];
        const std::size_t end = s.buffer.find(RowEnd, start) + 1;
        s.rowStart[i] = static_cast<std::uint32_t>(compact.size());
        compact.append(s.buffer, start, end - start);
    }
    s.buffer = std::move(compact);
    s.wasted = 0;
}

void RecordTable::Clear() { store_ = std::make_shared<Store>(); }

std::size_t RecordTable::StoreBytes() const {
    return store_->buffer.capacity() + store_->rowStart.capacity() * sizeof(std::uint32_t);
}
