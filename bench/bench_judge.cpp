// The computation behind "SPC異常判定" on a full sheet (100 enabled lots of 100 values):
// specification scan, three-sigma limits, lot statistics and capability marks, run rules,
// with the result grids' storage filled. Painting is not part of it.
#include "judge/Capability.h"
#include "judge/CapabilityStudy.h"
#include "judge/ControlLimits.h"
#include "judge/SpcJudgement.h"
#include "judge/SpecJudgement.h"
#include "judge/StandardLimits.h"
#include "model/NumberText.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct FullSheet {
    static constexpr int kLots = 100, kValues = 100;
    model::CellTable cells, lots, spc;
    std::vector<judge::CalcRow> calc; // the result grid's data rows: 100 lot rows and the total row

    // Three decimals repeat readings; five (the most a sheet shows) make nearly every value distinct.
    explicit FullSheet(int digits = 3)
    {
        std::mt19937 gen(12345);
        std::normal_distribution<double> value(10.0, 0.12);
        for (int r = 1; r <= kLots; ++r) {
            lots.setText(0, r, QStringLiteral("K%1").arg(r, 3, 10, QChar(u'0')));
            lots.setFlag(1, r, true);
            for (int c = 0; c < kValues; ++c) cells.setText(c, r, model::formatFixed(value(gen), digits));
        }
    }
};

void runChain(FullSheet& s, judge::ChartKind chart)
{
    using namespace judge;
    const SpecLimits limits = readSpecLimits(SpecKind::Tolerance, u"10.500", u"9.500");
    normaliseBlankCells(s.cells, FullSheet::kLots, FullSheet::kValues);
    const Outcome spec = scanSpecification(s.cells, FullSheet::kLots, FullSheet::kValues, limits);
    const Measurements sheet(s.cells, s.lots, FullSheet::kLots, FullSheet::kValues);
    const ControlLimitTexts control = computeControlLimits(sheet, chart).value();

    CapabilitySettings cs;
    cs.limits = limits;
    cs.chart = chart;
    cs.index = CapabilityIndex::CPK;
    cs.thresholdText = QStringLiteral("1.33");
    const CapabilityResult cap = judgeCapability(sheet, cs);
    s.calc = cap.rows;

    const SpcResult spc = judgeSpc(s.calc, chart, control, model::RuleOptions::defaults());
    s.spc.clearRows(1);
    writeRows(s.spc, spc);
    benchmark::DoNotOptimize(spec);
    benchmark::DoNotOptimize(spc.outcome);
}

void BM_SpcChainFullSheet(benchmark::State& state)
{
    FullSheet sheet;
    const auto chart = static_cast<judge::ChartKind>(state.range(0));
    for (auto _ : state) runChain(sheet, chart);
}
BENCHMARK(BM_SpcChainFullSheet)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What the control chart constants and the capability study add to the chain on the same
// sheet: the used lots read once, the limits of every lot, the study (with the normality
// test over all 10 000 values) and the run rules against each lot's own limits.
void BM_StudyAndStandardLimitsFullSheet(benchmark::State& state)
{
    using namespace judge;
    FullSheet s;
    const auto chart = static_cast<ChartKind>(state.range(0));
    runChain(s, chart); // the result grid's rows the rules read
    const SpecLimits limits = readSpecLimits(SpecKind::Tolerance, u"10.500", u"9.500");
    const Measurements sheet(s.cells, s.lots, FullSheet::kLots, FullSheet::kValues);
    for (auto _ : state) {
        const UsedLots used = usedLots(sheet);
        const std::optional<StandardLimits> lotLimits = standardLimits(used, chart, FullSheet::kValues);
        const CapabilityStudy study = studyCapability(used, chart, limits);
        const SpcResult spc = judgeSpcByLot(s.calc, chart, lotLimits->lots, model::RuleOptions::defaults());
        benchmark::DoNotOptimize(study.andersonDarling);
        benchmark::DoNotOptimize(spc.outcome);
    }
}
BENCHMARK(BM_StudyAndStandardLimitsFullSheet)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The full sheet's used lots, read once, and its tolerance.
struct UsedSheet {
    explicit UsedSheet(int digits = 3) : sheet(digits) {}
    FullSheet sheet;
    judge::UsedLots used = judge::usedLots(judge::Measurements(sheet.cells, sheet.lots, FullSheet::kLots, FullSheet::kValues));
    judge::SpecLimits limits = judge::readSpecLimits(judge::SpecKind::Tolerance, u"10.500", u"9.500");
};

// The capability study alone, under the normal distribution (the figures every judgement
// shows), by chart kind.
void BM_CapabilityStudyFullSheet(benchmark::State& state)
{
    const UsedSheet s;
    const auto chart = static_cast<judge::ChartKind>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(judge::studyCapability(s.used, chart, s.limits).cpk);
}
BENCHMARK(BM_CapabilityStudyFullSheet)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Each non-normal fit on the same 10 000 values, with its percentiles, indices and test:
// 1 Box-Cox, 2 lognormal, 3 Weibull, 4 the automatic choice (all four fitted); the values
// with 3 or with 5 decimals.
void BM_NonNormalFitFullSheet(benchmark::State& state)
{
    const UsedSheet s(int(state.range(1)));
    const auto distribution = static_cast<judge::Distribution>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(judge::studyNonNormal(s.used, s.limits, distribution, judge::WithinMethod::RBar).result);
}
BENCHMARK(BM_NonNormalFitFullSheet)->ArgsProduct({{1, 2, 3, 4}, {3, 5}})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
