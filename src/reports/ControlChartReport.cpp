#include "reports/ControlChartReport.h"

#include "chartmodel/AxisScale.h"
#include "model/NumberText.h"
#include "reports/ExcelSession.h"
#include "reports/PageFrame.h"
#include "reports/ReportLayout.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/ValueText.h"

#include <algorithm>
#include <cmath>

namespace reports {

namespace {

namespace L = layout;
using chartmodel::ChartPoint;
using chartmodel::ControlPanel;
using chartmodel::GuideLine;
using chartmodel::LineKind;

// A cell counted from 0, as the layout counts.
QString cell(int row, int column) { return spreadsheet::formatA1Range({row + 1, column + 1, row + 1, column + 1}); }
spreadsheet::CellRect rect(int top, int left, int bottom, int right) { return {top + 1, left + 1, bottom + 1, right + 1}; }

QString number(std::optional<double> v) { return v && std::isfinite(*v) ? spreadsheet::numberText(*v) : QString(); }
QString fixed5(std::optional<double> v) { return v ? model::formatFixed(*v, 5) : QString(); }

// Texts the spreadsheet would turn into other numbers ("0012", "1E3") are stored as typed.
void keepTexts(spreadsheet::Worksheet& sheet, int column, int firstRow, const QStringList& texts)
{
    for (qsizetype i = 0; i < texts.size(); ++i)
        if (spreadsheet::typingChanges(texts[i])) sheet.range(cell(firstRow + int(i), column)).setText(texts[i]);
}

// The table of the lots, from row 2: the cells the template has always taken and those beside.
void writeTable(spreadsheet::Worksheet& sheet, const chartmodel::ControlChart& c)
{
    const int k = int(c.lots.size());
    if (k == 0) return;
    const bool byLot = int(c.lotLimits.size()) == k;
    const GuideLine* upperSpec = c.x.line(LineKind::SpecUpper);
    const GuideLine* lowerSpec = c.x.line(LineKind::SpecLower);
    QList<QStringList> left, right;
    for (int i = 0; i < k; ++i) {
        const ChartPoint& x = c.x.points[size_t(i)];
        const ChartPoint& d = c.dispersion.points[size_t(i)];
        left.append({c.lots[i], x.text});
        QStringList beside(L::kLastDataColumn - L::kLotLimitColumn + 1);
        if (byLot) {
            const judge::LotLimits& l = c.lotLimits[size_t(i)];
            beside[0] = fixed5(l.ucl);
            beside[1] = fixed5(l.lcl);
            beside[2] = fixed5(l.dispersionCl);
            beside[3] = fixed5(l.dispersionUcl);
            beside[4] = fixed5(l.dispersionLcl);
        }
        beside[L::kXMarkedColumn - L::kLotLimitColumn] = x.marked() ? x.text : QString();
        beside[L::kDispersionMarkedColumn - L::kLotLimitColumn] = d.marked() ? d.text : QString();
        if (upperSpec) beside[L::kSpecUpperColumn - L::kLotLimitColumn] = number(upperSpec->value);
        if (lowerSpec) beside[L::kSpecLowerColumn - L::kLotLimitColumn] = number(lowerSpec->value);
        right.append(beside);
    }
    const int last = L::kFirstDataRow + k - 1;
    sheet.range(rect(L::kFirstDataRow, L::kLotColumn, last, L::kMeanColumn)).setValues(left);
    keepTexts(sheet, L::kLotColumn, L::kFirstDataRow, c.lots);
    QList<QStringList> dispersion;
    for (const ChartPoint& d : c.dispersion.points) dispersion.append({d.text});
    sheet.range(rect(L::kFirstDataRow, L::kDispersionColumn, last, L::kDispersionColumn)).setValues(dispersion);
    sheet.range(rect(L::kFirstDataRow, L::kLotLimitColumn, last, L::kLastDataColumn)).setValues(right);
}

// The value of a line at lot i: its own limit under the chart constants, else the straight line.
std::optional<double> lineAt(const GuideLine* line, int i)
{
    if (!line) return std::nullopt;
    if (line->stepped()) {
        const double v = line->steps[size_t(i)];
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    }
    return line->value;
}

// The charts' table: every lot over `m` slots, its point and number on the middle one, the
// line joining the points through the slots between two lots that both have one.
QList<QStringList> plotTable(const chartmodel::ControlChart& c, int m, int labelEvery)
{
    const int k = int(c.lots.size());
    const int h = m / 2;
    QList<QStringList> rows;
    rows.reserve(k * m);
    const GuideLine* spec[2] = {c.x.line(LineKind::SpecUpper), c.x.line(LineKind::SpecLower)};
    // The joining line at slot offset `t` (−h to h) of lot i.
    auto joined = [&](const ControlPanel& p, int i, int t) -> std::optional<double> {
        const int a = t < 0 ? i - 1 : i, b = a + 1;
        if (t == 0) return p.points[size_t(i)].value;
        if (a < 0 || b >= k || !p.points[size_t(a)].value || !p.points[size_t(b)].value) return std::nullopt;
        const double va = *p.points[size_t(a)].value, vb = *p.points[size_t(b)].value;
        const double f = double((i - a) * m + t) / m;
        return va + (vb - va) * f;
    };
    // One chart's columns of a slot row: the joining line, the point and the marked point on the
    // middle slot, the centre line and limits on every slot.
    struct Columns {
        int line, point, marked, centre, upper, lower;
    };
    auto place = [&](QStringList& row, const ControlPanel& p, int i, int t, const Columns& at) {
        const ChartPoint& pt = p.points[size_t(i)];
        row[at.line] = number(joined(p, i, t));
        row[at.point] = t == 0 ? number(pt.value) : QString();
        row[at.marked] = t == 0 && pt.marked() ? number(pt.value) : QString();
        row[at.centre] = number(lineAt(p.line(LineKind::Centre), i));
        row[at.upper] = number(lineAt(p.line(LineKind::Upper), i));
        row[at.lower] = number(lineAt(p.line(LineKind::Lower), i));
    };
    const Columns xColumns{L::kPlotXLine, L::kPlotXPoint, L::kPlotXMarked, L::kPlotXCentre, L::kPlotXUcl, L::kPlotXLcl};
    const Columns dColumns{L::kPlotDLine, L::kPlotDPoint, L::kPlotDMarked, L::kPlotDCentre, L::kPlotDUcl, L::kPlotDLcl};
    for (int i = 0; i < k; ++i)
        for (int t = -h; t <= h; ++t) {
            QStringList row(L::kPlotColumns);
            if (t == 0 && i % labelEvery == 0) row[L::kPlotCategory] = c.lots[i];
            place(row, c.x, i, t, xColumns);
            place(row, c.dispersion, i, t, dColumns);
            row[L::kPlotSpecUpper] = number(lineAt(spec[0], i));
            row[L::kPlotSpecLower] = number(lineAt(spec[1], i));
            rows.append(row);
        }
    return rows;
}

void writePlot(spreadsheet::Worksheet& sheet, spreadsheet::Book& book, const chartmodel::ControlChart& c)
{
    const int k = int(c.lots.size());
    const int m = slotsPerLot(k);
    const int labelEvery = chartmodel::labelInterval(k);
    const QList<QStringList> rows = plotTable(c, m, labelEvery);
    const int first = L::kFirstDataRow, last = first + int(rows.size()) - 1;
    if (!rows.isEmpty()) {
        sheet.range(rect(first, L::kPlotColumn, last, L::kPlotColumn + L::kPlotColumns - 1)).setValues(rows);
        QStringList labels;
        for (const QStringList& r : rows) labels << r[L::kPlotCategory];
        keepTexts(sheet, L::kPlotColumn, first, labels);
    }
    // The slots left over go, so that every series ends with the last lot.
    sheet.range(rect(last + 1, L::kPlotColumn, L::kFirstDataRow + L::kPlotRows - 1, L::kPlotColumn + L::kPlotColumns - 1)).deleteShiftUp();

    // A template an operator restyled may hold fewer charts: those it has are set.
    const int charts = std::min(book.chartCount(), L::kControlCharts);
    const ControlPanel* panels[] = {&c.x, &c.dispersion};
    for (int i = 0; i < charts; ++i) {
        const ControlPanel& p = *panels[i];
        book.setChartAxisBounds(i, true, p.range.min, p.range.max);
        book.setChartAxisTitle(i, true, p.axisTitle);
        book.setChartAxisNumberFormat(i, true, model::formatFixed(0.0, p.labelDecimals));
        // Every slot's label is drawn (the blank ones show nothing): the lots' labels are thinned in the table.
        book.setChartLabelInterval(i, 1);
    }
    if (charts > 1) book.setChartLegendEntryShown(1, L::kDispersionLclSeries, c.dispersion.line(LineKind::Lower) != nullptr);
}

// The names the legends show, column AK: the lines with their values, and the marked points.
void writeLineNames(spreadsheet::Worksheet& sheet, const chartmodel::ControlChart& c)
{
    auto label = [](const GuideLine* l) { return l ? l->label() : QString(); };
    const QString names[L::kLineNames] = {label(c.x.line(LineKind::Centre)),
                                          label(c.x.line(LineKind::Upper)),
                                          label(c.x.line(LineKind::Lower)),
                                          label(c.dispersion.line(LineKind::Centre)),
                                          label(c.dispersion.line(LineKind::Upper)),
                                          label(c.dispersion.line(LineKind::Lower)),
                                          QStringLiteral("異常（ルール該当）")};
    for (int i = 0; i < L::kLineNames; ++i) sheet.range(cell(i, L::kLineNameColumn)).setText(names[i]);
}

} // namespace

int slotsPerLot(int lots)
{
    int m = lots <= 0 ? L::kMaxSlotsPerLot : std::min(L::kMaxSlotsPerLot, L::kPlotRows / lots);
    if (m % 2 == 0) --m;
    return std::max(m, 1);
}

QString fillControlChart(ExcelSession& session, const ReportFolders& folders, const QDateTime& when,
                         const chartmodel::ChartModel& model, const QString& fileTag)
{
    const chartmodel::ControlChart& c = model.control;
    if (c.error) throw *c.error;
    if (!c.message.isEmpty()) throw spreadsheet::Error(c.message);
    const ReportCopy copy(session, folders.formFiles + u'/' + controlChartTemplateName(c.kind), folders.saveFiles, when, fileTag);
    session.start();
    session.setWorkbook(session.application().openWorkbook(copy));
    session.setWorksheet(session.application().worksheet(1));
    spreadsheet::Worksheet& sheet = session.worksheet();
    spreadsheet::Book& book = session.workbook().book();

    const int k = static_cast<int>(c.lots.size());
    writeTable(sheet, c);
    sheet.range(rect(L::kFirstDataRow + k, L::kLotColumn, L::kLastDataRow, L::kLastDataColumn)).deleteShiftUp();
    writeLineNames(sheet, c);
    writePlot(sheet, book, c);
    writeIdentityBlock(sheet, model.identification, L::kChartPageColumn);

    // Row 2: the centre lines as the charts draw them, the limits as the fields show them (the
    // nominal lot size's under the chart constants).
    for (const auto& [column, line] : {std::pair{L::kCentreColumn, c.x.line(LineKind::Centre)}, {L::kUclColumn, c.x.line(LineKind::Upper)},
                                       {L::kLclColumn, c.x.line(LineKind::Lower)},
                                       {L::kDispersionCentreColumn, c.dispersion.line(LineKind::Centre)},
                                       {L::kDispersionUclColumn, c.dispersion.line(LineKind::Upper)}})
        if (line && line->value) sheet.range(cell(L::kFirstDataRow, column)).setValue(*line->value);

    const int sheetIndex = sheet.number() - 1;
    book.showFrom(sheetIndex, 1, L::kChartPageColumn + 1);
    book.setPrintArea(sheetIndex, {rect(0, L::kChartPageColumn, L::kChartPageRows - 1, L::kChartPageColumn + L::kChartPageColumns - 1),
                                   rect(0, 0, std::max(L::kFirstDataRow, L::kFirstDataRow + k - 1), L::kLastDataColumn)});
    setPageFrame(book, sheetIndex, model.identification);
    session.workbook().save();
    return copy;
}

} // namespace reports
