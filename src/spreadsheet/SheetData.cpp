#include "spreadsheet/SheetData.h"

#include <algorithm>
#include <iterator>

namespace spreadsheet {

namespace {

SheetData::Row::iterator lowerBound(SheetData::Row& row, int column)
{
    return std::lower_bound(row.begin(), row.end(), column, [](const Cell& c, int col) { return c.column < col; });
}

} // namespace

const Cell* SheetData::find(int row, int column) const
{
    return const_cast<SheetData*>(this)->find(row, column);
}

Cell* SheetData::find(int row, int column)
{
    const auto r = rows_.find(row);
    if (r == rows_.end()) return nullptr;
    const auto it = lowerBound(r->second, column);
    if (it == r->second.end() || it->column != column) return nullptr;
    return &*it;
}

Cell& SheetData::at(int row, int column)
{
    Row& r = rows_[row];
    if (r.empty() || r.back().column < column) {
        r.emplace_back().column = column;
        return r.back();
    }
    auto it = lowerBound(r, column);
    if (it != r.end() && it->column == column) return *it;
    it = r.insert(it, Cell{});
    it->column = column;
    return *it;
}

void SheetData::erase(int row, int column)
{
    const auto r = rows_.find(row);
    if (r == rows_.end()) return;
    const auto it = lowerBound(r->second, column);
    if (it != r->second.end() && it->column == column) r->second.erase(it);
    if (r->second.empty()) rows_.erase(r);
}

void SheetData::deleteShiftUp(const CellRect& rect)
{
    const int height = rect.rowCount();
    // Walk rows from the top of the block downwards: cells in the block go, cells below move up
    // into rows whose block cells are already gone.
    std::vector<int> rowNumbers;
    for (auto it = rows_.lower_bound(rect.top); it != rows_.end(); ++it) rowNumbers.push_back(it->first);
    for (const int r : rowNumbers) {
        auto found = rows_.find(r);
        if (found == rows_.end()) continue;
        Row& row = found->second;
        auto first = lowerBound(row, rect.left);
        auto last = lowerBound(row, rect.right + 1);
        if (first == last) continue;
        if (r > rect.bottom) {
            Row& target = rows_[r - height];
            found = rows_.find(r); // rows_[] may not invalidate, but keep the reference fresh
            Row& source = found->second;
            first = lowerBound(source, rect.left);
            last = lowerBound(source, rect.right + 1);
            // The target row has no cells left in these columns: the block goes in as one piece.
            target.insert(lowerBound(target, rect.left), std::make_move_iterator(first), std::make_move_iterator(last));
            source.erase(first, last);
            if (source.empty()) rows_.erase(found);
        } else {
            row.erase(first, last);
            if (row.empty()) rows_.erase(found);
        }
    }
    // Rows that received nothing may have been created empty.
    for (auto it = rows_.begin(); it != rows_.end();) {
        if (it->second.empty()) it = rows_.erase(it);
        else ++it;
    }
}

std::optional<CellRect> SheetData::usedRect() const
{
    if (rows_.empty()) return std::nullopt;
    CellRect r{rows_.begin()->first, kMaxColumns, rows_.rbegin()->first, 1};
    for (const auto& [n, row] : rows_) {
        r.left = std::min(r.left, row.front().column);
        r.right = std::max(r.right, row.back().column);
    }
    return r;
}

long long SheetData::cellCount() const
{
    long long n = 0;
    for (const auto& [r, row] : rows_) n += static_cast<long long>(row.size());
    return n;
}

} // namespace spreadsheet
