#include "judge/ControlConstants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace judge;

namespace {

// d2, d3 and c4 as printed in the common control chart tables (three or four decimals).
struct Printed {
    int n;
    double d2, d3, c4;
};
constexpr Printed kPrinted[] = {
    {2, 1.128, 0.853, 0.7979},  {3, 1.693, 0.888, 0.8862},  {4, 2.059, 0.880, 0.9213},
    {5, 2.326, 0.864, 0.9400},  {6, 2.534, 0.848, 0.9515},  {7, 2.704, 0.833, 0.9594},
    {8, 2.847, 0.820, 0.9650},  {9, 2.970, 0.808, 0.9693},  {10, 3.078, 0.797, 0.9727},
    {11, 3.173, 0.787, 0.9754}, {12, 3.258, 0.778, 0.9776}, {13, 3.336, 0.770, 0.9794},
    {14, 3.407, 0.763, 0.9810}, {15, 3.472, 0.756, 0.9823}, {16, 3.532, 0.750, 0.9835},
    {17, 3.588, 0.744, 0.9845}, {18, 3.640, 0.739, 0.9854}, {19, 3.689, 0.734, 0.9862},
    {20, 3.735, 0.729, 0.9869}, {21, 3.778, 0.724, 0.9876}, {22, 3.819, 0.720, 0.9882},
    {23, 3.858, 0.716, 0.9887}, {24, 3.895, 0.712, 0.9892}, {25, 3.931, 0.708, 0.9896},
};

// The range moments by another route than the table's generator: through the order
// statistics, E[W] = 2 E[X(n)] and E[W²] = 2 E[X(n)²] − 2 E[X(1) X(n)], with Simpson's rule
// on a fixed grid (the joint moment over x and the gap t = y − x ≥ 0, where the integrand
// is smooth). Φ from std::erfc.
class OrderStatisticMoments {
public:
    OrderStatisticMoments()
    {
        for (int i = 0; i <= kSteps; ++i) {
            const double x = -kReach + i * kStep;
            cdf_.push_back(0.5 * std::erfc(-x / std::numbers::sqrt2));
            pdf_.push_back(std::exp(-x * x / 2) / std::sqrt(2 * std::numbers::pi));
            weight_.push_back(i == 0 || i == kSteps ? 1.0 : i % 2 ? 4.0 : 2.0);
        }
    }

    double rangeMean(int n) const { return 2 * maxMoment(n, 1); }

    double rangeStdev(int n) const
    {
        const double mean = rangeMean(n);
        return std::sqrt(2 * maxMoment(n, 2) - 2 * minMaxMoment(n) - mean * mean);
    }

private:
    static constexpr double kReach = 9.0;
    static constexpr int kSteps = 1200;
    static constexpr double kStep = 2 * kReach / kSteps;

    double x(int i) const { return -kReach + i * kStep; }

    // E[X(n)^power], density n φ Φⁿ⁻¹.
    double maxMoment(int n, int power) const
    {
        double sum = 0.0;
        for (int i = 0; i <= kSteps; ++i)
            sum += weight_[i] * std::pow(x(i), power) * n * pdf_[i] * std::pow(cdf_[i], n - 1);
        return sum * kStep / 3;
    }

    // E[X(1) X(n)], joint density n(n − 1) φ(x) φ(y) (Φ(y) − Φ(x))ⁿ⁻² for x < y.
    double minMaxMoment(int n) const
    {
        double sum = 0.0;
        for (int i = 0; i <= kSteps; ++i) {
            double inner = 0.0;
            for (int j = 0; i + j <= kSteps; ++j) {
                const int k = i + j;
                // The gap range ends where y leaves the grid, at times mid-pattern of the
                // Simpson weights; the density there lies far below double precision.
                inner += weight_[j] * x(k) * pdf_[k] * std::pow(cdf_[k] - cdf_[i], n - 2);
            }
            sum += weight_[i] * x(i) * pdf_[i] * inner;
        }
        return double(n) * (n - 1) * sum * kStep * kStep / 9;
    }

    std::vector<double> cdf_, pdf_, weight_;
};

} // namespace

TEST(ControlConstants, AgreeWithPrintedTablesToTheirDecimals)
{
    for (const Printed& p : kPrinted) {
        SCOPED_TRACE(p.n);
        EXPECT_NEAR(d2(p.n), p.d2, 0.001);
        EXPECT_NEAR(d3(p.n), p.d3, 0.001);
        EXPECT_NEAR(c4(p.n), p.c4, 0.0001);
    }
}

TEST(ControlConstants, ClosedFormsForTwoValues)
{
    // The range of two values is |X1 − X2| with X1 − X2 ~ N(0, 2).
    EXPECT_NEAR(d2(2), 2 / std::sqrt(std::numbers::pi), 1e-15);
    EXPECT_NEAR(d3(2), std::sqrt(2 - 4 / std::numbers::pi), 1e-14);
    EXPECT_NEAR(c4(2), std::sqrt(2 / std::numbers::pi), 1e-15);
}

TEST(ControlConstants, RangeConstantsMatchAnIndependentIntegrationUpToOneHundred)
{
    const OrderStatisticMoments moments;
    for (int n = 2; n <= 100; ++n) {
        SCOPED_TRACE(n);
        EXPECT_NEAR(d2(n), moments.rangeMean(n), 1e-9 * d2(n));
        EXPECT_NEAR(d3(n), moments.rangeStdev(n), 1e-9 * d3(n));
    }
}

TEST(ControlConstants, C4FollowsItsProductRecurrenceWithinAndBeyondTheTable)
{
    // c4(n) c4(n + 1) = √((n − 1)/n), from Γ(x + 1) = x Γ(x); start at c4(2) = √(2/π).
    double expected = std::sqrt(2 / std::numbers::pi);
    for (int n = 2; n <= 10000; ++n) {
        if (n <= 110 || n % 997 == 0 || n == 9901) {
            SCOPED_TRACE(n);
            EXPECT_NEAR(c4(n), expected, 1e-11);
        }
        expected = std::sqrt(double(n - 1) / n) / expected;
    }
}

TEST(ControlConstants, OutsideTheirRangeTheConstantsAreNaN)
{
    EXPECT_TRUE(std::isnan(d2(1)));
    EXPECT_TRUE(std::isnan(d3(101)));
    EXPECT_TRUE(std::isnan(c4(1)));
    EXPECT_TRUE(std::isnan(c4(0)));
}
