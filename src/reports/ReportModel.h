// What the reports show, built once from the sheet view: the control chart's points, limits
// and rule marks, the histogram's values and classes, the result grids, and the
// identification block on each. The window's report buttons and the command line's report
// command both fill their workbooks from these, so they cannot disagree.
#pragma once
#include "reports/ControlChartReport.h"
#include "reports/HistogramReport.h"
#include "reports/ReportIdentity.h"
#include "reports/ResultReport.h"
#include "sheetview/SheetView.h"

#include <QDateTime>

namespace reports {

// The identification block: the header fields, the kind's text and the limits it has, the
// lot rows of the result grid (the used lots), the measurement count, the list texts of the
// limit method and chart kind, `made` and the program's version.
ReportIdentity reportIdentity(const sheetview::SheetView& view, const QDateTime& made);

// The lot rows of the result grid (lot number, mean and dispersion as shown), the centre lines
// (the total X; the total R, or S̄ under XbarS, the centre the S-side rules use), the limit
// fields, each lot's own limits under the control chart constants, and the rule marks when
// the SPC grid's marks belong to these rows. A limit or total that is not a number raises
// model::ConvertError.
ControlChartData controlChartData(const sheetview::SheetView& view, const QDateTime& made);

// The enabled lots' cells packed upwards, the digits' number format, `classes` classes of the
// enabled lots' values by the one class rule, the specification limits and the capability
// study. A measurement that is not a number raises model::ConvertError.
HistogramData histogramData(const sheetview::SheetView& view, int classes, const QDateTime& made);

// The three grids of the view with the pages' captions and, under the control chart constants,
// the capability study's table. The grids point into `view`, which must outlive the result.
ResultGrids resultGrids(const sheetview::SheetView& view, const model::SheetRecord& record, const QDateTime& made);

} // namespace reports
