#pragma once
#include <vector>

#include "model/SheetRecord.h"
#include "spreadsheet/Application.h"

namespace exchange {

struct WorkbookSheets {
    spreadsheet::Workbook workbook;
    std::vector<int> unsuitableSheets; // indexes of sheets whose view warns of a value that is not a number
};

// Adds a workbook of one worksheet per sheet of the store (named as the application names
// them) and writes sheet i into worksheet i + 1: the header from its record, the measurement
// block as entering the sheet shows it. The caller saves it.
WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store);

} // namespace exchange
