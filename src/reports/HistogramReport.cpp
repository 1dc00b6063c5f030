#include "reports/HistogramReport.h"

#include "exchange/WorksheetWriter.h"
#include "judge/HistogramClasses.h"
#include "judge/Statistics.h"
#include "model/NumberText.h"
#include "reports/ChartScale.h"
#include "reports/ExcelSession.h"
#include "reports/ReportLayout.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/ValueText.h"

#include <algorithm>

namespace reports {

namespace {

namespace L = layout;

QString cell(int row, int column) { return spreadsheet::formatA1Range({row + 1, column + 1, row + 1, column + 1}); }

QString fixed(std::optional<double> v, int digits) { return v ? model::formatFixed(*v, digits) : QStringLiteral("－"); }

// The figures of the values in the block, as the statistics grid computes them.
struct Sample {
    int n = 0;
    double mean = 0, sigma = 0, min = 0, max = 0;
};

Sample sampleOf(const QList<QStringList>& block)
{
    std::vector<double> v;
    for (const QStringList& row : block)
        for (const QString& t : row)
            if (const auto x = model::tryParseNumber(t)) v.push_back(*x);
    const judge::Summary sum = judge::summarise(v);
    if (sum.count == 0) return {};
    return {sum.count, sum.mean(), sum.count > 1 ? sum.sampleStdev() : 0.0, sum.min, sum.max};
}

// The class table on both worksheets, the statistics, the capability box and the points the
// chart draws: the bars' outline over the class boundaries, the normal curve for the sample's
// mean and sigma scaled to the counts, the spec limits and the mean as vertical lines.
void writeTables(spreadsheet::Application& app, const HistogramData& data, const Sample& s, spreadsheet::Book& book)
{
    const int digits = std::clamp(data.digits, 0, 5);
    spreadsheet::Worksheet page = app.worksheet(1);
    spreadsheet::Worksheet table = app.worksheet(2);
    const int left = L::kHistogramPageColumn;

    const auto rows = identityRows(data.identity);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = L::kIdentityRow + int(i) % L::kIdentityRows;
        const int col = left + int(i) / L::kIdentityRows * L::kIdentityGroupWidth;
        page.range(cell(row, col)).setText(rows[i].first);
        page.range(cell(row, col + 1)).setText(rows[i].second);
    }

    // Classes: number, lower and upper boundary (one digit finer than the data), count.
    const int classes = std::min<int>(int(data.classTable.size()), L::kMaxClasses);
    int peak = 0;
    for (int i = 0; i < classes; ++i) {
        const judge::HistogramClass& c = data.classTable[size_t(i)];
        const QStringList line{QString::number(i + 1), model::formatFixed(c.lower, digits + 1), model::formatFixed(c.upper, digits + 1),
                               QString::number(c.count)};
        page.range(cell(L::kPageClassRow + 1 + i, left + 11), cell(L::kPageClassRow + 1 + i, left + 14)).setValues({line});
        table.range(cell(L::kClassRow + 1 + i, 0), cell(L::kClassRow + 1 + i, 3)).setValues({line});
        peak = std::max(peak, c.count);
    }

    // Statistics (worksheet 2) and the capability box (chart page).
    const QList<QStringList> stats{{QStringLiteral("データ数 N"), QString::number(s.n)},
                                   {QStringLiteral("平均値"), s.n ? model::formatFixed(s.mean, 5) : QString()},
                                   {QStringLiteral("標準偏差 σ"), s.n > 1 ? model::formatFixed(s.sigma, 5) : QString()},
                                   {QStringLiteral("最大値"), s.n ? model::formatFixed(s.max, digits) : QString()},
                                   {QStringLiteral("最小値"), s.n ? model::formatFixed(s.min, digits) : QString()}};
    table.range(cell(L::kStatsRow, 0), cell(L::kStatsRow + int(stats.size()) - 1, 1)).setValues(stats);
    const std::optional<judge::CapabilityStudy>& st = data.study;
    const auto index = [&](std::optional<double> judge::CapabilityStudy::*field) { return st ? fixed((*st).*field, 3) : QStringLiteral("－"); };
    const bool tolerance = data.specKind == judge::SpecKind::Tolerance;
    const bool upper = data.specKind == judge::SpecKind::UpperOnly;
    // CP/CPK as the statistics grid shows them: from the overall sigma (the study's Pp/Ppk).
    const QList<QStringList> box{
        {QStringLiteral("N"), QString::number(s.n)},
        {QStringLiteral("平均値"), s.n ? model::formatFixed(s.mean, 5) : QStringLiteral("－")},
        {QStringLiteral("σ（全体）"), s.n > 1 ? model::formatFixed(s.sigma, 5) : QStringLiteral("－")},
        {QStringLiteral("CP"), tolerance ? index(&judge::CapabilityStudy::pp) : QStringLiteral("－")},
        {QStringLiteral("CPK"), index(tolerance ? &judge::CapabilityStudy::ppk : upper ? &judge::CapabilityStudy::ppu : &judge::CapabilityStudy::ppl)},
        {QStringLiteral("σ（群内）"), st ? fixed(st->sigmaWithin, 5) : QStringLiteral("－")},
        {QStringLiteral("Cp（群内）"), tolerance ? index(&judge::CapabilityStudy::cp) : QStringLiteral("－")},
        {QStringLiteral("Cpk（群内）"), index(tolerance ? &judge::CapabilityStudy::cpk : upper ? &judge::CapabilityStudy::cpu : &judge::CapabilityStudy::cpl)},
        {QStringLiteral("Pp（全体）"), tolerance ? index(&judge::CapabilityStudy::pp) : QStringLiteral("－")},
        {QStringLiteral("Ppk（全体）"), index(tolerance ? &judge::CapabilityStudy::ppk : upper ? &judge::CapabilityStudy::ppu : &judge::CapabilityStudy::ppl)},
        {QStringLiteral("上限規格"), data.specUpper ? model::formatFixed(*data.specUpper, digits) : QStringLiteral("－")},
        {QStringLiteral("下限規格"), data.specLower ? model::formatFixed(*data.specLower, digits) : QStringLiteral("－")},
        {QStringLiteral("区間数"), QString::number(classes)},
    };
    for (int i = 0; i < int(box.size()) && i < L::kBoxLines; ++i) {
        page.range(cell(L::kBoxRow + i, left + 11)).setText(box[i][0]);
        page.range(cell(L::kBoxRow + i, left + 13)).setText(box[i][1]);
    }

    // The chart's points.
    QList<QStringList> outline;
    for (int i = 0; i < classes; ++i) {
        const judge::HistogramClass& c = data.classTable[size_t(i)];
        const QString a = spreadsheet::numberText(c.lower), b = spreadsheet::numberText(c.upper), h = QString::number(c.count);
        outline << QStringList{a, QStringLiteral("0")} << QStringList{a, h} << QStringList{b, h} << QStringList{b, QStringLiteral("0")};
    }
    const int c0 = L::kSeriesColumn, r0 = L::kSeriesRow + 1;
    table.range(cell(r0, c0), cell(r0 + L::kOutlinePoints - 1, c0 + 1)).setValues(outline);

    std::vector<double> xs{s.min, s.max};
    double top = peak;
    QList<QStringList> curve;
    if (classes > 0 && s.n > 1 && s.sigma > 0) {
        const double width = data.classTable.front().upper - data.classTable.front().lower;
        const double from = std::min(data.classTable.front().lower, s.mean - 3.5 * s.sigma);
        const double to = std::max(data.classTable[size_t(classes - 1)].upper, s.mean + 3.5 * s.sigma);
        for (const judge::CurvePoint& p : judge::normalCurve(s.mean, s.sigma, s.n, width, from, to, L::kCurvePoints)) {
            curve << QStringList{spreadsheet::numberText(p.x), spreadsheet::numberText(p.y)};
            top = std::max(top, p.y);
        }
        xs.insert(xs.end(), {from, to});
    }
    table.range(cell(r0, c0 + 2), cell(r0 + L::kCurvePoints - 1, c0 + 3)).setValues(curve);
    if (classes > 0) xs.insert(xs.end(), {data.classTable.front().lower, data.classTable[size_t(classes - 1)].upper});

    const AxisRange yr = fittedAxis({0.0, top});
    const auto vertical = [&](int column, std::optional<double> at, const QString& name) {
        table.range(cell(0, column + 1)).setText(at ? name + QStringLiteral(" = ") + model::formatFixed(*at, digits) : QString());
        if (!at) return;
        table.range(cell(r0, column), cell(r0 + 1, column + 1))
            .setValues({{spreadsheet::numberText(*at), QStringLiteral("0")}, {spreadsheet::numberText(*at), spreadsheet::numberText(yr.max)}});
        xs.push_back(*at);
    };
    vertical(c0 + 4, data.specUpper, QStringLiteral("上限規格"));
    vertical(c0 + 6, data.specLower, QStringLiteral("下限規格"));
    vertical(c0 + 8, s.n ? std::optional<double>(s.mean) : std::nullopt, QStringLiteral("平均値"));
    if (s.n) table.range(cell(0, c0 + 9)).setText(QStringLiteral("平均値 = ") + model::formatFixed(s.mean, digits + 1));

    const AxisRange xr = fittedAxis(xs);
    if (book.chartCount() == 0) return; // a template restyled without its chart
    book.setChartAxisBounds(0, false, xr.min, xr.max);
    book.setChartAxisBounds(0, true, 0.0, yr.max);
}

} // namespace

QString fillHistogram(ExcelSession& session, const ReportFolders& folders, const QDateTime& when, const HistogramData& data)
{
    const ReportCopy copy(session, folders.formFiles + u'/' + kHistogramTemplateName, folders.saveFiles, when, data.fileTag);
    if (!session.start()) return copy;
    session.setWorkbook(session.application().openWorkbook(copy));
    session.setWorksheet(session.application().worksheet(1));

    const int rows = static_cast<int>(data.block.size());
    const int cols = rows ? static_cast<int>(data.block.first().size()) : 0;
    if (rows > 0 && cols > 0) {
        spreadsheet::Range block = session.worksheet().range(spreadsheet::CellRect{1, 1, rows, cols});
        block.setValues(data.block);
        block.setNumberFormatLocal(data.numberFormat);
    }
    session.setWorksheet(session.application().worksheet(2));
    session.worksheet().range(QStringLiteral("B19")).setValue(static_cast<double>(data.classes));
    spreadsheet::Book& book = session.workbook().book();
    writeTables(session.application(), data, sampleOf(data.block), book);
    // The workbook opens on the chart page, which prints first, then the measurements.
    book.showFrom(0, 1, L::kHistogramPageColumn + 1);
    book.setPrintArea(0, {{1, L::kHistogramPageColumn + 1, L::kHistogramPageRows, L::kHistogramPageColumn + 16},
                          {1, 1, std::max(rows, 1), std::max(cols, 1)}});
    session.workbook().save();
    return copy;
}

} // namespace reports
