#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "exchange/SheetReader.h"
#include "model/SheetRecord.h"
#include "sheetview/Notice.h"
#include "spreadsheet/Application.h"

namespace exchange {
struct SheetGrids;
}

namespace exchange {

struct WorkbookSheets {
    spreadsheet::Workbook workbook;
    struct Warning {
        int sheet; // index
        sheetview::Notice notice;
    };
    std::vector<Warning> unsuitableSheets; // sheets whose view warns of a value that is not a number
};

// Adds a workbook of one worksheet per sheet of the store (named as the application names
// them) and writes sheet i into worksheet i + 1: the header from its record, the measurement
// block as entering the sheet shows it. The caller saves it.
WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store);

// The same with sheet i's grids as gridsOf(i) hands them over, for a front end that has
// entered every sheet already (they must be what SheetGrids of record i gives). Each is
// released once its worksheet is written, and then `written(i)` runs when given. forEach may
// write the worksheets at the same time (gridsOf and written then run on any thread); the
// warnings come in the sheets' order all the same.
using GridsOfSheet = std::function<std::unique_ptr<SheetGrids>(int sheetIndex)>;
WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store,
                                   const GridsOfSheet& gridsOf, const std::function<void(int sheetIndex)>& written = {},
                                   const ForEachWorksheet& forEach = inOrder);

} // namespace exchange
