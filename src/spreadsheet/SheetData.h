#pragma once
#include "spreadsheet/Cell.h"
#include "spreadsheet/CellRef.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
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
    // The same within one row's cells: appended when right of the last, inserted otherwise.
    static Cell& at(Row& row, int column);
    // The cells of columns left..right of one row, in order, created empty where missing: found
    // with one search, not one per cell.
    static std::span<Cell> cellsOf(Row& row, int left, int right);
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

// Puts a reader's cells into a SheetData in whatever order a file gives them, at a cost linear
// in their number: a cell after the last one of its row is appended, any other is kept aside
// (and found there again) until finish() sorts them in, row by row, in one pass.
class CellLoader {
public:
    explicit CellLoader(SheetData& cells)
        : cells_(cells)
    {
    }
    // Cells kept aside still reach the sheet when reading stops early.
    ~CellLoader();
    CellLoader(const CellLoader&) = delete;
    CellLoader& operator=(const CellLoader&) = delete;

    // The cell at (row, column), created empty (style 0) when missing; `created` tells which.
    // The reference holds until the next call.
    Cell& at(int row, int column, bool* created = nullptr);
    Cell* find(int row, int column);
    void finish();

private:
    struct Aside {
        int row;
        Cell cell;
    };
    static std::uint64_t key(int row, int column) { return (static_cast<std::uint64_t>(row) << 32) | static_cast<std::uint32_t>(column); }
    SheetData::Row& row(int number);

    SheetData& cells_;
    std::vector<Aside> aside_;
    std::unordered_map<std::uint64_t, std::size_t> asideIndex_;
    int lastRow_ = 0;
    SheetData::Row* lastCells_ = nullptr;
};

} // namespace spreadsheet
