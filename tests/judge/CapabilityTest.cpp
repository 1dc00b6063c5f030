#include "judge/Capability.h"
#include "TestSheet.h"

#include <gtest/gtest.h>

using namespace judge;
using judge::testing::TestSheet;
using judge::testing::q;

namespace {

CapabilitySettings settings(SpecLimits limits, CapabilityIndex index = CapabilityIndex::CPK,
                            ChartKind chart = ChartKind::XbarR)
{
    CapabilitySettings s;
    s.limits = limits;
    s.chart = chart;
    s.thresholdCheck = true;
    s.index = index;
    s.thresholdText = q("1.33");
    return s;
}

const SpecLimits kTolerance{SpecKind::Tolerance, 10.5, 9.5};

CalcRow row(std::initializer_list<const char*> texts)
{
    CalcRow r;
    int c = 0;
    for (const char* t : texts) r[size_t(c++)] = q(t);
    return r;
}

} // namespace

TEST(Capability, TwoLotExampleEveryCell)
{
    TestSheet s;
    s.lot({"9.8", "10.0", "10.2"}).lot({"10.0", "10.4"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.lotRows, 2);
    EXPECT_EQ(r.rowCount, 4);
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0], row({"K001", "3", "10.20000", "9.80000", "10.00000", "0.40000", "0.20000", "0.833", "0.833", "×異常あり"}));
    EXPECT_EQ(r.rows[1], row({"K002", "2", "10.40000", "10.00000", "10.20000", "0.40000", "0.28284", "0.589", "0.354", "×異常あり"}));
    EXPECT_EQ(r.rows[2], row({"＊トータル", "5", "10.40000", "9.80000", "10.08000", "0.40000", "0.22804", "0.731", "0.614", "×異常あり"}));
    EXPECT_EQ(r.outcome, Outcome::Fail);
}

TEST(Capability, IndicesByKind)
{
    struct Case { SpecLimits limits; const char* cp; const char* cpk; };
    const Case cases[] = {
        {{SpecKind::UpperOnly, 11, 0}, "0.333", "0.333"},
        {{SpecKind::LowerOnly, 0, 8}, "0.667", "0.667"},
        {{SpecKind::Tolerance, 11, 9}, "0.333", "0.333"},
        {{SpecKind::Tolerance, 13, 10}, "0.500", "0.000"},  // a limit equal to the mean
        {{SpecKind::Tolerance, 9, 11}, "-0.333", "-0.333"}, // U below L
    };
    for (const Case& c : cases) {
        TestSheet s;
        s.lot({"9", "10", "11"});
        const CapabilityResult r = judgeCapability(s.view(), settings(c.limits));
        ASSERT_EQ(r.rows.size(), 2u);
        EXPECT_EQ(r.rows[0][kCalcStdev], q("1.00000"));
        EXPECT_EQ(r.rows[0][kCalcCp], q(c.cp));
        EXPECT_EQ(r.rows[0][kCalcCpk], q(c.cpk));
    }
}

TEST(Capability, LotsWithoutSpreadHaveNoStdevOrIndices)
{
    TestSheet s;
    s.lot({"10.1"}).lot({"10", "10", "10"}).lot({"9.9", "10.1"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(r.rows[0], row({"K001", "1", "10.10000", "10.10000", "10.10000", "0.00000", "", "", "", ""}));
    EXPECT_EQ(r.rows[1], row({"K002", "3", "10.00000", "10.00000", "10.00000", "0.00000", "", "", "", ""}));
    EXPECT_FALSE(r.rows[2][kCalcStdev].isEmpty());
    EXPECT_EQ(r.rows[3][kCalcRange], q("0.06667")); // (0 + 0 + 0.2) / 3
}

TEST(Capability, AllValuesEqualGivesPassWithoutMarks)
{
    TestSheet s;
    s.lot({"10.0", "10.0"}).lot({"10.0"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[2], row({"＊トータル", "3", "10.00000", "10.00000", "10.00000", "0.00000", "", "", "", ""}));
    EXPECT_EQ(r.outcome, Outcome::Pass);
}

TEST(Capability, DisabledAndEmptyLotsLeaveNoRow)
{
    TestSheet s;
    s.lot({"9.8", "10.2"}).lot({"1", "2"}, false).lot({}).lot({"10.0", "10.4"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0][kCalcLot], q("K001"));
    EXPECT_EQ(r.rows[1][kCalcLot], q("K004"));
    EXPECT_EQ(r.rows[2][kCalcCount], q("4"));
    EXPECT_EQ(r.rows[2][kCalcMin], q("9.80000"));
    EXPECT_EQ(r.rowCount, 4);
}

TEST(Capability, MovingRangesUnderXRs)
{
    TestSheet s(1);
    s.lot({"99"}, false).lot({"10"}).lot({"50"}, false).lot({"12"}).lot({"11"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance, CapabilityIndex::CPK, ChartKind::XRs));
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(r.rows[0][kCalcRange], q("0.00000"));
    EXPECT_EQ(r.rows[1][kCalcRange], q("2.00000"));
    EXPECT_EQ(r.rows[2][kCalcRange], q("1.00000"));
    EXPECT_EQ(r.rows[3][kCalcRange], q("1.00000")); // the leading 0 counts
    EXPECT_EQ(r.rows[3][kCalcStdev], q("1.00000"));
    EXPECT_EQ(r.rows[3][kCalcCp], q("0.167"));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(r.rows[size_t(i)][kCalcStdev].isEmpty());
}

TEST(Capability, MovingRangeUsesTheFiveDecimalMeans)
{
    // Means 1/3 and 2/3 shown as 0.33333 and 0.66667: the moving range is 0.33334.
    TestSheet s(3);
    s.lot({"0", "0", "1"}).lot({"0", "1", "1"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance, CapabilityIndex::CP, ChartKind::XRs));
    EXPECT_EQ(r.rows[1][kCalcRange], q("0.33334"));
}

TEST(Capability, SingleValueInTheSheetLeavesNoJudgement)
{
    TestSheet s;
    s.lot({}).lot({"10"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0][kCalcMark], QString());
    EXPECT_EQ(r.rows[1], row({"＊トータル"}));
    EXPECT_EQ(r.outcome, Outcome::NoResult);
    EXPECT_EQ(r.rowCount, 3);
}

TEST(Capability, NoLotRowKeepsTheRowCount)
{
    TestSheet s;
    s.lot({"10", "11"}, false);
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    EXPECT_TRUE(r.rows.empty());
    EXPECT_FALSE(r.rowCount);
    EXPECT_EQ(r.outcome, Outcome::NoResult);
}

TEST(Capability, ThresholdJudgesTheDisplayedIndex)
{
    // s = sqrt(2): CP = 11.282 / (6 sqrt 2) = 1.32959..., shown as 1.330.
    TestSheet s;
    s.lot({"-1", "1"});
    const CapabilityResult r = judgeCapability(s.view(), settings({SpecKind::Tolerance, 5.641, -5.641}, CapabilityIndex::CP));
    EXPECT_EQ(r.rows[0][kCalcCp], q("1.330"));
    EXPECT_EQ(r.rows[0][kCalcMark], q("○異常なし"));
    EXPECT_EQ(r.outcome, Outcome::Pass);
}

TEST(Capability, CheckOffMarksEveryRowNotJudged)
{
    TestSheet s;
    s.lot({"9.8", "10.0", "10.2"}).lot({"10"});
    CapabilitySettings cs = settings(kTolerance);
    cs.thresholdCheck = false;
    cs.thresholdText.clear(); // never read
    const CapabilityResult r = judgeCapability(s.view(), cs);
    ASSERT_EQ(r.rows.size(), 3u);
    for (const CalcRow& row : r.rows) EXPECT_EQ(row[kCalcMark], q("－"));
    EXPECT_EQ(r.outcome, Outcome::Pass);
}

TEST(Capability, BadThresholdStopsAtTheFirstJudgedRow)
{
    TestSheet s;
    s.lot({"10"}).lot({"9.8", "10.0", "10.2"}).lot({"10.0", "10.4"});
    CapabilitySettings cs = settings(kTolerance);
    cs.thresholdText = q("");
    const CapabilityResult r = judgeCapability(s.view(), cs);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->text(), QString());
    EXPECT_EQ(r.outcome, Outcome::NoResult);
    ASSERT_EQ(r.rows.size(), 4u); // all statistics are there
    EXPECT_EQ(r.rowCount, 5);
    for (const CalcRow& row : r.rows) EXPECT_TRUE(row[kCalcMark].isEmpty());
    EXPECT_FALSE(r.rows[3][kCalcCpk].isEmpty());
}

TEST(Capability, BadMeasurementKeepsTheRowsWrittenSoFar)
{
    TestSheet s;
    s.lot({"10", "10.2"}).lot({"10", "x"}).lot({"10"});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->text(), q("x"));
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.lotRows, 1);
    EXPECT_FALSE(r.rowCount);
    EXPECT_EQ(r.outcome, Outcome::NoResult);
}

TEST(Capability, PainterThresholdCheck)
{
    struct Case { const char16_t* index; const char16_t* threshold; bool red; };
    const Case cases[] = {
        {u"1.329", u"1.33", true}, {u"1.330", u"1.33", false}, {u"2.000", u"1.33", false},
        {u"-0.333", u"1.33", true}, {u"", u"1.33", false}, {u"0.5", u"", false}, {u"0.5", u"x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isBelowThresholdText(QString::fromUtf16(c.index), QString::fromUtf16(c.threshold)), c.red);
}

TEST(Capability, FullSheetTotalRowIsRow101)
{
    TestSheet s(3);
    for (int i = 0; i < 100; ++i) s.values({10.0 + i * 0.001, 10.1, 9.9});
    const CapabilityResult r = judgeCapability(s.view(), settings(kTolerance));
    EXPECT_EQ(r.rowCount, 102);
    ASSERT_EQ(r.rows.size(), 101u);
    EXPECT_EQ(r.rows[100][kCalcLot], q("＊トータル"));
    EXPECT_EQ(r.rows[100][kCalcCount], q("300"));
}
