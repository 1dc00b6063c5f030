#include "judge/SpecJudgement.h"

#include "model/NumberText.h"
#include "model/Text.h"

#include <algorithm>

namespace judge {

namespace {

int clampRows(int lotCount) { return std::clamp(lotCount, 0, model::CellTable::kRows - 1); }
int clampColumns(int measurementCount) { return std::clamp(measurementCount, 0, model::CellTable::kCols); }

} // namespace

void normaliseBlankCells(model::CellTable& cells, int lotCount, int measurementCount)
{
    const int rows = clampRows(lotCount), columns = clampColumns(measurementCount);
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (!cells.text(c, r).isEmpty() && model::isBlank(cells.text(c, r))) cells.setText(c, r, QString());
}

Outcome scanSpecification(const model::CellTable& cells, int lotCount, int measurementCount,
                          const SpecLimits& limits)
{
    const int rows = clampRows(lotCount), columns = clampColumns(measurementCount);
    bool anyValue = false, failed = false;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QString& t = cells.text(c, r);
            if (model::isBlank(t)) continue;
            anyValue = true;
            if (!WithinSpec(limits, model::parseNumber(t))) {
                failed = true;
                break; // the rest of this row is not looked at
            }
        }
    }
    if (!anyValue) return Outcome::NoResult;
    return failed ? Outcome::Fail : Outcome::Pass;
}

} // namespace judge
