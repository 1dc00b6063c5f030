#include "chartmodel/FigureNames.h"

#include "sheetview/ViewTexts.h"

#include <map>

namespace chartmodel {

namespace {

// Statistics with five decimals, indices with three, parts per million with one, the normality
// test with four: as the grids and the study table show them.
const std::map<Figure, FigureName>& table()
{
    static const std::map<Figure, FigureName> names{
        {Figure::Count, {QStringLiteral("N"), QStringLiteral("n"), 0}},
        {Figure::Mean, {QStringLiteral("平均"), QStringLiteral("mean"), 5}},
        {Figure::SigmaOverall, {QStringLiteral("σ (全体)"), QStringLiteral("sigma_overall"), 5}},
        {Figure::SigmaWithin, {QStringLiteral("σ (群内)"), QStringLiteral("sigma_within"), 5}},
        {Figure::GridCp, {QStringLiteral("CP (全体σ)"), QStringLiteral("CP"), 3}},
        {Figure::GridCpk, {QStringLiteral("CPK (全体σ)"), QStringLiteral("CPK"), 3}},
        {Figure::Cp, {QStringLiteral("Cp (群内)"), QStringLiteral("cp"), 3}},
        {Figure::Cpu, {QStringLiteral("CPU (群内)"), QStringLiteral("cpu"), 3}},
        {Figure::Cpl, {QStringLiteral("CPL (群内)"), QStringLiteral("cpl"), 3}},
        {Figure::Cpk, {QStringLiteral("Cpk (群内)"), QStringLiteral("cpk"), 3}},
        {Figure::Pp, {QStringLiteral("Pp (全体)"), QStringLiteral("pp"), 3}},
        {Figure::Ppu, {QStringLiteral("PPU (全体)"), QStringLiteral("ppu"), 3}},
        {Figure::Ppl, {QStringLiteral("PPL (全体)"), QStringLiteral("ppl"), 3}},
        {Figure::Ppk, {QStringLiteral("Ppk (全体)"), QStringLiteral("ppk"), 3}},
        {Figure::Cpm, {QStringLiteral("Cpm"), QStringLiteral("cpm"), 3}},
        {Figure::PpmWithin, {QStringLiteral("規格外ppm (群内σの期待値)"), QStringLiteral("ppm_within"), 1}},
        {Figure::PpmOverall, {QStringLiteral("規格外ppm (全体σの期待値)"), QStringLiteral("ppm_overall"), 1}},
        {Figure::PpmObserved, {QStringLiteral("規格外ppm (実測)"), QStringLiteral("ppm_observed"), 1}},
        {Figure::AndersonDarling, {QStringLiteral("Anderson-Darling A²"), QStringLiteral("a2"), 4}},
        {Figure::AndersonDarlingAdjusted, {QStringLiteral("A*² (補正)"), QStringLiteral("a2_adjusted"), 4}},
        {Figure::NormalityP, {QStringLiteral("p値"), QStringLiteral("p"), 4}},
    };
    return names;
}

} // namespace

const FigureName& figureName(Figure figure) { return table().at(figure); }

QString sigmaWithinLabel(judge::WithinMethod method)
{
    return QStringLiteral("σ (群内: %1)").arg(sheetview::withinMethodText(method));
}

Figure overallOfGridCpk(judge::SpecKind kind)
{
    return kind == judge::SpecKind::UpperOnly ? Figure::Ppu : kind == judge::SpecKind::LowerOnly ? Figure::Ppl : Figure::Ppk;
}

Figure withinOfGridCpk(judge::SpecKind kind)
{
    return kind == judge::SpecKind::UpperOnly ? Figure::Cpu : kind == judge::SpecKind::LowerOnly ? Figure::Cpl : Figure::Cpk;
}

QString gridWithOverallLabel(Figure gridFigure, judge::SpecKind kind)
{
    const bool cp = gridFigure == Figure::GridCp;
    // "Pp (全体)" → "Pp": the overall figure's symbol.
    const QString overall = figureName(cp ? Figure::Pp : overallOfGridCpk(kind)).label.section(u' ', 0, 0);
    return QStringLiteral("%1・%2 (全体σ)").arg(cp ? QStringLiteral("CP") : QStringLiteral("CPK"), overall);
}

} // namespace chartmodel
