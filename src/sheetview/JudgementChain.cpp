#include "sheetview/JudgementChain.h"

#include "judge/Capability.h"
#include "judge/ControlLimits.h"
#include "judge/SpcJudgement.h"
#include "judge/SpecJudgement.h"
#include "model/NumberText.h"
#include "model/Text.h"
#include "sheetview/SheetEntry.h"

#include <vector>

namespace sheetview {

namespace {

judge::Measurements measurementsOf(const SheetView& view)
{
    return judge::Measurements(view.cells, view.lots, view.lotRows, view.measurementColumns);
}

judge::ControlLimitTexts limitTexts(const SheetView& view) { return {view.ucl, view.lcl, view.rsUcl}; }

// A panel keeps its caption when the stage gives no result.
void showOutcome(QString& panel, judge::Outcome outcome)
{
    if (outcome != judge::Outcome::NoResult) panel = judge::outcomeCaption(outcome);
}

void save(SheetView& view, const ChainContext& context)
{
    if (context.record) saveSheet(view, *context.record);
}

} // namespace

bool checkRequiredFields(SheetView& view, ChainReport& report)
{
    view.specResult.clear();
    const struct {
        const QString& text;
        bool inUse;
        HeaderField field;
    } required[] = {{view.item, true, HeaderField::Item},
                    {view.unit, true, HeaderField::Unit},
                    {view.specUpper, view.upperEnabled, HeaderField::SpecUpper},
                    {view.specLower, view.lowerEnabled, HeaderField::SpecLower}};
    for (const auto& r : required) {
        if (!r.inUse || !model::isBlank(r.text)) continue;
        report.focus = r.field;
        report.notice = requiredFieldsNotice();
        return false;
    }
    return true;
}

void judgeSpecification(SheetView& view, const ChainContext& context, ChainReport& report)
{
    if (!checkRequiredFields(view, report)) return;
    const auto limits = judge::tryReadSpecLimits(view.specKind, view.specUpper, view.specLower);
    if (!limits) {
        report.notice = specLimitsNotice();
        return;
    }
    save(view, context);
    view.specJudged = true;
    judge::normaliseBlankCells(view.cells, view.lotRows, view.measurementColumns);
    view.changedGrids |= kMeasurementGrid;
    showOutcome(view.specResult, judge::scanSpecification(view.cells, view.lotRows, view.measurementColumns, *limits));
    report.specFinished = true;
}

std::optional<judge::StandardLimits> standardLimitsOf(const SheetView& view)
{
    return judge::standardLimits(judge::usedLots(measurementsOf(view)), view.chart,
                                 view.measurementColumns, view.limitBasis);
}

std::optional<judge::CapabilityStudy> capabilityStudyOf(const SheetView& view)
{
    if (view.capabilityResult.isEmpty()) return std::nullopt;
    const auto limits = judge::tryReadSpecLimits(view.specKind, view.specUpper, view.specLower);
    if (!limits) return std::nullopt;
    try {
        return judge::studyCapability(judge::usedLots(measurementsOf(view)), view.chart, *limits, view.study);
    } catch (const model::ConvertError&) {
        return std::nullopt;
    }
}

bool computeControlLimits(SheetView& view)
{
    if (view.limitMethod == judge::LimitMethod::Standard) {
        const auto limits = standardLimitsOf(view);
        const judge::ControlLimitTexts texts = limits ? judge::nominalLimitTexts(*limits) : judge::ControlLimitTexts{};
        view.ucl = texts.ucl;
        view.lcl = texts.lcl;
        view.rsUcl = texts.rsUcl;
        return limits.has_value();
    }
    const auto limits = judge::computeControlLimits(measurementsOf(view), view.chart);
    if (!limits) return false;
    view.ucl = limits->ucl;
    view.lcl = limits->lcl;
    view.rsUcl = limits->rsUcl;
    return true;
}

void judgeCapability(SheetView& view, const ChainContext& context, ChainReport& report)
{
    // A run that gives no result leaves no result shown: the stages after it would otherwise
    // go on from a caption that belongs to other data (rows of an earlier run, or too few
    // values to judge).
    view.capabilityResult.clear();
    judgeSpecification(view, context, report);
    if (view.specResult.isEmpty()) return;
    const judge::LimitMethod method = view.limitMethod;
    if (method != judge::LimitMethod::Specified) computeControlLimits(view);
    else if (judge::anyLimitBlank(limitTexts(view))) return;
    save(view, context);
    view.capabilityJudged = true;
    view.spcJudged = false; // the marks no longer belong to the rows about to be written

    judge::CapabilitySettings settings;
    settings.limits = judge::readSpecLimits(view.specKind, view.specUpper, view.specLower);
    settings.chart = view.chart;
    settings.thresholdCheck = view.thresholdCheck;
    settings.index = view.capabilityIndex;
    settings.thresholdText = view.threshold;
    const judge::CapabilityResult result = judge::judgeCapability(measurementsOf(view), settings);

    view.calc.clearRows(1);
    for (size_t i = 0; i < result.rows.size(); ++i)
        for (int c = 0; c < judge::kCalcColumns; ++c) view.calc.setText(c, int(i) + 1, result.rows[i][size_t(c)]);
    if (result.rowCount) view.calcRowCount = *result.rowCount;
    view.changedGrids |= kCapabilityGrid;
    if (result.error) throw *result.error;
    showOutcome(view.capabilityResult, result.outcome);
    report.capabilityFinished = true;
}

void judgeSpc(SheetView& view, const ChainContext& context, ChainReport& report)
{
    view.spcResult.clear();
    judgeCapability(view, context, report);
    if (view.capabilityResult.isEmpty()) return;
    const bool byLot = view.limitMethod == judge::LimitMethod::Standard;
    std::optional<judge::StandardLimits> lotLimits;
    if (byLot) {
        lotLimits = standardLimitsOf(view);
        if (!lotLimits) return; // no within-lot variation to build limits from: no result
    }
    view.spc.clearRows(1);
    view.changedGrids |= kSpcGrid;

    std::vector<judge::CalcRow> calcRows;
    calcRows.reserve(size_t(std::max(view.calcRowCount - 1, 0)));
    for (int r = 1; r < view.calcRowCount && r < model::CellTable::kRows; ++r) {
        judge::CalcRow row;
        for (int c = 0; c < judge::kCalcColumns; ++c) row[size_t(c)] = view.calc.text(c, r);
        calcRows.push_back(std::move(row));
    }
    static const model::RuleOptions defaults = model::RuleOptions::defaults();
    const model::RuleOptions& rules = context.rules ? *context.rules : defaults;
    const judge::ChartKind chart = view.chart;
    const judge::SpcResult result = byLot ? judge::judgeSpcByLot(calcRows, chart, lotLimits->lots, rules)
                                          : judge::judgeSpc(calcRows, chart, limitTexts(view), rules);
    view.spcRowCount = result.rowCount;
    judge::writeRows(view.spc, result);
    if (result.error) throw *result.error;
    view.spcJudged = true;
    showOutcome(view.spcResult, result.outcome);
    report.spcFinished = true;
}

std::vector<CellAt> outOfSpecCells(const SheetView& view)
{
    // The painter's rule (judge::isOutOfSpecText), with the limits converted once.
    std::vector<CellAt> out;
    if (!view.specJudged) return out;
    const auto limits = judge::tryReadSpecLimits(view.specKind, view.specUpper, view.specLower);
    if (!limits) return out;
    for (int r = 1; r <= view.lotRows; ++r)
        for (int c = 0; c < view.measurementColumns; ++c) {
            const QString& text = view.cells.text(c, r);
            if (model::isBlank(text)) continue;
            const auto value = model::tryParseNumber(text);
            if (value && !judge::WithinSpec(*limits, *value)) out.push_back({c, r});
        }
    return out;
}

} // namespace sheetview
