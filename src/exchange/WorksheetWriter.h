#pragma once
#include <QString>

#include "model/CellTable.h"
#include "model/SheetRecord.h"
#include "spreadsheet/Worksheet.h"

namespace exchange {

enum class GridKind { Measurements, Capability, Spc };

// One grid of the sheet view as plain data.
struct GridBlock {
    GridKind kind = GridKind::Measurements;
    const model::CellTable* cells = nullptr; // the grid's cells (col, row), fixed row 0 / fixed column included
    const model::CellTable* lots = nullptr;  // Measurements only: the lot grid (column 0 lot numbers with their
                                             // heading, column 1 enable flags)
    int rows = 0;                            // the grid's row count, caption row included
    int cols = 0;                            // the grid's column count
};

// The number format of a sheet's measurements and limits: the digits text as "%.Nf" applied
// to 0, then underscore and blank ("0.000_ " for 3, "0_ " for 0), with the decimals the view
// shows for that text (blank or not a number: 3).
QString digitsNumberFormat(const QString& digits);
// "0.00000_ " for 5 decimals, "0.000_ " for 3: the formats of the statistics and indices.
QString fixedNumberFormat(int decimals);

// A1:I1 the nine labels, A2:I2 the record's header fields (entered as if typed), and the
// digits format on H2:I2.
void WriteSheetHeader(spreadsheet::Worksheet& ws, const model::SheetRecord& record);

// The header, then the grid from A4 on in one block write, and its number formats.
// Measurements: A4 the lot heading, B4 on the column headings, then one row per enabled lot
// without gaps (lot number, cells); the block spans the grid's rows, so rows left over by
// disabled lots stay empty; the digits format from B5 to the block's last cell.
// Capability and Spc: every cell of the grid, cell (c, r) in row 4 + r, column 1 + c;
// Capability also gets "0.00000_ " on C5:G(rows + 3) and "0.000_ " on H5:I(rows + 3).
void WriteGridBlock(spreadsheet::Worksheet& ws, const model::SheetRecord& record, const GridBlock& block);

// The same in two steps, for worksheets filled at the same time: their values, on any thread,
// then the number formats, which change the styles all worksheets share, one worksheet after the
// other in the sheets' order (the styles then come out as one step would give them).
struct GridFormats {
    GridKind kind = GridKind::Measurements;
    int rows = 0, columns = 0; // of the block written; 0: none
};
GridFormats WriteGridBlockValues(spreadsheet::Worksheet& ws, const model::SheetRecord& record, const GridBlock& block);
void FormatGridBlock(spreadsheet::Worksheet& ws, const model::SheetRecord& record, const GridFormats& formats);

} // namespace exchange
