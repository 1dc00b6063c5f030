// One sheet judged without a window: entered as a tab click enters it, the options applied
// as an operator would set them, then the chain run as "SPC異常判定" runs it. The result holds
// what the window would show: the three result panels, the limit fields, the two result grids
// as displayed, the cells painted red, and the messages it would have shown.
#pragma once
#include "chartmodel/ControlChart.h"
#include "cli/JudgeOptions.h"
#include "judge/CapabilityStudy.h"
#include "judge/StandardLimits.h"
#include "model/SheetRecord.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/Notice.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace cli {

struct SheetJudgement {
    int number = 0; // from 1
    QString item;
    int lots = 0;
    int measurements = 0;
    judge::ChartKind chart = judge::ChartKind::XbarR; // as the sheet was judged
    judge::LimitMethod limitMethod = judge::LimitMethod::ThreeSigma;
    QString spec, capability, spc; // "合格", "不合格" or empty
    QString ucl, lcl, dispersionUcl;
    std::vector<QStringList> capabilityGrid; // displayed rows, title row first
    std::vector<QStringList> spcGrid;
    std::vector<sheetview::CellAt> outOfSpec; // column from 0, lot row from 1
    QStringList outOfSpecLots;               // the lot number of each of them
    QStringList outOfSpecValues;             // the cell text of each of them
    std::vector<sheetview::Notice> messages;
    // With a capability result: the capability study; under the control chart constants also
    // the limits of every used lot, when they can be computed.
    std::optional<judge::CapabilityStudy> study;
    std::optional<judge::StandardLimits> lotLimits;
    // With a capability result: the control chart as the window draws it and the report writes it.
    std::optional<chartmodel::ControlChart> controlChart;

    // Every result is "合格".
    bool passed() const;
};

// A step on the view right after the sheet is entered, before the options are applied: a sheet
// loaded from a store gets its baseline there, as the window applies it on entry.
using EntryStep = std::function<void(sheetview::SheetView&)>;

SheetJudgement judgeSheet(const model::SheetRecord& record, int number, const JudgeOptions& options,
                          const EntryStep& afterEntry = {});

// The sheet view as the chain left it, the record the chain saved it into, and the messages
// the window would have shown: what judgeSheet sums up, and what the reports are built from.
struct JudgedView {
    sheetview::SheetView view;
    model::SheetRecord record;
    std::vector<sheetview::Notice> messages;
};
JudgedView judgeView(const model::SheetRecord& record, const JudgeOptions& options, const EntryStep& afterEntry = {});

} // namespace cli
