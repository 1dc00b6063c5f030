// The sheet on the screen as plain data: the texts and switches of the header fields and
// the chart settings, the storage and extents of the four grids, the result panels and the
// flags that colour results. The window mirrors it in its controls; a headless front end
// holds nothing else. The steps that work on it (entering, saving, the judgement chain)
// are in this folder, so both run the same code.
#pragma once
#include "judge/Kinds.h"
#include "judge/StandardLimits.h"
#include "judge/StudyOptions.h"
#include "model/CellTable.h"

#include <QString>
#include <optional>

namespace sheetview {

// The grids of a view, as flags of SheetView::changedGrids.
enum GridFlag : unsigned {
    kLotGrid = 1,         // lot numbers and enable checks
    kMeasurementGrid = 2, // measurements
    kCapabilityGrid = 4,  // lot statistics and the total row
    kSpcGrid = 8,         // rule marks
    kAllGrids = 15
};

struct SheetView {
    // The shown sheet's tab caption; a blank item name takes it when the sheet is saved.
    QString tabCaption;

    // Sheet information.
    QString product, process, device, item, unit;
    judge::SpecKind specKind = judge::SpecKind::Tolerance; // the kind list: 公差規格, 上限規格, 下限規格
    bool upperEnabled = true; // the limit fields in use; the kind list's change sets them
    bool lowerEnabled = true;
    QString digits = QStringLiteral("3"); // the decimal-digits field as typed
    QString specUpper, specLower;

    // The lot and measurement counts as their fields give them: what the next layout makes.
    // Not the grids' extents: the grids show lotRows and measurementColumns (below), which
    // the layout sets from these, and the judgements read those.
    int lotCount = 10;
    int measurementCount = 10;

    // Chart settings and the three control limits as the fields show them.
    judge::ChartKind chart = judge::ChartKind::XbarR;
    judge::LimitMethod limitMethod = judge::LimitMethod::ThreeSigma;
    QString ucl, lcl, rsUcl;
    // Under the control chart constants: X̿ and σ̂ frozen by a baseline of the history store,
    // in place of the sheet's own estimate. Entering a sheet clears it.
    std::optional<judge::LimitBasis> limitBasis;

    // What the capability study is asked for: the initial values' settings, as no field shows them.
    judge::StudyOptions study;

    // The capability threshold line.
    bool thresholdCheck = true;
    judge::CapabilityIndex capabilityIndex = judge::CapabilityIndex::CPK;
    QString threshold;

    // The grids' storage, caption row 0 included, and their displayed extents.
    model::CellTable lots;  // column 0 lot numbers, flag of column 1 the lot's enable check
    model::CellTable cells; // measurements, one column each
    model::CellTable calc;  // lot statistics, then the total row
    model::CellTable spc;   // rule marks
    int lotRows = 0;            // displayed lot rows of the lot and measurement grids
    int measurementColumns = 0; // displayed columns of the measurement grid
    int calcRowCount = 1;       // row counts of the result grids, caption row included
    int spcRowCount = 1;

    // The three result panels: "合格", "不合格" or empty.
    QString specResult, capabilityResult, spcResult;
    // Set by judgements that got past their checks: values outside the limits and indices
    // below the threshold are drawn red while they are set.
    bool specJudged = false;
    bool capabilityJudged = false;
    // The SPC grid's marks belong to the result grid's rows: set by an SPC judgement that
    // wrote all its marks, cleared when the result grid is rebuilt or the results cleared.
    bool spcJudged = false;

    // What the steps changed since the front end last showed the view: the grids whose
    // storage they wrote (GridFlag), whether they laid the grids out anew, and whether they
    // set the counts (a count field keeps its text as typed otherwise).
    unsigned changedGrids = 0;
    bool layoutChanged = false;
    bool countsChanged = false;
};

} // namespace sheetview
