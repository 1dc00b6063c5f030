// Lot statistics and the process capability judgement: one row of texts per enabled lot
// with values, the total row over all their values, and the threshold marks on CP or CPK.
#pragma once
#include "judge/Kinds.h"
#include "judge/Measurements.h"
#include "judge/ResultTexts.h"
#include "judge/SpecLimits.h"
#include "model/NumberText.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

namespace judge {

// Columns of the result grid.
enum CalcColumn {
    kCalcLot = 0, kCalcCount, kCalcMax, kCalcMin, kCalcMean, kCalcRange, kCalcStdev, kCalcCp, kCalcCpk, kCalcMark,
    kCalcColumns
};
using CalcRow = std::array<QString, kCalcColumns>;

struct CapabilitySettings {
    SpecLimits limits;              // U and L as converted from the limit fields
    ChartKind chart = ChartKind::XbarR;
    bool thresholdCheck = true;     // the check box: off writes "－" everywhere
    CapabilityIndex index = CapabilityIndex::CPK;
    QString thresholdText;          // read only when a judged index cell has text
};

struct CapabilityResult {
    // Result grid rows from row 1 on: the lot rows, then (with at least one lot row) the
    // total row. Write them in order after emptying the grid's data rows.
    std::vector<CalcRow> rows;
    int lotRows = 0;
    // The grid's new row count (lot rows + 2); nothing keeps the row count as it was.
    std::optional<int> rowCount;
    // NoResult when the sheet holds at most one value or the run stopped on an error:
    // the result panel keeps its caption.
    Outcome outcome = Outcome::NoResult;
    // A text that did not convert (a measurement, or the threshold): the rows hold what was
    // written up to that point; write them, then raise this error.
    std::optional<model::ConvertError> error;
};

CapabilityResult judgeCapability(const Measurements& sheet, const CapabilitySettings& settings);

// Painter check of an index cell: true when both texts convert and the index lies below
// the threshold; any conversion failure gives false.
bool isBelowThresholdText(QStringView indexText, QStringView thresholdText);

} // namespace judge
