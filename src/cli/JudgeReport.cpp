#include "cli/JudgeReport.h"

#include "cli/TextTable.h"
#include "judge/Capability.h"
#include "sheetview/GridLayout.h"


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
    };
    return QStringLiteral("    {\n") + in + fields.join(QStringLiteral(",\n") + in) + QStringLiteral("\n    }");
}

QString resultText(const QString& result) { return result.isEmpty() ? QStringLiteral("判定なし") : result; }

// The statistics and indices of the capability grid stand to the right, as in the window.
bool capabilityNumberColumn(int column) { return column >= judge::kCalcCount && column <= judge::kCalcCpk; }
bool noColumnRight(int) { return false; }
bool lastColumnRight(int column) { return column == 2; }

QString sheetText(const SheetJudgement& s)
{
    static const QString charts[] = {QStringLiteral("XbarR管理図"), QStringLiteral("XbarS管理図"), QStringLiteral("X-Rs管理図")};
    static const QString methods[] = {QStringLiteral("３シグマ法"), QStringLiteral("指定管理値")};
    const QString side = sheetview::dispersionSide(s.chart);
    QString t;
    t += QStringLiteral("シート%1  項目名称: %2  ロット数(行): %3  検査ｎ数(列): %4  管理図指定: %5  管理限界線: %6\n")
             .arg(QString::number(s.number), s.item, QString::number(s.lots), QString::number(s.measurements),
                  charts[std::clamp(s.chart, 0, 2)], methods[std::clamp(s.limitMethod, 0, 1)]);
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
    for (const sheetview::Notice& m : s.messages) t += QStringLiteral("\n%1: %2\n").arg(m.caption, m.text);
    return t;
}

} // namespace

QByteArray jsonReport(const QString& file, const std::vector<SheetJudgement>& sheets)
{
    QStringList objects;
    objects.reserve(qsizetype(sheets.size()));
    for (const SheetJudgement& s : sheets) objects.append(sheetJson(s));
    const QString sheetList = objects.isEmpty() ? QStringLiteral("[]")
                                                : QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n  ]");
    return (QStringLiteral("{\n  \"file\": ") + jsonString(file) + QStringLiteral(",\n  \"sheets\": ") + sheetList
            + QStringLiteral("\n}\n"))
        .toUtf8();
}

QString textReport(const QString& file, const std::vector<SheetJudgement>& sheets)
{
    QString t = QStringLiteral("ファイル: %1\n").arg(file);
    for (const SheetJudgement& s : sheets) t += u'\n' + sheetText(s);
    return t;
}

} // namespace cli
