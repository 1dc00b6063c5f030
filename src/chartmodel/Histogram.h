// The histogram as plain data, built once from the sheet view: the enabled lots' values in the
// classes of the one class rule, their sample figures, the normal curve scaled to the counts,
// the mean and the specification limits, and the capability figures beside it. The chart
// window draws it and the histogram report writes it.
#pragma once
#include "chartmodel/AxisScale.h"
#include "chartmodel/ControlChart.h"
#include "judge/CapabilityStudy.h"
#include "judge/HistogramClasses.h"
#include "judge/Kinds.h"
#include "sheetview/SheetView.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace chartmodel {

// Points of a normal curve, across the value axis.
inline constexpr int kCurvePoints = 101;
// The value axis reaches this many sigmas either side of the mean.
inline constexpr double kCurveSigmas = 3.5;

// Count, mean, sample standard deviation and extremes of the values; mean, extremes absent
// without values, sigma absent below two.
struct SampleFigures {
    int n = 0;
    std::optional<double> mean, sigma, min, max;
};

struct Histogram {
    QString message; // when not empty, shown instead of the chart
    QString title;   // "軸外径　ヒストグラム"
    QString caption; // N, mean, sigma, and the grid's CP and CPK
    QString axisTitle;
    int digits = 3;       // the sheet's decimals
    int classCount = 10;  // as asked for
    std::vector<judge::HistogramClass> classes;
    SampleFigures sample;
    std::vector<GuideLine> lines; // the mean (or the target) and the specification limits
    std::vector<judge::CurvePoint> curve; // the normal curve scaled to the counts; empty without spread
    QString curveName;
    AxisRange valueRange;
    AxisRange countRange;
    int labelDecimals = 3;
    // The capability box of the report's page: label and value, in print order.
    std::vector<std::pair<QString, QString>> box;
    // The enabled lots' cells packed upwards into lot-count rows of measurement-count texts (the
    // rows after the last enabled lot empty), and their number format's decimals: the sheet's.
    QList<QStringList> block;
    judge::SpecKind specKind = judge::SpecKind::Tolerance;
    std::optional<double> specUpper, specLower;
};

// The figures of values, with the statistics grid's arithmetic.
SampleFigures sampleFigures(const std::vector<double>& values);

// `classCount` classes (the chart settings' class count, 5 to 10); `study` the sheet's capability
// study (sheetview::capabilityStudyOf), for the box. Without a result, the prompt; a value that
// is not a number puts its error's message in the histogram.
Histogram histogram(const sheetview::SheetView& view, int classCount, const std::optional<judge::CapabilityStudy>& study);

} // namespace chartmodel
