// What the report tests share: the generated templates, sheets and result grids made by the
// real judgements, the chart model of a judged sheet, and a look into saved workbooks.
#pragma once
#include "../judge/TestSheet.h"
#include "JudgedSheet.h"

#include "chartmodel/ChartModel.h"
#include "judge/Capability.h"
#include "model/CellTable.h"
#include "reports/ReportFiles.h"
#include "sheetview/SheetView.h"
#include "spreadsheet/Book.h"

#include <QRegularExpression>
#include <QStringList>
#include <memory>

namespace reports_testing {

inline reports::ReportFolders folders(const QString& saveFiles)
{
    return {QStringLiteral(QUORVANE_FORM_FILES), saveFiles};
}

// The result grid the capability judgement writes for a sheet, and its row count.
struct CalcGrid {
    model::CellTable table;
    int rowCount = 0;
};

inline CalcGrid judgedGrid(const judge::testing::TestSheet& sheet, judge::ChartKind kind)
{
    judge::CapabilitySettings s;
    s.limits = judge::readSpecLimits(judge::SpecKind::Tolerance, u"10.5", u"9.5");
    s.chart = kind;
    const judge::CapabilityResult r = judge::judgeCapability(sheet.view(), s);
    CalcGrid g;
    for (size_t i = 0; i < r.rows.size(); ++i)
        for (int c = 0; c < judge::kCalcColumns; ++c) g.table.setText(c, int(i) + 1, r.rows[i][size_t(c)]);
    g.rowCount = r.rowCount.value_or(0);
    return g;
}

// The test sheet as a record: its lots' cells, enable flags and lot numbers, the tolerance 10.5
// to 9.5 with `digits` decimals.
inline model::SheetRecord recordOf(const judge::testing::TestSheet& sheet, const QString& digits = QStringLiteral("3"))
{
    std::vector<std::pair<QStringList, bool>> lots;
    for (int r = 1; r <= sheet.lotCount; ++r) {
        QStringList cells;
        for (int c = 0; c < sheet.measurementCount; ++c) cells << sheet.cells.text(c, r);
        lots.push_back({cells, sheet.lots.flag(1, r)});
    }
    model::SheetRecord record = test_support::sheetOf(lots, sheet.measurementCount);
    record.digits = digits;
    return record;
}

// The chart model of the sheet judged as "SPC異常判定" judges it.
inline chartmodel::ChartModel judgedModel(const judge::testing::TestSheet& sheet, judge::ChartKind kind,
                                          judge::LimitMethod method = judge::LimitMethod::ThreeSigma,
                                          const judge::ControlLimitTexts& limits = {}, int classes = 10,
                                          const QString& digits = QStringLiteral("3"))
{
    const test_support::JudgedSheet j(recordOf(sheet, digits), kind, method, limits);
    return chartmodel::buildChartModel(j.view, classes, QDateTime::currentDateTime());
}

// Every range the charts of a workbook read, as written in their parts ("'統計データ'!$B$2:$B$4").
inline QStringList chartRanges(const spreadsheet::Book& book)
{
    QStringList ranges;
    static const QRegularExpression f(QStringLiteral("<c:f>([^<]*)</c:f>"));
    for (const QString& name : book.partNames()) {
        if (!name.startsWith(QStringLiteral("xl/charts/chart"))) continue;
        for (auto it = f.globalMatch(QString::fromUtf8(book.part(name))); it.hasNext();) ranges << it.next().captured(1);
    }
    return ranges;
}

} // namespace reports_testing
