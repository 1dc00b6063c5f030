#pragma once
#include <QByteArray>

#include <cstdint>
#include <functional>

namespace spreadsheet {

class ParseBudget;
class SharedStrings;
struct SheetEntry;

// What reading a worksheet needs from its workbook, and the counts it adds to.
struct WorksheetContext {
    const SharedStrings& strings;
    std::uint32_t cellFormats = 0; // cells may use styles 0 .. cellFormats - 1
    bool date1904 = false;
    // A style like `style` whose number format shows a date (with the time when asked); the
    // style itself when its format already does.
    std::function<std::uint32_t(std::uint32_t style, bool withTime)> dateStyle;
    ParseBudget& budget;
    long long& cells;             // cells and row records of the workbook, against kMaxCells
    long long& formulaCharacters; // against kMaxFormulaCharacters
};

// Characters of formula text one workbook may hold when read (shared formulas counted per cell).
inline constexpr long long kMaxFormulaCharacters = 128LL << 20;

// Reads a worksheet part: its cells are streamed into the sheet's storage, every value and
// reference checked; the rest of the part, without the cells, becomes the sheet's skeleton.
// Throws spreadsheet::Error for anything malformed or beyond the limits.
void readWorksheet(SheetEntry& sheet, const QByteArray& part, WorksheetContext& context);

} // namespace spreadsheet
