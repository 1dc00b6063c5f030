#include "cli/JudgeReport.h"

#include "cli/TextTable.h"
#include "judge/Capability.h"
#include "judge/StudyTable.h"

#include <cmath>
#include "sheetview/GridLayout.h"
#include "sheetview/ViewTexts.h"


namespace cli {

namespace {

// A JSON string: quotes, backslashes and control characters escaped, everything else as it is.
QString jsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20) out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else out += c;
        }
    }
    out += u'"';
    return out;
}

QString stringArray(const QStringList& texts)
{
    QStringList quoted;
    quoted.reserve(texts.size());
    for (const QString& t : texts) quoted.append(jsonString(t));
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

// A grid as an array of rows, one row a line.
QString gridJson(const std::vector<QStringList>& rows, const QString& indent)
{
    if (rows.empty()) return QStringLiteral("[]");
    QStringList lines;
    lines.reserve(qsizetype(rows.size()));
    for (const QStringList& row : rows) lines.append(indent + QStringLiteral("  ") + stringArray(row));
    return QStringLiteral("[\n") + lines.join(QStringLiteral(",\n")) + u'\n' + indent + u']';
}

// A number at full double precision; null where undefined.
QString jsonNumber(std::optional<double> v)
{
    return v && std::isfinite(*v) ? QString::number(*v, 'g', 17) : QStringLiteral("null");
}

QString jsonInterval(const std::optional<judge::Interval>& ci)
{
    if (!ci) return QStringLiteral("null");
    return u'[' + jsonNumber(ci->low) + QStringLiteral(", ") + jsonNumber(ci->high) + u']';
}

QString studyJson(const std::optional<judge::CapabilityStudy>& study)
{
    if (!study) return QStringLiteral("null");
    const judge::CapabilityStudy& st = *study;
    const std::pair<const char*, QString> fields[] = {
        {"n", QString::number(st.n)},
        {"mean", jsonNumber(st.mean)},
        {"sigma_within", jsonNumber(st.sigmaWithin)},
        {"sigma_overall", jsonNumber(st.sigmaOverall)},
        {"cp", jsonNumber(st.cp)},
        {"cpu", jsonNumber(st.cpu)},
        {"cpl", jsonNumber(st.cpl)},
        {"cpk", jsonNumber(st.cpk)},
        {"pp", jsonNumber(st.pp)},
        {"ppu", jsonNumber(st.ppu)},
        {"ppl", jsonNumber(st.ppl)},
        {"ppk", jsonNumber(st.ppk)},
        {"cpm", jsonNumber(st.cpm)},
        {"cp_ci", jsonInterval(st.cpCi)},
        {"cpk_ci", jsonInterval(st.cpkCi)},
        {"pp_ci", jsonInterval(st.ppCi)},
        {"ppk_ci", jsonInterval(st.ppkCi)},
        {"ppm_within", jsonNumber(st.ppmWithin)},
        {"ppm_overall", jsonNumber(st.ppmOverall)},
        {"ppm_observed", jsonNumber(st.ppmObserved)},
        {"anderson_darling",
         st.andersonDarling ? QStringLiteral("{\"a2\": %1, \"a2_adjusted\": %2, \"p\": %3}")
                                  .arg(jsonNumber(st.andersonDarling->a2), jsonNumber(st.andersonDarling->a2Adjusted),
                                       jsonNumber(st.andersonDarling->p))
                            : QStringLiteral("null")},
    };
    QStringList parts;
    for (const auto& [key, value] : fields) parts.append(u'"' + QString::fromLatin1(key) + QStringLiteral("\": ") + value);
    return u'{' + parts.join(QStringLiteral(", ")) + u'}';
}

QString lotLimitsJson(const std::optional<judge::StandardLimits>& limits, const QString& indent)
{
    if (!limits) return QStringLiteral("null");
    if (limits->lots.empty()) return QStringLiteral("[]");
    QStringList lines;
    for (const judge::LotLimits& lot : limits->lots)
        lines.append(indent + QStringLiteral("  {\"lot\": %1, \"n\": %2, \"cl\": %3, \"ucl\": %4, \"lcl\": %5, "
                                             "\"dispersion_cl\": %6, \"dispersion_ucl\": %7, \"dispersion_lcl\": %8}")
                                  .arg(jsonString(lot.lot), QString::number(lot.n), jsonNumber(lot.cl), jsonNumber(lot.ucl),
                                       jsonNumber(lot.lcl), jsonNumber(lot.dispersionCl), jsonNumber(lot.dispersionUcl),
                                       jsonNumber(lot.dispersionLcl)));
    return QStringLiteral("[\n") + lines.join(QStringLiteral(",\n")) + u'\n' + indent + u']';
}

QString sheetJson(const SheetJudgement& s)
{
    const QString in = QStringLiteral("      ");
    QStringList outOfSpec;
    for (const sheetview::CellAt& cell : s.outOfSpec) outOfSpec.append(QStringLiteral("[%1, %2]").arg(cell.row).arg(cell.col + 1));
    QStringList messages;
    for (const sheetview::Notice& m : s.messages)
        messages.append(QStringLiteral("{\"caption\": %1, \"text\": %2}").arg(jsonString(m.caption), jsonString(m.text)));
    QStringList fields{
        QStringLiteral("\"number\": %1").arg(s.number),
        QStringLiteral("\"item\": ") + jsonString(s.item),
        QStringLiteral("\"lots\": %1").arg(s.lots),
        QStringLiteral("\"measurements\": %1").arg(s.measurements),
        QStringLiteral("\"judgements\": {\"spec\": %1, \"capability\": %2, \"spc\": %3}")
            .arg(jsonString(s.spec), jsonString(s.capability), jsonString(s.spc)),
        QStringLiteral("\"limits\": {\"ucl\": %1, \"lcl\": %2, \"dispersion_ucl\": %3}")
            .arg(jsonString(s.ucl), jsonString(s.lcl), jsonString(s.dispersionUcl)),
        QStringLiteral("\"capability_grid\": ") + gridJson(s.capabilityGrid, in),
        QStringLiteral("\"spc_grid\": ") + gridJson(s.spcGrid, in),
        QStringLiteral("\"out_of_spec\": [") + outOfSpec.join(QStringLiteral(", ")) + u']',
        QStringLiteral("\"messages\": [") + messages.join(QStringLiteral(", ")) + u']',
        QStringLiteral("\"capability_study\": ") + studyJson(s.study),
    };
    if (s.limitMethod == judge::LimitMethod::Standard)
        fields.append(QStringLiteral("\"limits_per_lot\": ") + lotLimitsJson(s.lotLimits, in));
    return QStringLiteral("    {\n") + in + fields.join(QStringLiteral(",\n") + in) + QStringLiteral("\n    }");
}

QString resultText(const QString& result) { return result.isEmpty() ? QStringLiteral("判定なし") : result; }

// The statistics and indices of the capability grid stand to the right, as in the window.
bool capabilityNumberColumn(int column) { return column >= judge::kCalcCount && column <= judge::kCalcCpk; }
bool noColumnRight(int) { return false; }
bool lastColumnRight(int column) { return column == 2; }

bool lastColumnsRight(int column) { return column >= 1; }

std::vector<QStringList> studyRows(const judge::CapabilityStudy& st)
{
    std::vector<QStringList> rows;
    for (const judge::StudyLine& line : judge::studyLines(st)) rows.push_back({line.label, line.value, line.interval});
    return rows;
}

QString sheetText(const SheetJudgement& s)
{
    const QString side = sheetview::dispersionSide(s.chart);
    QString t;
    t += QStringLiteral("シート%1  項目名称: %2  ロット数(行): %3  検査ｎ数(列): %4  管理図指定: %5  管理限界線: %6\n")
             .arg(QString::number(s.number), s.item, QString::number(s.lots), QString::number(s.measurements),
                  sheetview::listText(sheetview::chartKindTexts(), s.chart),
                  sheetview::listText(sheetview::limitMethodTexts(), s.limitMethod));
    t += QStringLiteral("総合判定結果  規格判定: %1  CP-CPK不良率判定: %2  SPC異常判定: %3\n")
             .arg(resultText(s.spec), resultText(s.capability), resultText(s.spc));
    t += QStringLiteral("X-UCL: %1  X-LCL: %2  %3-UCL: %4\n").arg(s.ucl, s.lcl, side, s.dispersionUcl);
    t += QStringLiteral("\nCP-CPK不良率判定\n") + alignedTable(s.capabilityGrid, capabilityNumberColumn, QStringLiteral("  "));
    t += QStringLiteral("\nSPC異常判定(X側-%1側)\n").arg(side) + alignedTable(s.spcGrid, noColumnRight, QStringLiteral("  "));
    if (s.outOfSpec.empty()) {
        t += QStringLiteral("\n規格外の測定値: なし\n");
    } else {
        std::vector<QStringList> cells{{QStringLiteral("ﾛｯﾄ№"), QStringLiteral("列"), QStringLiteral("測定値")}};
        for (size_t i = 0; i < s.outOfSpec.size(); ++i)
            cells.push_back({s.outOfSpecLots[qsizetype(i)], QStringLiteral("N%1").arg(s.outOfSpec[i].col + 1),
                             s.outOfSpecValues[qsizetype(i)]});
        t += QStringLiteral("\n規格外の測定値: %1 件\n").arg(qsizetype(s.outOfSpec.size())) + alignedTable(cells, lastColumnRight, QStringLiteral("  "));
    }
    if (s.study)
        t += u'\n' + judge::kCapabilityStudyTitle + u'\n'
             + alignedTable(studyRows(*s.study), lastColumnsRight, QStringLiteral("  ")) + QStringLiteral("  ")
             + judge::normalityLine(*s.study) + u'\n';
    for (const sheetview::Notice& m : s.messages) t += QStringLiteral("\n%1: %2\n").arg(m.caption, m.text);
    return t;
}

// The report under a head of "key": value pairs (null for none).
QByteArray jsonReport(const std::vector<std::pair<QString, std::optional<QString>>>& head, const std::vector<SheetJudgement>& sheets)
{
    QStringList objects;
    objects.reserve(qsizetype(sheets.size()));
    for (const SheetJudgement& s : sheets) objects.append(sheetJson(s));
    const QString sheetList = objects.isEmpty() ? QStringLiteral("[]")
                                                : QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n  ]");
    QString out = QStringLiteral("{\n");
    for (const auto& [key, value] : head)
        out += QStringLiteral("  \"%1\": ").arg(key) + (value ? jsonString(*value) : QStringLiteral("null")) + QStringLiteral(",\n");
    return (out + QStringLiteral("  \"sheets\": ") + sheetList + QStringLiteral("\n}\n")).toUtf8();
}

QString headedText(const QString& head, const std::vector<SheetJudgement>& sheets)
{
    QString t = head + u'\n';
    for (const SheetJudgement& s : sheets) t += u'\n' + sheetText(s);
    return t;
}

} // namespace

QByteArray jsonReport(const QString& file, const std::vector<SheetJudgement>& sheets)
{
    return jsonReport({{QStringLiteral("file"), file}}, sheets);
}

QString textReport(const QString& file, const std::vector<SheetJudgement>& sheets)
{
    return headedText(QStringLiteral("ファイル: %1").arg(file), sheets);
}

QByteArray jsonReport(const QString& database, const QString& characteristic, const QString& baseline,
                      const std::vector<SheetJudgement>& sheets)
{
    return jsonReport({{QStringLiteral("database"), database},
                       {QStringLiteral("characteristic"), characteristic},
                       {QStringLiteral("baseline"), baseline.isEmpty() ? std::nullopt : std::optional<QString>(baseline)}},
                      sheets);
}

QString textReport(const QString& database, const QString& characteristic, const QString& baseline,
                   const std::vector<SheetJudgement>& sheets)
{
    QString head = QStringLiteral("データベース: %1\n特性: %2").arg(database, characteristic);
    if (!baseline.isEmpty()) head += u'\n' + baseline;
    return headedText(head, sheets);
}

} // namespace cli
