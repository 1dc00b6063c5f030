#include "sheetview/SheetEntry.h"

#include "model/NumberText.h"
#include "model/SheetTransfer.h"
#include "model/Text.h"
#include "sheetview/GridLayout.h"

#include <algorithm>

namespace sheetview {

namespace {

// The ranges of the count fields.
constexpr int kMinLots = 10, kMaxLots = 100, kMinMeasurements = 1, kMaxMeasurements = 100;

// Rewrites a stored limit with the sheet's digits; a limit that is not a number is left empty.
QString reformatLimit(const QString& stored, int digits)
{
    const auto v = model::isBlank(stored) ? std::nullopt : model::tryParseNumber(stored);
    return v ? model::formatFixed(*v, digits) : QString();
}

} // namespace

std::vector<LimitFault> limitFaults(const model::SheetRecord& r, const QString& sheet)
{
    std::vector<LimitFault> out;
    const std::pair<const QString*, QString> limits[] = {{&r.specUpper, QStringLiteral("規格上限")},
                                                         {&r.specLower, QStringLiteral("規格下限")}};
    for (const auto& [text, field] : limits)
        if (!model::isBlank(*text) && !model::tryParseNumber(*text)) out.push_back({sheet, field, *text});
    return out;
}

void clearHeader(SheetView& view, const model::AppSettings& app)
{
    view.specJudged = false;
    view.capabilityJudged = false;
    view.spcJudged = false;
    view.product.clear();
    view.process.clear();
    view.device.clear();
    view.item = view.tabCaption;
    view.unit = app.Unit;
    view.digits = QString::number(std::clamp(app.Keta, 0, 5));
    view.specUpper.clear();
    view.specLower.clear();
    view.specKind = judge::specKindFromIndex(app.SpecIndex);
    view.specResult.clear();
    view.capabilityResult.clear();
    view.spcResult.clear();
}

void specKindChanged(SheetView& view)
{
    view.upperEnabled = view.specKind != judge::SpecKind::LowerOnly;
    view.lowerEnabled = view.specKind != judge::SpecKind::UpperOnly;
    if (!view.upperEnabled) view.specUpper.clear();
    if (!view.lowerEnabled) view.specLower.clear();
}

void resetSheetView(SheetView& view, const model::AppSettings& app)
{
    view.thresholdCheck = app.CpkCheck;
    view.capabilityIndex = judge::capabilityIndexFromIndex(app.CpkIndex);
    view.threshold = app.CpCpk;
    view.chart = judge::chartKindFromIndex(app.ChartIndex);
    view.limitMethod = judge::limitMethodFromIndex(app.LimitIndex);
    view.study = studyOptionsOf(app);
    clearHeader(view, app);
    view.ucl.clear();
    view.lcl.clear();
    view.rsUcl.clear();
    view.limitBasis.reset();
    for (model::CellTable* t : {&view.lots, &view.cells, &view.calc, &view.spc}) t->clearRows(1);
    lotCountChanged(view);
}

judge::StudyOptions studyOptionsOf(const model::AppSettings& app)
{
    judge::StudyOptions o;
    o.sigmaWithin = judge::sigmaWithinFromIndex(app.SigmaIndex);
    o.target = model::tryParseNumber(app.Target);
    o.distribution = judge::distributionFromIndex(app.DistributionIndex);
    return o;
}

std::optional<Notice> loadSheet(SheetView& view, const model::SheetRecord& r, const model::AppSettings& app,
                                LimitWarning limits)
{
    view.tabCaption = r.item;
    view.product = r.product;
    view.process = r.process;
    view.device = r.device;
    view.item = r.item;
    view.unit = r.unit;
    view.specKind = judge::specKindFromIndex(model::specKindIndex(r.specKind));
    specKindChanged(view);
    const int digits = model::digitsFromText(r.digits);
    view.digits = QString::number(digits);
    view.specUpper = reformatLimit(r.specUpper, digits);
    view.specLower = reformatLimit(r.specLower, digits);
    view.lotCount = std::clamp(r.lotCount, kMinLots, kMaxLots);
    view.measurementCount = std::clamp(r.measurementCount, kMinMeasurements, kMaxMeasurements);
    view.countsChanged = true;
    lotCountChanged(view);
    measurementCountChanged(view, view.measurementCount == 1, judge::chartKindFromIndex(app.ChartIndex));
    if (!r.enableFlags.isEmpty()) model::applyEnableFlags(r.enableFlags, view.lots);
    bool unsuitable = false;
    if (!r.dataLines.isEmpty()) {
        model::applyDataLines(r.dataLines, {&view.lots, &view.calc, &view.spc}, view.cells, view.measurementCount);
        if (model::reformatCells(view.cells, digits)) unsuitable = true;
    }
    view.changedGrids |= kAllGrids;
    const std::vector<LimitFault> faults = limits == LimitWarning::Give ? limitFaults(r) : std::vector<LimitFault>{};
    if (faults.empty()) return unsuitable ? std::optional(unsuitableValueNotice()) : std::nullopt;
    Notice notice = unsuitableLimitsNotice(faults);
    if (unsuitable) notice.text += u'\n' + unsuitableValueNotice().text;
    return notice;
}

EnteredSheet enterSheet(const model::SheetRecord& record, const model::AppSettings& app)
{
    EnteredSheet entered;
    resetSheetView(entered.view, app);
    entered.notice = loadSheet(entered.view, record, app);
    return entered;
}

void saveSheet(SheetView& view, model::SheetRecord& r)
{
    if (view.tabCaption != view.item) {
        if (model::isBlank(view.item)) view.item = view.tabCaption;
        view.tabCaption = view.item;
    }
    r.product = view.product;
    r.process = view.process;
    r.device = view.device;
    r.item = view.item;
    r.unit = view.unit;
    r.specKind = model::specKindTexts().value(int(view.specKind), model::specKindTexts().front());
    r.digits = view.digits;
    r.specUpper = view.specUpper;
    r.specLower = view.specLower;
    r.lotCount = view.lotCount;
    r.measurementCount = view.measurementCount;
    r.enableFlags = model::enableFlagsOf(view.lots, view.lotRows);
    r.dataLines = model::dataLinesOf(view.lots, view.cells, view.lotRows, view.measurementColumns);
}

void chartChanged(SheetView& view, judge::ChartKind chart, bool oneMeasurement, const model::AppSettings& app,
                  model::SheetRecord* record)
{
    view.chart = oneMeasurement ? judge::ChartKind::XRs : chart;
    if (view.chart == judge::ChartKind::XRs && !oneMeasurement) {
        view.measurementCount = 1;
        view.countsChanged = true;
        measurementCountChanged(view, true, judge::chartKindFromIndex(app.ChartIndex));
    }
    applyGridLayout(view);
    if (record) saveSheet(view, *record);
}

} // namespace sheetview
