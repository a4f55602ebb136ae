#include "ui/GridModel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::Show(RecordTable& table) {
    beginResetModel();
    table_ = &table;
    fixedCols_ = std::min(fixedCols_, Cols());
    endResetModel();
}

void GridModel::SetCols(int cols) {
    cols = std::max(cols, 1);
    if (cols == Cols()) return;
    if (cols > Cols()) {
        beginInsertColumns(QModelIndex(), Cols(), cols - 1);
        table_->SetColumns(cols);
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), cols, Cols() - 1);
        table_->SetColumns(cols);
        endRemoveColumns();
    }
    fixedCols_ = std::min(fixedCols_, Cols());
}

void GridModel::SetFixedCols(int fixedCols) {
    fixedCols_ = std::clamp(fixedCols, 0, Cols());
    if (Rows() > 1) emit dataChanged(index(0, 0), index(Rows() - 2, Cols() - 1), {Qt::BackgroundRole});
}

QString GridModel::Cell(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols()) return QString();
    if (row == 0) return col < titles_.size() ? titles_[col] : QString();
    return FromUtf8(table_->Cell(row, col));
}

std::string_view GridModel::CellUtf8(int row, int col) const {
    if (row < 1) return {};
    return table_->Cell(row, col);
}

void GridModel::SetCell(int row, int col, const QString& text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols()) return;
    if (row == 0) {
        while (titles_.size() <= col) titles_.append(QString());
        titles_[col] = QString(text).replace('\t', ' ').replace('\n', ' ');
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    table_->SetCell(row, col, text.toStdString());
    const QModelIndex changed = index(row - 1, col);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void GridModel::AppendRow(QStringView line) {
    const QByteArray utf8 = line.toUtf8();
    AppendRowUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void GridModel::AppendRowUtf8(std::string_view utf8) {
    const int viewRow = Rows() - 1;
    beginInsertRows(QModelIndex(), viewRow, viewRow);
    table_->Append(utf8);
    endInsertRows();
}

void GridModel::AppendRowsUtf8(std::span<const std::string> lines) {
    if (lines.empty()) return;
    const int first = Rows() - 1;
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
    for (const std::string& line : lines) table_->Append(line);
    endInsertRows();
}

void GridModel::Clear() {
    if (Rows() <= 1) return;
    beginRemoveRows(QModelIndex(), 0, Rows() - 2);
    table_->Clear();
    endRemoveRows();
}

QString GridModel::RowText(int row, QChar separator) const {
    if (row < 0 || row >= Rows()) return QString();
    if (row == 0) {
        QStringList cells;
        for (int c = 0; c < Cols(); ++c) cells << Cell(0, c);
        return cells.join(separator);
    }
    return FromUtf8(table_->RowText(row, static_cast<char>(separator.unicode())));
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Rows() - 1; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Cols(); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return Cell(index.row() + 1, index.column());
        case Qt::BackgroundRole:
            if (index.column() < fixedCols_) return QGuiApplication::palette().brush(QPalette::Button);
            return {};
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    if (orientation == Qt::Horizontal) return Cell(0, section);
    return section + 1;
}
