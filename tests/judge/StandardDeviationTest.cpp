// Standard deviations of readings with a large common offset (1e9 + a few thousandths), against
// the exact figure of the parsed numbers computed with rationals. The sum-of-squares formula
// loses every digit there (a lot's 0.00487 came out as 0.35355).
#include "judge/Capability.h"
#include "judge/CapabilityStudy.h"
#include "judge/ControlConstants.h"
#include "judge/ControlLimits.h"
#include "judge/Statistics.h"
#include "judge/UsedLots.h"
#include "model/NumberText.h"
#include "TestSheet.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace judge;
using judge::testing::TestSheet;
using Rational = boost::multiprecision::cpp_rational;

namespace {

// Σ(x − x̄)² of the doubles, exactly.
Rational exactSquares(const std::vector<double>& xs)
{
    Rational sum = 0;
    for (double x : xs) sum += Rational(x);
    const Rational mean = sum / Rational(int(xs.size()));
    Rational squares = 0;
    for (double x : xs) squares += (Rational(x) - mean) * (Rational(x) - mean);
    return squares;
}

double exactStdev(const std::vector<double>& xs)
{
    const long double variance = (exactSquares(xs) / Rational(int(xs.size()) - 1)).convert_to<long double>();
    return static_cast<double>(std::sqrt(variance));
}

// |σ² − exact| / exact from the squares: below 2e-9 means σ within 1e-9 relative.
double relativeError(double sigma, const Rational& exactVariance)
{
    const Rational s(sigma);
    return boost::multiprecision::abs((s * s - exactVariance) / exactVariance).convert_to<double>();
}

// Five lots of five readings: the offset plus thousandths from a fixed pattern, parsed from
// their texts as the sheet's cells would be.
struct OffsetSheet {
    TestSheet sheet;
    std::vector<std::vector<double>> lots;
    std::vector<double> all;
};

OffsetSheet offsetSheet(const char* offset)
{
    static const int thousandths[5][5] = {{1, 6, 3, 4, 2}, {5, 0, 2, 3, 3}, {4, 4, 1, 6, 5}, {2, 3, 3, 0, 4}, {6, 1, 5, 2, 3}};
    OffsetSheet s;
    for (const auto& lot : thousandths) {
        std::vector<double> values;
        for (int t : lot) values.push_back(model::parseNumber(QStringLiteral("%1.00%2").arg(QString::fromLatin1(offset)).arg(t)));
        s.sheet.values(values);
        s.all.insert(s.all.end(), values.begin(), values.end());
        s.lots.push_back(std::move(values));
    }
    return s;
}

} // namespace

TEST(StandardDeviation, LargeOffsetsKeepTheSpreadInEveryFigure)
{
    for (const char* offset : {"1000000", "100000000", "1000000000", "-1000000000", "123456789012"}) {
        SCOPED_TRACE(offset);
        const OffsetSheet s = offsetSheet(offset);
        const Rational exactTotal = exactSquares(s.all) / Rational(int(s.all.size()) - 1);
        const double total = exactStdev(s.all);
        ASSERT_GT(total, 0.0);

        EXPECT_LT(relativeError(summarise(s.all).sampleStdev(), exactTotal), 2e-9);

        // The statistics grid: every lot's STDEV and the total row's.
        const double mid = model::parseNumber(QString::fromLatin1(offset));
        CapabilitySettings settings;
        settings.limits = {SpecKind::Tolerance, mid + 0.05, mid - 0.05};
        settings.thresholdText = QStringLiteral("1.33");
        const CapabilityResult grid = judgeCapability(s.sheet.view(), settings);
        ASSERT_FALSE(grid.error);
        ASSERT_EQ(grid.rows.size(), 6u);
        for (size_t i = 0; i < 5; ++i) EXPECT_EQ(grid.rows[i][kCalcStdev], model::formatFixed(exactStdev(s.lots[i]), 5)) << "lot " << i + 1;
        EXPECT_EQ(grid.rows[5][kCalcStdev], model::formatFixed(total, 5));

        // The three-sigma limits lie 6σ apart (the texts carry what a double near the offset holds).
        const auto limits = computeControlLimits(s.sheet.view(), ChartKind::XbarR);
        ASSERT_TRUE(limits);
        EXPECT_NEAR((model::parseNumber(limits->ucl) - model::parseNumber(limits->lcl)) / 6, total, 1e-4);

        // The capability study: overall σ, each lot's σ and the pooled σ within lots.
        const UsedLots used = usedLots(s.sheet.view());
        StudyOptions pooled;
        pooled.sigmaWithin = SigmaWithin::Pooled;
        const CapabilityStudy study = studyCapability(used, ChartKind::XbarS, settings.limits, pooled);
        ASSERT_TRUE(study.sigmaOverall && study.sigmaWithin);
        EXPECT_LT(relativeError(*study.sigmaOverall, exactTotal), 2e-9);
        Rational pooledSquares = 0;
        for (size_t i = 0; i < 5; ++i) {
            const Rational squares = exactSquares(s.lots[i]);
            EXPECT_LT(relativeError(used.lots[i].stdev, squares / 4), 2e-9) << "lot " << i + 1;
            pooledSquares += squares;
        }
        EXPECT_LT(relativeError(*study.sigmaWithin * c4(21), pooledSquares / 20), 2e-9);
    }
}
