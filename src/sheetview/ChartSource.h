// What the chart window draws, taken from the sheet view: the same grids, fields and flags the
// reports are built from, so the window's charts and the reports show the same data.
#pragma once
#include "judge/ChartData.h"
#include "sheetview/SheetView.h"

namespace sheetview {

// The chart input of a view; it points into `view`, which must outlive it. `classCount` is the
// histogram's class count (the class-count field is the chart settings', not the sheet's).
judge::ChartInput chartInputOf(const SheetView& view, int classCount);

} // namespace sheetview
