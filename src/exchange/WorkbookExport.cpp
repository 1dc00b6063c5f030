#include "exchange/WorkbookExport.h"

#include "exchange/SheetGrids.h"
#include "exchange/WorksheetWriter.h"

namespace exchange {

WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store)
{
    return WriteWorkbookSheets(application, store, [&store](int i) { return std::make_unique<SheetGrids>(store[i]); });
}

WorkbookSheets WriteWorkbookSheets(spreadsheet::Application& application, const model::SheetStore& store,
                                   const GridsOfSheet& gridsOf, const std::function<void(int sheetIndex)>& written,
                                   const ForEachWorksheet& forEach)
{
    application.setSheetsInNewWorkbook(store.count());
    WorkbookSheets out{application.addWorkbook(), {}};
    out.workbook.prepareConcurrentFill();
    const size_t count = size_t(store.count());
    std::vector<std::optional<sheetview::Notice>> notices(count);
    std::vector<GridFormats> formats(count);
    forEach(store.count(), [&](int i) {
        spreadsheet::Worksheet ws = out.workbook.worksheet(i + 1);
        const std::unique_ptr<SheetGrids> grids = gridsOf(i);
        formats[size_t(i)] = WriteGridBlockValues(ws, store[i], grids->block());
        notices[size_t(i)] = grids->notice;
        if (written) written(i);
    });
    // The formats in the sheets' order: the styles they add are numbered as one loop numbers them.
    for (size_t i = 0; i < count; ++i) {
        spreadsheet::Worksheet ws = out.workbook.worksheet(int(i) + 1);
        FormatGridBlock(ws, store[int(i)], formats[i]);
        if (notices[i]) out.unsuitableSheets.push_back({int(i), *notices[i]});
    }
    return out;
}

} // namespace exchange
