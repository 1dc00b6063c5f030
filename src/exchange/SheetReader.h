#pragma once
#include <QString>
#include <functional>
#include <vector>

#include "model/SheetRecord.h"
#include "spreadsheet/Worksheet.h"

namespace exchange {

enum class ReadMode {
    Csv,      // one file into the shown sheet: worksheet 1 only
    Workbook, // every worksheet, one sheet each, at most 100
};

struct ReadResult {
    int count = 0;                           // worksheets of the opened file
    std::vector<model::SheetRecord> records; // Csv: one record; Workbook: one per worksheet; empty when refused
    bool tooManySheets() const;
};

// Runs step(i) for every worksheet index i of 0..count-1. The worksheets of an open workbook
// may be read in any order and at the same time: a batch front end reads them on every core.
using ForEachWorksheet = std::function<void(int count, const std::function<void(int)>& step)>;
void inOrder(int count, const std::function<void(int)>& step);

// Opens the file as a workbook through the spreadsheet engine, reading only the cells of the
// sheet layout (rows 1 to 104, columns A to CW; the rest of the file is not read), and reads its
// worksheets into new records (nothing else is touched; the caller replaces its sheets only with a complete
// result). A workbook of more than 100 worksheets is refused right after opening: the count
// comes back without records. Throws when the file cannot be opened or read.
ReadResult ReadSheets(ReadMode mode, const QString& path, const ForEachWorksheet& forEach = inOrder);

// One worksheet in the sheet layout as a record: fields from A2:I2 as the spreadsheet returns
// them, the lot count from the non-blank cells of A5:A104, the measurement count from those of
// B5:CW5, 100 enable flags "1" and 100 data lines from rows 5 to 104. Each line holds the 101
// trimmed cells A to CW, each quoted by the comma-text rule and followed by a comma, so a cell
// holding a comma or a blank stays one cell.
model::SheetRecord readSheetRecord(const spreadsheet::Worksheet& ws);

// Replaces every sheet of the store with the records read (the store then holds exactly them).
void replaceSheets(model::SheetStore& store, std::vector<model::SheetRecord> records);

} // namespace exchange
