#include "judge/StudyTable.h"

#include "judge/ResultTexts.h"
#include "model/NumberText.h"

#include <cmath>

namespace judge {

namespace {

QString fixed(std::optional<double> v, int digits)
{
    return v && std::isfinite(*v) ? model::formatFixed(*v, digits) : kNotJudgedText;
}

QString interval(const std::optional<Interval>& ci)
{
    if (!ci) return kNotJudgedText;
    return QStringLiteral("[%1, %2]").arg(model::formatFixed(ci->low, 3), model::formatFixed(ci->high, 3));
}

} // namespace

std::vector<StudyLine> studyLines(const CapabilityStudy& st)
{
    const std::optional<AndersonDarling>& ad = st.andersonDarling;
    auto adPart = [&](double AndersonDarling::*member) {
        return ad ? std::optional<double>((*ad).*member) : std::nullopt;
    };
    return {
        {QStringLiteral("項目"), QStringLiteral("値"), QStringLiteral("95%信頼区間")},
        {QStringLiteral("N"), QString::number(st.n), {}},
        {QStringLiteral("平均"), fixed(st.mean, 5), {}},
        {QStringLiteral("σ (群内)"), fixed(st.sigmaWithin, 5), {}},
        {QStringLiteral("σ (全体)"), fixed(st.sigmaOverall, 5), {}},
        {QStringLiteral("Cp (群内)"), fixed(st.cp, 3), interval(st.cpCi)},
        {QStringLiteral("CPU (群内)"), fixed(st.cpu, 3), {}},
        {QStringLiteral("CPL (群内)"), fixed(st.cpl, 3), {}},
        {QStringLiteral("Cpk (群内)"), fixed(st.cpk, 3), interval(st.cpkCi)},
        {QStringLiteral("Pp (全体)"), fixed(st.pp, 3), interval(st.ppCi)},
        {QStringLiteral("PPU (全体)"), fixed(st.ppu, 3), {}},
        {QStringLiteral("PPL (全体)"), fixed(st.ppl, 3), {}},
        {QStringLiteral("Ppk (全体)"), fixed(st.ppk, 3), interval(st.ppkCi)},
        {QStringLiteral("Cpm"), fixed(st.cpm, 3), {}},
        {QStringLiteral("規格外ppm (群内σの期待値)"), fixed(st.ppmWithin, 1), {}},
        {QStringLiteral("規格外ppm (全体σの期待値)"), fixed(st.ppmOverall, 1), {}},
        {QStringLiteral("規格外ppm (実測)"), fixed(st.ppmObserved, 1), {}},
        {QStringLiteral("Anderson-Darling A²"), fixed(adPart(&AndersonDarling::a2), 4), {}},
        {QStringLiteral("A*² (補正)"), fixed(adPart(&AndersonDarling::a2Adjusted), 4), {}},
        {QStringLiteral("p値"), fixed(adPart(&AndersonDarling::p), 4), {}},
    };
}

std::vector<QStringList> studyRows(const std::vector<StudyLine>& lines, const QString& normality)
{
    std::vector<QStringList> rows;
    rows.reserve(lines.size() + 1);
    for (const StudyLine& l : lines) rows.push_back({l.label, l.value, l.interval});
    rows.push_back({normality});
    return rows;
}

QString normalityLine(const CapabilityStudy& st)
{
    if (!st.andersonDarling) return QStringLiteral("正規性の検定: 測定値が8個未満か、ばらつきがありません。");
    if (st.normalityRejected()) return kNormalityWarning;
    return QStringLiteral("正規性の検定: p値は0.05以上です。");
}

} // namespace judge
