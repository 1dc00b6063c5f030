#pragma once
#include <QString>

namespace exchange {

struct RowCol {
    int row = 1; // from 1
    int col = 1; // from 1
    friend bool operator==(const RowCol&, const RowCol&) = default;
};

// Row and column of an A1 reference ("A4" gives 4, 1), through the spreadsheet's reference
// conversion; a reference it refuses leaves row 1, column 1.
RowCol CellToRowCol(const QString& a1);

// The absolute A1 reference of a cell (row 104, column 101 gives "$CW$104"); empty when the
// spreadsheet refuses the position.
QString RowColToCell(int row, int col);

} // namespace exchange
