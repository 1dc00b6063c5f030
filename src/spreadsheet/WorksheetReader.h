#pragma once
#include <QByteArray>

#include "spreadsheet/CellRef.h"
#include "spreadsheet/XmlStream.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace spreadsheet {

class ParseBudget;
class SharedStrings;
struct SheetEntry;

// What reading a worksheet needs from its workbook, and the counts it adds to. Worksheets of one
// workbook may be read at the same time, on one context.
struct WorksheetContext {
    const SharedStrings& strings;
    std::uint32_t cellFormats = 0; // cells may use styles 0 .. cellFormats - 1
    bool date1904 = false;
    // A style like `style` whose number format shows a date (with the time when asked); the
    // style itself when its format already does. Called from every reading thread.
    std::function<std::uint32_t(std::uint32_t style, bool withTime)> dateStyle;
    ParseBudget& budget;
    // Cells and row records of the workbook, against kMaxCells, and characters of formula text,
    // against kMaxFormulaCharacters. A reader adds its own in batches: every limit is checked
    // with at most a batch per reader not yet added, and exactly once a worksheet is read.
    std::atomic<long long>& cells;
    std::atomic<long long>& formulaCharacters;
    // A bounded read keeps no cell right of lastColumn and ends at the first row below lastRow
    // (rows come in order in every workbook a program writes).
    int lastRow = kMaxRows;
    int lastColumn = kMaxColumns;
    // Shared string cells get their index only (text empty): the table is read after the
    // worksheets, for the indices they use.
    bool deferStrings = false;
};

// Characters of formula text one workbook may hold when read (shared formulas counted per cell).
inline constexpr long long kMaxFormulaCharacters = 128LL << 20;

// Reads a worksheet part: its cells are streamed into the sheet's storage, every value and
// reference checked; the rest of the part, without the cells, becomes the sheet's skeleton.
// Throws spreadsheet::Error for anything malformed or beyond the limits.
void readWorksheet(SheetEntry& sheet, const QByteArray& part, WorksheetContext& context);

// The same for a part read piece by piece, for a bounded read: the rest of the part after the
// last row kept is never read. The sheet gets no skeleton: a workbook read in part is not
// written back.
void readWorksheetPieces(SheetEntry& sheet, const xml::PartPieces& pieces, WorksheetContext& context);

} // namespace spreadsheet
