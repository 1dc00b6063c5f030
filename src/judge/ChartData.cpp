#include "judge/ChartData.h"

#include "judge/Capability.h"
#include "judge/HistogramClasses.h"
#include "judge/Measurements.h"
#include "judge/ResultTexts.h"
#include "judge/SpcJudgement.h"
#include "judge/SpecLimits.h"
#include "judge/StandardLimits.h"
#include "model/NumberText.h"
#include "model/Text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace judge {

namespace {

constexpr int kCurveSamples = 161;

const QString kRuleNumbers[] = {QStringLiteral("①"), QStringLiteral("②"), QStringLiteral("③"), QStringLiteral("④"),
                                QStringLiteral("⑤"), QStringLiteral("⑥"), QStringLiteral("⑦"), QStringLiteral("⑧")};

// A blank standard deviation means the values do not spread: sigma 0.
double numberOrZero(const QString& text) { return model::isBlank(text) ? 0.0 : model::parseNumber(text); }

QString orDash(const QString& text) { return model::isBlank(text) ? kNotJudgedText : text; }

QString withUnit(const QString& title, const QString& unit)
{
    return model::isBlank(unit) ? title : QStringLiteral("%1 (%2)").arg(title, unit.trimmed());
}

QString titled(const QString& item, const QString& chart)
{
    return model::isBlank(item) ? chart : QStringLiteral("%1　%2").arg(item.trimmed(), chart);
}

GuideLine line(GuideKind kind, const QString& name, double value, const QString& valueText)
{
    return {kind, QStringLiteral("%1 = %2").arg(name, valueText), value, {}};
}

// The vertical range that shows every point and line with some room; a dispersion chart
// starts at 0, its implicit lower limit.
void fitRange(ControlPanel& panel, bool fromZero)
{
    double lo = fromZero ? 0.0 : HUGE_VAL, hi = -HUGE_VAL;
    for (const ChartPoint& p : panel.points) lo = std::min(lo, p.value), hi = std::max(hi, p.value);
    for (const GuideLine& l : panel.lines) {
        lo = std::min(lo, l.value), hi = std::max(hi, l.value);
        for (double v : l.steps)
            if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
    }
    if (hi < lo) lo = hi = 0.0;
    // Room taken from each end apart, so that values far apart do not overflow.
    const double pad = hi > lo ? hi * 0.08 - lo * 0.08 : (hi == 0.0 ? 1.0 : std::fabs(hi) * 0.05);
    panel.low = fromZero && lo >= 0.0 ? 0.0 : lo - pad;
    panel.high = hi + pad;
}

struct SideSpec {
    QString name;      // "X", "R", "S", "Rs"
    QString chartName; // "X管理図" ...
    QString axisTitle;
    int valueColumn;   // result grid column of the lot value
    int centreColumn;  // total row column of the centre line
    int firstRuleColumn;
    bool dispersion;
};

SideSpec dispersionSpec(ChartKind chart)
{
    switch (chart) {
    case ChartKind::XbarS:
        return {QStringLiteral("S"), QStringLiteral("S管理図"), QStringLiteral("標準偏差"), kCalcStdev, kCalcStdev,
                kSpcFirstDispersion, true};
    case ChartKind::XRs:
        return {QStringLiteral("Rs"), QStringLiteral("Rs管理図"), QStringLiteral("移動範囲"), kCalcRange, kCalcRange,
                kSpcFirstDispersion, true};
    case ChartKind::XbarR: break;
    }
    return {QStringLiteral("R"), QStringLiteral("R管理図"), QStringLiteral("範囲"), kCalcRange, kCalcRange,
            kSpcFirstDispersion, true};
}

class ControlChartBuilder {
public:
    ControlChartBuilder(const ChartInput& in, int lotRows)
        : in_(in), calc_(*in.calc), lotRows_(lotRows), lotLimits_(limitsByLot(in, lotRows))
    {
    }

    ControlChart build()
    {
        ControlChart chart;
        for (int r = 1; r <= lotRows_; ++r) chart.lots << calc_.text(kCalcLot, r);
        const double sigma = numberOrZero(total(kCalcStdev));
        // With one value per lot (X-Rs) the points are single measurements, not means.
        const QString xAxis = in_.chart == ChartKind::XRs ? QStringLiteral("測定値") : QStringLiteral("平均値");
        const SideSpec x{QStringLiteral("X"), QStringLiteral("X管理図"), xAxis, kCalcMean, kCalcMean, kSpcFirstX, false};
        chart.x = panel(x, sigma, in_.limits.ucl, &in_.limits.lcl);
        chart.dispersion = panel(dispersionSpec(in_.chart), sigma, in_.limits.rsUcl, nullptr);
        return chart;
    }

private:
    const QString& total(int column) const { return calc_.text(column, lotRows_ + 1); }

    std::vector<int> rulesOf(int row, int firstColumn) const
    {
        std::vector<int> rules;
        if (!in_.spc) return rules;
        for (int rule = 0; rule < 8; ++rule)
            if (isAnomalyText(in_.spc->text(firstColumn + rule, row))) rules.push_back(rule + 1);
        return rules;
    }

    ChartPoint point(const SideSpec& side, int row) const
    {
        ChartPoint p;
        const QString& text = calc_.text(side.valueColumn, row);
        // A lot without a standard deviation (one value, or all equal) is judged as 0.
        p.value = side.dispersion ? numberOrZero(text) : model::parseNumber(text);
        p.rules = rulesOf(row, side.firstRuleColumn);
        p.tip = QStringLiteral("%1　%2 = %3").arg(calc_.text(kCalcLot, row), side.name, orDash(text));
        if (p.marked()) {
            QString numbers;
            for (int rule : p.rules) numbers += kRuleNumbers[rule - 1];
            p.tip += QStringLiteral("\n異常判定ルール：%1").arg(numbers);
        }
        return p;
    }

    // `lowerText` is null on the dispersion side, whose lower limit is 0.
    ControlPanel panel(const SideSpec& side, double sigma, const QString& upperText, const QString* lowerText) const
    {
        ControlPanel panel;
        panel.title = titled(in_.item, side.chartName);
        panel.axisTitle = withUnit(side.axisTitle, in_.unit);
        panel.points.reserve(size_t(lotRows_));
        for (int r = 1; r <= lotRows_; ++r) panel.points.push_back(point(side, r));

        if (in_.method == LimitMethod::Standard && lotLimits_) return stepPanel(std::move(panel), side, upperText, lowerText);
        const QString& centreText = total(side.centreColumn);
        // The S side is judged around S̄, not around the spread of all values.
        const bool sSide = side.dispersion && in_.chart == ChartKind::XbarS;
        const double centre = sSide ? sChartCentre(calc_, lotRows_) : numberOrZero(centreText);
        panel.lines.push_back(
            line(GuideKind::Centre, QStringLiteral("CL"), centre, sSide ? model::formatFixed(centre, 5) : orDash(centreText)));
        if (in_.method == LimitMethod::Standard) { // no limits without variation within the lots
            fitRange(panel, side.dispersion);
            return panel;
        }
        panel.lines.push_back(
            line(GuideKind::Upper, QStringLiteral("UCL"), model::parseNumber(upperText), upperText.trimmed()));
        if (lowerText)
            panel.lines.push_back(
                line(GuideKind::Lower, QStringLiteral("LCL"), model::parseNumber(*lowerText), lowerText->trimmed()));
        // Zones of the run rules; below 0 a dispersion never reaches them.
        if (sigma > 0.0) {
            for (int k : {2, 1, -1, -2}) {
                const double v = centre + k * sigma;
                if ((side.dispersion && v < 0.0) || !std::isfinite(v)) continue;
                const QString name = QStringLiteral("%1%2σ").arg(k > 0 ? u'+' : u'−').arg(std::abs(k));
                panel.lines.push_back(line(GuideKind::Zone, name, v, model::formatFixed(v, 5)));
            }
        }
        fitRange(panel, side.dispersion);
        return panel;
    }

    // One value per lot of a per-lot limit, NaN where the lot has none.
    std::vector<double> steps(std::optional<double> LotLimits::*member) const
    {
        std::vector<double> out;
        for (const LotLimits& l : lotLimits_->lots) out.push_back(l.*member ? *(l.*member) : NAN);
        return out;
    }
    std::vector<double> steps(double LotLimits::*member) const
    {
        std::vector<double> out;
        for (const LotLimits& l : lotLimits_->lots) out.push_back(l.*member);
        return out;
    }

    // Under the chart constants: the centre line, then the limits of every lot as steps; the
    // legend gives the nominal limits of the fields. No zone lines: each lot has its own.
    ControlPanel stepPanel(ControlPanel panel, const SideSpec& side, const QString& upperText,
                           const QString* lowerText) const
    {
        panel.lines.clear();
        const QString& centreText = total(side.centreColumn);
        if (!side.dispersion) {
            panel.lines.push_back(line(GuideKind::Centre, QStringLiteral("CL"), lotLimits_->centre, orDash(centreText)));
            GuideLine upper = line(GuideKind::Upper, QStringLiteral("UCL"), lotLimits_->nominal.ucl, upperText.trimmed());
            upper.steps = steps(&LotLimits::ucl);
            GuideLine lower = line(GuideKind::Lower, QStringLiteral("LCL"), lotLimits_->nominal.lcl,
                                   lowerText ? lowerText->trimmed() : QString());
            lower.steps = steps(&LotLimits::lcl);
            panel.lines.push_back(std::move(upper));
            panel.lines.push_back(std::move(lower));
        } else {
            const LotLimits& nominal = lotLimits_->nominal;
            auto stepLine = [&](GuideKind kind, const QString& name, std::optional<double> LotLimits::*member) {
                const std::optional<double>& v = nominal.*member;
                // The nominal size may have no limit where lots of other sizes have one.
                GuideLine l = line(kind, name, v.value_or(0.0), v ? model::formatFixed(*v, 5) : kNotJudgedText);
                l.steps = steps(member);
                return l;
            };
            panel.lines.push_back(stepLine(GuideKind::Centre, QStringLiteral("CL"), &LotLimits::dispersionCl));
            panel.lines.push_back(stepLine(GuideKind::Upper, QStringLiteral("UCL"), &LotLimits::dispersionUcl));
            const bool anyLower = std::any_of(lotLimits_->lots.begin(), lotLimits_->lots.end(),
                                              [](const LotLimits& l) { return l.dispersionLcl.has_value(); });
            if (anyLower) panel.lines.push_back(stepLine(GuideKind::Lower, QStringLiteral("LCL"), &LotLimits::dispersionLcl));
        }
        fitRange(panel, side.dispersion);
        return panel;
    }

    // Under the chart constants, the limits of the lot rows; nothing when they cannot be
    // computed or the grids no longer hold the judged lots.
    static std::optional<StandardLimits> limitsByLot(const ChartInput& in, int lotRows)
    {
        if (in.method != LimitMethod::Standard) return std::nullopt;
        const Measurements sheet(*in.cells, *in.lots, in.lotCount, in.measurementCount);
        std::optional<StandardLimits> limits = standardLimits(usedLots(sheet), in.chart, in.measurementCount, in.limitBasis);
        if (limits && int(limits->lots.size()) != lotRows) return std::nullopt;
        return limits;
    }

    const ChartInput& in_;
    const model::CellTable& calc_;
    int lotRows_;
    const std::optional<StandardLimits> lotLimits_;
};

Histogram buildHistogram(const ChartInput& in, int lotRows)
{
    const model::CellTable& calc = *in.calc;
    auto total = [&](int column) -> const QString& { return calc.text(column, lotRows + 1); };
    Histogram h;
    h.title = titled(in.item, QStringLiteral("ヒストグラム"));
    h.axisTitle = withUnit(QStringLiteral("測定値"), in.unit);
    h.caption = QStringLiteral("N = %1　平均 = %2　σ = %3　CP = %4　CPK = %5")
                    .arg(orDash(total(kCalcCount)), orDash(total(kCalcMean)), orDash(total(kCalcStdev)),
                         orDash(total(kCalcCp)), orDash(total(kCalcCpk)));

    const std::vector<double> values = enabledValues(Measurements(*in.cells, *in.lots, in.lotCount, in.measurementCount));
    h.classes = histogramClasses(values, std::clamp(in.classCount, 1, 100), in.digits);
    if (h.classes.empty()) {
        h.message = kJudgePromptText;
        return h;
    }

    const double mean = model::parseNumber(total(kCalcMean));
    const double sigma = numberOrZero(total(kCalcStdev));
    const int digits = std::clamp(in.digits, 0, 5);
    h.lines.push_back(line(GuideKind::Centre, QStringLiteral("平均"), mean, total(kCalcMean)));
    // Limits that no longer convert (edited after the judgement) are left out, as the grid's painter does.
    if (const auto spec = tryReadSpecLimits(in.specKind, in.specUpper, in.specLower)) {
        if (spec->kind != SpecKind::LowerOnly)
            h.lines.push_back(line(GuideKind::Upper, QStringLiteral("規格上限"), spec->upper,
                                   model::formatFixed(spec->upper, digits)));
        if (spec->kind != SpecKind::UpperOnly)
            h.lines.push_back(line(GuideKind::Lower, QStringLiteral("規格下限"), spec->lower,
                                   model::formatFixed(spec->lower, digits)));
    }

    double lo = h.classes.front().lower, hi = h.classes.back().upper;
    for (const GuideLine& l : h.lines) lo = std::min(lo, l.value), hi = std::max(hi, l.value);
    if (sigma > 0.0 && std::isfinite(mean - 3 * sigma) && std::isfinite(mean + 3 * sigma))
        lo = std::min(lo, mean - 3 * sigma), hi = std::max(hi, mean + 3 * sigma);
    const double pad = hi * 0.05 - lo * 0.05;
    h.low = lo - pad;
    h.high = hi + pad;

    const double width = h.classes.front().upper - h.classes.front().lower;
    h.curve = normalCurve(mean, sigma, int(values.size()), width, h.low, h.high, kCurveSamples);
    double top = 1.0;
    for (const HistogramClass& c : h.classes) top = std::max(top, double(c.count));
    for (const CurvePoint& p : h.curve) top = std::max(top, p.y);
    h.top = top * 1.12;
    return h;
}

StudyChart buildStudy(const ChartInput& in, int lotRows)
{
    StudyChart out;
    Histogram h = buildHistogram(in, lotRows);
    const auto spec = tryReadSpecLimits(in.specKind, in.specUpper, in.specLower);
    if (!h.message.isEmpty() || !spec) {
        out.message = h.message.isEmpty() ? kJudgePromptText : h.message;
        return out;
    }
    const Measurements sheet(*in.cells, *in.lots, in.lotCount, in.measurementCount);
    const CapabilityStudy study = studyCapability(usedLots(sheet), in.chart, *spec);
    out.table = studyLines(study);
    out.normality = normalityLine(study);

    h.title = titled(in.item, kCapabilityStudyTitle);
    const StudyLine& within = out.table[3];
    const StudyLine& overall = out.table[4];
    h.caption = QStringLiteral("N = %1　%2 = %3　%4 = %5").arg(QString::number(study.n), within.label, within.value,
                                                                overall.label, overall.value);
    // The mean line gives way to the target, the middle of a tolerance.
    std::erase_if(h.lines, [](const GuideLine& l) { return l.kind == GuideKind::Centre; });
    if (spec->kind == SpecKind::Tolerance) {
        const double target = static_cast<double>((static_cast<long double>(spec->upper) + spec->lower) / 2);
        h.lines.push_back(line(GuideKind::Centre, QStringLiteral("目標値"), target,
                               model::formatFixed(target, std::clamp(in.digits, 0, 5) + 1)));
    }
    const double mean = *study.mean;
    const double width = h.classes.front().upper - h.classes.front().lower;
    double lo = h.low, hi = h.high;
    for (const GuideLine& l : h.lines) lo = std::min(lo, l.value), hi = std::max(hi, l.value);
    for (const std::optional<double>& sigma : {study.sigmaWithin, study.sigmaOverall})
        if (sigma && *sigma > 0.0 && std::isfinite(mean - 3 * *sigma) && std::isfinite(mean + 3 * *sigma))
            lo = std::min(lo, mean - 3 * *sigma), hi = std::max(hi, mean + 3 * *sigma);
    h.low = lo, h.high = hi;
    auto curve = [&](const std::optional<double>& sigma) {
        return sigma && *sigma > 0.0 ? normalCurve(mean, *sigma, study.n, width, h.low, h.high, kCurveSamples)
                                     : std::vector<CurvePoint>{};
    };
    h.curve = curve(study.sigmaOverall);
    out.withinCurve = curve(study.sigmaWithin);
    double top = 1.0;
    for (const HistogramClass& c : h.classes) top = std::max(top, double(c.count));
    for (const auto* points : {&h.curve, &out.withinCurve})
        for (const CurvePoint& p : *points) top = std::max(top, p.y);
    h.top = top * 1.12;
    out.histogram = std::move(h);
    return out;
}

// The number of lot rows of a filled result grid, or nothing.
std::optional<int> judgedLotRows(const ChartInput& in)
{
    if (!in.judged || !in.calc || !in.cells || !in.lots) return std::nullopt;
    const int last = in.calcRowCount - 1;
    if (last < 2 || last >= model::CellTable::kRows) return std::nullopt;
    if (in.calc->text(kCalcLot, last) != kTotalRowLabel || model::isBlank(in.calc->text(kCalcMean, last)))
        return std::nullopt;
    return last - 1;
}

template <typename Chart, typename Build>
Chart guardedBuild(Build build)
{
    try {
        return build();
    } catch (const model::ConvertError& e) {
        Chart chart;
        chart.message = e.message();
        return chart;
    }
}

} // namespace

double sChartCentre(const model::CellTable& calc, int lotRows)
{
    std::vector<double> values;
    for (int r = 1; r <= lotRows && r < model::CellTable::kRows; ++r) values.push_back(numberOrZero(calc.text(kCalcStdev, r)));
    return seriesMean(values);
}

ChartSet buildCharts(const ChartInput& in)
{
    ChartSet set;
    const std::optional<int> lotRows = judgedLotRows(in);
    if (!lotRows) {
        set.control.message = kJudgePromptText;
        set.histogram.message = kJudgePromptText;
        set.study.message = kJudgePromptText;
        return set;
    }
    set.control = guardedBuild<ControlChart>([&] { return ControlChartBuilder(in, *lotRows).build(); });
    set.histogram = guardedBuild<Histogram>([&] { return buildHistogram(in, *lotRows); });
    set.study = guardedBuild<StudyChart>([&] { return buildStudy(in, *lotRows); });
    return set;
}

} // namespace judge
