#include "exchange/SheetGrids.h"

#include "sheetview/SheetEntry.h"

#include <utility>

namespace exchange {

// The initial values play no part in these two grids.
SheetGrids::SheetGrids(const model::SheetRecord& record)
    : SheetGrids(sheetview::enterSheet(record, model::AppSettings::defaults()))
{
}

SheetGrids::SheetGrids(sheetview::EnteredSheet&& entered)
    : lots(std::move(entered.view.lots))
    , cells(std::move(entered.view.cells))
    , lotCount(entered.view.lotRows)
    , measurementCount(entered.view.measurementColumns)
    , notice(std::move(entered.notice))
{
}

} // namespace exchange
