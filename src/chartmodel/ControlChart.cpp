#include "chartmodel/ControlChart.h"

#include "chartmodel/ChartTexts.h"
#include "judge/Capability.h"
#include "judge/ResultTexts.h"
#include "judge/SpcJudgement.h"
#include "judge/SpecLimits.h"
#include "model/RuleTable.h"
#include "model/SheetRecord.h"
#include "model/Text.h"
#include "sheetview/JudgementChain.h"

#include <algorithm>
#include <cmath>

namespace chartmodel {

namespace {

// A blank standard deviation means the values do not spread: sigma 0.
double numberOrZero(const QString& text) { return model::isBlank(text) ? 0.0 : model::parseNumber(text); }

QString orDash(const QString& text) { return model::isBlank(text) ? judge::kNotJudgedText : text.trimmed(); }

QString fixed5(double v) { return model::formatFixed(v, 5); }

QString withUnit(const QString& title, const QString& unit)
{
    return model::isBlank(unit) ? title : QStringLiteral("%1 (%2)").arg(title, unit.trimmed());
}

QString titled(const QString& item, const QString& chart)
{
    return model::isBlank(item) ? chart : QStringLiteral("%1　%2").arg(item.trimmed(), chart);
}

GuideLine straight(LineKind kind, const QString& name, double value, const QString& text)
{
    return {kind, name, text, value, {}};
}

struct Side {
    QString symbol;
    QString chartName; // "X管理図" …
    QString valueName;
};

Side dispersionSide(judge::ChartKind chart)
{
    switch (chart) {
    case judge::ChartKind::XbarS: return {QStringLiteral("S"), QStringLiteral("S管理図"), QStringLiteral("標準偏差")};
    case judge::ChartKind::XRs: return {QStringLiteral("Rs"), QStringLiteral("Rs管理図"), QStringLiteral("移動範囲")};
    case judge::ChartKind::XbarR: break;
    }
    return {QStringLiteral("R"), QStringLiteral("R管理図"), QStringLiteral("範囲")};
}

// The range of what a panel draws; a dispersion from 0, its implicit lower limit.
void fitRange(ControlPanel& panel, bool fromZero, int digits)
{
    std::vector<double> values;
    for (const ChartPoint& p : panel.points)
        if (p.value) values.push_back(*p.value);
    for (const GuideLine& l : panel.lines) {
        if (l.value) values.push_back(*l.value);
        values.insert(values.end(), l.steps.begin(), l.steps.end());
    }
    panel.range = fromZero ? fittedAxisFromZero(values) : fittedAxis(values);
    panel.labelDecimals = std::max(digits, panel.range.stepDecimals());
}

class Builder {
public:
    Builder(const sheetview::SheetView& view, int lotRows) : view_(view), calc_(view.calc), lotRows_(lotRows)
    {
        digits_ = model::digitsFromText(view.digits);
        for (int r = 1; r <= lotRows_; ++r) lots_ << calc_.text(judge::kCalcLot, r);
        marksBelong_ = view.spcJudged && view.spcRowCount - 1 == lotRows_;
        for (int r = 1; marksBelong_ && r <= lotRows_; ++r) marksBelong_ = view.spc.text(judge::kSpcLot, r) == lots_[r - 1];
        if (view.limitMethod == judge::LimitMethod::Standard) lotLimits_ = limitsOfTheseRows();
    }

    ControlChart build()
    {
        ControlChart chart;
        chart.kind = view_.chart;
        chart.method = view_.limitMethod;
        chart.lots = lots_;
        if (lotLimits_) chart.lotLimits = lotLimits_->lots;
        chart.x = xPanel();
        chart.dispersion = dispersionPanel();
        return chart;
    }

private:
    const QString& total(int column) const { return calc_.text(column, lotRows_ + 1); }
    bool standard() const { return view_.limitMethod == judge::LimitMethod::Standard; }

    // Under the chart constants, the limits of every used lot: only when they are the lots of
    // these rows (a grid edited after its judgement no longer is).
    std::optional<judge::StandardLimits> limitsOfTheseRows() const
    {
        std::optional<judge::StandardLimits> limits;
        try {
            limits = sheetview::standardLimitsOf(view_);
        } catch (const model::ConvertError&) {
            return std::nullopt;
        }
        if (!limits || int(limits->lots.size()) != lotRows_) return std::nullopt;
        for (int r = 0; r < lotRows_; ++r)
            if (limits->lots[size_t(r)].lot != lots_[r]) return std::nullopt;
        return limits;
    }

    std::vector<int> rulesOf(int row, int firstColumn) const
    {
        std::vector<int> rules;
        if (!marksBelong_) return rules;
        for (int rule = 1; rule <= model::kRuleCount; ++rule)
            if (judge::isAnomalyText(view_.spc.text(firstColumn + rule - 1, row))) rules.push_back(rule);
        return rules;
    }

    ChartPoint point(int row, const QString& symbol, int firstRuleColumn, std::optional<double> value, const QString& text) const
    {
        ChartPoint p;
        p.value = value;
        if (!value) return p;
        p.text = text;
        p.rules = rulesOf(row, firstRuleColumn);
        p.tip = QStringLiteral("%1　%2 = %3").arg(lots_[row - 1], symbol, text);
        if (!p.rules.empty()) {
            QString numbers;
            for (int rule : p.rules) numbers += model::ruleNumeral(rule);
            p.tip += QStringLiteral("\n異常判定ルール：%1").arg(numbers);
        }
        return p;
    }

    // Zone lines at one and two sigma of all values around the centre, as the rules' zones;
    // a dispersion never reaches below 0.
    void addZones(ControlPanel& panel, double centre, bool dispersion) const
    {
        const double sigma = numberOrZero(total(judge::kCalcStdev));
        if (!(sigma > 0.0)) return;
        for (int k : {2, 1, -1, -2}) {
            const double v = centre + k * sigma;
            if ((dispersion && v < 0.0) || !std::isfinite(v)) continue;
            const QString name = QStringLiteral("%1%2σ").arg(k > 0 ? u'+' : u'−').arg(std::abs(k));
            panel.lines.push_back(straight(LineKind::Zone, name, v, fixed5(v)));
        }
    }

    // A limit field's line; its text is the legend's value.
    static GuideLine fieldLine(LineKind kind, const QString& name, const QString& text)
    {
        return straight(kind, name, model::parseNumber(text), text.trimmed());
    }

    template <typename Member>
    std::vector<double> steps(Member member) const
    {
        std::vector<double> out;
        for (const judge::LotLimits& l : lotLimits_->lots) {
            if constexpr (std::is_same_v<Member, std::optional<double> judge::LotLimits::*>)
                out.push_back(l.*member ? *(l.*member) : NAN);
            else
                out.push_back(l.*member);
        }
        return out;
    }

    ControlPanel xPanel() const
    {
        ControlPanel panel;
        panel.symbol = QStringLiteral("X");
        // With one value per lot (X-Rs) the points are single measurements, not means.
        panel.valueName = view_.chart == judge::ChartKind::XRs ? QStringLiteral("測定値") : QStringLiteral("平均値");
        panel.title = titled(view_.item, QStringLiteral("X管理図"));
        panel.axisTitle = withUnit(panel.valueName, view_.unit);
        for (int r = 1; r <= lotRows_; ++r) {
            const QString& text = calc_.text(judge::kCalcMean, r);
            panel.points.push_back(point(r, panel.symbol, judge::kSpcFirstX, model::parseNumber(text), text));
        }
        const QString& centreText = total(judge::kCalcMean);
        if (standard() && lotLimits_) {
            // Each lot's limits as steps; the legend gives the nominal ones of the fields.
            panel.lines.push_back(straight(LineKind::Centre, QStringLiteral("CL"), lotLimits_->centre, orDash(centreText)));
            GuideLine upper{LineKind::Upper, QStringLiteral("UCL"), orDash(view_.ucl), model::tryParseNumber(view_.ucl), steps(&judge::LotLimits::ucl)};
            GuideLine lower{LineKind::Lower, QStringLiteral("LCL"), orDash(view_.lcl), model::tryParseNumber(view_.lcl), steps(&judge::LotLimits::lcl)};
            panel.lines.push_back(std::move(upper));
            panel.lines.push_back(std::move(lower));
        } else {
            const double centre = model::parseNumber(centreText);
            panel.lines.push_back(straight(LineKind::Centre, QStringLiteral("CL"), centre, orDash(centreText)));
            if (!standard()) { // without variation within the lots there are no limits to draw
                panel.lines.push_back(fieldLine(LineKind::Upper, QStringLiteral("UCL"), view_.ucl));
                panel.lines.push_back(fieldLine(LineKind::Lower, QStringLiteral("LCL"), view_.lcl));
                addZones(panel, centre, false);
            }
        }
        // Single values compare with the specification limits: drawn on the chart of X-Rs.
        if (view_.chart == judge::ChartKind::XRs) {
            if (const auto spec = judge::tryReadSpecLimits(view_.specKind, view_.specUpper, view_.specLower)) {
                const int digits = std::clamp(digits_, 0, 5);
                if (spec->kind != judge::SpecKind::LowerOnly)
                    panel.lines.push_back(straight(LineKind::SpecUpper, QStringLiteral("規格上限"), spec->upper, model::formatFixed(spec->upper, digits)));
                if (spec->kind != judge::SpecKind::UpperOnly)
                    panel.lines.push_back(straight(LineKind::SpecLower, QStringLiteral("規格下限"), spec->lower, model::formatFixed(spec->lower, digits)));
            }
        }
        fitRange(panel, false, digits_);
        return panel;
    }

    // A lot's dispersion point: a range or standard deviation needs two values, a moving range
    // a lot before it. A blank standard deviation of a lot of two values or more is 0 (all equal).
    ChartPoint dispersionPoint(int row, const QString& symbol) const
    {
        const bool sSide = view_.chart == judge::ChartKind::XbarS;
        const QString& text = calc_.text(sSide ? judge::kCalcStdev : judge::kCalcRange, row);
        const auto n = model::tryParseNumber(calc_.text(judge::kCalcCount, row));
        if (!judge::hasDispersionPoint(view_.chart, size_t(row - 1), n ? int(*n) : 0)) return {};
        const double value = sSide ? numberOrZero(text) : model::parseNumber(text);
        return point(row, symbol, judge::kSpcFirstDispersion, value, model::isBlank(text) ? fixed5(value) : text);
    }

    ControlPanel dispersionPanel() const
    {
        const Side side = dispersionSide(view_.chart);
        ControlPanel panel;
        panel.symbol = side.symbol;
        panel.valueName = side.valueName;
        panel.title = titled(view_.item, side.chartName);
        panel.axisTitle = withUnit(side.valueName, view_.unit);
        for (int r = 1; r <= lotRows_; ++r) panel.points.push_back(dispersionPoint(r, side.symbol));

        if (standard() && lotLimits_) {
            // The centre and limits of the nominal lot size in the legend, each lot's own as steps.
            const judge::LotLimits& nominal = lotLimits_->nominal;
            auto stepLine = [&](LineKind kind, const QString& name, std::optional<double> judge::LotLimits::*member) {
                const std::optional<double>& v = nominal.*member;
                return GuideLine{kind, name, v ? fixed5(*v) : judge::kNotJudgedText, v, steps(member)};
            };
            panel.lines.push_back(stepLine(LineKind::Centre, QStringLiteral("CL"), &judge::LotLimits::dispersionCl));
            GuideLine upper = stepLine(LineKind::Upper, QStringLiteral("UCL"), &judge::LotLimits::dispersionUcl);
            // The upper limit as its field shows it, as on the X side.
            if (const auto field = model::tryParseNumber(view_.rsUcl)) {
                upper.value = *field;
                upper.valueText = view_.rsUcl.trimmed();
            }
            panel.lines.push_back(std::move(upper));
            const bool anyLower = std::any_of(lotLimits_->lots.begin(), lotLimits_->lots.end(),
                                              [](const judge::LotLimits& l) { return l.dispersionLcl.has_value(); });
            if (anyLower) panel.lines.push_back(stepLine(LineKind::Lower, QStringLiteral("LCL"), &judge::LotLimits::dispersionLcl));
        } else {
            // The S side is judged around S̄, not around the spread of all values.
            const bool sSide = view_.chart == judge::ChartKind::XbarS;
            const QString& centreText = total(judge::kCalcRange);
            const double centre = sSide ? sChartCentre(calc_, lotRows_) : numberOrZero(centreText);
            panel.lines.push_back(straight(LineKind::Centre, QStringLiteral("CL"), centre, sSide ? fixed5(centre) : orDash(centreText)));
            if (!standard()) {
                panel.lines.push_back(fieldLine(LineKind::Upper, QStringLiteral("UCL"), view_.rsUcl));
                addZones(panel, centre, true);
            }
        }
        fitRange(panel, true, digits_);
        return panel;
    }

    const sheetview::SheetView& view_;
    const model::CellTable& calc_;
    int lotRows_;
    int digits_ = 3;
    QStringList lots_;
    bool marksBelong_ = false;
    std::optional<judge::StandardLimits> lotLimits_;
};

} // namespace

const GuideLine* ControlPanel::line(LineKind kind) const
{
    for (const GuideLine& l : lines)
        if (l.kind == kind) return &l;
    return nullptr;
}

double sChartCentre(const model::CellTable& calc, int lotRows)
{
    std::vector<double> values;
    for (int r = 1; r <= lotRows && r < model::CellTable::kRows; ++r) values.push_back(numberOrZero(calc.text(judge::kCalcStdev, r)));
    return judge::seriesMean(values);
}

std::optional<int> judgedLotRows(const sheetview::SheetView& view)
{
    if (view.capabilityResult.isEmpty()) return std::nullopt;
    const int last = view.calcRowCount - 1;
    if (last < 2 || last >= model::CellTable::kRows) return std::nullopt;
    if (view.calc.text(judge::kCalcLot, last) != judge::kTotalRowLabel || model::isBlank(view.calc.text(judge::kCalcMean, last)))
        return std::nullopt;
    return last - 1;
}

ControlChart controlChart(const sheetview::SheetView& view)
{
    const std::optional<int> lotRows = judgedLotRows(view);
    if (!lotRows) {
        ControlChart chart;
        chart.kind = view.chart;
        chart.method = view.limitMethod;
        chart.message = kJudgePromptText;
        return chart;
    }
    try {
        return Builder(view, *lotRows).build();
    } catch (const model::ConvertError& e) {
        ControlChart chart;
        chart.kind = view.chart;
        chart.method = view.limitMethod;
        chart.message = e.message();
        chart.error = e;
        return chart;
    }
}

} // namespace chartmodel
