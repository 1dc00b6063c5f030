// The SPC judgement: the run rules on the lot rows of the result grid, once on the lot
// means (X side) and once on the dispersion (R, S or Rs side by chart kind), giving the
// 18 texts of each SPC grid row and the overall result.
#pragma once
#include "judge/Capability.h"
#include "judge/ControlLimits.h"
#include "judge/Kinds.h"
#include "judge/StandardLimits.h"
#include "judge/ResultTexts.h"
#include "model/CellTable.h"
#include "model/NumberText.h"
#include "model/RuleTable.h"

#include <QString>
#include <array>
#include <optional>
#include <span>
#include <vector>

namespace judge {

// Columns of the SPC grid: 0 lot number, 1-8 X side rules, 9-16 dispersion side rules,
// 17 the row's result.
enum SpcColumn {
    kSpcLot = 0,
    kSpcFirstX = 1,
    kSpcFirstDispersion = kSpcFirstX + model::kRuleCount,
    kSpcMark = kSpcFirstDispersion + model::kRuleCount,
    kSpcColumns
};
using SpcRow = std::array<QString, kSpcColumns>;

struct SpcResult {
    // SPC grid rows from row 1 on, one per lot row of the result grid. Cells a stopped run
    // did not reach are empty.
    std::vector<SpcRow> rows;
    // The SPC grid's row count: the title row and one row per lot row (the result grid's
    // row count minus one).
    int rowCount = 1;
    // NoResult only when the run stopped on an error (the panel keeps its caption).
    Outcome outcome = Outcome::NoResult;
    // A statistics cell or limit text that did not convert: write the rows, then raise it.
    std::optional<model::ConvertError> error;
};

// `calcRows` are the data rows of the result grid as the capability judgement left them,
// from row 1 to the last: the lot rows, then the total row. (With 100 lots the total row
// is row 101, one more than a CellTable holds, hence rows rather than a table.) Every
// input is read from its text; the limits are the texts of the three limit fields.
// A blank standard deviation in the total row counts as sigma 0 (all values equal).
SpcResult judgeSpc(std::span<const CalcRow> calcRows, ChartKind chart, const ControlLimitTexts& limits,
                   const model::RuleOptions& rules);

// The same under the control chart constants: every lot row is judged against its own
// limits (`lots`, one per lot row of the result grid, in order), the zone width a third of
// its distance from centre to upper limit. On the dispersion side rule ① also tests the lower
// limit where the lot has one, and a lot without a dispersion point gets "－" there; the
// rules count over the lots that have one.
SpcResult judgeSpcByLot(std::span<const CalcRow> calcRows, ChartKind chart, std::span<const LotLimits> lots,
                        const model::RuleOptions& rules);

// The centre of a side judged around the mean of its own series (the S side: the mean of the
// lot standard deviations, S̄), summed in extended precision; 0 for no values. The S chart
// draws the same centre line.
double seriesMean(std::span<const double> values);

// Writes the result's rows into the SPC grid's storage from row 1 on.
void writeRows(model::CellTable& spc, const SpcResult& result);

} // namespace judge
