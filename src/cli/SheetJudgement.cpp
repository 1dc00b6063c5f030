#include "cli/SheetJudgement.h"

#include "judge/Capability.h"
#include "judge/ResultTexts.h"
#include "judge/SpcJudgement.h"
#include "model/NumberText.h"

#include <algorithm>
#include "sheetview/SheetEntry.h"

namespace cli {

namespace {

std::vector<QStringList> displayedRows(const model::CellTable& table, int rowCount, int columns)
{
    std::vector<QStringList> rows;
    rows.reserve(size_t(std::max(rowCount, 0)));
    for (int r = 0; r < rowCount && r < model::CellTable::kRows; ++r) {
        QStringList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c) row.append(table.text(c, r));
        rows.push_back(std::move(row));
    }
    return rows;
}

// The settings an operator changes before judging, in the order of the controls.
void applyOptions(sheetview::SheetView& view, const JudgeOptions& o, const model::AppSettings& app,
                  model::SheetRecord& record)
{
    if (o.chart) sheetview::chartChanged(view, *o.chart, view.measurementCount == 1, app, &record);
    if (o.limitMethod) view.limitMethod = *o.limitMethod;
    if (o.limitMethod == judge::LimitMethod::Specified) {
        view.ucl = o.ucl;
        view.lcl = o.lcl;
        view.rsUcl = o.rsUcl;
    }
    if (o.noThreshold) view.thresholdCheck = false;
    if (o.capabilityIndex) {
        view.capabilityIndex = *o.capabilityIndex;
        sheetview::specKindChanged(view); // the index list's change handler is the kind list's
    }
    if (o.threshold) view.threshold = *o.threshold;
    if (o.sigmaWithin) view.study.sigmaWithin = *o.sigmaWithin;
    if (o.target) view.study.target = o.target;
    if (o.distribution) view.study.distribution = *o.distribution;
}

} // namespace

bool SheetJudgement::passed() const
{
    return spec == judge::kPassText && capability == judge::kPassText && spc == judge::kPassText;
}

JudgedView judgeView(const model::SheetRecord& stored, const JudgeOptions& options, const EntryStep& afterEntry)
{
    const model::AppSettings app = model::AppSettings::defaults();
    JudgedView out;
    out.record = stored;
    sheetview::EnteredSheet entered = sheetview::enterSheet(out.record, app);
    out.view = std::move(entered.view);
    sheetview::SheetView& view = out.view;
    if (entered.notice) out.messages.push_back(*entered.notice);
    if (afterEntry) afterEntry(view);
    applyOptions(view, options, app, out.record);

    sheetview::ChainReport report;
    try {
        sheetview::judgeSpc(view, sheetview::ChainContext{&options.rules, &out.record}, report);
    } catch (const model::ConvertError& e) {
        out.messages.push_back(sheetview::conversionNotice(e));
    }
    if (report.notice) out.messages.push_back(*report.notice);
    return out;
}

SheetJudgement judgeSheet(const model::SheetRecord& stored, int number, const JudgeOptions& options, const EntryStep& afterEntry)
{
    const JudgedView judged = judgeView(stored, options, afterEntry);
    const sheetview::SheetView& view = judged.view;
    SheetJudgement out;
    out.number = number;
    out.messages = judged.messages;

    out.item = view.item;
    out.lots = view.lotCount;
    out.measurements = view.measurementCount;
    out.chart = view.chart;
    out.limitMethod = view.limitMethod;
    out.spec = view.specResult;
    out.capability = view.capabilityResult;
    out.spc = view.spcResult;
    out.ucl = view.ucl;
    out.lcl = view.lcl;
    out.dispersionUcl = view.rsUcl;
    out.capabilityGrid = displayedRows(view.calc, view.calcRowCount, judge::kCalcColumns);
    out.spcGrid = displayedRows(view.spc, view.spcRowCount, judge::kSpcColumns);
    out.outOfSpec = sheetview::outOfSpecCells(view);
    for (const sheetview::CellAt& cell : out.outOfSpec) {
        out.outOfSpecLots.append(view.lots.text(0, cell.row));
        out.outOfSpecValues.append(view.cells.text(cell.col, cell.row));
    }
    out.study = sheetview::capabilityStudyOf(view);
    if (!view.capabilityResult.isEmpty()) {
        chartmodel::ControlChart chart = chartmodel::controlChart(view);
        if (chart.message.isEmpty()) out.controlChart = std::move(chart);
    }
    if (out.study && view.limitMethod == judge::LimitMethod::Standard) {
        try {
            out.lotLimits = sheetview::standardLimitsOf(view);
        } catch (const model::ConvertError&) {
            // the chain has reported the cell already
        }
    }
    return out;
}

} // namespace cli
