#include "judge/Capability.h"
#include "judge/SpcJudgement.h"
#include "TestSheet.h"

#include <gtest/gtest.h>

using namespace judge;
using judge::testing::q;

namespace {

// The result grid as the capability judgement leaves it, reduced to what the rules read.
struct CalcGrid {
    std::vector<CalcRow> rows;

    static CalcRow make(const QString& label, const char* x, const char* r, const char* s)
    {
        CalcRow row;
        row[kCalcLot] = label;
        row[kCalcMean] = q(x);
        row[kCalcRange] = q(r);
        row[kCalcStdev] = q(s);
        return row;
    }
    CalcGrid& lot(const char* x, const char* r, const char* s = "")
    {
        rows.push_back(make(QStringLiteral("L%1").arg(rows.size() + 1), x, r, s));
        return *this;
    }
    CalcGrid& lots(int n, const char* x, const char* r, const char* s = "")
    {
        for (int i = 0; i < n; ++i) lot(x, r, s);
        return *this;
    }
    CalcGrid& total(const char* x, const char* r, const char* s)
    {
        rows.push_back(make(q("＊トータル"), x, r, s));
        return *this;
    }
};

model::RuleOptions onlyRules(std::initializer_list<int> on)
{
    model::RuleOptions r = model::RuleOptions::defaults();
    r.Check1 = r.Check2 = r.Check3 = r.Check4 = r.Check5 = r.Check6 = r.Check7 = r.Check8 = false;
    for (int i : on) {
        bool* flags[] = {&r.Check1, &r.Check2, &r.Check3, &r.Check4, &r.Check5, &r.Check6, &r.Check7, &r.Check8};
        *flags[i - 1] = true;
    }
    return r;
}

const ControlLimitTexts kLimits{q("13.00000"), q("7.00000"), q("2.00000")};

// Columns of the row holding "×".
std::vector<int> crosses(const SpcRow& row)
{
    std::vector<int> out;
    for (int c = kSpcFirstX; c < kSpcMark; ++c)
        if (row[size_t(c)] == q("×")) out.push_back(c);
    return out;
}

} // namespace

TEST(SpcJudgement, AllRulesOffPass)
{
    CalcGrid g;
    g.lot("10", "1").lot("20", "9").lot("0", "0").total("10", "3.33333", "1");
    const SpcResult r = judgeSpc(g.rows, ChartKind::XbarR, kLimits, onlyRules({}));
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.rowCount, 4);
    ASSERT_EQ(r.rows.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const SpcRow& row = r.rows[size_t(i)];
        EXPECT_EQ(row[kSpcLot], QStringLiteral("L%1").arg(i + 1));
        for (int c = kSpcFirstX; c < kSpcMark; ++c) EXPECT_EQ(row[size_t(c)], q("－"));
        EXPECT_EQ(row[kSpcMark], q("○異常なし"));
    }
    EXPECT_EQ(r.outcome, Outcome::Pass);
}

TEST(SpcJudgement, LimitRuleOnBothSides)
{
    CalcGrid g;
    g.lot("13", "2").lot("13.00001", "1").lot("7", "2.00001").lot("6.99999", "0").total("10", "1.25", "1");
    const SpcResult r = judgeSpc(g.rows, ChartKind::XbarR, kLimits, onlyRules({1}));
    ASSERT_FALSE(r.error);
    EXPECT_EQ(crosses(r.rows[0]), std::vector<int>{});   // equal to UCL and R-UCL
    EXPECT_EQ(crosses(r.rows[1]), std::vector<int>{1});
    EXPECT_EQ(crosses(r.rows[2]), std::vector<int>{9});
    EXPECT_EQ(crosses(r.rows[3]), std::vector<int>{1});  // R of 0 is not below the lower limit 0
    EXPECT_EQ(r.rows[0][kSpcMark], q("○異常なし"));
    EXPECT_EQ(r.rows[1][kSpcMark], q("×異常あり"));
    EXPECT_EQ(r.outcome, Outcome::Fail);
}

TEST(SpcJudgement, BlankTotalStdevMeansNoSpread)
{
    // Every value 10.0: the total row has no STDEV. Every lot lies on the centre line, so
    // rule ⑦ marks lot 15 on both sides and nothing else fires.
    CalcGrid g;
    g.lots(16, "10.00000", "0.00000").total("10.00000", "0.00000", "");
    const ControlLimitTexts limits{q("10.00000"), q("10.00000"), q("0.00000")};
    const SpcResult r = judgeSpc(g.rows, ChartKind::XbarR, limits, model::RuleOptions::defaults());
    ASSERT_FALSE(r.error);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(crosses(r.rows[size_t(i)]), (i == 14 ? std::vector<int>{7, 15} : std::vector<int>{})) << i;
    EXPECT_EQ(r.outcome, Outcome::Fail);
}

TEST(SpcJudgement, SSideUsesTheLotStdevsAroundTheirMean)
{
    // STDEV series 0 (blank), 0, 0.6 with mean 0.2: rule ② with run 2 marks lot 2; rule ①
    // against the S limit marks lot 3. The R column (all on its centre 0) marks nothing, and
    // so would the S series around the mean range.
    CalcGrid g;
    g.lot("10", "0").lot("10", "0", "0.00000").lot("10", "0", "0.60000").total("10", "0.00000", "0.5");
    const ControlLimitTexts limits{q("11.5"), q("8.5"), q("0.5")};
    model::RuleOptions rules = onlyRules({1, 2});
    rules.Chk2Comp1 = 2;
    const SpcResult s = judgeSpc(g.rows, ChartKind::XbarS, limits, rules);
    ASSERT_FALSE(s.error);
    EXPECT_EQ(crosses(s.rows[0]), std::vector<int>{});
    EXPECT_EQ(crosses(s.rows[1]), std::vector<int>{10});
    EXPECT_EQ(crosses(s.rows[2]), std::vector<int>{9});

    const SpcResult rSide = judgeSpc(g.rows, ChartKind::XbarR, limits, rules);
    for (const SpcRow& row : rSide.rows) EXPECT_EQ(crosses(row), std::vector<int>{});
}

TEST(SpcJudgement, EmptyLimitStopsBeforeAnyMark)
{
    CalcGrid g;
    g.lot("10", "1").lot("11", "1").total("10.5", "1", "0.7");
    const ControlLimitTexts limits{q(""), q("7"), q("2")};
    const SpcResult r = judgeSpc(g.rows, ChartKind::XbarR, limits, model::RuleOptions::defaults());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message(), q("'' は浮動小数点数ではありません"));
    EXPECT_EQ(r.outcome, Outcome::NoResult);
    EXPECT_EQ(r.rowCount, 3);
    for (const SpcRow& row : r.rows)
        for (const QString& t : row) EXPECT_TRUE(t.isEmpty());
}

TEST(SpcJudgement, BadLotValueLeavesThePartWritten)
{
    CalcGrid g;
    g.lot("10", "1").lot("11", "1").lot("12", "abc").lot("10", "1").total("10.75", "1", "0.9");
    const SpcResult r = judgeSpc(g.rows, ChartKind::XbarR, kLimits, model::RuleOptions::defaults());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->text(), q("abc"));
    for (size_t i = 0; i < 4; ++i) {
        const SpcRow& row = r.rows[i];
        for (int c = kSpcFirstX; c < kSpcFirstDispersion; ++c) EXPECT_FALSE(row[size_t(c)].isEmpty()) << i << "," << c;
        for (int c = kSpcFirstDispersion; c < kSpcMark; ++c) {
            const bool written = i < 2 && c < kSpcFirstDispersion + 4; // R①..R④ of the lots before the bad one
            EXPECT_EQ(row[size_t(c)].isEmpty(), !written) << i << "," << c;
        }
        EXPECT_TRUE(row[kSpcMark].isEmpty());
    }
}

TEST(SpcJudgement, RulesRunSeparatelyPerSide)
{
    // Rising means and falling ranges: rule ③ (run 2) fires on both sides at lot 3.
    CalcGrid g;
    g.lot("10", "1.5").lot("10.1", "1").lot("10.2", "0.5").total("10.1", "1", "0.5");
    const SpcResult r = judgeSpc(g.rows, ChartKind::XRs, kLimits, [] {
        model::RuleOptions o = onlyRules({3});
        o.Chk3Comp1 = 2;
        return o;
    }());
    EXPECT_EQ(crosses(r.rows[2]), (std::vector<int>{3, 11}));
    EXPECT_EQ(crosses(r.rows[1]), std::vector<int>{});
}
