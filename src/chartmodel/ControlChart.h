// The control chart as plain data, built once from the sheet view: per lot row of the result
// grid the lot mean (X side) and the dispersion of the chart kind, each with the rules that
// marked it, the centre lines, the control limits (each lot's own under the control chart
// constants) and the zone lines. The chart window draws it, the control chart report writes it
// and the command line prints it.
#pragma once
#include "chartmodel/AxisScale.h"
#include "judge/Kinds.h"
#include "judge/StandardLimits.h"
#include "model/NumberText.h"
#include "sheetview/SheetView.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace chartmodel {

enum class LineKind { Centre, Upper, Lower, Zone, SpecUpper, SpecLower };

// A horizontal line of a control chart or a vertical line of the histogram.
struct GuideLine {
    LineKind kind = LineKind::Centre;
    QString name;                // "CL", "UCL", "+1σ", "規格上限"
    QString valueText;           // the value as the legend shows it; "－" where there is none
    // The line's value: where it runs straight, its height; for steps, the nominal lot size's
    // (the limit fields' and the report's row 2). None where there is no such value.
    std::optional<double> value;
    // Under the control chart constants: the limit of each lot row for its own size, NaN where
    // the lot has none (the line breaks there). Empty for a straight line.
    std::vector<double> steps;

    QString label() const { return name + QStringLiteral(" = ") + valueText; }
    bool stepped() const { return !steps.empty(); }
};

struct ChartPoint {
    std::optional<double> value; // none: the lot has no point on this side
    QString text;                // as the result grid shows it; empty where there is no point
    std::vector<int> rules;      // the rules (1 to 8) that marked the lot on this side
    QString tip;                 // lot number, value and the marking rules
    bool marked() const { return value && !rules.empty(); }
};

// One chart of the two: a point per lot row.
struct ControlPanel {
    QString symbol;    // "X", "R", "S" or "Rs"
    QString title;     // "軸外径　X管理図"
    QString valueName; // what the points are: "平均値", "測定値", "範囲", "標準偏差", "移動範囲"
    QString axisTitle; // with the unit: "平均値 (mm)"
    std::vector<ChartPoint> points;
    std::vector<GuideLine> lines; // centre line and limits first, then zone and spec lines
    AxisRange range;              // holds every point and line
    int labelDecimals = 3;        // the axis labels: the sheet's digits, more where the steps need them

    const GuideLine* line(LineKind kind) const;
};

struct ControlChart {
    QString message;                          // when not empty, shown instead of the chart
    std::optional<model::ConvertError> error; // a limit text that is not a number
    judge::ChartKind kind = judge::ChartKind::XbarR;
    judge::LimitMethod method = judge::LimitMethod::ThreeSigma;
    QStringList lots; // the horizontal axis, one per lot row
    ControlPanel x;
    ControlPanel dispersion;
    // Under the control chart constants, one per lot row: its own limits; empty otherwise, and
    // when they do not belong to these rows.
    std::vector<judge::LotLimits> lotLimits;
};

// The S chart's centre line: the mean of the lot rows' standard deviations (rows 1 to lotRows of
// the result grid, a blank one counting as 0), the very centre the S-side rules judge around.
// Raises model::ConvertError.
double sChartCentre(const model::CellTable& calc, int lotRows);

// The lot rows of a filled result grid: the capability result panel has a caption and the grid
// ends in a total row with a mean; nothing otherwise.
std::optional<int> judgedLotRows(const sheetview::SheetView& view);

// Without a result the chart carries the prompt; a limit text that does not convert puts its
// error (and its message) in the chart.
ControlChart controlChart(const sheetview::SheetView& view);

} // namespace chartmodel
