// The judgement chain on a view no window shows: results, saves on the way, and the stops
// with and without a message.
#include "SheetRecords.h"

#include "model/NumberText.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/SheetEntry.h"

#include <gtest/gtest.h>

using namespace sheetview;
using sheetview_test::q;
using sheetview_test::record;

namespace {

const model::AppSettings kApp = model::AppSettings::defaults();
const model::RuleOptions kRules = model::RuleOptions::defaults();

QStringList calcRow(const SheetView& v, int row)
{
    QStringList cells;
    for (int c = 0; c < 10; ++c) cells.append(v.calc.text(c, row));
    return cells;
}

} // namespace

TEST(JudgementChain, TheWorkedExampleJudgedAndSavedOnTheWay)
{
    model::SheetRecord stored = record({"K001,9.8,10.0,10.2", "K002,,,", "K003,10.0,10.4, "});
    SheetView v = enterSheet(stored, kApp).view;
    v.product = "changed before judging";
    ChainReport report;
    judgeSpc(v, ChainContext{&kRules, &stored}, report);

    EXPECT_FALSE(report.notice);
    EXPECT_TRUE(report.specFinished && report.capabilityFinished && report.spcFinished);
    EXPECT_EQ(v.specResult, "合格");
    EXPECT_EQ(v.capabilityResult, "不合格");
    EXPECT_EQ(v.spcResult, "合格");
    EXPECT_EQ(v.ucl, "10.76411");
    EXPECT_EQ(v.lcl, "9.39589");
    EXPECT_EQ(v.rsUcl, "1.08411");
    ASSERT_EQ(v.calcRowCount, 4);
    EXPECT_EQ(calcRow(v, 2), (QStringList{"K003", "2", "10.40000", "10.00000", "10.20000", "0.40000", "0.28284", "0.589",
                                          "0.354", "×異常あり"}));
    EXPECT_EQ(calcRow(v, 3), (QStringList{"＊トータル", "5", "10.40000", "9.80000", "10.08000", "0.40000", "0.22804", "0.731",
                                          "0.614", "×異常あり"}));
    EXPECT_EQ(v.spcRowCount, 3);
    EXPECT_EQ(v.spc.text(0, 2), "K003");
    EXPECT_EQ(v.spc.text(17, 2), "○異常なし");
    EXPECT_TRUE(v.specJudged && v.capabilityJudged);
    // The sheet was saved with what the view showed, blank cells emptied.
    EXPECT_EQ(stored.product, "changed before judging");
    EXPECT_EQ(stored.dataLines[2], "K003,10.000,10.400,");
    EXPECT_EQ(v.cells.text(2, 3), "");
    EXPECT_TRUE(v.changedGrids & kCapabilityGrid);
}

TEST(JudgementChain, ABlankRequiredFieldStopsWithGuidanceAndEmptiesTheResult)
{
    model::SheetRecord stored = record({"K001,10"});
    SheetView v = enterSheet(stored, kApp).view;
    ChainReport first;
    judgeSpecification(v, ChainContext{&kRules, nullptr}, first);
    ASSERT_EQ(v.specResult, "合格");

    v.unit = " ";
    const model::SheetRecord before = stored;
    ChainReport report;
    judgeSpc(v, ChainContext{&kRules, &stored}, report);
    EXPECT_EQ(report.focus, HeaderField::Unit);
    EXPECT_EQ(report.notice, requiredFieldsNotice());
    EXPECT_EQ(v.specResult, "");
    EXPECT_EQ(stored, before);

    // A limit field out of use is not required.
    v.unit = "mm";
    v.specKind = judge::SpecKind::UpperOnly;
    specKindChanged(v);
    ChainReport upperOnly;
    judgeSpecification(v, ChainContext{&kRules, nullptr}, upperOnly);
    EXPECT_FALSE(upperOnly.notice);
    EXPECT_EQ(v.specResult, "合格");
}

TEST(JudgementChain, ALimitThatIsNotANumberWarnsWithoutSaving)
{
    model::SheetRecord stored = record({"K001,10"});
    SheetView v = enterSheet(stored, kApp).view;
    v.specUpper = "1x";
    const model::SheetRecord before = stored;
    ChainReport report;
    judgeCapability(v, ChainContext{&kRules, &stored}, report);
    EXPECT_EQ(report.notice, specLimitsNotice());
    EXPECT_FALSE(report.focus);
    EXPECT_EQ(stored, before);
    EXPECT_FALSE(v.specJudged);
}

TEST(JudgementChain, SpecifiedLimitsWithAnEmptyFieldStopSilentlyAfterTheSpecification)
{
    SheetView v = enterSheet(record({"K001,9.8,10.0,10.2"}), kApp).view;
    v.limitMethod = judge::LimitMethod::Specified;
    v.ucl = "10.6";
    v.lcl = "9.4";
    ChainReport report;
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    EXPECT_FALSE(report.notice);
    EXPECT_EQ(v.specResult, "合格");
    EXPECT_EQ(v.capabilityResult, "");
    EXPECT_EQ(v.calc.text(1, 1), "");
    EXPECT_FALSE(v.capabilityJudged);

    v.rsUcl = "0.5";
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    EXPECT_EQ(v.ucl, "10.6"); // typed limits are judged as they are
    EXPECT_EQ(v.capabilityResult, "不合格");
    EXPECT_EQ(v.spcResult, "合格");
}

TEST(JudgementChain, AMeasurementThatIsNotANumberStopsWithTheConversionError)
{
    model::SheetRecord stored = record({"K001,10.0,1.2.3"});
    SheetView v = enterSheet(stored, kApp).view;
    EXPECT_EQ(v.cells.text(1, 1), "1.2.3");
    ChainReport report;
    try {
        judgeSpc(v, ChainContext{&kRules, &stored}, report);
        FAIL() << "no conversion error";
    } catch (const model::ConvertError& e) {
        EXPECT_EQ(conversionNotice(e), (Notice{"Quorvane", "'1.2.3' は浮動小数点数ではありません", NoticeIcon::Error}));
    }
    EXPECT_TRUE(v.specJudged);               // saved and flagged before the scan
    EXPECT_EQ(stored.dataLines[0], "K001,10.000,1.2.3,");
    EXPECT_EQ(v.specResult, "");
    EXPECT_FALSE(report.specFinished);
    EXPECT_EQ(v.capabilityResult, "");
}

TEST(JudgementChain, ARunWithoutAResultLeavesNoEarlierResultToGoOnFrom)
{
    SheetView v = enterSheet(record({"K001,9.8,10.0,10.2", "K002,10.1,9.9,10"}), kApp).view;
    ChainReport report;
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    ASSERT_EQ(v.capabilityResult, "不合格");
    ASSERT_FALSE(v.spcResult.isEmpty());

    // One value left: the capability judgement has nothing to judge. No caption of the
    // earlier run stays, so the SPC stage stops silently instead of failing on the empty
    // total row.
    for (int r = 1; r <= 2; ++r)
        for (int c = 0; c < 3; ++c) v.cells.setText(c, r, r == 1 && c == 0 ? "10" : "");
    report = {};
    EXPECT_NO_THROW(judgeSpc(v, ChainContext{&kRules, nullptr}, report));
    EXPECT_EQ(v.specResult, "合格");
    EXPECT_EQ(v.capabilityResult, "");
    EXPECT_EQ(v.spcResult, "");
    EXPECT_FALSE(report.spcFinished);
    EXPECT_EQ(v.calc.text(0, 2), "＊トータル");
    EXPECT_EQ(v.calc.text(1, 2), "");

    // Specified limits left empty: the capability grid keeps the rows of the earlier run,
    // and no stage after it judges them as if they were the sheet's data now.
    for (int c = 0; c < 3; ++c) v.cells.setText(c, 2, "10.1");
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    ASSERT_FALSE(v.capabilityResult.isEmpty());
    v.limitMethod = judge::LimitMethod::Specified;
    v.ucl.clear();
    v.cells.setText(0, 1, "30");
    report = {};
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    EXPECT_EQ(v.specResult, "不合格");
    EXPECT_EQ(v.capabilityResult, "");
    EXPECT_EQ(v.spcResult, "");
    EXPECT_FALSE(report.notice);
}

TEST(JudgementChain, TheRedCellsFollowTheLimitsShownNow)
{
    SheetView v = enterSheet(record({"K001,9.4,10.0,10.6", "K002,10.5,9.5"}), kApp).view;
    EXPECT_TRUE(outOfSpecCells(v).empty()); // nothing is red before a judgement
    ChainReport report;
    judgeSpecification(v, ChainContext{&kRules, nullptr}, report);
    EXPECT_EQ(v.specResult, "不合格");
    EXPECT_EQ(outOfSpecCells(v), (std::vector<CellAt>{{0, 1}, {2, 1}}));
    v.specUpper = "11.000";
    EXPECT_EQ(outOfSpecCells(v), (std::vector<CellAt>{{0, 1}}));
}

TEST(JudgementChain, ByTheChartConstantsEachLotIsJudgedAgainstItsOwnLimits)
{
    // Expected limits computed by hand with d2(4) = 2.05875075, d3(4) = 0.879808203:
    // X̿ = 172.8 / 17 = 10.1647059, sigma = mean(0.3, 0.2, 0.2, 0.1) / d2(4) = 0.0971463.
    model::SheetRecord stored = record({"K001,10.0,10.2,10.1,10.3", "K002,10.1,10.0,10.2,10.1", "K003,10.4,,,",
                                        "K004,9.9,10.1,10.0,10.0", "K005,10.3,10.4,10.3,10.4"},
                                       5, 4);
    SheetView v = enterSheet(stored, kApp).view;
    v.chart = judge::ChartKind::XbarR;
    v.limitMethod = judge::LimitMethod::Standard;
    v.ucl = "1";
    ChainReport report;
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    EXPECT_TRUE(report.spcFinished);
    EXPECT_EQ(v.ucl, "10.31043");
    EXPECT_EQ(v.lcl, "10.01899");
    EXPECT_EQ(v.rsUcl, "0.45641");
    // Rule ①: the one-value lot K003 (10.4) lies inside its own, wider limits (up to 10.45614)
    // though above the nominal 10.31043; K004 (10.0) and K005 (10.35) lie outside theirs.
    const char* expected[] = {"○", "○", "○", "×", "×"};
    for (int r = 1; r <= 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(v.spc.text(1, r), q(expected[r - 1]));
        EXPECT_EQ(v.spc.text(9, r), r == 3 ? "－" : "○"); // no range of one value
    }
    EXPECT_EQ(v.spc.text(16, 3), "－");
    EXPECT_EQ(v.spcResult, "不合格");
}

TEST(JudgementChain, ByTheChartConstantsLotsOfOneValueGiveNoLimitsAndNoSpcResult)
{
    model::SheetRecord stored = record({"K001,10.0,,", "K002,10.1,,", "K003,,10.2,"});
    SheetView v = enterSheet(stored, kApp).view;
    v.chart = judge::ChartKind::XbarR;
    v.limitMethod = judge::LimitMethod::Standard;
    v.ucl = "10.3";
    v.lcl = "9.9";
    v.rsUcl = "0.2";
    ChainReport report;
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    EXPECT_FALSE(report.notice);
    EXPECT_TRUE(report.capabilityFinished);
    EXPECT_FALSE(v.capabilityResult.isEmpty());
    EXPECT_EQ(v.ucl, "");
    EXPECT_EQ(v.lcl, "");
    EXPECT_EQ(v.rsUcl, "");
    EXPECT_EQ(v.spcResult, "");
    EXPECT_FALSE(report.spcFinished);

    // X-Rs has its moving ranges between the three lots.
    v.chart = judge::ChartKind::XRs;
    judgeSpc(v, ChainContext{&kRules, nullptr}, report);
    EXPECT_FALSE(v.ucl.isEmpty());
    EXPECT_EQ(v.spc.text(9, 1), "－"); // the first lot has no moving range
    EXPECT_EQ(v.spcResult, "合格");
    ASSERT_TRUE(capabilityStudyOf(v));
    EXPECT_EQ(capabilityStudyOf(v)->n, 3);
}
