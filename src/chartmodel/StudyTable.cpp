#include "chartmodel/StudyTable.h"

#include "chartmodel/ChartTexts.h"
#include "chartmodel/FigureNames.h"
#include "judge/ResultTexts.h"
#include "model/NumberText.h"

#include <cmath>

namespace chartmodel {

namespace {

QString interval(const std::optional<judge::Interval>& ci)
{
    if (!ci) return judge::kNotJudgedText;
    return QStringLiteral("[%1, %2]").arg(model::formatFixed(ci->low, 3), model::formatFixed(ci->high, 3));
}

StudyLine line(Figure figure, std::optional<double> value, const QString& label = {})
{
    const FigureName& name = figureName(figure);
    const QString text = value && std::isfinite(*value) ? model::formatFixed(*value, name.decimals) : judge::kNotJudgedText;
    return {label.isEmpty() ? name.label : label, text, {}, name.decimals};
}

StudyLine line(Figure figure, std::optional<double> value, const std::optional<judge::Interval>& ci)
{
    StudyLine l = line(figure, value);
    l.interval = interval(ci);
    return l;
}

} // namespace

std::vector<StudyLine> studyLines(const judge::CapabilityStudy& st, judge::ChartKind chart)
{
    const std::optional<judge::AndersonDarling>& ad = st.andersonDarling;
    auto adPart = [&](double judge::AndersonDarling::*member) {
        return ad ? std::optional<double>((*ad).*member) : std::nullopt;
    };
    return {
        {QStringLiteral("項目"), QStringLiteral("値"), QStringLiteral("95%信頼区間"), -1},
        line(Figure::Count, double(st.n)),
        line(Figure::Mean, st.mean),
        line(Figure::SigmaWithin, st.sigmaWithin, sigmaWithinLabel(chart)),
        line(Figure::SigmaOverall, st.sigmaOverall),
        line(Figure::Cp, st.cp, st.cpCi),
        line(Figure::Cpu, st.cpu),
        line(Figure::Cpl, st.cpl),
        line(Figure::Cpk, st.cpk, st.cpkCi),
        line(Figure::Pp, st.pp, st.ppCi),
        line(Figure::Ppu, st.ppu),
        line(Figure::Ppl, st.ppl),
        line(Figure::Ppk, st.ppk, st.ppkCi),
        line(Figure::Cpm, st.cpm),
        line(Figure::PpmWithin, st.ppmWithin),
        line(Figure::PpmOverall, st.ppmOverall),
        line(Figure::PpmObserved, st.ppmObserved),
        line(Figure::AndersonDarling, adPart(&judge::AndersonDarling::a2)),
        line(Figure::AndersonDarlingAdjusted, adPart(&judge::AndersonDarling::a2Adjusted)),
        line(Figure::NormalityP, adPart(&judge::AndersonDarling::p)),
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

QString normalityLine(const judge::CapabilityStudy& st)
{
    if (!st.andersonDarling) return QStringLiteral("正規性の検定: 測定値が8個未満か、ばらつきがありません。");
    if (st.normalityRejected()) return kNormalityWarning;
    return QStringLiteral("正規性の検定: p値は0.05以上です。");
}

} // namespace chartmodel
