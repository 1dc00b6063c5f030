#include "sheetview/ChartSource.h"

#include "model/SheetRecord.h"

namespace sheetview {

judge::ChartInput chartInputOf(const SheetView& view, int classCount)
{
    judge::ChartInput in;
    in.judged = !view.capabilityResult.isEmpty();
    in.calc = &view.calc;
    in.calcRowCount = view.calcRowCount;
    in.spc = view.spcJudged ? &view.spc : nullptr; // marks of an earlier judgement are not drawn
    in.limits = {view.ucl, view.lcl, view.rsUcl};
    in.chart = view.chart;
    in.method = view.limitMethod;
    in.cells = &view.cells;
    in.lots = &view.lots;
    in.lotCount = view.lotRows;
    in.measurementCount = view.measurementColumns;
    in.classCount = classCount;
    in.specKind = view.specKind;
    in.specUpper = view.specUpper;
    in.specLower = view.specLower;
    in.digits = model::digitsFromText(view.digits);
    in.item = view.item;
    in.unit = view.unit;
    in.limitBasis = view.limitBasis;
    return in;
}

} // namespace sheetview
