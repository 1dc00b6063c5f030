// The specification judgement of the measurement grid: blank cells normalised to empty,
// then every value of every lot row (enabled or not) checked against the limits.
#pragma once
#include "judge/ResultTexts.h"
#include "judge/SpecLimits.h"
#include "model/CellTable.h"

namespace judge {

// Every blank cell of lot rows 1..lotCount, columns 0..measurementCount-1, becomes empty.
void normaliseBlankCells(model::CellTable& cells, int lotCount, int measurementCount);

// Scans the lot rows in order. A failing value fails the sheet and skips the rest of its
// row (those cells are not converted). NoResult when the sheet holds no value at all.
// A cell that is not a number raises model::ConvertError.
Outcome scanSpecification(const model::CellTable& cells, int lotCount, int measurementCount,
                          const SpecLimits& limits);

} // namespace judge
