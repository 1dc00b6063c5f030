#include "reports/ControlChartReport.h"

#include "judge/Capability.h"
#include "model/NumberText.h"
#include "model/Text.h"
#include "reports/ChartScale.h"
#include "reports/ExcelSession.h"
#include "reports/ReportLayout.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/ValueText.h"

#include <algorithm>

namespace reports {

namespace {

// The template's data rows: 2 to 102, room for the 100 lots a sheet holds at most.
constexpr int kFirstRow = 2;
constexpr int kLastRow = 102;

QList<QStringList> column(const QStringList& texts)
{
    QList<QStringList> block;
    block.reserve(texts.size());
    for (const QString& t : texts) block.append(QStringList{t});
    return block;
}

QString fixed5(std::optional<double> v) { return v ? model::formatFixed(*v, 5) : QString(); }

// The limits of every lot beside the template's columns, headed in row 1.
void writeLotLimits(spreadsheet::Worksheet& sheet, const std::vector<judge::LotLimits>& lots, judge::ChartKind kind)
{
    const QString side = kind == judge::ChartKind::XbarS ? QStringLiteral("S") : kind == judge::ChartKind::XRs ? QStringLiteral("Rs") : QStringLiteral("R");
    sheet.range(QStringLiteral("I1"), QStringLiteral("M1"))
        .setValues({{QStringLiteral("X-UCL(ロット)"), QStringLiteral("X-LCL(ロット)"), side + QStringLiteral("-CL(ロット)"),
                     side + QStringLiteral("-UCL(ロット)"), side + QStringLiteral("-LCL(ロット)")}});
    QList<QStringList> block;
    for (const judge::LotLimits& l : lots)
        block.append({fixed5(l.ucl), fixed5(l.lcl), fixed5(l.dispersionCl), fixed5(l.dispersionUcl), fixed5(l.dispersionLcl)});
    sheet.range(QStringLiteral("I2"), QStringLiteral("M") + QString::number(kFirstRow + int(lots.size()) - 1)).setValues(block);
}

// The A1 address of a cell counted from 0, as the layout counts.
QString cell(int row, int column) { return spreadsheet::formatA1Range({row + 1, column + 1, row + 1, column + 1}); }

// Lot numbers as the operator typed them: a text the spreadsheet would turn into another
// number ("0012", "1E3") is stored as text.
void writeLotNumbers(spreadsheet::Worksheet& sheet, const QStringList& lots)
{
    sheet.range(QStringLiteral("A2"), QStringLiteral("A") + QString::number(kFirstRow + lots.size() - 1)).setValues(column(lots));
    for (qsizetype i = 0; i < lots.size(); ++i)
        if (spreadsheet::typingChanges(lots[i])) sheet.range(QStringLiteral("A") + QString::number(kFirstRow + i)).setText(lots[i]);
}

// The values a run rule marked, blank for the others: the chart draws them red.
QStringList marked(const QStringList& values, const std::vector<bool>& marks)
{
    QStringList out;
    for (qsizetype i = 0; i < values.size(); ++i) out << (size_t(i) < marks.size() && marks[size_t(i)] ? values[i] : QString());
    return out;
}

std::vector<double> numbers(const QStringList& texts)
{
    std::vector<double> v;
    for (const QString& t : texts)
        if (const auto n = model::tryParseNumber(t)) v.push_back(*n);
    return v;
}

// The chart page: the identification block, the limit lines' names, the axes fitted to what
// they draw, lot labels thinned to stay readable, and the print area (page first, then the table).
void layOutChartPage(spreadsheet::Worksheet& sheet, spreadsheet::Book& book, const ControlChartData& data,
                     const std::optional<double>& specUpper, const std::optional<double>& specLower)
{
    namespace L = layout;
    const auto rows = identityRows(data.identity);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = L::kIdentityRow + int(i) % L::kIdentityRows;
        const int col = L::kChartPageColumn + int(i) / L::kIdentityRows * L::kIdentityGroupWidth;
        sheet.range(cell(row, col)).setText(rows[i].first);
        sheet.range(cell(row, col + 1)).setText(rows[i].second);
    }
    const auto line = [](const char* label, double v) { return QString::fromUtf8(label) + QStringLiteral(" = ") + model::formatFixed(v, 5); };
    const QString names[] = {line("CL", data.centre), line("UCL", data.ucl), line("LCL", data.lcl),
                             line("CL", data.dispersionCentre), line("UCL", data.dispersionUcl), QStringLiteral("異常（ルール該当）")};
    for (int i = 0; i < 6; ++i) sheet.range(cell(i, L::kLineNameColumn)).setText(names[i]);

    std::vector<double> x = numbers(data.means);
    x.insert(x.end(), {data.centre, data.ucl, data.lcl});
    std::vector<double> d = numbers(data.dispersions);
    d.insert(d.end(), {data.dispersionCentre, data.dispersionUcl});
    for (const judge::LotLimits& l : data.lotLimits) {
        x.insert(x.end(), {l.ucl, l.lcl});
        for (const auto& v : {l.dispersionCl, l.dispersionUcl, l.dispersionLcl})
            if (v) d.push_back(*v);
    }
    for (const auto& v : {specUpper, specLower})
        if (v) x.push_back(*v);
    const int k = int(data.lots.size());
    const AxisRange xr = fittedAxis(x), dr = fittedAxis(d);
    // A template an operator restyled may hold fewer charts: those it has are fitted.
    const int charts = std::min(book.chartCount(), L::kControlCharts);
    if (charts > 0) book.setChartAxisBounds(0, true, xr.min, xr.max);
    if (charts > 1) book.setChartAxisBounds(1, true, std::max(0.0, dr.min), dr.max);
    for (int c = 0; c < charts; ++c) book.setChartLabelInterval(c, labelInterval(k));

    const int sheetIndex = sheet.number() - 1;
    book.showFrom(sheetIndex, 1, L::kChartPageColumn + 1);
    book.setPrintArea(sheetIndex, {{1, L::kChartPageColumn + 1, L::kChartPageRows, L::kChartPageColumn + L::kChartPageColumns},
                                   {1, 1, std::max(kFirstRow, kFirstRow + k - 1), L::kLastDataColumn + 1}});
}

std::optional<double> specValue(const QString& text) { return model::tryParseNumber(text); }

} // namespace

QString fillControlChart(ExcelSession& session, const ReportFolders& folders, const QDateTime& when,
                         const ControlChartData& data)
{
    const ReportCopy copy(session, folders.formFiles + u'/' + controlChartTemplateName(data.kind), folders.saveFiles, when, data.fileTag);
    if (!session.start()) return copy;
    session.setWorkbook(session.application().openWorkbook(copy));
    session.setWorksheet(session.application().worksheet(1));
    spreadsheet::Worksheet& sheet = session.worksheet();

    const int k = static_cast<int>(data.lots.size());
    // Spec limits are drawn on the chart of single values only, where they compare with the points.
    std::optional<double> specUpper, specLower;
    if (data.kind == judge::ChartKind::XRs) {
        specUpper = specValue(data.identity.specUpper);
        specLower = specValue(data.identity.specLower);
    }
    if (k > 0) {
        const QString last = QString::number(kFirstRow + k - 1);
        writeLotNumbers(sheet, data.lots);
        sheet.range(QStringLiteral("B2"), u'B' + last).setValues(column(data.means));
        sheet.range(QStringLiteral("F2"), u'F' + last).setValues(column(data.dispersions));
        sheet.range(QStringLiteral("N2"), u'N' + last).setValues(column(marked(data.means, data.xMarked)));
        sheet.range(QStringLiteral("O2"), u'O' + last).setValues(column(marked(data.dispersions, data.dispersionMarked)));
        if (specUpper) sheet.range(QStringLiteral("P2"), u'P' + last).setValue(*specUpper);
        if (specLower) sheet.range(QStringLiteral("Q2"), u'Q' + last).setValue(*specLower);
    }
    const bool byLot = k > 0 && int(data.lotLimits.size()) == k;
    if (byLot) writeLotLimits(sheet, data.lotLimits, data.kind);
    sheet.range(u'A' + QString::number(kFirstRow + k), u'H' + QString::number(kLastRow)).deleteShiftUp();
    // The columns beside the table follow, so every series ends with the last lot.
    sheet.range(u'I' + QString::number(kFirstRow + k), u'Q' + QString::number(kLastRow)).deleteShiftUp();
    layOutChartPage(sheet, session.workbook().book(), data, specUpper, specLower);

    sheet.range(QStringLiteral("C2")).setValue(data.centre);
    sheet.range(QStringLiteral("D2")).setValue(data.ucl);
    sheet.range(QStringLiteral("E2")).setValue(data.lcl);
    sheet.range(QStringLiteral("G2")).setValue(data.dispersionCentre);
    sheet.range(QStringLiteral("H2")).setValue(data.dispersionUcl);
    session.workbook().save();
    return copy;
}

} // namespace reports
