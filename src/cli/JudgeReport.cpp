#include "cli/JudgeReport.h"

#include "chartmodel/ChartTexts.h"
#include "chartmodel/FigureNames.h"
#include "chartmodel/StudyTable.h"
#include "cli/SheetWorkers.h"
#include "cli/TextTable.h"
#include "judge/Capability.h"
#include "sheetview/GridLayout.h"
#include "sheetview/ViewTexts.h"

#include <cmath>


namespace cli {

namespace {

// A JSON string appended: quotes, backslashes and control characters escaped, everything else
// as it is. Texts that need no escape, as nearly all do, are appended whole.
void appendJsonString(QString& out, QStringView text)
{
    out += u'"';
    qsizetype plain = 0; // characters from here on are appended together
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\') continue;
        out += text.mid(plain, i - plain);
        plain = i + 1;
        switch (c) {
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default: out += QStringLiteral("\\u%1").arg(c, 4, 16, QLatin1Char('0'));
        }
    }
    out += text.mid(plain);
    out += u'"';
}

QString jsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    appendJsonString(out, text);
    return out;
}

void appendStringArray(QString& out, const QStringList& texts)
{
    out += u'[';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i) out += u", ";
        appendJsonString(out, texts[i]);
    }
    out += u']';
}

QString stringArray(const QStringList& texts)
{
    QString out;
    appendStringArray(out, texts);
    return out;
}

// A grid as an array of rows, one row a line, written into one text.
QString gridJson(const std::vector<QStringList>& rows, const QString& indent)
{
    if (rows.empty()) return QStringLiteral("[]");
    QString out = QStringLiteral("[\n");
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r) out += u",\n";
        out += indent;
        out += u"  ";
        appendStringArray(out, rows[r]);
    }
    out += u'\n';
    out += indent;
    out += u']';
    return out;
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

QString withinMethodKey(judge::WithinMethod method)
{
    switch (method) {
    case judge::WithinMethod::Pooled: return QStringLiteral("pooled");
    case judge::WithinMethod::RBar: return QStringLiteral("rbar");
    case judge::WithinMethod::SBar: return QStringLiteral("sbar");
    case judge::WithinMethod::MovingRange: break;
    }
    return QStringLiteral("mr");
}

QString fitFamilyKey(judge::FitFamily family)
{
    switch (family) {
    case judge::FitFamily::Normal: return QStringLiteral("normal");
    case judge::FitFamily::BoxCox: return QStringLiteral("boxcox");
    case judge::FitFamily::Lognormal: return QStringLiteral("lognormal");
    case judge::FitFamily::Weibull: break;
    }
    return QStringLiteral("weibull");
}

QString objectJson(const std::vector<std::pair<QString, QString>>& fields)
{
    QStringList parts;
    for (const auto& [key, value] : fields) parts.append(jsonString(key) + QStringLiteral(": ") + value);
    return u'{' + parts.join(QStringLiteral(", ")) + u'}';
}

QString textOrNull(const QString& text) { return text.isEmpty() ? QStringLiteral("null") : jsonString(text); }

// The fitted distribution's figures, its parameters named after the distribution.
QString nonNormalJson(const std::optional<judge::NonNormalStudy>& study)
{
    if (!study || !study->result) return QStringLiteral("null");
    const judge::PercentileCapability& pc = *study->result;
    const judge::FittedDistribution& fit = pc.fit;
    std::vector<std::pair<QString, QString>> fields{{QStringLiteral("method"), jsonString(fitFamilyKey(fit.family))}};
    switch (fit.family) {
    case judge::FitFamily::BoxCox: fields.push_back({QStringLiteral("lambda"), jsonNumber(fit.lambda)}); break;
    case judge::FitFamily::Lognormal:
        fields.push_back({QStringLiteral("meanlog"), jsonNumber(fit.location)});
        fields.push_back({QStringLiteral("sdlog"), jsonNumber(fit.spread)});
        break;
    case judge::FitFamily::Weibull:
        fields.push_back({QStringLiteral("shape"), jsonNumber(fit.shape)});
        fields.push_back({QStringLiteral("scale"), jsonNumber(fit.scale)});
        break;
    case judge::FitFamily::Normal: break;
    }
    const std::optional<judge::AndersonDarling>& ad = pc.goodness;
    const std::pair<QString, QString> figures[] = {
        {QStringLiteral("p00135"), jsonNumber(pc.p00135)},
        {QStringLiteral("p50"), jsonNumber(pc.p50)},
        {QStringLiteral("p99865"), jsonNumber(pc.p99865)},
        {QStringLiteral("pp"), jsonNumber(pc.pp)},
        {QStringLiteral("ppu"), jsonNumber(pc.ppu)},
        {QStringLiteral("ppl"), jsonNumber(pc.ppl)},
        {QStringLiteral("ppk"), jsonNumber(pc.ppk)},
        {QStringLiteral("ppm_expected"), jsonNumber(pc.ppmExpected)},
        {QStringLiteral("fit_a2"), jsonNumber(ad ? std::optional<double>(ad->a2) : std::nullopt)},
        {QStringLiteral("fit_p"), jsonNumber(ad ? std::optional<double>(ad->p) : std::nullopt)},
    };
    fields.insert(fields.end(), std::begin(figures), std::end(figures));
    return objectJson(fields);
}

QString studyJson(const std::optional<judge::CapabilityStudy>& study)
{
    if (!study) return QStringLiteral("null");
    const judge::CapabilityStudy& st = *study;
    using chartmodel::Figure;
    auto key = [](Figure f) { return chartmodel::figureName(f).key; };
    const std::pair<QString, QString> fields[] = {
        {key(Figure::Count), QString::number(st.n)},
        {key(Figure::Mean), jsonNumber(st.mean)},
        {key(Figure::SigmaWithin), jsonNumber(st.sigmaWithin)},
        {key(Figure::SigmaOverall), jsonNumber(st.sigmaOverall)},
        {key(Figure::Cp), jsonNumber(st.cp)},
        {key(Figure::Cpu), jsonNumber(st.cpu)},
        {key(Figure::Cpl), jsonNumber(st.cpl)},
        {key(Figure::Cpk), jsonNumber(st.cpk)},
        {key(Figure::Pp), jsonNumber(st.pp)},
        {key(Figure::Ppu), jsonNumber(st.ppu)},
        {key(Figure::Ppl), jsonNumber(st.ppl)},
        {key(Figure::Ppk), jsonNumber(st.ppk)},
        {key(Figure::Cpm), jsonNumber(st.cpm)},
        {QStringLiteral("cp_ci"), jsonInterval(st.cpCi)},
        {QStringLiteral("cpk_ci"), jsonInterval(st.cpkCi)},
        {QStringLiteral("pp_ci"), jsonInterval(st.ppCi)},
        {QStringLiteral("ppk_ci"), jsonInterval(st.ppkCi)},
        {key(Figure::PpmWithin), jsonNumber(st.ppmWithin)},
        {key(Figure::PpmOverall), jsonNumber(st.ppmOverall)},
        {key(Figure::PpmObserved), jsonNumber(st.ppmObserved)},
        {QStringLiteral("anderson_darling"),
         st.andersonDarling ? QStringLiteral("{\"%1\": %2, \"%3\": %4, \"%5\": %6}")
                                  .arg(key(Figure::AndersonDarling), jsonNumber(st.andersonDarling->a2), key(Figure::AndersonDarlingAdjusted),
                                       jsonNumber(st.andersonDarling->a2Adjusted), key(Figure::NormalityP), jsonNumber(st.andersonDarling->p))
                            : QStringLiteral("null")},
        {QStringLiteral("normality_warning"), st.normalityRejected() ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("sigma_within_method"), jsonString(withinMethodKey(st.withinMethod))},
        {QStringLiteral("target"), jsonNumber(st.target)},
        {QStringLiteral("no_index_reason"), textOrNull(chartmodel::indexGapLine(st))},
        {QStringLiteral("nonnormal"), nonNormalJson(st.nonNormal)},
        {QStringLiteral("nonnormal_message"), textOrNull(chartmodel::nonNormalRefusalLine(st))},
    };
    std::vector<std::pair<QString, QString>> named(std::begin(fields), std::end(fields));
    return objectJson(named);
}

QString numberArray(const std::vector<std::optional<double>>& values)
{
    QStringList parts;
    parts.reserve(qsizetype(values.size()));
    for (const std::optional<double>& v : values) parts.append(jsonNumber(v));
    return u'[' + parts.join(QStringLiteral(", ")) + u']';
}

// One chart of the control chart: its points (null for a lot without one) and the rules that
// marked each, the centre line and limits, and each lot's own where the lines are steps.
QString panelJson(const chartmodel::ControlPanel& p)
{
    std::vector<std::optional<double>> points;
    QStringList rules;
    for (const chartmodel::ChartPoint& pt : p.points) {
        points.push_back(pt.value);
        QStringList numbers;
        for (int r : pt.rules) numbers.append(QString::number(r));
        rules.append(u'[' + numbers.join(QStringLiteral(", ")) + u']');
    }
    QStringList fields{QStringLiteral("\"symbol\": ") + jsonString(p.symbol), QStringLiteral("\"points\": ") + numberArray(points),
                       QStringLiteral("\"rules\": [") + rules.join(QStringLiteral(", ")) + u']'};
    const std::pair<const char*, chartmodel::LineKind> lines[] = {
        {"cl", chartmodel::LineKind::Centre}, {"ucl", chartmodel::LineKind::Upper}, {"lcl", chartmodel::LineKind::Lower}};
    for (const auto& [name, kind] : lines) {
        const chartmodel::GuideLine* l = p.line(kind);
        fields.append(QStringLiteral("\"%1\": %2").arg(QString::fromLatin1(name), jsonNumber(l ? l->value : std::nullopt)));
        QString perLot = QStringLiteral("null");
        if (l && l->stepped()) {
            std::vector<std::optional<double>> steps;
            for (double v : l->steps) steps.push_back(std::isfinite(v) ? std::optional<double>(v) : std::nullopt);
            perLot = numberArray(steps);
        }
        fields.append(QStringLiteral("\"%1_per_lot\": %2").arg(QString::fromLatin1(name), perLot));
    }
    return u'{' + fields.join(QStringLiteral(", ")) + u'}';
}

QString controlChartJson(const std::optional<chartmodel::ControlChart>& chart, const QString& indent)
{
    if (!chart) return QStringLiteral("null");
    return QStringLiteral("{\n%1  \"lots\": %2,\n%1  \"x\": %3,\n%1  \"dispersion\": %4\n%1}")
        .arg(indent, stringArray(chart->lots), panelJson(chart->x), panelJson(chart->dispersion));
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
        QStringLiteral("\"control_chart\": ") + controlChartJson(s.controlChart, in),
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
    for (const chartmodel::StudyLine& line : chartmodel::studyLines(st)) rows.push_back({line.label, line.value, line.interval});
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
    if (s.study) {
        t += u'\n' + chartmodel::kCapabilityStudyTitle + u'\n'
             + alignedTable(studyRows(*s.study), lastColumnsRight, QStringLiteral("  ")) + QStringLiteral("  ")
             + chartmodel::normalityLine(*s.study) + u'\n';
        for (const QString& line : {chartmodel::indexGapLine(*s.study), chartmodel::nonNormalRefusalLine(*s.study)})
            if (!line.isEmpty()) t += QStringLiteral("  ") + line + u'\n';
        std::vector<QStringList> fitted;
        for (const chartmodel::StudyLine& line : chartmodel::nonNormalLines(*s.study)) fitted.push_back({line.label, line.value});
        if (!fitted.empty()) t += QStringLiteral("\n非正規の工程能力\n") + alignedTable(fitted, lastColumnsRight, QStringLiteral("  "));
    }
    for (const sheetview::Notice& m : s.messages) t += QStringLiteral("\n%1: %2\n").arg(m.caption, m.text);
    return t;
}

// The report under a head of "key": value pairs (null for none). Each sheet's object is built
// and encoded on its own, on every core, and the bytes joined in the sheets' order into one
// buffer of their size.
QByteArray jsonReport(const std::vector<std::pair<QString, std::optional<QString>>>& head, const std::vector<SheetJudgement>& sheets)
{
    std::vector<QByteArray> objects(sheets.size());
    forEachSheet(int(sheets.size()), [&](int i) { objects[size_t(i)] = sheetJson(sheets[size_t(i)]).toUtf8(); });
    QString top = QStringLiteral("{\n");
    for (const auto& [key, value] : head)
        top += QStringLiteral("  \"%1\": ").arg(key) + (value ? jsonString(*value) : QStringLiteral("null")) + QStringLiteral(",\n");
    top += QStringLiteral("  \"sheets\": ");
    QByteArray out = top.toUtf8();
    qsizetype size = out.size() + 16;
    for (const QByteArray& o : objects) size += o.size() + 2;
    out.reserve(size);
    if (objects.empty()) out += "[]";
    for (size_t i = 0; i < objects.size(); ++i) {
        out += i ? ",\n" : "[\n";
        out += objects[i];
    }
    if (!objects.empty()) out += "\n  ]";
    out += "\n}\n";
    return out;
}

QString headedText(const QString& head, const std::vector<SheetJudgement>& sheets)
{
    QStringList texts(qsizetype(sheets.size()));
    forEachSheet(int(sheets.size()), [&](int i) { texts[i] = sheetText(sheets[size_t(i)]); });
    QString t = head + u'\n';
    for (const QString& text : texts) t += u'\n' + text;
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
