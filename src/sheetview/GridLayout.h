// The grids' layout on the sheet view: extents from the counts, the captions of every grid
// (the dispersion side's by chart kind) and the default lot numbers.
#pragma once
#include "sheetview/SheetView.h"

namespace sheetview {

// "R", "S" or "Rs": the dispersion side of a chart kind item (any other item is XbarR).
QString dispersionSide(judge::ChartKind chart);
// "K001" for lot row 1.
QString defaultLotNumber(int row);

// Displayed extents from the counts (kept within what the grids hold), captions, and the
// lot numbers: a displayed lot row with a blank lot number gets its default (K001..), every
// other keeps its own; both result grids repeat the lot grid's lot numbers.
void applyGridLayout(SheetView& view);

// Every displayed lot enabled.
void enableAllLots(SheetView& view);

// The lot count changed to a given number: the layout, then every lot enabled.
void lotCountChanged(SheetView& view);

// The measurement count changed to a given number: one measurement per lot (`oneMeasurement`,
// the field reading "1") shows the moving-range chart, any other count the chart of the
// initial values; then the layout.
void measurementCountChanged(SheetView& view, bool oneMeasurement, judge::ChartKind initialChart);

} // namespace sheetview
