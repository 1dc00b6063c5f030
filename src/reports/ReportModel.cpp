#include "reports/ReportModel.h"

#include "exchange/WorksheetWriter.h"
#include "judge/Capability.h"
#include "judge/HistogramClasses.h"
#include "judge/Measurements.h"
#include "judge/ResultTexts.h"
#include "judge/SpcJudgement.h"
#include "judge/SpecLimits.h"
#include "judge/StudyTable.h"
#include "model/NumberText.h"
#include "model/SheetRecord.h"
#include "model/Text.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/ProgramVersion.h"
#include "sheetview/ViewTexts.h"

#include <algorithm>

namespace reports {

namespace {

// Lot rows of the result grid: its rows after the caption, less the total row.
int lotRowsOf(const sheetview::SheetView& view) { return std::clamp(view.calcRowCount - 2, 0, model::CellTable::kMaxLots); }

judge::Measurements measurementsOf(const sheetview::SheetView& view)
{
    return judge::Measurements(view.cells, view.lots, view.lotRows, view.measurementColumns);
}

bool anyMarked(const model::CellTable& spc, int row, int firstColumn)
{
    for (int rule = 0; rule < 8; ++rule)
        if (judge::isAnomalyText(spc.text(firstColumn + rule, row))) return true;
    return false;
}

} // namespace

ReportIdentity reportIdentity(const sheetview::SheetView& view, const QDateTime& made)
{
    ReportIdentity id;
    id.product = view.product;
    id.process = view.process;
    id.device = view.device;
    id.item = view.item;
    id.unit = view.unit;
    const judge::SpecKind kind = view.specKind;
    id.specKind = sheetview::listText(model::specKindTexts(), int(kind));
    if (kind != judge::SpecKind::LowerOnly) id.specUpper = view.specUpper.trimmed();
    if (kind != judge::SpecKind::UpperOnly) id.specLower = view.specLower.trimmed();
    id.lotCount = lotRowsOf(view);
    id.measurementCount = view.measurementCount;
    id.limitMethod = sheetview::listText(sheetview::limitMethodTexts(), view.limitMethod);
    id.chartKind = sheetview::listText(sheetview::chartKindTexts(), view.chart);
    id.made = made;
    id.version = QStringLiteral(QUORVANE_FILE_VERSION);
    return id;
}

ControlChartData controlChartData(const sheetview::SheetView& view, const QDateTime& made)
{
    ControlChartData d;
    d.kind = view.chart;
    const model::CellTable& calc = view.calc;
    const int lotRows = lotRowsOf(view);
    const bool xbarS = d.kind == judge::ChartKind::XbarS;
    const int dispersionColumn = xbarS ? judge::kCalcStdev : judge::kCalcRange;
    for (int r = 1; r <= lotRows; ++r) {
        d.lots << calc.text(judge::kCalcLot, r);
        d.means << calc.text(judge::kCalcMean, r);
        d.dispersions << calc.text(dispersionColumn, r);
    }
    const int total = lotRows + 1;
    d.centre = model::parseNumber(calc.text(judge::kCalcMean, total));
    d.dispersionCentre = xbarS ? judge::sChartCentre(calc, lotRows) : model::parseNumber(calc.text(judge::kCalcRange, total));
    d.ucl = model::parseNumber(view.ucl);
    d.lcl = model::parseNumber(view.lcl);
    d.dispersionUcl = model::parseNumber(view.rsUcl);

    if (view.limitMethod == judge::LimitMethod::Standard)
        if (const auto limits = sheetview::standardLimitsOf(view)) d.lotLimits = limits->lots;

    d.xMarked.assign(size_t(lotRows), false);
    d.dispersionMarked.assign(size_t(lotRows), false);
    if (view.spcJudged && view.spcRowCount - 1 == lotRows) {
        for (int r = 1; r <= lotRows; ++r) {
            d.xMarked[size_t(r - 1)] = anyMarked(view.spc, r, judge::kSpcFirstX);
            d.dispersionMarked[size_t(r - 1)] = anyMarked(view.spc, r, judge::kSpcFirstDispersion);
        }
    }
    d.identity = reportIdentity(view, made);
    return d;
}

HistogramData histogramData(const sheetview::SheetView& view, int classes, const QDateTime& made)
{
    HistogramData d;
    d.numberFormat = exchange::digitsNumberFormat(view.digits);
    d.classes = classes;
    d.digits = model::digitsFromText(view.digits);
    const int rows = std::clamp(view.lotRows, 0, model::CellTable::kMaxLots);
    const int cols = std::clamp(view.measurementColumns, 0, model::CellTable::kCols);
    d.block.reserve(rows);
    for (int r = 1; r <= rows; ++r) {
        if (!view.lots.flag(1, r)) continue;
        QStringList line;
        line.reserve(cols);
        for (int c = 0; c < cols; ++c) line.append(view.cells.text(c, r));
        d.block.append(std::move(line));
    }
    while (d.block.size() < rows) d.block.append(QStringList(cols, QString()));

    d.classTable = judge::histogramClasses(judge::enabledValues(measurementsOf(view)), classes, d.digits);
    d.specKind = view.specKind;
    if (const auto spec = judge::tryReadSpecLimits(d.specKind, view.specUpper, view.specLower)) {
        if (d.specKind != judge::SpecKind::LowerOnly) d.specUpper = spec->upper;
        if (d.specKind != judge::SpecKind::UpperOnly) d.specLower = spec->lower;
    }
    d.study = sheetview::capabilityStudyOf(view);
    d.identity = reportIdentity(view, made);
    return d;
}

ResultGrids resultGrids(const sheetview::SheetView& view, const model::SheetRecord& record, const QDateTime& made)
{
    ResultGrids g;
    g.record = &record;
    g.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &view.cells, &view.lots, view.lotRows + 1,
                                   view.measurementColumns},
               exchange::GridBlock{exchange::GridKind::Capability, &view.calc, nullptr, view.calcRowCount, judge::kCalcColumns},
               exchange::GridBlock{exchange::GridKind::Spc, &view.spc, nullptr, view.spcRowCount, judge::kSpcColumns}};
    const QStringList captions = sheetview::pageCaptions(view.chart);
    for (int i = 0; i < 3; ++i) g.captions[size_t(i)] = captions[i];
    if (view.limitMethod == judge::LimitMethod::Standard)
        if (const auto study = sheetview::capabilityStudyOf(view))
            g.study = judge::studyRows(judge::studyLines(*study), judge::normalityLine(*study));
    g.identity = reportIdentity(view, made);
    return g;
}

} // namespace reports
