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

Cell& SheetData::at(int row, int column) { return at(rows_[row], column); }

Cell& SheetData::at(Row& r, int column)
{
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

std::span<Cell> SheetData::cellsOf(Row& r, int left, int right)
{
    const auto first = static_cast<size_t>(lowerBound(r, left) - r.begin());
    size_t j = first;
    for (int c = left; c <= right; ++c, ++j)
        if (j == r.size() || r[j].column != c) r.insert(r.begin() + static_cast<std::ptrdiff_t>(j), Cell{})->column = c;
    return {r.data() + first, static_cast<size_t>(right - left + 1)};
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

CellLoader::~CellLoader()
{
    try {
        finish();
    } catch (...) {
        // Out of memory while merging: the reading that stopped has failed anyway.
    }
}

SheetData::Row& CellLoader::row(int number)
{
    if (!lastCells_ || number != lastRow_) {
        lastCells_ = &cells_.rows()[number]; // a map's elements stay where they are
        lastRow_ = number;
    }
    return *lastCells_;
}

Cell& CellLoader::at(int rowNumber, int column, bool* created)
{
    if (created) *created = false;
    SheetData::Row& r = row(rowNumber);
    if (r.empty() || r.back().column < column) {
        if (created) *created = true;
        r.emplace_back().column = column;
        return r.back();
    }
    // The row already reaches this column: the cell is in it, aside, or new and goes aside.
    const auto it = lowerBound(r, column);
    if (it != r.end() && it->column == column) return *it;
    const auto [found, added] = asideIndex_.try_emplace(key(rowNumber, column), aside_.size());
    if (!added) return aside_[found->second].cell;
    if (created) *created = true;
    Aside& a = aside_.emplace_back(Aside{rowNumber, Cell{}});
    a.cell.column = column;
    return a.cell;
}

Cell* CellLoader::find(int rowNumber, int column)
{
    if (Cell* c = cells_.find(rowNumber, column)) return c;
    if (asideIndex_.empty()) return nullptr;
    const auto it = asideIndex_.find(key(rowNumber, column));
    return it == asideIndex_.end() ? nullptr : &aside_[it->second].cell;
}

void CellLoader::finish()
{
    if (aside_.empty()) return;
    asideIndex_.clear();
    std::sort(aside_.begin(), aside_.end(), [](const Aside& a, const Aside& b) {
        return a.row != b.row ? a.row < b.row : a.cell.column < b.cell.column;
    });
    // Each row's cells and the ones kept aside for it are merged once; no column is in both.
    for (auto first = aside_.begin(); first != aside_.end();) {
        auto last = first;
        while (last != aside_.end() && last->row == first->row) ++last;
        SheetData::Row& target = cells_.rows()[first->row];
        SheetData::Row merged;
        merged.reserve(target.size() + static_cast<size_t>(last - first));
        auto t = target.begin();
        for (auto a = first; a != last; ++a) {
            while (t != target.end() && t->column < a->cell.column) merged.push_back(std::move(*t++));
            merged.push_back(std::move(a->cell));
        }
        std::move(t, target.end(), std::back_inserter(merged));
        target = std::move(merged);
        first = last;
    }
    aside_.clear();
    lastCells_ = nullptr;
}

} // namespace spreadsheet
