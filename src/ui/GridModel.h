#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>
#include <string>
#include <string_view>

#include "records/RecordTable.h"

// The model behind a Grid: row 0 is the title row (shown as the horizontal header), rows 1 ..
// Rows()-1 are the rows of a record table. A grid shows a table of its own unless it is given
// one to show (a list window's records); rows reach the table through the model, so the view
// always knows of them.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    // Shows `table` (kept by the caller, who outlives this model) instead of the current one.
    void Show(RecordTable& table);
    const RecordTable& Table() const { return *table_; }

    int Rows() const { return static_cast<int>(table_->Rows()) + 1; }
    int Cols() const { return table_->Columns(); }
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
    // Many such lines at once: the view hears of them once.
    void AppendRowsUtf8(std::span<const std::string> lines);
    // Keeps the title row, drops every data row.
    void Clear();
    // The first Cols() cells of `row` joined by `separator`.
    QString RowText(int row, QChar separator) const;

    size_t TextBytes() const { return table_->TextBytes(); }
    size_t StoreBytes() const { return table_->StoreBytes(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    RecordTable own_{2};
    RecordTable* table_ = &own_;
    QStringList titles_;
    int fixedCols_ = 1;
};
