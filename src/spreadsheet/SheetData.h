#pragma once
#include "spreadsheet/Cell.h"
#include "spreadsheet/CellRef.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace spreadsheet {

// The cells of one worksheet, stored sparsely: only cells present take memory, so a
// claimed dimension never sizes anything. Rows are kept in order, cells of a row by column.
class SheetData {
public:
    using Row = std::vector<Cell>;
    using RowAttributes = std::vector<std::pair<std::string, std::string>>;

    const Cell* find(int row, int column) const;
    Cell* find(int row, int column);
    // The cell at (row, column), created empty (style 0) when missing.
    Cell& at(int row, int column);
    void erase(int row, int column);

    const std::map<int, Row>& rows() const { return rows_; }
    std::map<int, Row>& rows() { return rows_; }

    // Attributes of row elements (height, hidden, style ...) as read; they stay with the row number.
    const std::map<int, RowAttributes>& rowAttributes() const { return rowAttributes_; }
    void setRowAttributes(int row, RowAttributes attributes) { rowAttributes_[row] = std::move(attributes); }

    // Removes the cells of `rect` and moves the cells below it, in the same columns, up.
    void deleteShiftUp(const CellRect& rect);

    // Smallest rectangle holding every cell; nullopt when there are none.
    std::optional<CellRect> usedRect() const;
    long long cellCount() const;

private:
    std::map<int, Row> rows_;
    std::map<int, RowAttributes> rowAttributes_;
};

} // namespace spreadsheet
