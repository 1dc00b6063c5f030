#include "sheetview/GridLayout.h"

#include "judge/Capability.h"
#include "judge/SpcJudgement.h"
#include "model/RuleTable.h"
#include "model/Text.h"

#include <QStringList>

#include <algorithm>

namespace sheetview {

namespace {

const QString kLotCaption = QStringLiteral("ﾛｯﾄ№");

} // namespace

QString dispersionSide(judge::ChartKind chart)
{
    return chart == judge::ChartKind::XbarS ? QStringLiteral("S") : chart == judge::ChartKind::XRs ? QStringLiteral("Rs") : QStringLiteral("R");
}

QString defaultLotNumber(int row) { return QStringLiteral("K%1").arg(row, 3, 10, QLatin1Char('0')); }

void applyGridLayout(SheetView& view)
{
    const int lots = std::clamp(view.lotCount, 0, model::CellTable::kMaxLots);
    const int n = std::clamp(view.measurementCount, 0, model::CellTable::kCols);
    view.lotRows = lots;
    view.measurementColumns = n;
    view.calcRowCount = lots + 1;
    view.spcRowCount = lots + 1;

    // Lot numbers the sheet already has (imported, typed in the lot-number editor) stay; a
    // blank one gets its default. The result grids repeat the lot grid's.
    for (int r = 1; r <= lots; ++r) {
        if (model::isBlank(view.lots.text(0, r))) view.lots.setText(0, r, defaultLotNumber(r));
        view.calc.setText(0, r, view.lots.text(0, r));
        view.spc.setText(0, r, view.lots.text(0, r));
    }
    for (model::CellTable* t : {&view.lots, &view.calc, &view.spc}) t->setText(0, 0, kLotCaption);
    view.lots.setText(1, 0, QStringLiteral("ﾁｪｯｸ"));
    for (int c = 0; c < n; ++c) view.cells.setText(c, 0, QStringLiteral("N%1").arg(c + 1));

    static const QStringList calcCaptions{QStringLiteral("N数"), QStringLiteral("MAX"), QStringLiteral("MIN"),
                                          QStringLiteral("X"), QStringLiteral("R"), QStringLiteral("STDEV"),
                                          QStringLiteral("CP"), QStringLiteral("CPK"), QStringLiteral("判定結果")};
    for (int c = judge::kCalcCount; c < judge::kCalcColumns; ++c) view.calc.setText(c, 0, calcCaptions[c - 1]);

    const QString side = dispersionSide(view.chart);
    for (int rule = 1; rule <= model::kRuleCount; ++rule) {
        view.spc.setText(judge::kSpcFirstX + rule - 1, 0, QStringLiteral("X") + model::ruleNumeral(rule));
        view.spc.setText(judge::kSpcFirstDispersion + rule - 1, 0, side + model::ruleNumeral(rule));
    }
    view.spc.setText(judge::kSpcMark, 0, QStringLiteral("判定結果"));

    view.changedGrids |= kAllGrids;
    view.layoutChanged = true;
}

void enableAllLots(SheetView& view)
{
    for (int r = 1; r <= view.lotRows; ++r) view.lots.setFlag(1, r, true);
    view.changedGrids |= kLotGrid;
}

void lotCountChanged(SheetView& view)
{
    applyGridLayout(view);
    enableAllLots(view);
}

void measurementCountChanged(SheetView& view, bool oneMeasurement, judge::ChartKind initialChart)
{
    view.chart = oneMeasurement ? judge::ChartKind::XRs : initialChart;
    applyGridLayout(view);
}

} // namespace sheetview
