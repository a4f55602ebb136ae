#pragma once

#include <QString>
#include <QTableView>

#include "ui/GridModel.h"

// A compact table in the manner of the classic flexible grid: a fixed title row (row 0, shown
// as the header), fixed first column(s), a current cell, and rows appended as TAB-separated
// lines. Row numbers count the title row, so a new grid has Rows() == 1.
class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);

    int Cols() const { return model_.Cols(); }
    void SetCols(int cols);
    int Rows() const { return model_.Rows(); }
    int FixedCols() const { return model_.FixedCols(); }
    void SetFixedCols(int fixedCols);

    // The current cell. Setting a row or column that does not exist fails, returns false and
    // leaves the current cell as it was.
    int Row() const { return row_; }
    bool SetRow(int row);
    int Col() const { return col_; }
    bool SetCol(int col);
    QString Text() const { return TextMatrix(row_, col_); }
    void SetText(const QString& text) { SetTextMatrix(row_, col_, text); }

    // "" outside the table.
    QString TextMatrix(int row, int col) const { return model_.Cell(row, col); }
    void SetTextMatrix(int row, int col, const QString& text);

    void SetColWidth(int col, int px);
    int ColWidth(int col) const;

    // First data row in view (1 when the grid does not scroll).
    int TopRow() const;
    void SetTopRow(int row);

    void AddItem(const QString& tabSeparatedLine);
    void AddItemUtf8(std::string_view tabSeparatedLine) { model_.AppendRowUtf8(tabSeparatedLine); }
    void Clear();
    QString RowText(int row, QChar separator) const { return model_.RowText(row, separator); }
    int TextWidth(const QString& text) const;

    GridModel& Model() { return model_; }
    const GridModel& Model() const { return model_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void FollowCurrentIndex(const QModelIndex& current);
    void ApplyRowHeight();

    GridModel model_;
    int row_ = 0;
    int col_ = 0;
};
