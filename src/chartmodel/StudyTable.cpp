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

QString fixed(std::optional<double> v, int digits)
{
    return v && std::isfinite(*v) ? model::formatFixed(*v, digits) : judge::kNotJudgedText;
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

std::vector<StudyLine> studyLines(const judge::CapabilityStudy& st)
{
    const std::optional<judge::AndersonDarling>& ad = st.andersonDarling;
    auto adPart = [&](double judge::AndersonDarling::*member) {
        return ad ? std::optional<double>((*ad).*member) : std::nullopt;
    };
    return {
        {QStringLiteral("項目"), QStringLiteral("値"), QStringLiteral("95%信頼区間"), -1},
        line(Figure::Count, double(st.n)),
        line(Figure::Mean, st.mean),
        line(Figure::SigmaWithin, st.sigmaWithin, sigmaWithinLabel(st.withinMethod)),
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
        {QStringLiteral("Cpm の目標値"), fixed(st.target, 5), {}, 5},
    };
}

std::vector<QStringList> studyRows(const std::vector<StudyLine>& lines)
{
    std::vector<QStringList> rows;
    rows.reserve(lines.size());
    for (const StudyLine& l : lines) rows.push_back({l.label, l.value, l.interval});
    return rows;
}

QString normalityLine(const judge::CapabilityStudy& st)
{
    if (!st.andersonDarling) return QStringLiteral("正規性の検定: 測定値が8個未満か、ばらつきがありません。");
    if (st.normalityRejected()) return kNormalityWarning;
    return QStringLiteral("正規性の検定: p値は0.05以上です。");
}

QString indexGapLine(const judge::CapabilityStudy& st)
{
    using judge::IndexGap;
    if (st.overallGap == IndexGap::TooFewValues)
        return QStringLiteral("測定値が2個未満のため、工程能力指数は求められません。");
    if (st.overallGap == IndexGap::NoSpread)
        return QStringLiteral("すべての測定値が等しく σ = 0 のため、工程能力指数は求められません。");
    if (st.withinGap == IndexGap::NoLots)
        return st.withinMethod == judge::WithinMethod::MovingRange
                   ? QStringLiteral("使うロットが2つ未満で移動範囲がないため、σ (群内) と Cp、Cpk は求められません。")
                   : QStringLiteral("測定値が2個以上のロットがないため、σ (群内) と Cp、Cpk は求められません。");
    if (st.withinGap == IndexGap::NoSpread)
        return QStringLiteral("ロットの中のばらつきがなく σ (群内) = 0 のため、Cp、Cpk は求められません。");
    return {};
}

QString fitFamilyText(judge::FitFamily family)
{
    switch (family) {
    case judge::FitFamily::Normal: return QStringLiteral("正規分布");
    case judge::FitFamily::BoxCox: return QStringLiteral("Box-Cox変換");
    case judge::FitFamily::Lognormal: return QStringLiteral("対数正規分布");
    case judge::FitFamily::Weibull: break;
    }
    return QStringLiteral("ワイブル分布");
}

const QStringList& distributionTexts()
{
    using judge::FitFamily;
    static const QStringList t{fitFamilyText(FitFamily::Normal), fitFamilyText(FitFamily::BoxCox),
                               fitFamilyText(FitFamily::Lognormal), fitFamilyText(FitFamily::Weibull), QStringLiteral("自動選択")};
    return t;
}

namespace {

// A p value, marked where it is a bound of the table it was read from: "0.1356", "≤ 0.0100".
QString pText(const judge::AndersonDarling& ad)
{
    const QString p = fixed(ad.p, 4);
    return ad.bound == judge::PBound::AtLeast ? QStringLiteral("≥ ") + p : ad.bound == judge::PBound::AtMost ? QStringLiteral("≤ ") + p : p;
}

// "p = 0.1356", "p ≤ 0.0100".
QString pEquation(const judge::AndersonDarling& ad)
{
    return ad.bound == judge::PBound::Exact ? QStringLiteral("p = ") + pText(ad) : QStringLiteral("p ") + pText(ad);
}

StudyLine valueLine(const QString& label, std::optional<double> value, int decimals)
{
    return {label, fixed(value, decimals), {}, decimals};
}

} // namespace

std::vector<StudyLine> nonNormalLines(const judge::CapabilityStudy& st)
{
    using judge::FitFamily;
    if (!st.nonNormal || !st.nonNormal->result) return {};
    const judge::NonNormalStudy& nn = *st.nonNormal;
    const judge::PercentileCapability& pc = *nn.result;
    const judge::FittedDistribution& fit = pc.fit;
    const bool boxCox = fit.family == FitFamily::BoxCox;
    QString name = fitFamilyText(fit.family);
    if (nn.asked == judge::Distribution::Auto) name += QStringLiteral(" (自動選択)");
    std::vector<StudyLine> lines{{QStringLiteral("分布"), name, {}}};
    switch (fit.family) {
    case FitFamily::BoxCox: lines.push_back(valueLine(QStringLiteral("λ"), fit.lambda, 4)); break;
    case FitFamily::Lognormal:
        lines.push_back(valueLine(QStringLiteral("ln x の平均"), fit.location, 5));
        lines.push_back(valueLine(QStringLiteral("ln x の標準偏差"), fit.spread, 5));
        break;
    case FitFamily::Weibull:
        lines.push_back(valueLine(QStringLiteral("形状"), fit.shape, 4));
        lines.push_back(valueLine(QStringLiteral("尺度"), fit.scale, 5));
        break;
    case FitFamily::Normal: break;
    }
    lines.push_back(valueLine(QStringLiteral("0.135%点"), pc.p00135, 5));
    lines.push_back(valueLine(QStringLiteral("50%点"), pc.p50, 5));
    lines.push_back(valueLine(QStringLiteral("99.865%点"), pc.p99865, 5));
    if (boxCox) {
        lines.push_back(valueLine(QStringLiteral("Cp (変換後・群内)"), pc.cp, 3));
        lines.push_back(valueLine(QStringLiteral("Cpk (変換後・群内)"), pc.cpk, 3));
        lines.push_back(valueLine(QStringLiteral("Pp (変換後・全体)"), pc.pp, 3));
        lines.push_back(valueLine(QStringLiteral("Ppk (変換後・全体)"), pc.ppk, 3));
    } else {
        lines.push_back(valueLine(QStringLiteral("Pp (パーセント点)"), pc.pp, 3));
        lines.push_back(valueLine(QStringLiteral("PPU (パーセント点)"), pc.ppu, 3));
        lines.push_back(valueLine(QStringLiteral("PPL (パーセント点)"), pc.ppl, 3));
        lines.push_back(valueLine(QStringLiteral("Ppk (パーセント点)"), pc.ppk, 3));
    }
    lines.push_back(valueLine(QStringLiteral("規格外ppm (分布の期待値)"), pc.ppmExpected, 1));
    lines.push_back(valueLine(QStringLiteral("適合度 A²"), pc.goodness ? std::optional<double>(pc.goodness->a2) : std::nullopt, 4));
    QString p = pc.goodness ? pText(*pc.goodness) : judge::kNotJudgedText;
    if (pc.goodness && boxCox) p += QStringLiteral(" (近似)");
    lines.push_back({QStringLiteral("適合度 p値"), p, {}, 4});
    for (const judge::FitCandidate& c : nn.candidates)
        lines.push_back({QStringLiteral("候補: ") + fitFamilyText(c.family), c.goodness ? pEquation(*c.goodness) : judge::kNotJudgedText, {}});
    return lines;
}

QString nonNormalRefusalLine(const judge::CapabilityStudy& st)
{
    if (!st.nonNormal || !st.nonNormal->refused) return {};
    switch (*st.nonNormal->refused) {
    case judge::FitRefusal::NotPositive: {
        const judge::Distribution d = st.nonNormal->asked;
        const QString name = fitFamilyText(d == judge::Distribution::BoxCox      ? judge::FitFamily::BoxCox
                                           : d == judge::Distribution::Lognormal ? judge::FitFamily::Lognormal
                                                                                 : judge::FitFamily::Weibull);
        return QStringLiteral("0以下の測定値があるため、%1では計算できません。%1は正の測定値だけに使えます。").arg(name);
    }
    case judge::FitRefusal::TooFewValues: return QStringLiteral("測定値が2個未満のため、分布を当てはめられません。");
    case judge::FitRefusal::NoSpread: break;
    }
    return QStringLiteral("すべての測定値が等しいため、分布を当てはめられません。");
}

} // namespace chartmodel
