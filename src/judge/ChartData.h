// What the chart window shows, as plain data built from the grids' texts: the control
// chart (lot means above the dispersion of the chart kind, with centre line, control
// limits, zone lines and the lots the run rules marked) and the histogram of the enabled
// lots' values. The window only draws these.
#pragma once
#include "judge/CapabilityStudy.h"
#include "judge/ControlLimits.h"
#include "judge/StudyTable.h"
#include "judge/Kinds.h"
#include "judge/StandardLimits.h"
#include "model/CellTable.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace judge {

// Shown in the chart area when the shown sheet has no capability result.
inline const QString kJudgePromptText = QStringLiteral("判定を実行してください。");

enum class GuideKind { Centre, Upper, Lower, Zone };

// A horizontal line of a control chart or a vertical line of the histogram.
struct GuideLine {
    GuideKind kind = GuideKind::Centre;
    QString label; // legend text with the value, "UCL = 10.76412"
    double value = 0.0;
    // Limits of each lot's own size: one value per lot, NaN where the lot has none; drawn
    // as steps. Empty for a straight line at `value`.
    std::vector<double> steps;
};

struct ChartPoint {
    double value = 0.0;
    std::vector<int> rules; // numbers (1..8) of the rules that marked the lot on this side
    QString tip;            // lot number, value and the marking rules
    bool marked() const { return !rules.empty(); }
};

// One chart of the control chart: a point per lot row.
struct ControlPanel {
    QString title;
    QString axisTitle;
    std::vector<ChartPoint> points;
    std::vector<GuideLine> lines;
    double low = 0.0, high = 1.0; // vertical range showing every point and line
};

struct ControlChart {
    QString message; // when not empty, shown instead of the chart
    QStringList lots; // the horizontal axis, one per lot row
    ControlPanel x;
    ControlPanel dispersion;
};

struct HistogramClass {
    double lower = 0.0;
    double upper = 0.0;
    int count = 0;
};

struct CurvePoint {
    double x = 0.0;
    double y = 0.0;
};

struct Histogram {
    QString message; // when not empty, shown instead of the chart
    QString title;
    QString caption; // count, mean, sigma, CP and CPK of the total row
    QString axisTitle;
    std::vector<HistogramClass> classes;
    std::vector<GuideLine> lines; // specification limits and the mean
    std::vector<CurvePoint> curve; // the normal curve scaled to counts; empty without spread
    double low = 0.0, high = 1.0;  // horizontal range
    double top = 1.0;              // vertical range 0..top
};

// The capability study page: the histogram with the specification limits, the target and
// two normal curves (sigma within dashed, sigma overall solid), beside the study's table.
struct StudyChart {
    QString message; // when not empty, shown instead of the page
    Histogram histogram; // its curve is the overall one
    std::vector<CurvePoint> withinCurve;
    std::vector<StudyLine> table;
    QString normality;
};

struct ChartSet {
    ControlChart control;
    Histogram histogram;
    StudyChart study;
};

// The window's texts the charts are built from.
struct ChartInput {
    bool judged = false;                    // the capability result panel has a caption
    const model::CellTable* calc = nullptr; // the result grid: lot rows, then the total row
    int calcRowCount = 0;
    const model::CellTable* spc = nullptr;  // the SPC grid; null when its marks are not those of these rows
    ControlLimitTexts limits;
    ChartKind chart = ChartKind::XbarR;
    LimitMethod method = LimitMethod::ThreeSigma; // by the chart constants: limits drawn as steps
    // The measurement and lot grids: the histogram counts the enabled lots' values.
    const model::CellTable* cells = nullptr;
    const model::CellTable* lots = nullptr;
    int lotCount = 0;
    int measurementCount = 0;
    int classCount = 10;
    SpecKind specKind = SpecKind::Tolerance;
    QString specUpper, specLower;
    int digits = 3;
    QString item, unit;
    std::optional<LimitBasis> limitBasis; // frozen X̿ and σ̂ under the chart constants
};

// The S chart's centre line: the mean of the lot rows' standard deviations (rows 1 to
// lotRows of the result grid, a blank one counting as 0), the very centre the S-side rules
// judge around. Raises model::ConvertError.
double sChartCentre(const model::CellTable& calc, int lotRows);

// Without a result (no caption, or the result grid ends in no filled total row) both charts
// carry the prompt; a text that does not convert puts its error message in the chart it
// belongs to.
ChartSet buildCharts(const ChartInput& in);

} // namespace judge
