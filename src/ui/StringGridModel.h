#pragma once
#include <QAbstractTableModel>

#include "model/CellTable.h"

namespace ui {

// The table model over a grid's fixed storage. The fixed row and the fixed column are not
// model cells: they are the headers, so they stay in place while the data scroll.
class StringGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringGridModel(QObject* parent = nullptr);

    model::CellTable& table() { return table_; }
    const model::CellTable& table() const { return table_; }

    int gridRowCount() const { return rows_; }
    int gridColCount() const { return cols_; }
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    void setGridSize(int cols, int rows);
    void setFixed(int fixedCols, int fixedRows);

    // Tells the views that the storage changed behind the model's back (bulk loads).
    void storageChanged();
    void cellChanged(int col, int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    model::CellTable table_;
    int rows_ = 2, cols_ = 2, fixedRows_ = 1, fixedCols_ = 0;
};

} // namespace ui
