#include "judge/ControlLimits.h"
#include "TestSheet.h"

#include "model/NumberText.h"

#include <gtest/gtest.h>

using namespace judge;
using judge::testing::TestSheet;
using judge::testing::q;

namespace {

ControlLimitTexts texts(const char* ucl, const char* lcl, const char* rs) { return {q(ucl), q(lcl), q(rs)}; }

} // namespace

TEST(ControlLimits, ByChartKind)
{
    struct Case { const char* name; ChartKind chart; TestSheet sheet; ControlLimitTexts expected; };
    std::vector<Case> cases;
    // All values 9, 11, 10: mean 10, s 1.
    cases.push_back({"XbarR ranges 2 and 0", ChartKind::XbarR, TestSheet(), texts("13.00000", "7.00000", "4.00000")});
    cases.back().sheet.lot({"9", "11"}).lot({"10"});
    cases.push_back({"XbarS single-value lot counts 0", ChartKind::XbarS, TestSheet(), texts("13.00000", "7.00000", "3.70711")});
    cases.back().sheet.lot({"9", "11"}).lot({"10"});
    cases.push_back({"X-Rs means 10 12 11", ChartKind::XRs, TestSheet(1), texts("14.00000", "8.00000", "4.00000")});
    cases.back().sheet.lot({"10"}).lot({"12"}).lot({"11"});
    cases.push_back({"X-Rs across a disabled lot", ChartKind::XRs, TestSheet(1), texts("14.00000", "8.00000", "4.00000")});
    cases.back().sheet.lot({"10"}).lot({"50"}, false).lot({}).lot({"12"}).lot({"11"});
    cases.push_back({"all values equal", ChartKind::XbarS, TestSheet(), texts("12.30000", "12.30000", "0.00000")});
    cases.back().sheet.lot({"12.3", "12.3"}).lot({"12.3"});
    cases.push_back({"two values in one lot", ChartKind::XbarR, TestSheet(), texts("14.24264", "5.75736", "6.24264")});
    cases.back().sheet.lot({}).lot({"9", "11"}).lot({"1", "2"}, false);
    for (const Case& c : cases) {
        const auto limits = computeControlLimits(c.sheet.view(), c.chart);
        ASSERT_TRUE(limits) << c.name;
        EXPECT_EQ(*limits, c.expected) << c.name;
    }
}

TEST(ControlLimits, FewerThanTwoValuesComputeNothing)
{
    TestSheet s;
    s.lot({"10"}).lot({"1", "2"}, false).lot({" "});
    EXPECT_FALSE(computeControlLimits(s.view(), ChartKind::XbarR));
}

TEST(ControlLimits, BadValueOfAnEnabledLotRaises)
{
    TestSheet s;
    s.lot({"10", "11"}).lot({"oops"}, false);
    EXPECT_TRUE(computeControlLimits(s.view(), ChartKind::XbarR)); // disabled lots are not read
    s.lot({"10", "1e"});
    EXPECT_THROW(computeControlLimits(s.view(), ChartKind::XbarR), model::ConvertError);
}

TEST(ControlLimits, BlankLimitTexts)
{
    EXPECT_FALSE(anyLimitBlank(texts("1", "0", "2")));
    EXPECT_TRUE(anyLimitBlank(texts("1", " ", "2")));
    EXPECT_TRUE(anyLimitBlank(texts("1", "0", "")));
    EXPECT_FALSE(anyLimitBlank(texts("x", "0", "2"))); // not validated here
}
