// Moving a sheet between its record and the view, and the header's own steps: the header
// clear, the kind list's change and the chart kind's coupling with the measurement count.
#pragma once
#include "model/SheetRecord.h"
#include "sheetview/Notice.h"
#include "sheetview/SheetView.h"

#include <optional>
#include <vector>

namespace sheetview {

// The header clear: the judged flags off, product, process and device emptied, the item
// from the tab caption, unit, digits and kind from the initial values (the limit fields keep
// their state), the limits and the three result panels emptied. The grids stay.
void clearHeader(SheetView& view, const model::AppSettings& app);

// The kind list's change: the limit fields the kind uses are in use, the other is emptied.
void specKindChanged(SheetView& view);

// The view back to the initial values with empty grids, laid out for the counts it shows.
void resetSheetView(SheetView& view, const model::AppSettings& app);

// The capability study's options as the initial values hold them.
judge::StudyOptions studyOptionsOf(const model::AppSettings& app);

// Whether loading warns of limits that are not numbers: an import that named them already does not.
enum class LimitWarning { Give, Given };

// The record's specification limits that are neither blank nor a number, named with the sheet given.
std::vector<LimitFault> limitFaults(const model::SheetRecord& record, const QString& sheet = {});

// Fills a reset view from a record: header fields, kind, digits, the limits rewritten with
// the digits, the counts (within the fields' ranges) and the layout they give, the enable
// flags, the data lines, and every measurement rewritten with the digits up to the first that
// is not a number. A limit that is not a number is left empty; the warning to show names it
// (unless `limits` says it was named), then tells of a measurement that is not a number.
std::optional<Notice> loadSheet(SheetView& view, const model::SheetRecord& record, const model::AppSettings& app,
                                LimitWarning limits = LimitWarning::Give);

// A sheet entered as a tab click enters it: a reset view, then the record loaded.
struct EnteredSheet {
    SheetView view;
    std::optional<Notice> notice;
};
EnteredSheet enterSheet(const model::SheetRecord& record, const model::AppSettings& app);

// Writes the view into the record. A blank item name first takes the tab caption back, and
// the caption follows the item name.
void saveSheet(SheetView& view, model::SheetRecord& record);

// The chart kind chosen by the operator: with one measurement per lot (`oneMeasurement`, the
// count field reading "1") the moving-range chart stays, and choosing it sets one measurement
// per lot; then the layout, and the sheet saved into `record` when there is one.
void chartChanged(SheetView& view, judge::ChartKind chart, bool oneMeasurement, const model::AppSettings& app,
                  model::SheetRecord* record);

} // namespace sheetview
