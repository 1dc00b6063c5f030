#pragma once
#include <QStringList>
#include <optional>

#include "model/CellTable.h"

namespace model {

// The record <-> view transforms of a sheet's lot rows, on plain cell tables, so that the
// window and any headless front end move sheets the same way.

// Column 1 flags of the lot grid, rows 1..lotCount, as "1"/"0".
QStringList enableFlagsOf(const CellTable& lots, int lotCount);

// One data line per lot row 1..lotCount: the lot grid's column 0 and the measurement
// grid's cells 0..measurementCount-1.
QStringList dataLinesOf(const CellTable& lots, const CellTable& cells, int lotCount, int measurementCount);

// Entry i sets the flag of lot row i + 1 (column 1); at most 100 entries apply.
void applyEnableFlags(const QStringList& flags, CellTable& lots);

// Line i fills lot row i + 1: its lot number goes to column 0 of every table in
// `lotNumberTables`, its cells to the measurement table (only cells below measurementCount).
void applyDataLines(const QStringList& lines, std::initializer_list<CellTable*> lotNumberTables,
                    CellTable& cells, int measurementCount);

struct CellPos {
    int col = 0;
    int row = 0;
    friend bool operator==(const CellPos&, const CellPos&) = default;
};

// Rewrites rows 1..100, columns 0..100 of the measurement table, row by row: blank cells
// become empty, numbers are formatted with `digits` decimals. Stops at the first cell that
// is not a number and returns its position; cells from there on stay as they are.
std::optional<CellPos> reformatCells(CellTable& cells, int digits);

} // namespace model
