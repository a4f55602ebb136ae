#include "ui/Grid.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>

Grid::Grid(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Fixed, uniform rows keep the view from measuring every row of a long list.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ApplyRowHeight();
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FollowCurrentIndex(current); });
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, [this] {
        row_ = std::min(row_, Rows() - 1);
    });
}

void Grid::ApplyRowHeight() {
    const int height = fontMetrics().height() + 2;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void Grid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) ApplyRowHeight();
}

void Grid::FollowCurrentIndex(const QModelIndex& current) {
    if (!current.isValid()) return;
    row_ = current.row() + 1;
    col_ = current.column();
}

void Grid::SetCols(int cols) {
    model_.SetCols(cols);
    col_ = std::min(col_, Cols() - 1);
}

void Grid::SetFixedCols(int fixedCols) { model_.SetFixedCols(fixedCols); }

bool Grid::SetRow(int row) {
    if (row < 0 || row >= Rows()) return false;
    row_ = row;
    return true;
}

bool Grid::SetCol(int col) {
    if (col < 0 || col >= Cols()) return false;
    col_ = col;
    return true;
}

void Grid::SetTextMatrix(int row, int col, const QString& text) { model_.SetCell(row, col, text); }

void Grid::SetColWidth(int col, int px) {
    if (col < 0 || col >= Cols()) return;
    horizontalHeader()->resizeSection(col, std::max(px, 0));
}

int Grid::ColWidth(int col) const {
    if (col < 0 || col >= Cols()) return 0;
    return horizontalHeader()->sectionSize(col);
}

int Grid::TopRow() const { return verticalScrollBar()->value() + 1; }

void Grid::SetTopRow(int row) {
    // The scroll range follows new rows only at the next layout; bring it up to date first so a
    // row appended just now can be scrolled to at once.
    executeDelayedItemsLayout();
    updateGeometries();
    verticalScrollBar()->setValue(std::max(row, 1) - 1);
}

void Grid::AddItem(const QString& tabSeparatedLine) { model_.AppendRow(tabSeparatedLine); }

void Grid::Clear() {
    model_.Clear();
    row_ = 0;
}

int Grid::TextWidth(const QString& text) const { return fontMetrics().horizontalAdvance(text); }
