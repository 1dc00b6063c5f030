#include "exchange/SheetGrids.h"

#include "exchange/SheetLayout.h"
#include "model/NumberText.h"
#include "model/SheetTransfer.h"
#include "model/Text.h"

#include <algorithm>

namespace exchange {

namespace {

bool unsuitableLimit(const QString& limit) { return !model::isBlank(limit) && !model::tryParseNumber(limit); }

} // namespace

SheetGrids::SheetGrids(const model::SheetRecord& record)
    : lotCount(std::clamp(record.lotCount, kMinLots, model::CellTable::kMaxLots))
    , measurementCount(std::clamp(record.measurementCount, kMinMeasurements, SheetLayout::kColumns - 1))
{
    lots.setText(0, 0, lotHeading());
    lots.setText(1, 0, QStringLiteral("ﾁｪｯｸ"));
    for (int r = 1; r <= lotCount; ++r) {
        lots.setText(0, r, QStringLiteral("K%1").arg(r, 3, 10, QLatin1Char('0')));
        lots.setFlag(1, r, true);
    }
    for (int c = 0; c < measurementCount; ++c) cells.setText(c, 0, measurementHeading(c));
    model::applyEnableFlags(record.enableFlags, lots);
    model::applyDataLines(record.dataLines, {&lots}, cells, measurementCount);
    const int digits = model::digitsFromText(record.digits);
    unsuitable = model::reformatCells(cells, digits).has_value() || unsuitableLimit(record.specUpper)
                 || unsuitableLimit(record.specLower);
}

} // namespace exchange
