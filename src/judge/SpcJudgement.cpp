#include "judge/SpcJudgement.h"

#include "judge/Capability.h"
#include "judge/RunRules.h"
#include "model/Text.h"

#include <algorithm>
#include <limits>
#include <span>

namespace judge {

namespace {

// Rules ① to ④ are decided lot by lot; the window rules need the whole series.
constexpr int kRulesDecidedOnTheWay = 4;

// Blank counts as 0: the result grid leaves the standard deviation blank when the values
// do not spread, and a process without spread has sigma 0.
double numberOrZero(const QString& text) { return model::isBlank(text) ? 0.0 : model::parseNumber(text); }

struct SideSource {
    int firstColumn = kSpcFirstX;  // first rule column of the SPC grid
    int valueColumn = kCalcMean;   // result grid column of the lot value
    bool blankIsZero = false;      // lot value blank counts as 0
    bool centreIsSeriesMean = false;
    const QString* upperText = nullptr;
    double lower = 0.0;
    const QString* lowerText = nullptr; // read when set, else `lower`
};

class SpcRun {
public:
    SpcRun(std::span<const CalcRow> calcRows, const model::RuleOptions& rules)
        : rules_(rules)
    {
        if (!calcRows.empty()) {
            lots_ = calcRows.first(calcRows.size() - 1);
            total_ = &calcRows.back();
        }
        result.rowCount = int(lots_.size()) + 1;
        result.rows.resize(lots_.size());
    }

    void side(const SideSource& src);
    // Lots whose bounds are absent get "－" in every rule column of the side.
    void sideByLot(const SideSource& src, const std::vector<std::optional<LotBounds>>& bounds);
    void finish();

    SpcResult result;

private:
    // Lot values of a column, converted in row order; stops at the first that fails.
    std::vector<double> lotValues(const SideSource& src, std::optional<model::ConvertError>& error) const;
    void write(const SideSource& src, const std::vector<RuleMarks>& marks, int rulesWritten);

    static inline const CalcRow kNoRow{};
    const model::RuleOptions& rules_;
    std::span<const CalcRow> lots_;
    const CalcRow* total_ = &kNoRow;
};

std::vector<double> SpcRun::lotValues(const SideSource& src, std::optional<model::ConvertError>& error) const
{
    std::vector<double> values;
    values.reserve(lots_.size());
    try {
        for (const CalcRow& row : lots_) {
            const QString& t = row[size_t(src.valueColumn)];
            values.push_back(src.blankIsZero ? numberOrZero(t) : model::parseNumber(t));
        }
    } catch (const model::ConvertError& e) {
        error = e;
    }
    return values;
}

void SpcRun::write(const SideSource& src, const std::vector<RuleMarks>& marks, int rulesWritten)
{
    for (size_t i = 0; i < marks.size(); ++i) {
        SpcRow& row = result.rows[i];
        row[kSpcLot] = lots_[i][kCalcLot];
        for (int rule = 0; rule < rulesWritten; ++rule)
            row[size_t(src.firstColumn + rule)] = markText(marks[i][size_t(rule)]);
    }
}

void SpcRun::side(const SideSource& src)
{
    SideInput in;
    if (!src.centreIsSeriesMean) in.centre = model::parseNumber((*total_)[size_t(src.valueColumn)]);
    in.sigma = numberOrZero((*total_)[kCalcStdev]);
    in.upper = model::parseNumber(*src.upperText);
    in.lower = src.lowerText ? model::parseNumber(*src.lowerText) : src.lower;

    std::optional<model::ConvertError> error;
    const std::vector<double> values = lotValues(src, error);
    if (src.centreIsSeriesMean) {
        if (error) throw *error; // the centre needs the whole series
        in.centre = seriesMean(values);
    }
    in.values = values;
    // Rules ① to ④ are decided as each lot is visited, ⑤ to ⑧ in a second pass over all
    // lots: a lot value that does not convert leaves the lots before it with ① to ④ only.
    write(src, evaluateSide(in, rules_), error ? kRulesDecidedOnTheWay : model::kRuleCount);
    if (error) throw *error;
}

void SpcRun::sideByLot(const SideSource& src, const std::vector<std::optional<LotBounds>>& bounds)
{
    std::optional<model::ConvertError> error;
    const std::vector<double> values = lotValues(src, error);
    std::vector<size_t> rows;
    std::vector<double> judged;
    std::vector<LotBounds> perLot;
    for (size_t i = 0; i < values.size() && i < bounds.size(); ++i) {
        if (!bounds[i]) continue;
        rows.push_back(i);
        judged.push_back(values[i]);
        perLot.push_back(*bounds[i]);
    }
    const std::vector<RuleMarks> marks = evaluateSideByLot(judged, perLot, rules_);
    const int rulesWritten = error ? kRulesDecidedOnTheWay : model::kRuleCount;
    for (size_t i = 0; i < values.size(); ++i) {
        SpcRow& row = result.rows[i];
        row[kSpcLot] = lots_[i][kCalcLot];
        if (i >= bounds.size() || !bounds[i])
            for (int rule = 0; rule < rulesWritten; ++rule) row[size_t(src.firstColumn + rule)] = kNotJudgedText;
    }
    for (size_t j = 0; j < rows.size(); ++j)
        for (int rule = 0; rule < rulesWritten; ++rule)
            result.rows[rows[j]][size_t(src.firstColumn + rule)] = markText(marks[j][size_t(rule)]);
    if (error) throw *error;
}

void SpcRun::finish()
{
    bool anomaly = false;
    for (SpcRow& row : result.rows) {
        const bool marked = std::any_of(row.begin() + kSpcFirstX, row.begin() + kSpcMark,
                                        [](const QString& t) { return isAnomalyText(t); });
        row[kSpcMark] = marked ? kRowAnomalyText : kRowOkText;
        anomaly = anomaly || marked;
    }
    result.outcome = anomaly ? Outcome::Fail : Outcome::Pass;
}

// The dispersion side by chart kind. XbarR: lot ranges around the mean range. X-Rs: moving
// ranges around their mean. XbarS: the lot standard deviations from the "STDEV" column, a
// blank one counting as 0, around the mean of that series. That is the very series the S
// limit is computed from (and the one the S chart plots); judging the lot ranges against a
// limit built from standard deviations would mix two statistics. Every side has the lower
// limit 0.
SideSource dispersionSource(ChartKind chart, const ControlLimitTexts& limits)
{
    SideSource src;
    src.firstColumn = kSpcFirstDispersion;
    src.upperText = &limits.rsUcl;
    src.lower = 0.0;
    if (chart == ChartKind::XbarS) {
        src.valueColumn = kCalcStdev;
        src.blankIsZero = true;
        src.centreIsSeriesMean = true;
    } else {
        src.valueColumn = kCalcRange;
    }
    return src;
}

} // namespace

double seriesMean(std::span<const double> values)
{
    long double sum = 0.0L;
    for (double v : values) sum += v;
    return values.empty() ? 0.0 : static_cast<double>(sum / values.size());
}

SpcResult judgeSpc(std::span<const CalcRow> calcRows, ChartKind chart, const ControlLimitTexts& limits,
                   const model::RuleOptions& rules)
{
    SpcRun run(calcRows, rules);
    SideSource x;
    x.upperText = &limits.ucl;
    x.lowerText = &limits.lcl;
    try {
        run.side(x);
        run.side(dispersionSource(chart, limits));
        run.finish();
    } catch (const model::ConvertError& e) {
        run.result.error = e;
        run.result.outcome = Outcome::NoResult;
    }
    return std::move(run.result);
}

SpcResult judgeSpcByLot(std::span<const CalcRow> calcRows, ChartKind chart, std::span<const LotLimits> lots,
                        const model::RuleOptions& rules)
{
    SpcRun run(calcRows, rules);
    std::vector<std::optional<LotBounds>> x, dispersion;
    for (const LotLimits& lot : lots) {
        x.push_back(LotBounds{lot.cl, (lot.ucl - lot.cl) / 3, lot.ucl, lot.lcl});
        if (lot.dispersionUcl && lot.dispersionCl) {
            const double cl = *lot.dispersionCl, ucl = *lot.dispersionUcl;
            dispersion.push_back(
                LotBounds{cl, (ucl - cl) / 3, ucl, lot.dispersionLcl.value_or(-std::numeric_limits<double>::infinity())});
        } else {
            dispersion.push_back(std::nullopt);
        }
    }
    SideSource xSource;
    static const ControlLimitTexts kNoTexts;
    const SideSource dispersionSide = dispersionSource(chart, kNoTexts);
    try {
        run.sideByLot(xSource, x);
        run.sideByLot(dispersionSide, dispersion);
        run.finish();
    } catch (const model::ConvertError& e) {
        run.result.error = e;
        run.result.outcome = Outcome::NoResult;
    }
    return std::move(run.result);
}

void writeRows(model::CellTable& spc, const SpcResult& result)
{
    for (size_t i = 0; i < result.rows.size() && int(i) + 1 < model::CellTable::kRows; ++i)
        for (int c = 0; c < kSpcColumns; ++c) spc.setText(c, int(i) + 1, result.rows[i][size_t(c)]);
}

} // namespace judge
