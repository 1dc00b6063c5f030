#include "exchange/WorkbookExport.h"

#include "exchange/SheetGrids.h"
#include "exchange/WorksheetWriter.h"

#include <memory>

namespace exchange {

WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store)
{
    application.setSheetsInNewWorkbook(store.count());
    WorkbookSheets out{application.addWorkbook(), {}};
    for (int i = 0; i < store.count(); ++i) {
        spreadsheet::Worksheet ws = out.workbook.worksheet(i + 1);
        const auto grids = std::make_unique<SheetGrids>(store[i]);
        WriteGridBlock(ws, store[i], grids->block());
        if (grids->unsuitable) out.unsuitableSheets.push_back(i);
    }
    return out;
}

} // namespace exchange
