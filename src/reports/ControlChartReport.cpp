#include "reports/ControlChartReport.h"

#include "judge/Capability.h"
#include "model/NumberText.h"
#include "model/Text.h"
#include "reports/ExcelSession.h"

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

} // namespace

QString fillControlChart(ExcelSession& session, const ReportFolders& folders, const QDateTime& when,
                         const ControlChartData& data)
{
    const QString copy = copyTemplate(folders.formFiles + u'/' + controlChartTemplateName(data.kind), folders.saveFiles, when, data.fileTag);
    if (!session.start()) return copy;
    session.setWorkbook(session.application().openWorkbook(copy));
    session.setWorksheet(session.application().worksheet(1));
    spreadsheet::Worksheet& sheet = session.worksheet();

    const int k = static_cast<int>(data.lots.size());
    if (k > 0) {
        const QString last = QString::number(kFirstRow + k - 1);
        sheet.range(QStringLiteral("A2"), u'A' + last).setValues(column(data.lots));
        sheet.range(QStringLiteral("B2"), u'B' + last).setValues(column(data.means));
        sheet.range(QStringLiteral("F2"), u'F' + last).setValues(column(data.dispersions));
    }
    const bool byLot = k > 0 && int(data.lotLimits.size()) == k;
    if (byLot) writeLotLimits(sheet, data.lotLimits, data.kind);
    sheet.range(u'A' + QString::number(kFirstRow + k), u'H' + QString::number(kLastRow)).deleteShiftUp();

    sheet.range(QStringLiteral("C2")).setValue(data.centre);
    sheet.range(QStringLiteral("D2")).setValue(data.ucl);
    sheet.range(QStringLiteral("E2")).setValue(data.lcl);
    sheet.range(QStringLiteral("G2")).setValue(data.dispersionCentre);
    sheet.range(QStringLiteral("H2")).setValue(data.dispersionUcl);
    session.workbook().save();
    return copy;
}

} // namespace reports
