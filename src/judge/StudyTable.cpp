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

QString fixed(double v, int digits) { return fixed(std::optional<double>(v), digits); }

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
        {QStringLiteral("σ (群内) の推定"), withinMethodText(st.withinMethod), {}},
        {QStringLiteral("Cpm の目標値"), fixed(st.target, 5), {}},
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

QString indexGapLine(const CapabilityStudy& st)
{
    if (st.overallGap == IndexGap::TooFewValues)
        return QStringLiteral("測定値が2個未満のため、工程能力指数は求められません。");
    if (st.overallGap == IndexGap::NoSpread)
        return QStringLiteral("すべての測定値が等しく σ = 0 のため、工程能力指数は求められません。");
    if (st.withinGap == IndexGap::NoLots)
        return st.withinMethod == WithinMethod::MovingRange
                   ? QStringLiteral("使うロットが2つ未満で移動範囲がないため、σ (群内) と Cp、Cpk は求められません。")
                   : QStringLiteral("測定値が2個以上のロットがないため、σ (群内) と Cp、Cpk は求められません。");
    if (st.withinGap == IndexGap::NoSpread)
        return QStringLiteral("ロットの中のばらつきがなく σ (群内) = 0 のため、Cp、Cpk は求められません。");
    return {};
}

QString withinMethodText(WithinMethod method)
{
    switch (method) {
    case WithinMethod::Pooled: return QStringLiteral("合併標準偏差");
    case WithinMethod::RBar: return QStringLiteral("R̄/d2");
    case WithinMethod::SBar: return QStringLiteral("S̄/c4");
    case WithinMethod::MovingRange: break;
    }
    return QStringLiteral("MR̄/d2(2)");
}

QString fitFamilyText(FitFamily family)
{
    switch (family) {
    case FitFamily::Normal: return QStringLiteral("正規分布");
    case FitFamily::BoxCox: return QStringLiteral("Box-Cox変換");
    case FitFamily::Lognormal: return QStringLiteral("対数正規分布");
    case FitFamily::Weibull: break;
    }
    return QStringLiteral("ワイブル分布");
}

namespace {

// A p value, marked where it is a bound of the table it was read from: "0.1356", "≤ 0.0100".
QString pText(const AndersonDarling& ad)
{
    const QString p = fixed(ad.p, 4);
    return ad.bound == PBound::AtLeast ? QStringLiteral("≥ ") + p : ad.bound == PBound::AtMost ? QStringLiteral("≤ ") + p : p;
}

// "p = 0.1356", "p ≤ 0.0100".
QString pEquation(const AndersonDarling& ad)
{
    return ad.bound == PBound::Exact ? QStringLiteral("p = ") + pText(ad) : QStringLiteral("p ") + pText(ad);
}

} // namespace

std::vector<StudyLine> nonNormalLines(const CapabilityStudy& st)
{
    if (!st.nonNormal || !st.nonNormal->result) return {};
    const NonNormalStudy& nn = *st.nonNormal;
    const PercentileCapability& pc = *nn.result;
    const FittedDistribution& fit = pc.fit;
    const bool boxCox = fit.family == FitFamily::BoxCox;
    QString name = fitFamilyText(fit.family);
    if (nn.asked == Distribution::Auto) name += QStringLiteral(" (自動選択)");
    std::vector<StudyLine> lines{{QStringLiteral("分布"), name, {}}};
    switch (fit.family) {
    case FitFamily::BoxCox: lines.push_back({QStringLiteral("λ"), fixed(fit.lambda, 4), {}}); break;
    case FitFamily::Lognormal:
        lines.push_back({QStringLiteral("ln x の平均"), fixed(fit.location, 5), {}});
        lines.push_back({QStringLiteral("ln x の標準偏差"), fixed(fit.spread, 5), {}});
        break;
    case FitFamily::Weibull:
        lines.push_back({QStringLiteral("形状"), fixed(fit.shape, 4), {}});
        lines.push_back({QStringLiteral("尺度"), fixed(fit.scale, 5), {}});
        break;
    case FitFamily::Normal: break;
    }
    lines.push_back({QStringLiteral("0.135%点"), fixed(pc.p00135, 5), {}});
    lines.push_back({QStringLiteral("50%点"), fixed(pc.p50, 5), {}});
    lines.push_back({QStringLiteral("99.865%点"), fixed(pc.p99865, 5), {}});
    if (boxCox) {
        lines.push_back({QStringLiteral("Cp (変換後・群内)"), fixed(pc.cp, 3), {}});
        lines.push_back({QStringLiteral("Cpk (変換後・群内)"), fixed(pc.cpk, 3), {}});
        lines.push_back({QStringLiteral("Pp (変換後・全体)"), fixed(pc.pp, 3), {}});
        lines.push_back({QStringLiteral("Ppk (変換後・全体)"), fixed(pc.ppk, 3), {}});
    } else {
        lines.push_back({QStringLiteral("Pp (パーセント点)"), fixed(pc.pp, 3), {}});
        lines.push_back({QStringLiteral("PPU (パーセント点)"), fixed(pc.ppu, 3), {}});
        lines.push_back({QStringLiteral("PPL (パーセント点)"), fixed(pc.ppl, 3), {}});
        lines.push_back({QStringLiteral("Ppk (パーセント点)"), fixed(pc.ppk, 3), {}});
    }
    lines.push_back({QStringLiteral("規格外ppm (分布の期待値)"), fixed(pc.ppmExpected, 1), {}});
    lines.push_back({QStringLiteral("適合度 A²"), pc.goodness ? fixed(pc.goodness->a2, 4) : kNotJudgedText, {}});
    QString p = pc.goodness ? pText(*pc.goodness) : kNotJudgedText;
    if (pc.goodness && boxCox) p += QStringLiteral(" (近似)");
    lines.push_back({QStringLiteral("適合度 p値"), p, {}});
    for (const FitCandidate& c : nn.candidates)
        lines.push_back({QStringLiteral("候補: ") + fitFamilyText(c.family),
                         c.goodness ? pEquation(*c.goodness) : kNotJudgedText, {}});
    return lines;
}

QString nonNormalRefusalLine(const CapabilityStudy& st)
{
    if (!st.nonNormal || !st.nonNormal->refused) return {};
    switch (*st.nonNormal->refused) {
    case FitRefusal::NotPositive: {
        const Distribution d = st.nonNormal->asked;
        const QString name = fitFamilyText(d == Distribution::BoxCox      ? FitFamily::BoxCox
                                           : d == Distribution::Lognormal ? FitFamily::Lognormal
                                                                          : FitFamily::Weibull);
        return QStringLiteral("0以下の測定値があるため、%1では計算できません。%1は正の測定値だけに使えます。").arg(name);
    }
    case FitRefusal::TooFewValues: return QStringLiteral("測定値が2個未満のため、分布を当てはめられません。");
    case FitRefusal::NoSpread: break;
    }
    return QStringLiteral("すべての測定値が等しいため、分布を当てはめられません。");
}

} // namespace judge
