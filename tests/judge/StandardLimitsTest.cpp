#include "judge/StandardLimits.h"
#include "TestSheet.h"
#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace judge;
using judge::testing::TestSheet;

namespace {

// d2 and d3 to nine digits, as the independent integration of ControlConstantsTest gives
// them; c4 from its closed form with std::tgamma.
constexpr double kD2of4 = 2.05875075, kD3of4 = 0.879808203;
constexpr double kD2of7 = 2.70435675, kD3of7 = 0.833205336;
const double kD2of2 = 2 / std::sqrt(std::numbers::pi);
const double kD3of2 = std::sqrt(2 - 4 / std::numbers::pi);
double c4Closed(int n) { return std::sqrt(2.0 / (n - 1)) * std::tgamma(n / 2.0) / std::tgamma((n - 1) / 2.0); }
double sampleStdev(std::initializer_list<double> v)
{
    double m = 0, ss = 0;
    for (double x : v) m += x;
    m /= double(v.size());
    for (double x : v) ss += (x - m) * (x - m);
    return std::sqrt(ss / double(v.size() - 1));
}

constexpr double kTol = 1e-7;

} // namespace

TEST(StandardLimits, XbarREqualLotsAreTheA2AndD4Limits)
{
    TestSheet s(4);
    s.lot({"10", "12", "11", "13"}).lot({"9", "11", "10", "10"}).lot({"12", "14", "13", "11"});
    s.lot({"50", "60"}, false); // disabled: not used
    s.lot({});                  // no values: not used
    const auto limits = standardLimits(usedLots(s.view()), ChartKind::XbarR, 4);
    ASSERT_TRUE(limits);
    const double grand = 136.0 / 12, rBar = 8.0 / 3;
    const double a2 = 3 / (kD2of4 * 2), d4 = 1 + 3 * kD3of4 / kD2of4;
    EXPECT_NEAR(limits->sigma, rBar / kD2of4, kTol);
    ASSERT_EQ(limits->lots.size(), 3u);
    for (const LotLimits& lot : limits->lots) {
        EXPECT_EQ(lot.n, 4);
        EXPECT_NEAR(lot.cl, grand, 1e-12);
        EXPECT_NEAR(lot.ucl, grand + a2 * rBar, kTol);
        EXPECT_NEAR(lot.lcl, grand - a2 * rBar, kTol);
        EXPECT_NEAR(*lot.dispersionCl, rBar, kTol);
        EXPECT_NEAR(*lot.dispersionUcl, d4 * rBar, kTol);
        EXPECT_FALSE(lot.dispersionLcl); // D3 is 0 below seven values
    }
    EXPECT_EQ(limits->lots[2].lot, QStringLiteral("K003"));
    const ControlLimitTexts texts = nominalLimitTexts(*limits);
    EXPECT_EQ(texts.ucl, model::formatFixed(grand + a2 * rBar, 5));
    EXPECT_EQ(texts.lcl, model::formatFixed(grand - a2 * rBar, 5));
    EXPECT_EQ(texts.rsUcl, model::formatFixed(d4 * rBar, 5));
}

TEST(StandardLimits, UnequalLotsGetLimitsOfTheirOwnSizeAndALowerRangeLimitFromSevenValues)
{
    TestSheet s(7);
    s.lot({"10", "12", "11", "13"})
        .lot({"10", "11", "12", "13", "14", "15", "16"})
        .lot({"11"}) // one value: no range point, no range limits
        .lot({"9", "11", "10", "10"});
    const auto limits = standardLimits(usedLots(s.view()), ChartKind::XbarR, 7);
    ASSERT_TRUE(limits);
    const double sigma = (3 / kD2of4 + 6 / kD2of7 + 2 / kD2of4) / 3;
    const double grand = (46.0 + 91 + 11 + 40) / 16;
    EXPECT_NEAR(limits->sigma, sigma, kTol);
    ASSERT_EQ(limits->lots.size(), 4u);
    const LotLimits& four = limits->lots[0];
    const LotLimits& seven = limits->lots[1];
    const LotLimits& one = limits->lots[2];
    EXPECT_NEAR(four.ucl, grand + 3 * sigma / 2, kTol);
    EXPECT_NEAR(seven.ucl, grand + 3 * sigma / std::sqrt(7.0), kTol);
    EXPECT_NEAR(one.lcl, grand - 3 * sigma, kTol);
    EXPECT_FALSE(one.dispersionCl || one.dispersionUcl || one.dispersionLcl);
    EXPECT_NEAR(*four.dispersionUcl, (kD2of4 + 3 * kD3of4) * sigma, kTol);
    EXPECT_NEAR(*seven.dispersionCl, kD2of7 * sigma, kTol);
    ASSERT_TRUE(seven.dispersionLcl);
    EXPECT_NEAR(*seven.dispersionLcl, (kD2of7 - 3 * kD3of7) * sigma, kTol);
    EXPECT_FALSE(four.dispersionLcl);
    // The fields show the nominal size, the measurement count.
    EXPECT_NEAR(limits->nominal.ucl, seven.ucl, 1e-12);
    EXPECT_EQ(*limits->nominal.dispersionLcl, *seven.dispersionLcl);
}

TEST(StandardLimits, XbarSUsesTheMeanOfSOverC4)
{
    TestSheet s(10);
    s.lot({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}).lot({"4", "6", "5"}).lot({"7"});
    const auto limits = standardLimits(usedLots(s.view()), ChartKind::XbarS, 10);
    ASSERT_TRUE(limits);
    const double s10 = sampleStdev({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), s3 = 1.0;
    const double sigma = (s10 / c4Closed(10) + s3 / c4Closed(3)) / 2;
    EXPECT_NEAR(limits->sigma, sigma, 1e-12);
    const LotLimits& ten = limits->lots[0];
    const LotLimits& three = limits->lots[1];
    const double c = c4Closed(10), b = 3 * std::sqrt(1 - c * c);
    EXPECT_NEAR(*ten.dispersionCl, c * sigma, 1e-12);
    EXPECT_NEAR(*ten.dispersionUcl, (c + b) * sigma, 1e-12);
    ASSERT_TRUE(ten.dispersionLcl); // B3 > 0 from six values on
    EXPECT_NEAR(*ten.dispersionLcl, (c - b) * sigma, 1e-12);
    EXPECT_FALSE(three.dispersionLcl);
    EXPECT_NEAR(three.lcl, 5.5 - 3 * sigma / std::sqrt(3.0), 1e-12); // (55 + 15 + 7) / 14
    EXPECT_FALSE(limits->lots[2].dispersionUcl);
}

TEST(StandardLimits, XRsFromTheMeanMovingRange)
{
    TestSheet s(1);
    for (const char* v : {"10", "12", "11", "15", "14"}) s.lot({v});
    const auto limits = standardLimits(usedLots(s.view()), ChartKind::XRs, 1);
    ASSERT_TRUE(limits);
    // Moving ranges 2, 1, 4, 1: MR̄ = 2, sigma = 2 / d2(2) = √π.
    EXPECT_NEAR(limits->sigma, std::sqrt(std::numbers::pi), 1e-12);
    EXPECT_FALSE(limits->lots[0].dispersionUcl);
    for (size_t i = 1; i < 5; ++i) {
        const LotLimits& lot = limits->lots[i];
        EXPECT_NEAR(lot.ucl, 12.4 + 3 * std::sqrt(std::numbers::pi), 1e-12); // E2·MR̄
        EXPECT_NEAR(*lot.dispersionCl, 2.0, 1e-12);
        EXPECT_NEAR(*lot.dispersionUcl, 2 * (kD2of2 + 3 * kD3of2) / kD2of2, 1e-12); // D4(2)·MR̄
        EXPECT_FALSE(lot.dispersionLcl);
    }
    EXPECT_NEAR(*limits->nominal.dispersionUcl, 3.2665 * 2, 1e-4 * 2);
    EXPECT_NEAR(limits->nominal.ucl - 12.4, 2.6587 * 2, 1e-4 * 2);
}

TEST(StandardLimits, NotComputableWithoutAWithinLotSpread)
{
    TestSheet ones(3);
    ones.lot({"1"}).lot({"", "2"}).lot({"", "", "3"});
    EXPECT_FALSE(standardLimits(usedLots(ones.view()), ChartKind::XbarR, 3));
    EXPECT_FALSE(standardLimits(usedLots(ones.view()), ChartKind::XbarS, 3));
    EXPECT_TRUE(standardLimits(usedLots(ones.view()), ChartKind::XRs, 3));

    TestSheet single(3);
    single.lot({"1", "2", "3"}).lot({"4", "5"}, false);
    EXPECT_FALSE(standardLimits(usedLots(single.view()), ChartKind::XRs, 3));
    EXPECT_FALSE(standardLimits(usedLots(TestSheet(3).view()), ChartKind::XbarR, 3));
}

TEST(StandardLimits, EqualValuesGiveLimitsOnTheCentre)
{
    TestSheet s(3);
    s.lot({"5", "5", "5"}).lot({"5", "5", "5"});
    for (ChartKind chart : {ChartKind::XbarR, ChartKind::XbarS, ChartKind::XRs}) {
        const auto limits = standardLimits(usedLots(s.view()), chart, 3);
        ASSERT_TRUE(limits);
        EXPECT_EQ(limits->sigma, 0.0);
        EXPECT_EQ(limits->lots[1].ucl, 5.0);
        EXPECT_EQ(limits->lots[1].lcl, 5.0);
        EXPECT_EQ(*limits->lots[1].dispersionUcl, 0.0);
        EXPECT_FALSE(limits->lots[1].dispersionLcl);
    }
}

TEST(StandardLimits, ABadValueIsAConversionError)
{
    TestSheet s(3);
    s.lot({"1", "2"}).lot({"3", "x"});
    EXPECT_THROW(usedLots(s.view()), model::ConvertError);
}
