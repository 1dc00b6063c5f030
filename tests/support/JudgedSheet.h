// A sheet record entered and judged as "SPC異常判定" judges it, for the core tests above the
// sheet view (the chart model, the reports).
#pragma once
#include "judge/ControlLimits.h"
#include "judge/Kinds.h"
#include "model/DataLine.h"
#include "model/SheetRecord.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/SheetEntry.h"

#include <QStringList>
#include <algorithm>
#include <utility>
#include <vector>

namespace test_support {

struct JudgedSheet {
    model::SheetRecord record;
    sheetview::SheetView view;
    sheetview::ChainReport report;

    // `limits` are typed into the fields under the specified method.
    explicit JudgedSheet(model::SheetRecord r, judge::ChartKind chart = judge::ChartKind::XbarR,
                         judge::LimitMethod method = judge::LimitMethod::ThreeSigma, const judge::ControlLimitTexts& limits = {},
                         const model::RuleOptions& rules = model::RuleOptions::defaults())
        : record(std::move(r))
    {
        view = sheetview::enterSheet(record, model::AppSettings::defaults()).view;
        view.chart = chart;
        view.limitMethod = method;
        if (method == judge::LimitMethod::Specified) view.ucl = limits.ucl, view.lcl = limits.lcl, view.rsUcl = limits.rsUcl;
        sheetview::judgeSpc(view, {&rules, &record}, report);
    }
};

// A tolerance sheet (10.5 to 9.5, three decimals, unit mm) of these lots: each a row of cell
// texts ("" blank) and whether it is enabled; lot numbers K001 on.
inline model::SheetRecord sheetOf(const std::vector<std::pair<QStringList, bool>>& lots, int measurements,
                                  const QString& item = QStringLiteral("軸外径"))
{
    model::SheetRecord r;
    r.product = QStringLiteral("P-100");
    r.process = QStringLiteral("研削");
    r.device = QStringLiteral("G-2");
    r.item = item;
    r.unit = QStringLiteral("mm");
    r.specKind = QStringLiteral("公差規格");
    r.digits = QStringLiteral("3");
    r.specUpper = QStringLiteral("10.500");
    r.specLower = QStringLiteral("9.500");
    r.lotCount = std::max(10, int(lots.size()));
    r.measurementCount = measurements;
    for (size_t i = 0; i < lots.size(); ++i) {
        QStringList cells = lots[i].first;
        while (cells.size() < measurements) cells.append(QString());
        r.dataLines.append(model::writeDataLine(QStringLiteral("K%1").arg(int(i) + 1, 3, 10, QChar(u'0')), cells));
        r.enableFlags.append(lots[i].second ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return r;
}

} // namespace test_support
