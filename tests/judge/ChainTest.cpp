// The whole chain on plain grid storage, in the order the window runs it: specification,
// control limits (three-sigma), capability, SPC.
#include "judge/Capability.h"
#include "judge/ControlLimits.h"
#include "judge/SpcJudgement.h"
#include "judge/SpecJudgement.h"
#include "TestSheet.h"

#include <gtest/gtest.h>

using namespace judge;
using judge::testing::TestSheet;
using judge::testing::q;

namespace {

struct ChainRun {
    Outcome spec = Outcome::NoResult, capability = Outcome::NoResult, spc = Outcome::NoResult;
    ControlLimitTexts limits;
    std::vector<CalcRow> calc;
    model::CellTable spcGrid;
    int calcRows = 0, spcRows = 0;
};

ChainRun runChain(TestSheet& s, ChartKind chart, const model::RuleOptions& rules)
{
    ChainRun run;
    const SpecLimits limits = readSpecLimits(SpecKind::Tolerance, u"10.5", u"9.5");
    normaliseBlankCells(s.cells, s.lotCount, s.measurementCount);
    run.spec = scanSpecification(s.cells, s.lotCount, s.measurementCount, limits);
    if (run.spec == Outcome::NoResult) return run;
    if (auto l = computeControlLimits(s.view(), chart)) run.limits = *l;

    CapabilitySettings cs;
    cs.limits = limits;
    cs.chart = chart;
    cs.index = CapabilityIndex::CPK;
    cs.thresholdText = q("1.33");
    const CapabilityResult cap = judgeCapability(s.view(), cs);
    EXPECT_FALSE(cap.error);
    run.calc = cap.rows;
    run.calcRows = cap.rowCount.value_or(0);
    run.capability = cap.outcome;
    if (run.capability == Outcome::NoResult) return run;

    const SpcResult spc = judgeSpc(run.calc, chart, run.limits, rules);
    EXPECT_FALSE(spc.error) << (spc.error ? spc.error->message().toStdString() : std::string());
    writeRows(run.spcGrid, spc);
    run.spcRows = spc.rowCount;
    run.spc = spc.outcome;
    return run;
}

} // namespace

TEST(Chain, TwoLotExample)
{
    TestSheet s;
    s.lot({"9.8", "10.0", "10.2"}).lot({"10.0", "10.4"});
    const ChainRun run = runChain(s, ChartKind::XbarR, model::RuleOptions::defaults());
    EXPECT_EQ(run.spec, Outcome::Pass);
    EXPECT_EQ(run.limits, (ControlLimitTexts{q("10.76411"), q("9.39589"), q("1.08411")}));
    EXPECT_EQ(run.capability, Outcome::Fail);
    EXPECT_EQ(run.calcRows, 4);
    EXPECT_EQ(run.calc[2][kCalcStdev], q("0.22804"));
    EXPECT_EQ(run.spcRows, 3);
    EXPECT_EQ(run.spcGrid.text(kSpcLot, 2), q("K002"));
    EXPECT_EQ(run.spcGrid.text(kSpcMark, 2), q("○異常なし"));
    EXPECT_TRUE(run.spcGrid.text(0, 3).isEmpty());
    EXPECT_EQ(run.spc, Outcome::Pass);
}

TEST(Chain, CoarseGaugeReadingTheSameValueEverywhere)
{
    TestSheet s;
    for (int i = 0; i < 20; ++i) s.lot({"10.0", "10.0", "10.0", "10.0", "10.0"});
    const ChainRun run = runChain(s, ChartKind::XbarR, model::RuleOptions::defaults());
    EXPECT_EQ(run.limits, (ControlLimitTexts{q("10.00000"), q("10.00000"), q("0.00000")}));
    EXPECT_EQ(run.capability, Outcome::Pass);
    EXPECT_TRUE(run.calc[20][kCalcStdev].isEmpty());
    // On the centre line everywhere: rule ⑦ (15 lots within one sigma) marks lot 15 on
    // both sides, and nothing else fires.
    EXPECT_EQ(run.spc, Outcome::Fail);
    for (int r = 1; r <= 20; ++r) {
        EXPECT_EQ(run.spcGrid.text(kSpcFirstX + 6, r), r == 15 ? q("×") : q("○")) << r;
        EXPECT_EQ(run.spcGrid.text(kSpcFirstDispersion + 6, r), r == 15 ? q("×") : q("○")) << r;
        EXPECT_EQ(run.spcGrid.text(kSpcFirstX, r), q("○"));
    }
}

TEST(Chain, XbarSWithSingleValueLots)
{
    TestSheet s;
    s.lot({"9.9", "10.1"}).lot({"10"}).lot({"10.2", "9.8", "10"});
    const ChainRun run = runChain(s, ChartKind::XbarS, model::RuleOptions::defaults());
    EXPECT_EQ(run.spc, Outcome::Pass);
    EXPECT_TRUE(run.calc[1][kCalcStdev].isEmpty());
    EXPECT_EQ(run.spcGrid.text(kSpcFirstDispersion, 2), q("○"));
}

TEST(Chain, HundredLotsPutTheTotalRowAtRow101)
{
    TestSheet s(2);
    for (int i = 0; i < 100; ++i) s.values({10.0 + (i % 7) * 0.01, 9.95});
    const ChainRun run = runChain(s, ChartKind::XbarR, model::RuleOptions::defaults());
    EXPECT_EQ(run.calcRows, 102);
    ASSERT_EQ(run.calc.size(), 101u);
    EXPECT_EQ(run.calc[100][kCalcLot], q("＊トータル"));
    EXPECT_EQ(run.spcRows, 101);
    EXPECT_EQ(run.spcGrid.text(kSpcLot, 100), q("K100"));
    EXPECT_FALSE(run.spcGrid.text(kSpcMark, 100).isEmpty());
}
