#include "chartmodel/StudyPage.h"

#include "chartmodel/ChartTexts.h"
#include "chartmodel/FigureNames.h"
#include "model/NumberText.h"
#include "model/Text.h"

#include <algorithm>
#include <cmath>

namespace chartmodel {

StudyPage studyPage(const sheetview::SheetView& view, Histogram h, const std::optional<judge::CapabilityStudy>& study)
{
    StudyPage out;
    if (!h.message.isEmpty() || !study || !study->mean || (!h.specUpper && !h.specLower)) {
        out.message = h.message.isEmpty() ? kJudgePromptText : h.message;
        return out;
    }
    out.study = study;
    out.table = studyLines(*study);
    out.normality = normalityLine(*study);

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
    double top = 1.0;
    for (const judge::HistogramClass& c : h.classes) top = std::max(top, double(c.count));
    for (const auto* points : {&h.curve, &out.withinCurve})
        for (const judge::CurvePoint& p : *points) top = std::max(top, p.y);
    h.countRange = fittedCountAxis(top);
    out.histogram = std::move(h);
    return out;
}

} // namespace chartmodel
