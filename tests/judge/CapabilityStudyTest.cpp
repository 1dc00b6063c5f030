#include "judge/CapabilityStudy.h"
#include "judge/Capability.h"
#include "chartmodel/StudyTable.h"
#include "TestSheet.h"
#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace judge;
using judge::testing::TestSheet;

// Expected figures are computed here from closed forms. Quantiles a closed form cannot give
// were computed by a Python script using only the standard library: χ² quantiles by
// bisection on the regularised lower incomplete gamma function (its power series),
// normal probabilities and z by statistics.NormalDist; they agree with printed χ² tables
// (e.g. ν = 9: 2.700, 19.023).
namespace {

constexpr double kZ = 1.9599639845400536;
const StudyOptions kPooled{SigmaWithin::Pooled, std::nullopt, Distribution::Normal};
struct Chi2 {
    double low, high; // 0.025 and 0.975 quantiles
};
constexpr Chi2 kChi2of1{0.0009820691171752573, 5.023886187314911};
constexpr Chi2 kChi2of3{0.2157952826238978, 9.348403604496134};
constexpr Chi2 kChi2of4{0.4844185570879299, 11.143286781877816};
constexpr Chi2 kChi2of5{0.8312116134866627, 12.832501994030022};

double upperTail(double z) { return 0.5 * std::erfc(z / std::numbers::sqrt2); }

void expectInterval(const std::optional<Interval>& ci, double low, double high, double tol = 1e-9)
{
    ASSERT_TRUE(ci);
    EXPECT_NEAR(ci->low, low, tol);
    EXPECT_NEAR(ci->high, high, tol);
}

// Lots 9 10 11 | 10 12 | 11 (one value), limits 8 to 14.
TestSheet pooledSheet()
{
    TestSheet s(3);
    s.lot({"9", "10", "11"}).lot({"10", "12"}).lot({"11"});
    return s;
}

} // namespace

TEST(CapabilityStudy, ToleranceFiguresOnAPooledSheet)
{
    const SpecLimits limits{SpecKind::Tolerance, 14.0, 8.0};
    const CapabilityStudy st = studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarR, limits, kPooled);
    // Pooled: squares 2 + 2 over 2 + 1 degrees; c4(4) = 2√(2/3)/√π.
    const double c4of4 = 2 * std::sqrt(2.0 / 3) / std::sqrt(std::numbers::pi);
    const double within = std::sqrt(4.0 / 3) / c4of4;
    // All six values: mean 10.5, squares 5.5 over 5.
    const double overall = std::sqrt(1.1), mean = 10.5;
    EXPECT_EQ(st.n, 6);
    EXPECT_NEAR(*st.mean, mean, 1e-14);
    EXPECT_NEAR(*st.sigmaWithin, within, 1e-12);
    EXPECT_NEAR(*st.sigmaOverall, overall, 1e-14);
    EXPECT_EQ(st.withinDegrees, 3);
    EXPECT_EQ(st.overallDegrees, 5);

    const double cp = 6 / (6 * within), cpu = 3.5 / (3 * within), cpl = 2.5 / (3 * within);
    EXPECT_NEAR(*st.cp, cp, 1e-12);
    EXPECT_NEAR(*st.cpu, cpu, 1e-12);
    EXPECT_NEAR(*st.cpl, cpl, 1e-12);
    EXPECT_NEAR(*st.cpk, cpl, 1e-12);
    const double pp = 1 / overall, ppl = 2.5 / (3 * overall);
    EXPECT_NEAR(*st.pp, pp, 1e-12);
    EXPECT_NEAR(*st.ppu, 3.5 / (3 * overall), 1e-12);
    EXPECT_NEAR(*st.ppk, ppl, 1e-12);
    EXPECT_NEAR(*st.cpm, 1 / std::sqrt(1.1 + 0.25), 1e-12); // target 11

    expectInterval(st.cpCi, cp * std::sqrt(kChi2of3.low / 3), cp * std::sqrt(kChi2of3.high / 3));
    expectInterval(st.ppCi, pp * std::sqrt(kChi2of5.low / 5), pp * std::sqrt(kChi2of5.high / 5));
    const double cpkHalf = kZ * std::sqrt(1.0 / 54 + cpl * cpl / 6);
    expectInterval(st.cpkCi, cpl - cpkHalf, cpl + cpkHalf);
    const double ppkHalf = kZ * std::sqrt(1.0 / 54 + ppl * ppl / 10);
    expectInterval(st.ppkCi, ppl - ppkHalf, ppl + ppkHalf);

    // NormalDist gives 25651.530346645133 and 8994.056101822023.
    EXPECT_NEAR(*st.ppmWithin, 1e6 * (upperTail(3.5 / within) + upperTail(2.5 / within)), 1e-6);
    EXPECT_NEAR(*st.ppmWithin, 25651.530346645133, 1e-6);
    EXPECT_NEAR(*st.ppmOverall, 8994.056101822023, 1e-6);
    EXPECT_EQ(*st.ppmObserved, 0.0);
    EXPECT_FALSE(st.andersonDarling); // fewer than 8 values
}

TEST(CapabilityStudy, OverallFiguresAreTheStatisticsGridsCpAndCpk)
{
    TestSheet s(5);
    s.lot({"9.81", "10.02", "10.17", "9.95", "10.08"}).lot({"10.11", "9.87", "10.3", "10.01", "9.9"});
    for (SpecKind kind : {SpecKind::Tolerance, SpecKind::UpperOnly, SpecKind::LowerOnly}) {
        const SpecLimits limits{kind, 10.6, 9.4};
        CapabilitySettings settings;
        settings.limits = limits;
        const CapabilityResult grid = judgeCapability(s.view(), settings);
        const CalcRow& total = grid.rows.back();
        const CapabilityStudy st = studyCapability(usedLots(s.view()), ChartKind::XbarR, limits);
        const double ppk = *st.ppk;
        const double pp = kind == SpecKind::Tolerance ? *st.pp : ppk;
        EXPECT_EQ(model::formatFixed(pp, 3), total[kCalcCp]);
        EXPECT_EQ(model::formatFixed(ppk, 3), total[kCalcCpk]);
        EXPECT_EQ(model::formatFixed(*st.sigmaOverall, 5), total[kCalcStdev]);
    }
}

TEST(CapabilityStudy, OneSidedKindsHaveOnlyTheirSide)
{
    const CapabilityStudy upper =
        studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarS, {SpecKind::UpperOnly, 11.5, 0.0});
    const double overall = std::sqrt(1.1);
    EXPECT_FALSE(upper.cp || upper.pp || upper.cpl || upper.ppl || upper.cpm || upper.cpCi || upper.ppCi);
    EXPECT_NEAR(*upper.ppu, 1.0 / (3 * overall), 1e-12);
    EXPECT_EQ(*upper.ppk, *upper.ppu);
    EXPECT_EQ(*upper.cpk, *upper.cpu);
    EXPECT_NEAR(*upper.ppmOverall, 1e6 * upperTail(1.0 / overall), 1e-6);
    EXPECT_NEAR(*upper.ppmObserved, 1e6 / 6, 1e-6); // the 12 lies above 11.5

    const CapabilityStudy lower =
        studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarS, {SpecKind::LowerOnly, 0.0, 9.0});
    EXPECT_FALSE(lower.cpu || lower.ppu || lower.cp);
    EXPECT_NEAR(*lower.ppl, 1.5 / (3 * overall), 1e-12);
    EXPECT_EQ(*lower.ppmObserved, 0.0); // 9 lies on the limit: within
    expectInterval(lower.ppkCi, *lower.ppl - kZ * std::sqrt(1.0 / 54 + *lower.ppl * *lower.ppl / 10),
                   *lower.ppl + kZ * std::sqrt(1.0 / 54 + *lower.ppl * *lower.ppl / 10));
}

TEST(CapabilityStudy, XRsWithinSigmaFromMovingRanges)
{
    TestSheet s(1);
    for (const char* v : {"10", "12", "11", "15", "14"}) s.lot({v});
    const SpecLimits limits{SpecKind::Tolerance, 20.0, 5.0};
    const CapabilityStudy st = studyCapability(usedLots(s.view()), ChartKind::XRs, limits);
    const double within = std::sqrt(std::numbers::pi); // MR̄ 2 over d2(2) = 2/√π
    EXPECT_NEAR(*st.sigmaWithin, within, 1e-12);
    EXPECT_EQ(st.withinDegrees, 4);
    const double cp = 15 / (6 * within);
    EXPECT_NEAR(*st.cp, cp, 1e-12);
    expectInterval(st.cpCi, cp * std::sqrt(kChi2of4.low / 4), cp * std::sqrt(kChi2of4.high / 4));
    EXPECT_NEAR(*st.sigmaOverall, std::sqrt(17.2 / 4), 1e-12); // mean 12.4
}

TEST(CapabilityStudy, TwoValues)
{
    TestSheet s(2);
    s.lot({"10", "12"});
    const SpecLimits limits{SpecKind::Tolerance, 14.0, 8.0};
    const CapabilityStudy st = studyCapability(usedLots(s.view()), ChartKind::XbarR, limits, kPooled);
    // s = √2 with one degree of freedom; c4(2) = √(2/π).
    EXPECT_NEAR(*st.sigmaWithin, std::sqrt(std::numbers::pi), 1e-12);
    EXPECT_NEAR(*st.sigmaOverall, std::sqrt(2.0), 1e-14);
    const double pp = 1 / std::sqrt(2.0);
    expectInterval(st.ppCi, pp * std::sqrt(kChi2of1.low), pp * std::sqrt(kChi2of1.high));
    expectInterval(st.cpkCi, *st.cpk - kZ * std::sqrt(1.0 / 18 + *st.cpk * *st.cpk / 2),
                   *st.cpk + kZ * std::sqrt(1.0 / 18 + *st.cpk * *st.cpk / 2));
}

TEST(CapabilityStudy, EqualValuesAndTooFewValuesLeaveFiguresUndefined)
{
    TestSheet equal(5);
    equal.lot({"10", "10", "10", "10", "10"}).lot({"10", "10", "10", "10", "10"});
    const SpecLimits limits{SpecKind::Tolerance, 10.5, 9.5};
    for (ChartKind chart : {ChartKind::XbarR, ChartKind::XbarS, ChartKind::XRs}) {
        const CapabilityStudy st = studyCapability(usedLots(equal.view()), chart, limits);
        EXPECT_EQ(*st.sigmaOverall, 0.0);
        EXPECT_EQ(*st.sigmaWithin, 0.0);
        EXPECT_FALSE(st.cp || st.cpk || st.pp || st.ppk || st.cpCi || st.ppkCi || st.ppmWithin || st.ppmOverall);
        EXPECT_FALSE(st.andersonDarling);
        EXPECT_FALSE(st.cpm); // on target without spread: √(0 + 0) = 0
    }

    TestSheet one(5);
    one.lot({"10"});
    const CapabilityStudy st = studyCapability(usedLots(one.view()), ChartKind::XbarR, limits);
    EXPECT_EQ(st.n, 1);
    EXPECT_FALSE(st.sigmaOverall || st.sigmaWithin || st.cpm || st.ppk);
    EXPECT_EQ(*st.ppmObserved, 0.0);

    const CapabilityStudy none = studyCapability(usedLots(TestSheet(5).view()), ChartKind::XbarR, limits);
    EXPECT_EQ(none.n, 0);
    EXPECT_FALSE(none.mean || none.ppmObserved);
}

TEST(CapabilityStudy, AndersonDarlingAgainstAReferenceComputation)
{
    // A² and A*² from NormalDist; p from the D'Agostino–Stephens curves.
    const std::vector<double> uniform{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const auto ad = andersonDarling(uniform);
    ASSERT_TRUE(ad);
    EXPECT_NEAR(ad->a2, 0.14110924785979506, 1e-12);
    EXPECT_NEAR(ad->a2Adjusted, 0.15486739952612508, 1e-12);
    EXPECT_NEAR(ad->p, 0.9566579384676879, 1e-12);

    const std::vector<double> outlier{0, 0, 0, 0, 0, 0, 0, 0, 0, 100};
    EXPECT_NEAR(andersonDarling(outlier)->a2, 3.20805681305443, 1e-11);
    // Repeated readings on both tails and in the middle share their terms.
    const std::vector<double> ties{9, 1, 2, 3, 2, 4, 1, 3, 5, 2, 9, 4, 3};
    EXPECT_NEAR(andersonDarling(ties)->a2, 0.9332071472848682, 1e-12);

    EXPECT_FALSE(andersonDarling(std::vector<double>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_FALSE(andersonDarling(std::vector<double>(9, 4.0)));

    EXPECT_NEAR(andersonDarlingP(0.1), 0.9961485285157409, 1e-12);
    EXPECT_NEAR(andersonDarlingP(0.25), 0.7446512446013425, 1e-12);
    EXPECT_NEAR(andersonDarlingP(0.5), 0.20871199326901024, 1e-12);
    EXPECT_NEAR(andersonDarlingP(1.0), 0.012317922048460184, 1e-12);
    EXPECT_EQ(andersonDarlingP(200.0), 0.0);
    EXPECT_EQ(andersonDarlingP(400.0), 0.0); // the curve would climb again past 1 without the cut
}

TEST(CapabilityStudy, NormalityWarningAndAnOutlierFarBeyondDoublePrecisionTails)
{
    TestSheet s(10);
    s.lot({"0", "0", "0", "0", "0", "0", "0", "0", "0", "100"});
    const CapabilityStudy st = studyCapability(usedLots(s.view()), ChartKind::XbarR, {SpecKind::Tolerance, 200, -100});
    EXPECT_TRUE(st.normalityRejected());

    // 2500 equal values and one far away: its z lies near 50, where Φ underflows.
    std::vector<double> values(2500, 0.0);
    values.push_back(1.0);
    const auto ad = andersonDarling(values);
    ASSERT_TRUE(ad);
    EXPECT_TRUE(std::isfinite(ad->a2));
    EXPECT_EQ(ad->p, 0.0);
}

namespace {

// A textbook example: 25 samples of 5 inside diameters of forged piston rings (mm),
// specification 74.000 ± 0.05, whose X̄-R chart gives x̿ = 74.00118, R̄ = 0.02276 and
// σ̂ = R̄/d2 = 0.009785; the published indices are Cp 1.703, Cpl 1.743, Cpu 1.663, Cpk 1.663.
const char* const kPistonRings[25][5] = {
    {"74.030", "74.002", "74.019", "73.992", "74.008"}, {"73.995", "73.992", "74.001", "74.011", "74.004"},
    {"73.988", "74.024", "74.021", "74.005", "74.002"}, {"74.002", "73.996", "73.993", "74.015", "74.009"},
    {"73.992", "74.007", "74.015", "73.989", "74.014"}, {"74.009", "73.994", "73.997", "73.985", "73.993"},
    {"73.995", "74.006", "73.994", "74.000", "74.005"}, {"73.985", "74.003", "73.993", "74.015", "73.988"},
    {"74.008", "73.995", "74.009", "74.005", "74.004"}, {"73.998", "74.000", "73.990", "74.007", "73.995"},
    {"73.994", "73.998", "73.994", "73.995", "73.990"}, {"74.004", "74.000", "74.007", "74.000", "73.996"},
    {"73.983", "74.002", "73.998", "73.997", "74.012"}, {"74.006", "73.967", "73.994", "74.000", "73.984"},
    {"74.012", "74.014", "73.998", "73.999", "74.007"}, {"74.000", "73.984", "74.005", "73.998", "73.996"},
    {"73.994", "74.012", "73.986", "74.005", "74.007"}, {"74.006", "74.010", "74.018", "74.003", "74.000"},
    {"73.984", "74.002", "74.003", "74.005", "73.997"}, {"74.000", "74.010", "74.013", "74.020", "74.003"},
    {"73.988", "74.001", "74.009", "74.005", "73.996"}, {"74.004", "73.999", "73.990", "74.006", "74.009"},
    {"74.010", "73.989", "73.990", "74.009", "74.014"}, {"74.015", "74.008", "73.993", "74.000", "74.010"},
    {"73.982", "73.984", "73.995", "74.017", "74.013"}};

} // namespace

TEST(CapabilityStudy, ThePublishedPistonRingExampleUnderTheChartsOwnEstimator)
{
    TestSheet s(5);
    for (const auto& lot : kPistonRings) s.lot({lot[0], lot[1], lot[2], lot[3], lot[4]});
    const SpecLimits limits{SpecKind::Tolerance, 74.05, 73.95};
    // XbarR defaults to R̄/d2, the chart's own sigma.
    const CapabilityStudy st = studyCapability(usedLots(s.view()), ChartKind::XbarR, limits);
    EXPECT_EQ(st.withinMethod, WithinMethod::RBar);
    EXPECT_EQ(model::formatFixed(*st.sigmaWithin, 6), "0.009785");
    EXPECT_EQ(model::formatFixed(*st.mean, 5), "74.00118");
    EXPECT_EQ(model::formatFixed(*st.cp, 3), "1.703");
    EXPECT_EQ(model::formatFixed(*st.cpl, 3), "1.743");
    EXPECT_EQ(model::formatFixed(*st.cpu, 3), "1.663");
    EXPECT_EQ(model::formatFixed(*st.cpk, 3), "1.663");

    // The pooled estimate is another sigma (about 1 % higher here) and is only used when chosen.
    const CapabilityStudy pooled = studyCapability(usedLots(s.view()), ChartKind::XbarR, limits, kPooled);
    EXPECT_EQ(pooled.withinMethod, WithinMethod::Pooled);
    EXPECT_EQ(pooled.withinDegrees, 100.0);
    EXPECT_GT(*pooled.sigmaWithin, *st.sigmaWithin * 1.005);
}

TEST(CapabilityStudy, EachWithinEstimatorAndItsDegreesOfFreedom)
{
    // Lots of two values: S = R/√2 and c4(2) = √(2/π), so S/c4 = R/d2(2) = R√π/2, and both
    // estimates have the variance of a χ² with k/(π − 2) degrees (d3(2)² = 2 − 4/π), k lots.
    TestSheet pairs(2);
    pairs.lot({"10", "12"}).lot({"10", "11"}).lot({"11", "14"}).lot({"9"});
    const SpecLimits limits{SpecKind::Tolerance, 20.0, 4.0};
    const double pi = std::numbers::pi;
    const double rbar = (2 + 1 + 3) / 3.0 * std::sqrt(pi) / 2;
    for (SigmaWithin choice : {SigmaWithin::RBar, SigmaWithin::SBar}) {
        const CapabilityStudy st = studyCapability(usedLots(pairs.view()), ChartKind::XbarR, limits, {choice, {}, {}});
        EXPECT_NEAR(*st.sigmaWithin, rbar, 1e-12);
        EXPECT_NEAR(st.withinDegrees, 3 / (pi - 2), 1e-9);
        ASSERT_TRUE(st.cpCi);
    }
    EXPECT_EQ(studyCapability(usedLots(pairs.view()), ChartKind::XbarS, limits).withinMethod, WithinMethod::SBar);

    // Unequal lots: R̄/d2 is the mean of each lot's R/d2(n), not R̄ over one constant.
    TestSheet mixed(3);
    mixed.lot({"9.9", "10.0", "10.1"}).lot({"10.0", "10.2"}).lot({"10.1"});
    const double d2of3 = 1.69256875; // the range integral, nine digits
    const CapabilityStudy st = studyCapability(usedLots(mixed.view()), ChartKind::XbarR, limits);
    EXPECT_NEAR(*st.sigmaWithin, (0.2 / d2of3 + 0.2 * std::sqrt(pi) / 2) / 2, 1e-8);

    // X-Rs estimates from the moving ranges whatever is chosen.
    TestSheet singles(1);
    for (const char* v : {"10", "12", "11"}) singles.lot({v});
    for (SigmaWithin choice : {SigmaWithin::ByChart, SigmaWithin::Pooled, SigmaWithin::SBar})
        EXPECT_EQ(studyCapability(usedLots(singles.view()), ChartKind::XRs, limits, {choice, {}, {}}).withinMethod,
                  WithinMethod::MovingRange);
}

TEST(CapabilityStudy, TheTargetOfCpmAndWhyIndicesAreMissing)
{
    const SpecLimits tolerance{SpecKind::Tolerance, 14.0, 8.0};
    // Mean 10.5, overall variance 1.1: Cpm = 6 / (6√(1.1 + (10.5 − T)²)).
    const CapabilityStudy given = studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarR, tolerance, {{}, 10.0, {}});
    EXPECT_EQ(*given.target, 10.0);
    EXPECT_NEAR(*given.cpm, 1 / std::sqrt(1.1 + 0.25), 1e-12);
    EXPECT_EQ(*studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarR, tolerance).target, 11.0);
    const CapabilityStudy upper =
        studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarR, {SpecKind::UpperOnly, 14.0, 0.0}, {{}, 10.0, {}});
    EXPECT_FALSE(upper.cpm);
    EXPECT_FALSE(studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarR, {SpecKind::LowerOnly, 0.0, 8.0}).target);

    TestSheet equal(3);
    equal.lot({"10", "10", "10"}).lot({"10", "10"});
    const CapabilityStudy flat = studyCapability(usedLots(equal.view()), ChartKind::XbarR, tolerance);
    EXPECT_EQ(flat.overallGap, IndexGap::NoSpread);
    EXPECT_TRUE(chartmodel::indexGapLine(flat).contains(QStringLiteral("σ = 0")));

    // The lots differ but none varies inside: the overall indices, and why there are no within ones.
    TestSheet steps(3);
    steps.lot({"10", "10", "10"}).lot({"11", "11"});
    const CapabilityStudy within = studyCapability(usedLots(steps.view()), ChartKind::XbarS, tolerance);
    EXPECT_TRUE(within.pp && !within.cp && !within.overallGap);
    EXPECT_EQ(within.withinGap, IndexGap::NoSpread);
    EXPECT_TRUE(chartmodel::indexGapLine(within).contains(QStringLiteral("σ (群内) = 0")));

    TestSheet singles(3);
    singles.lot({"10"}).lot({"11"}).lot({"13"});
    const CapabilityStudy noLots = studyCapability(usedLots(singles.view()), ChartKind::XbarR, tolerance);
    EXPECT_EQ(noLots.withinGap, IndexGap::NoLots);
    EXPECT_TRUE(noLots.ppk && !noLots.cpk);
    EXPECT_FALSE(chartmodel::indexGapLine(noLots).isEmpty());
    EXPECT_TRUE(chartmodel::indexGapLine(studyCapability(usedLots(pooledSheet().view()), ChartKind::XbarR, tolerance)).isEmpty());
}
