#include "chartmodel/StudyPage.h"

#include "chartmodel/ChartTexts.h"
#include "chartmodel/FigureNames.h"
#include "model/NumberText.h"
#include "model/Text.h"

#include <algorithm>
#include <cmath>

namespace chartmodel {

namespace {

// The density on the normal curves' points, scaled as they are: N × class width × density.
std::vector<judge::CurvePoint> densityCurve(const judge::FittedDistribution& fit, int n, double width, const AxisRange& range)
{
    std::vector<judge::CurvePoint> curve;
    curve.reserve(size_t(kCurvePoints));
    for (int i = 0; i < kCurvePoints; ++i) {
        const double t = double(i) / (kCurvePoints - 1);
        const double x = range.min * (1.0 - t) + range.max * t;
        const double y = n * width * fit.density(x);
        curve.push_back({x, std::isfinite(y) ? y : 0.0});
    }
    return curve;
}

} // namespace

StudyPage studyPage(const sheetview::SheetView& view, Histogram h, const std::optional<judge::CapabilityStudy>& study)
{
    StudyPage out;
    out.distribution = view.study.distribution;
    if (!h.message.isEmpty() || !study || !study->mean || (!h.specUpper && !h.specLower)) {
        out.message = h.message.isEmpty() ? kJudgePromptText : h.message;
        return out;
    }
    out.study = study;
    out.table = studyLines(*study);
    out.normality = normalityLine(*study);
    out.indexGap = indexGapLine(*study);
    out.fitted = nonNormalLines(*study);
    out.fitRefusal = nonNormalRefusalLine(*study);

    h.title = model::isBlank(view.item) ? kCapabilityStudyTitle : QStringLiteral("%1　%2").arg(view.item.trimmed(), kCapabilityStudyTitle);
    const Figure withinK = withinOfGridCpk(h.specKind), overallK = overallOfGridCpk(h.specKind);
    auto value = [&](Figure f) {
        for (const StudyLine& l : out.table)
            if (l.label == figureName(f).label) return l.value;
        return QString();
    };
    h.caption = QStringLiteral("N = %1　%2 = %3　%4 = %5")
                    .arg(QString::number(study->n), figureName(withinK).label, value(withinK), figureName(overallK).label, value(overallK));
    // The mean line gives way to Cpm's target (the middle of a tolerance unless one is given).
    std::erase_if(h.lines, [](const GuideLine& l) { return l.kind == LineKind::Centre; });
    if (study->target)
        h.lines.push_back({LineKind::Centre, QStringLiteral("目標値"), model::formatFixed(*study->target, h.digits + 1), *study->target, {}});
    const double mean = *study->mean;
    std::vector<double> xs{h.valueRange.min, h.valueRange.max};
    for (const GuideLine& l : h.lines) xs.push_back(*l.value);
    for (const std::optional<double>& sigma : {study->sigmaWithin, study->sigmaOverall})
        if (sigma && *sigma > 0.0) xs.insert(xs.end(), {mean - kCurveSigmas * *sigma, mean + kCurveSigmas * *sigma});
    h.valueRange = fittedAxis(xs);
    h.labelDecimals = std::max(h.digits, h.valueRange.stepDecimals());
    const double width = h.classes.front().upper - h.classes.front().lower;
    auto curve = [&](const std::optional<double>& sigma) {
        return sigma && *sigma > 0.0 ? judge::normalCurve(mean, *sigma, study->n, width, h.valueRange.min, h.valueRange.max, kCurvePoints)
                                     : std::vector<judge::CurvePoint>{};
    };
    h.curve = curve(study->sigmaOverall);
    h.curveName = QStringLiteral("正規分布 (全体σ)");
    out.withinCurve = curve(study->sigmaWithin);
    out.withinCurveName = QStringLiteral("正規分布 (群内σ)");
    // The automatic choice may take the normal, whose density is the overall curve already.
    if (study->nonNormal && study->nonNormal->result && study->nonNormal->result->fit.family != judge::FitFamily::Normal) {
        const judge::FittedDistribution& fit = study->nonNormal->result->fit;
        out.fittedCurve = densityCurve(fit, study->n, width, h.valueRange);
        out.fittedCurveName = fitFamilyText(fit.family) + QStringLiteral(" (当てはめ)");
    }
    double top = 1.0;
    for (const judge::HistogramClass& c : h.classes) top = std::max(top, double(c.count));
    for (const auto* points : {&h.curve, &out.withinCurve})
        for (const judge::CurvePoint& p : *points) top = std::max(top, p.y);
    // A density that rises without bound (a Weibull of shape below 1 near 0) is cut at the
    // chart's top rather than flattening the bars.
    double fittedTop = 0.0;
    for (const judge::CurvePoint& p : out.fittedCurve) fittedTop = std::max(fittedTop, p.y);
    top = std::max(top, std::min(fittedTop, 2.0 * top));
    h.countRange = fittedCountAxis(top);
    out.histogram = std::move(h);
    return out;
}

std::vector<StudyLine> studySheetLines(const StudyPage& page)
{
    std::vector<StudyLine> lines = page.table;
    auto text = [&lines](const QString& t) {
        if (!t.isEmpty()) lines.push_back({t, {}, {}, -1});
    };
    text(page.normality);
    text(page.indexGap);
    if (page.fitted.empty() && page.fitRefusal.isEmpty()) return lines;
    lines.push_back({});
    lines.insert(lines.end(), page.fitted.begin(), page.fitted.end());
    text(page.fitRefusal);
    return lines;
}

} // namespace chartmodel
