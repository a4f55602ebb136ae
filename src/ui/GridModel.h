#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>
#include <vector>

// The table behind a Grid. Row 0 is the title row (shown as the horizontal header); the view
// sees rows 1 .. Rows()-1. All rows live in one UTF-8 text buffer, each row its cells joined
// by TAB and ended by '\n', found through one offset per row: the largest list (58300 rows)
// costs about two megabytes and appending is amortised O(1). Cell texts therefore never hold
// TAB or '\n' (they are turned into blanks).
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    int Rows() const { return static_cast<int>(rowStart_.size()); }
    int Cols() const { return cols_; }
    void SetCols(int cols);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int fixedCols);

    QString Cell(int row, int col) const;
    // The cell's text as stored (UTF-8), valid until the model changes; empty outside the table.
    std::string_view CellUtf8(int row, int col) const;
    void SetCell(int row, int col, const QString& text);
    // Appends a row; the TABs of `line` split it into cells, fields past the last column are
    // dropped and missing ones stay empty.
    void AppendRow(QStringView line);
    // The same for a line that is UTF-8 already (bytes that are not are shown as replacements).
    void AppendRowUtf8(std::string_view line);
    // Keeps the title row, drops every data row.
    void Clear();
    // The first Cols() cells of `row` joined by `separator`.
    QString RowText(int row, QChar separator) const;

    // Bytes of row text held (rewritten rows count until the next compaction).
    size_t TextBytes() const { return buffer_.size(); }
    // Memory reserved by the store, for the benchmark's figures.
    size_t StoreBytes() const { return buffer_.capacity() + rowStart_.capacity() * sizeof(quint32); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::string_view RowView(int row) const;
    static std::string_view Field(std::string_view row, int col);
    void ReplaceRow(int row, const std::string& text);
    void CompactIfWasteful();

    std::string buffer_;
    std::vector<quint32> rowStart_;
    size_t wasted_ = 0;  // bytes of rows that were rewritten elsewhere in the buffer
    int cols_ = 2;
    int fixedCols_ = 1;
};
