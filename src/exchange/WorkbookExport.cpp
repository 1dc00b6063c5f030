#include "exchange/WorkbookExport.h"

#include "exchange/SheetGrids.h"
#include "exchange/WorksheetWriter.h"

namespace exchange {

WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store)
{
    return WriteWorkbookSheets(application, store, [&store](int i) { return std::make_unique<SheetGrids>(store[i]); });
}

WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store,
                                   const GridsOfSheet& gridsOf, const std::function<void(int sheetIndex)>& written)
{
    application.setSheetsInNewWorkbook(store.count());
    WorkbookSheets out{application.addWorkbook(), {}};
    for (int i = 0; i < store.count(); ++i) {
        spreadsheet::Worksheet ws = out.workbook.worksheet(i + 1);
        const std::unique_ptr<SheetGrids> grids = gridsOf(i);
        WriteGridBlock(ws, store[i], grids->block());
        if (grids->notice) out.unsuitableSheets.push_back({i, *grids->notice});
        if (written) written(i);
    }
    return out;
}

} // namespace exchange
