// What the report tests share: the generated templates, result grids made by the real
// capability judgement, and a look into saved workbooks.
#pragma once
#include "../judge/TestSheet.h"

#include "judge/Capability.h"
#include "model/CellTable.h"
#include "reports/ReportFiles.h"
#include "reports/ReportModel.h"
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

// The report model's data of a view holding these grids and fields, as a judgement leaves them.
inline reports::ControlChartData controlChartData(const model::CellTable& calc, int rowCount, judge::ChartKind kind,
                                                  const judge::ControlLimitTexts& limits)
{
    sheetview::SheetView view;
    view.calc = calc;
    view.calcRowCount = rowCount;
    view.chart = kind;
    view.ucl = limits.ucl;
    view.lcl = limits.lcl;
    view.rsUcl = limits.rsUcl;
    return reports::controlChartData(view, QDateTime::currentDateTime());
}

inline reports::HistogramData histogramData(const model::CellTable& cells, const model::CellTable& lots, int lotCount,
                                            int measurementCount, const QString& digits, int classes)
{
    sheetview::SheetView view;
    view.cells = cells;
    view.lots = lots;
    view.lotRows = lotCount;
    view.measurementColumns = measurementCount;
    view.digits = digits;
    return reports::histogramData(view, classes, QDateTime::currentDateTime());
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
