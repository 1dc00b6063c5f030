#pragma once
#include <QString>
#include <array>
#include <vector>

namespace model {

// Storage of one grid: the caption row 0, lot rows 1..100 and one row more for the result
// grid's total row after 100 lots; columns 0..100. Each cell is a text and an on/off flag.
// It keeps everything whatever the displayed extent is, so cells hidden by a smaller row
// or column count come back when the count grows again.
class CellTable {
public:
    static constexpr int kMaxLots = 100;
    static constexpr int kRows = kMaxLots + 2;
    static constexpr int kCols = 101;

    CellTable() : text_(size_t(kRows) * kCols), flag_(size_t(kRows) * kCols, false) {}

    static bool contains(int col, int row) { return col >= 0 && col < kCols && row >= 0 && row < kRows; }

    const QString& text(int col, int row) const { return text_[index(col, row)]; }
    void setText(int col, int row, const QString& t) { text_[index(col, row)] = t; }
    bool flag(int col, int row) const { return flag_[index(col, row)]; }
    void setFlag(int col, int row, bool on) { flag_[index(col, row)] = on; }

    // Empties every cell and clears every flag of the rows from `firstRow` on.
    void clearRows(int firstRow)
    {
        for (int r = std::max(firstRow, 0); r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) {
                text_[index(c, r)].clear();
                flag_[index(c, r)] = false;
            }
    }

private:
    static size_t index(int col, int row) { return size_t(row) * kCols + size_t(col); }
    std::vector<QString> text_;
    std::vector<bool> flag_;
};

} // namespace model
