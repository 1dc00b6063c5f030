// The run rules against limits of each lot's own size.
#include "judge/SpcJudgement.h"
#include "TestSheet.h"

#include <gtest/gtest.h>

using namespace judge;
using judge::testing::q;

namespace {

CalcRow calcRow(const char* lot, const char* mean, const char* range)
{
    CalcRow row;
    row[kCalcLot] = q(lot);
    row[kCalcMean] = q(mean);
    row[kCalcRange] = q(range);
    return row;
}

LotLimits limits(double cl, double ucl, double lcl, std::optional<double> dcl, std::optional<double> ducl,
                 std::optional<double> dlcl)
{
    LotLimits l;
    l.cl = cl, l.ucl = ucl, l.lcl = lcl;
    l.dispersionCl = dcl, l.dispersionUcl = ducl, l.dispersionLcl = dlcl;
    return l;
}

} // namespace

TEST(SpcByLot, LimitRuleTestsEachLotsOwnLimitsAndTheRangeLowerLimit)
{
    model::RuleOptions rules;
    rules.Check1 = true;
    const std::vector<CalcRow> rows{calcRow("A", "10.5", "0.1"), calcRow("B", "10.5", "0.9"),
                                    calcRow("C", "9.2", "0.0"), calcRow("T", "10", "0.5")};
    const std::vector<LotLimits> lots{limits(10, 11, 9, 0.5, 1.0, 0.2),   // range 0.1 below its LCL
                                      limits(10, 10.4, 9.6, 0.5, 1.0, {}),  // mean above its narrower UCL
                                      limits(10, 12, 8, {}, {}, {})};      // one value: no range point
    const SpcResult r = judgeSpcByLot(rows, ChartKind::XbarR, lots, rules);
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0][kSpcFirstX], "○");
    EXPECT_EQ(r.rows[0][kSpcFirstDispersion], "×");
    EXPECT_EQ(r.rows[1][kSpcFirstX], "×");
    EXPECT_EQ(r.rows[1][kSpcFirstDispersion], "○");
    EXPECT_EQ(r.rows[2][kSpcFirstX], "○");
    for (int c = kSpcFirstDispersion; c < kSpcMark; ++c) EXPECT_EQ(r.rows[2][size_t(c)], "－");
    EXPECT_EQ(r.rows[0][kSpcFirstX + 1], "－"); // switched off
    EXPECT_EQ(r.outcome, Outcome::Fail);
}

TEST(SpcByLot, ZonesAndSidesUseEachLotsOwnCentreAndSigma)
{
    // Rule ⑤: 2 of 3 lots beyond 2 sigma. Lot sigma is a third of UCL − CL: with the wide
    // limits of lot A (sigma 1) 11.5 lies in zone B; with those of B and C (sigma 0.5) in A.
    model::RuleOptions rules;
    rules.Check5 = true, rules.Chk5Comp1 = 3, rules.Chk5Comp2 = 2;
    rules.Check2 = true, rules.Chk2Comp1 = 3;
    const std::vector<CalcRow> rows{calcRow("A", "11.5", "1"), calcRow("B", "11.2", "1"),
                                    calcRow("C", "11.2", "1"), calcRow("T", "10", "1")};
    const std::vector<LotLimits> lots{limits(10, 13, 7, 1, 2, {}), limits(10, 11.5, 8.5, 1, 2, {}),
                                      limits(10, 11.5, 8.5, 1, 2, {})};
    const SpcResult r = judgeSpcByLot(rows, ChartKind::XbarR, lots, rules);
    EXPECT_EQ(r.rows[1][kSpcFirstX + 4], "○"); // A in zone B, B in zone A: one hit so far
    EXPECT_EQ(r.rows[2][kSpcFirstX + 4], "×");
    EXPECT_EQ(r.rows[2][kSpcFirstX + 1], "×");            // three above their centres
    EXPECT_EQ(r.rows[2][kSpcFirstDispersion + 1], "○"); // ranges on their centre: neither side
}
