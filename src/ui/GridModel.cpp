#include "ui/GridModel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>

namespace {

constexpr QChar CellSeparator = QLatin1Char('\t');
constexpr QChar RowEnd = QLatin1Char('\n');

QString CellText(const QString& text) {
    QString clean = text;
    clean.replace(CellSeparator, QLatin1Char(' '));
    clean.replace(RowEnd, QLatin1Char(' '));
    return clean;
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {
    buffer_.append(RowEnd);
    rowStart_.push_back(0);
}

void GridModel::SetCols(int cols) {
    cols = std::max(cols, 1);
    if (cols == cols_) return;
    if (cols > cols_) {
        beginInsertColumns(QModelIndex(), cols_, cols - 1);
        cols_ = cols;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), cols, cols_ - 1);
        cols_ = cols;
        endRemoveColumns();
    }
    fixedCols_ = std::min(fixedCols_, cols_);
}

void GridModel::SetFixedCols(int fixedCols) {
    fixedCols_ = std::clamp(fixedCols, 0, cols_);
    if (Rows() > 1) emit dataChanged(index(0, 0), index(Rows() - 2, cols_ - 1), {Qt::BackgroundRole});
}

QStringView GridModel::RowView(int row) const {
    const qsizetype start = rowStart_[static_cast<size_t>(row)];
    const qsizetype end = buffer_.indexOf(RowEnd, start);
    return QStringView(buffer_).mid(start, end - start);
}

QStringView GridModel::Field(QStringView row, int col) {
    qsizetype start = 0;
    for (int i = 0; i < col; ++i) {
        const qsizetype tab = row.indexOf(CellSeparator, start);
        if (tab < 0) return {};
        start = tab + 1;
    }
    const qsizetype tab = row.indexOf(CellSeparator, start);
    return tab < 0 ? row.mid(start) : row.mid(start, tab - start);
}

QString GridModel::Cell(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) return QString();
    return Field(RowView(row), col).toString();
}

void GridModel::SetCell(int row, int col, const QString& text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) return;
    QStringList fields;
    const QStringView current = RowView(row);
    for (int c = 0; c < cols_; ++c) fields << Field(current, c).toString();
    fields[col] = CellText(text);
    while (fields.size() > 1 && fields.back().isEmpty()) fields.removeLast();
    ReplaceRow(row, fields.join(CellSeparator));
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex cell = index(row - 1, col);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

void GridModel::ReplaceRow(int row, const QString& text) {
    const qsizetype start = rowStart_[static_cast<size_t>(row)];
    const qsizetype end = buffer_.indexOf(RowEnd, start) + 1;
    if (end == buffer_.size()) {
        buffer_.truncate(start);
    } else {
        // Rewriting in place would move every row behind it; the new text goes to the end
        // instead and the old one is dropped at the next compaction.
        wasted_ += end - start;
        rowStart_[static_cast<size_t>(row)] = static_cast<quint32>(buffer_.size());
    }
    buffer_.append(text);
    buffer_.append(RowEnd);
    CompactIfWasteful();
}

void GridModel::CompactIfWasteful() {
    if (wasted_ < 4096 || wasted_ * 2 < buffer_.size()) return;
    QString compact;
    compact.reserve(buffer_.size() - wasted_);
    for (int row = 0; row < Rows(); ++row) {
        const QStringView text = RowView(row);
        rowStart_[static_cast<size_t>(row)] = static_cast<quint32>(compact.size());
        compact.append(text);
        compact.append(RowEnd);
    }
    buffer_ = std::move(compact);
    wasted_ = 0;
}

void GridModel::AppendRow(QStringView line) {
    // Fields past the last column are dropped here, as the grid never shows them.
    qsizetype end = 0;
    for (int c = 0; c < cols_; ++c) {
        const qsizetype tab = line.indexOf(CellSeparator, end);
        if (tab < 0) {
            end = line.size();
            break;
        }
        end = c + 1 < cols_ ? tab + 1 : tab;
    }
    const QStringView kept = line.left(end);

    const int viewRow = Rows() - 1;
    beginInsertRows(QModelIndex(), viewRow, viewRow);
    const qsizetype start = buffer_.size();
    rowStart_.push_back(static_cast<quint32>(start));
    buffer_.append(kept);
    for (qsizetype i = start; i < buffer_.size(); ++i) {
        if (buffer_.at(i) == RowEnd) buffer_[i] = QLatin1Char(' ');
    }
    buffer_.append(RowEnd);
    endInsertRows();
}

void GridModel::Clear() {
    if (Rows() > 1) {
        beginRemoveRows(QModelIndex(), 0, Rows() - 2);
        QString title = RowView(0).toString();
        title.append(RowEnd);
        buffer_ = std::move(title);
        rowStart_.assign(1, 0);
        rowStart_.shrink_to_fit();
        wasted_ = 0;
        endRemoveRows();
    }
}

QString GridModel::RowText(int row, QChar separator) const {
    if (row < 0 || row >= Rows()) return QString();
    const QStringView text = RowView(row);
    QString joined;
    joined.reserve(text.size() + cols_);
    qsizetype start = 0;
    for (int c = 0; c < cols_; ++c) {
        if (c > 0) joined.append(separator);
        if (start > text.size()) continue;
        qsizetype tab = text.indexOf(CellSeparator, start);
        if (tab < 0) tab = text.size();
        joined.append(text.mid(start, tab - start));
        start = tab + 1;
    }
    return joined;
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Rows() - 1; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

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
