#include "ui/StringGridModel.h"

#include <algorithm>

namespace ui {

StringGridModel::StringGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void StringGridModel::setGridSize(int cols, int rows)
{
    cols = std::clamp(cols, fixedCols_, model::CellTable::kCols);
    rows = std::clamp(rows, fixedRows_, model::CellTable::kRows);
    if (rows < rows_) {
        beginRemoveRows({}, rows - fixedRows_, rows_ - fixedRows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows({}, rows_ - fixedRows_, rows - fixedRows_ - 1);
        rows_ = rows;
        endInsertRows();
    }
    if (cols < cols_) {
        beginRemoveColumns({}, cols - fixedCols_, cols_ - fixedCols_ - 1);
        cols_ = cols;
        endRemoveColumns();
    } else if (cols > cols_) {
        beginInsertColumns({}, cols_ - fixedCols_, cols - fixedCols_ - 1);
        cols_ = cols;
        endInsertColumns();
    }
}

void StringGridModel::setFixed(int fixedCols, int fixedRows)
{
    beginResetModel();
    fixedCols_ = std::clamp(fixedCols, 0, 1);
    fixedRows_ = std::clamp(fixedRows, 0, 1);
    cols_ = std::max(cols_, fixedCols_);
    rows_ = std::max(rows_, fixedRows_);
    endResetModel();
}

void StringGridModel::storageChanged()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void StringGridModel::cellChanged(int col, int row)
{
    const int r = row - fixedRows_, c = col - fixedCols_;
    if (r < 0 && c >= 0 && c < columnCount()) emit headerDataChanged(Qt::Horizontal, c, c);
    else if (c < 0 && r >= 0 && r < rowCount()) emit headerDataChanged(Qt::Vertical, r, r);
    else if (r >= 0 && c >= 0 && r < rowCount() && c < columnCount()) emit dataChanged(index(r, c), index(r, c));
}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_ - fixedRows_;
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : cols_ - fixedCols_;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const int col = index.column() + fixedCols_, row = index.row() + fixedRows_;
    if (role == Qt::DisplayRole || role == Qt::EditRole) return table_.text(col, row);
    return {};
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return false;
    table_.setText(index.column() + fixedCols_, index.row() + fixedRows_, value.toString());
    emit dataChanged(index, index);
    return true;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        return fixedRows_ ? QVariant(table_.text(section + fixedCols_, 0)) : QVariant();
    }
    if (section < 0 || section >= rowCount()) return {};
    return fixedCols_ ? QVariant(table_.text(0, section + fixedRows_)) : QVariant();
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

} // namespace ui
