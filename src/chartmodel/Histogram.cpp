#include "chartmodel/Histogram.h"

#include "chartmodel/ChartTexts.h"
#include "chartmodel/FigureNames.h"
#include "judge/Capability.h"
#include "judge/Measurements.h"
#include "judge/ResultTexts.h"
#include "judge/SpecLimits.h"
#include "judge/Statistics.h"
#include "model/NumberText.h"
#include "model/SheetRecord.h"
#include "model/Text.h"

#include <algorithm>
#include <cmath>

namespace chartmodel {

namespace {

QString orDash(const QString& text) { return model::isBlank(text) ? judge::kNotJudgedText : text.trimmed(); }

QString fixed(std::optional<double> v, int decimals)
{
    return v && std::isfinite(*v) ? model::formatFixed(*v, decimals) : judge::kNotJudgedText;
}

QString titled(const QString& item, const QString& chart)
{
    return model::isBlank(item) ? chart : QStringLiteral("%1　%2").arg(item.trimmed(), chart);
}

QList<QStringList> packedBlock(const sheetview::SheetView& view)
{
    const int rows = std::clamp(view.lotRows, 0, model::CellTable::kMaxLots);
    const int cols = std::clamp(view.measurementColumns, 0, model::CellTable::kCols);
    QList<QStringList> block;
    block.reserve(rows);
    for (int r = 1; r <= rows; ++r) {
        if (!view.lots.flag(1, r)) continue;
        QStringList line;
        line.reserve(cols);
        for (int c = 0; c < cols; ++c) line.append(view.cells.text(c, r));
        block.append(std::move(line));
    }
    while (block.size() < rows) block.append(QStringList(cols, QString()));
    return block;
}

// The capability box: the grid's CP and CPK, which the study's overall figures equal, shown
// once under both names; then the study's within figures, the limits and the class count.
std::vector<std::pair<QString, QString>> capabilityBox(const Histogram& h, const QString& gridCp, const QString& gridCpk,
                                                       const std::optional<judge::CapabilityStudy>& study, judge::WithinMethod withinMethod)
{
    const int statistic = figureName(Figure::Mean).decimals;
    const int index = figureName(Figure::Cp).decimals;
    const bool tolerance = h.specKind == judge::SpecKind::Tolerance;
    auto within = [&](Figure f) -> std::optional<double> {
        if (!study) return std::nullopt;
        switch (f) {
        case Figure::Cpk: return study->cpk;
        case Figure::Cpu: return study->cpu;
        case Figure::Cpl: return study->cpl;
        default: return study->cp;
        }
    };
    const Figure withinK = withinOfGridCpk(h.specKind);
    return {
        {figureName(Figure::Count).label, QString::number(h.sample.n)},
        {figureName(Figure::Mean).label, fixed(h.sample.mean, statistic)},
        {figureName(Figure::SigmaOverall).label, fixed(h.sample.sigma, statistic)},
        {gridWithOverallLabel(Figure::GridCp, h.specKind), tolerance ? orDash(gridCp) : judge::kNotJudgedText},
        {gridWithOverallLabel(Figure::GridCpk, h.specKind), orDash(gridCpk)},
        {sigmaWithinLabel(withinMethod), fixed(study ? study->sigmaWithin : std::nullopt, statistic)},
        {figureName(Figure::Cp).label, tolerance ? fixed(within(Figure::Cp), index) : judge::kNotJudgedText},
        {figureName(withinK).label, fixed(within(withinK), index)},
        {QStringLiteral("規格上限"), fixed(h.specUpper, h.digits)},
        {QStringLiteral("規格下限"), fixed(h.specLower, h.digits)},
        {QStringLiteral("区間数"), QString::number(h.classes.size())},
    };
}

} // namespace

SampleFigures sampleFigures(const std::vector<double>& values)
{
    SampleFigures f;
    const judge::Summary s = judge::summarise(values);
    f.n = s.count;
    if (s.count == 0) return f;
    f.mean = s.mean();
    f.min = s.min;
    f.max = s.max;
    if (s.count >= 2) f.sigma = s.hasSpread() ? s.sampleStdev() : 0.0;
    return f;
}

Histogram histogram(const sheetview::SheetView& view, int classCount, const std::optional<judge::CapabilityStudy>& study)
{
    Histogram h;
    h.digits = std::clamp(model::digitsFromText(view.digits), 0, 5);
    h.classCount = classCount;
    h.title = titled(view.item, QStringLiteral("ヒストグラム"));
    h.axisTitle = model::isBlank(view.unit) ? QStringLiteral("測定値") : QStringLiteral("測定値 (%1)").arg(view.unit.trimmed());
    h.curveName = QStringLiteral("正規分布");
    h.specKind = view.specKind;
    h.block = packedBlock(view);
    if (const auto spec = judge::tryReadSpecLimits(view.specKind, view.specUpper, view.specLower)) {
        if (spec->kind != judge::SpecKind::LowerOnly) h.specUpper = spec->upper;
        if (spec->kind != judge::SpecKind::UpperOnly) h.specLower = spec->lower;
    }
    const std::optional<int> lotRows = judgedLotRows(view);
    if (!lotRows) {
        h.message = kJudgePromptText;
        return h;
    }
    std::vector<double> values;
    try {
        values = judge::enabledValues(judge::Measurements(view.cells, view.lots, view.lotRows, view.measurementColumns));
    } catch (const model::ConvertError& e) {
        h.message = e.message();
        return h;
    }
    h.classes = judge::histogramClasses(values, std::clamp(classCount, 1, 100), h.digits);
    h.sample = sampleFigures(values);
    if (h.classes.empty()) {
        h.message = kJudgePromptText;
        return h;
    }
    const int statistic = figureName(Figure::Mean).decimals;
    const QString& gridCp = view.calc.text(judge::kCalcCp, *lotRows + 1);
    const QString& gridCpk = view.calc.text(judge::kCalcCpk, *lotRows + 1);
    h.caption = QStringLiteral("N = %1　%2 = %3　%4 = %5　%6 = %7　%8 = %9")
                    .arg(QString::number(h.sample.n), figureName(Figure::Mean).label, fixed(h.sample.mean, statistic),
                         figureName(Figure::SigmaOverall).label, fixed(h.sample.sigma, statistic),
                         figureName(Figure::GridCp).label, orDash(gridCp), figureName(Figure::GridCpk).label, orDash(gridCpk));

    const double mean = *h.sample.mean;
    h.lines.push_back({LineKind::Centre, figureName(Figure::Mean).label, fixed(mean, statistic), mean, {}});
    if (h.specUpper)
        h.lines.push_back({LineKind::SpecUpper, QStringLiteral("規格上限"), model::formatFixed(*h.specUpper, h.digits), h.specUpper, {}});
    if (h.specLower)
        h.lines.push_back({LineKind::SpecLower, QStringLiteral("規格下限"), model::formatFixed(*h.specLower, h.digits), h.specLower, {}});

    std::vector<double> xs{h.classes.front().lower, h.classes.back().upper};
    for (const GuideLine& l : h.lines) xs.push_back(*l.value);
    const double sigma = h.sample.sigma.value_or(0.0);
    if (sigma > 0.0) xs.insert(xs.end(), {mean - kCurveSigmas * sigma, mean + kCurveSigmas * sigma});
    h.valueRange = fittedAxis(xs);
    h.labelDecimals = std::max(h.digits, h.valueRange.stepDecimals());

    const double width = h.classes.front().upper - h.classes.front().lower;
    h.curve = judge::normalCurve(mean, sigma, h.sample.n, width, h.valueRange.min, h.valueRange.max, kCurvePoints);
    double top = 1.0;
    for (const judge::HistogramClass& c : h.classes) top = std::max(top, double(c.count));
    for (const judge::CurvePoint& p : h.curve) top = std::max(top, p.y);
    h.countRange = fittedCountAxis(top);
    const judge::WithinMethod withinMethod = study ? study->withinMethod : judge::withinMethodFor(view.study.sigmaWithin, view.chart);
    h.box = capabilityBox(h, gridCp, gridCpk, study, withinMethod);
    return h;
}

} // namespace chartmodel
