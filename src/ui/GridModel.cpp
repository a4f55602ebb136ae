#include "ui/GridModel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

namespace {

constexpr char CellSeparator = '\t';
constexpr char RowEnd = '\n';

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string CellText(const QString& text) {
    std::string cell = text.toStdString();
    std::replace(cell.begin(), cell.end(), CellSeparator, ' ');
    std::replace(cell.begin(), cell.end(), RowEnd, ' ');
    return cell;
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {
    buffer_.push_back(RowEnd);
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

std::string_view GridModel::RowView(int row) const {
    const size_t start = rowStart_[static_cast<size_t>(row)];
    const size_t end = buffer_.find(RowEnd, start);
    return std::string_view(buffer_).substr(start, end - start);
}

std::string_view GridModel::Field(std::string_view row, int col) {
    size_t start = 0;
    for (int i = 0; i < col; ++i) {
        const size_t tab = row.find(CellSeparator, start);
        if (tab == std::string_view::npos) return {};
        start = tab + 1;
    }
    return row.substr(start, row.find(CellSeparator, start) - start);
}

QString GridModel::Cell(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) return QString();
    return FromUtf8(Field(RowView(row), col));
}

std::string_view GridModel::CellUtf8(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) return {};
    return Field(RowView(row), col);
}

void GridModel::SetCell(int row, int col, const QString& text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) return;
    const std::string_view current = RowView(row);
    std::string updated;
    int lastNonEmpty = 0;
    std::vector<std::string_view> fields(static_cast<size_t>(cols_));
    for (int c = 0; c < cols_; ++c) fields[static_cast<size_t>(c)] = Field(current, c);
    const std::string cell = CellText(text);
    fields[static_cast<size_t>(col)] = cell;
    for (int c = 0; c < cols_; ++c) {
        if (!fields[static_cast<size_t>(c)].empty()) lastNonEmpty = c;
    }
    for (int c = 0; c <= lastNonEmpty; ++c) {
        if (c > 0) updated.push_back(CellSeparator);
        updated.append(fields[static_cast<size_t>(c)]);
    }
    ReplaceRow(row, updated);
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex changed = index(row - 1, col);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

void GridModel::ReplaceRow(int row, const std::string& text) {
    const size_t start = rowStart_[static_cast<size_t>(row)];
    const size_t end = buffer_.find(RowEnd, start) + 1;
    if (end == buffer_.size()) {
        buffer_.resize(start);
    } else {
        // Rewriting in place would move every row behind it; the new text goes to the end
        // instead and the old one is dropped at the next compaction.
        wasted_ += end - start;
        rowStart_[static_cast<size_t>(row)] = static_cast<quint32>(buffer_.size());
    }
    buffer_.append(text);
    buffer_.push_back(RowEnd);
    CompactIfWasteful();
}

void GridModel::CompactIfWasteful() {
    if (wasted_ < 4096 || wasted_ * 2 < buffer_.size()) return;
    std::string compact;
    compact.reserve(buffer_.size() - wasted_);
    for (int row = 0; row < Rows(); ++row) {
        const std::string_view text = RowView(row);
        rowStart_[static_cast<size_t>(row)] = static_cast<quint32>(compact.size());
        compact.append(text);
        compact.push_back(RowEnd);
    }
    buffer_ = std::move(compact);
    wasted_ = 0;
}

void GridModel::AppendRow(QStringView line) {
    const QByteArray utf8 = line.toUtf8();
    AppendRowUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void GridModel::AppendRowUtf8(std::string_view utf8) {
    const int viewRow = Rows() - 1;
    beginInsertRows(QModelIndex(), viewRow, viewRow);
    const size_t start = buffer_.size();
    rowStart_.push_back(static_cast<quint32>(start));
    // Fields past the last column are dropped here, as the grid never shows them.
    int tabs = 0;
    for (const char ch : utf8) {
        if (ch == CellSeparator && ++tabs == cols_) break;
        buffer_.push_back(ch == RowEnd ? ' ' : ch);
    }
    buffer_.push_back(RowEnd);
    endInsertRows();
}

void GridModel::Clear() {
    if (Rows() <= 1) return;
    beginRemoveRows(QModelIndex(), 0, Rows() - 2);
    std::string title(RowView(0));
    title.push_back(RowEnd);
    buffer_ = std::move(title);
    rowStart_.assign(1, 0);
    rowStart_.shrink_to_fit();
    wasted_ = 0;
    endRemoveRows();
}

QString GridModel::RowText(int row, QChar separator) const {
    if (row < 0 || row >= Rows()) return QString();
    const std::string_view text = RowView(row);
    QString joined;
    joined.reserve(static_cast<qsizetype>(text.size()) + cols_);
    size_t start = 0;
    for (int c = 0; c < cols_; ++c) {
        if (c > 0) joined.append(separator);
        if (start > text.size()) continue;
        size_t tab = text.find(CellSeparator, start);
        if (tab == std::string_view::npos) tab = text.size();
        joined.append(FromUtf8(text.substr(start, tab - start)));
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
