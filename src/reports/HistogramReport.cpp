#include "reports/HistogramReport.h"

#include "chartmodel/FigureNames.h"
#include "exchange/WorksheetWriter.h"
#include "judge/ResultTexts.h"
#include "model/NumberText.h"
#include "reports/ExcelSession.h"
#include "reports/PageFrame.h"
#include "reports/ReportLayout.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/ValueText.h"

#include <algorithm>

namespace reports {

namespace {

namespace L = layout;
using chartmodel::Figure;

static_assert(chartmodel::kCurvePoints <= L::kCurveRows, "the template holds every point of the curve");

QString cell(int row, int column) { return spreadsheet::formatA1Range({row + 1, column + 1, row + 1, column + 1}); }
spreadsheet::CellRect rect(int top, int left, int bottom, int right) { return {top + 1, left + 1, bottom + 1, right + 1}; }

QString fixed(std::optional<double> v, int digits) { return v ? model::formatFixed(*v, digits) : QString(); }

// The class table on both worksheets and the statistics of worksheet 2.
void writeTables(spreadsheet::Worksheet& page, spreadsheet::Worksheet& table, const chartmodel::Histogram& h)
{
    // Classes: number, lower and upper boundary (one digit finer than the data), count.
    const int classes = std::min<int>(int(h.classes.size()), L::kMaxClasses);
    for (int i = 0; i < classes; ++i) {
        const judge::HistogramClass& c = h.classes[size_t(i)];
        const QStringList line{QString::number(i + 1), model::formatFixed(c.lower, h.digits + 1), model::formatFixed(c.upper, h.digits + 1),
                               QString::number(c.count)};
        page.range(rect(L::kPageClassRow + 1 + i, L::kPageClassColumn, L::kPageClassRow + 1 + i, L::kPageClassColumn + 3)).setValues({line});
        table.range(rect(L::kClassRow + 1 + i, 0, L::kClassRow + 1 + i, 3)).setValues({line});
    }
    const int statistic = chartmodel::figureName(Figure::Mean).decimals;
    const chartmodel::SampleFigures& s = h.sample;
    const QList<QStringList> stats{{QStringLiteral("データ数 N"), QString::number(s.n)},
                                   {QStringLiteral("平均値"), fixed(s.mean, statistic)},
                                   {QStringLiteral("標準偏差 σ"), fixed(s.sigma, statistic)},
                                   {QStringLiteral("最大値"), fixed(s.max, h.digits)},
                                   {QStringLiteral("最小値"), fixed(s.min, h.digits)}};
    table.range(rect(L::kStatsRow, 0, L::kStatsRow + int(stats.size()) - 1, 1)).setValues(stats);
    for (int i = 0; i < int(h.box.size()) && i < L::kBoxLines; ++i) {
        page.range(cell(L::kBoxRow + i, L::kBoxColumn)).setText(h.box[size_t(i)].first);
        page.range(cell(L::kBoxRow + i, L::kBoxValueColumn)).setText(h.box[size_t(i)].second);
    }
}

// The chart's points on worksheet 2: the bars' outline over the class boundaries, the normal
// curve, the spec limits and the mean as vertical lines, each series named in row 1.
void writeSeries(spreadsheet::Worksheet& table, const chartmodel::Histogram& h)
{
    QList<QStringList> outline;
    for (const judge::HistogramClass& c : h.classes) {
        const QString a = spreadsheet::numberText(c.lower), b = spreadsheet::numberText(c.upper), n = QString::number(c.count);
        outline << QStringList{a, QStringLiteral("0")} << QStringList{a, n} << QStringList{b, n} << QStringList{b, QStringLiteral("0")};
    }
    const int c0 = L::kSeriesColumn, r0 = L::kSeriesRow + 1;
    table.range(rect(r0, c0 + L::kOutlineSeries, r0 + L::kOutlinePoints - 1, c0 + L::kOutlineSeries + 1)).setValues(outline);
    QList<QStringList> curve;
    for (const judge::CurvePoint& p : h.curve) curve << QStringList{spreadsheet::numberText(p.x), spreadsheet::numberText(p.y)};
    table.range(rect(r0, c0 + L::kCurveSeries, r0 + L::kCurveRows - 1, c0 + L::kCurveSeries + 1)).setValues(curve);
    table.range(cell(0, c0 + L::kCurveSeries + 1)).setText(h.curveName);

    // The vertical lines: the spec limits and the mean (the target on no page of this report).
    const std::pair<chartmodel::LineKind, int> verticals[] = {{chartmodel::LineKind::SpecUpper, L::kUpperSpecSeries},
                                                              {chartmodel::LineKind::SpecLower, L::kLowerSpecSeries},
                                                              {chartmodel::LineKind::Centre, L::kMeanSeries}};
    for (const auto& [kind, series] : verticals) {
        const int column = c0 + series;
        const chartmodel::GuideLine* l = nullptr;
        for (const chartmodel::GuideLine& g : h.lines)
            if (g.kind == kind) l = &g;
        table.range(cell(0, column + 1)).setText(l ? l->label() : QString());
        if (!l) continue;
        const QString at = spreadsheet::numberText(*l->value);
        table.range(rect(r0, column, r0 + 1, column + 1))
            .setValues({{at, QStringLiteral("0")}, {at, spreadsheet::numberText(h.countRange.max)}});
    }
    // Readable where they are looked at: the values with the data's decimals and more, counts whole.
    table.range(rect(r0, c0, r0 + L::kCurveRows - 1, c0 + L::kSeriesColumns - 1)).setNumberFormatLocal(exchange::fixedNumberFormat(h.labelDecimals + 1));
    for (int series : {L::kOutlineSeries, L::kUpperSpecSeries, L::kLowerSpecSeries, L::kMeanSeries})
        table.range(rect(r0, c0 + series + 1, r0 + L::kCurveRows - 1, c0 + series + 1)).setNumberFormatLocal(exchange::fixedNumberFormat(0));
    table.range(rect(r0, c0 + L::kCurveSeries + 1, r0 + L::kCurveRows - 1, c0 + L::kCurveSeries + 1))
        .setNumberFormatLocal(exchange::fixedNumberFormat(3));
}

} // namespace

QString fillHistogram(ExcelSession& session, const ReportFolders& folders, const QDateTime& when,
                      const chartmodel::ChartModel& model, const QString& fileTag)
{
    const chartmodel::Histogram& h = model.histogram;
    const ReportCopy copy(session, folders.formFiles + u'/' + kHistogramTemplateName, folders.saveFiles, when, fileTag);
    session.start();
    spreadsheet::Application& app = session.application();
    session.setWorkbook(app.openWorkbook(copy));
    session.setWorksheet(app.worksheet(1));

    const int rows = static_cast<int>(h.block.size());
    const int cols = rows ? static_cast<int>(h.block.first().size()) : 0;
    if (rows > 0 && cols > 0) {
        spreadsheet::Range block = session.worksheet().range(spreadsheet::CellRect{1, 1, rows, cols});
        block.setValues(h.block);
        block.setNumberFormatLocal(exchange::fixedNumberFormat(h.digits));
    }
    session.setWorksheet(app.worksheet(2));
    session.worksheet().range(cell(L::kClassCountRow, L::kClassCountColumn)).setValue(static_cast<double>(h.classCount));

    spreadsheet::Worksheet page = app.worksheet(1);
    spreadsheet::Worksheet table = app.worksheet(2);
    spreadsheet::Book& book = session.workbook().book();
    writeIdentityBlock(page, model.identification, L::kHistogramPageColumn);
    if (h.message.isEmpty()) {
        writeTables(page, table, h);
        writeSeries(table, h);
        if (book.chartCount() > 0) { // a template restyled without its chart has nothing to fit
            book.setChartAxisBounds(0, false, h.valueRange.min, h.valueRange.max);
            book.setChartAxisBounds(0, true, h.countRange.min, h.countRange.max);
            book.setChartAxisTitle(0, false, h.axisTitle);
            book.setChartAxisNumberFormat(0, false, model::formatFixed(0.0, h.labelDecimals));
            book.setChartAxisNumberFormat(0, true, model::formatFixed(0.0, 0));
        }
    }
    // The workbook opens on the chart page. What prints: the chart page, then worksheet 2's
    // statistics and class table; the raw block and the chart's points are not printed.
    book.showFrom(0, 1, L::kHistogramPageColumn + 1);
    book.setPrintArea(0, {rect(0, L::kHistogramPageColumn, L::kHistogramPageRows - 1, L::kHistogramPageColumn + L::kHistogramPageColumns - 1)});
    book.setPrintArea(1, {rect(0, 0, L::kClassRow + L::kMaxClasses + 1, L::kTableColumns - 1)});
    for (int sheet : {0, 1}) setPageFrame(book, sheet, model.identification);
    session.setWorksheet(app.worksheet(1));
    session.workbook().save();
    return copy;
}

} // namespace reports
