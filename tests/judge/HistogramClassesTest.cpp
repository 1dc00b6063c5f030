// The one class rule every histogram uses: classes a whole number of measuring units wide, the
// first edge half a unit below the smallest value, and values far apart.
#include "judge/HistogramClasses.h"
#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace judge;

TEST(HistogramClasses, EqualValuesEdgesAndSpansTooWideForUnits)
{
    // All equal: one unit per class, the value in the first, from half a unit below it.
    auto c = histogramClasses(std::vector<double>{10.0, 10.0, 10.0}, 5, 3);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].count, 3);
    EXPECT_NEAR(c[0].lower, 9.9995, 1e-9);
    EXPECT_NEAR(c[4].upper, 10.0045, 1e-9);

    // A value with more decimals than the sheet's lies on an edge and counts in the upper class.
    c = histogramClasses(std::vector<double>{1.0, 1.5, 2.0}, 5, 0);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_NEAR(c[1].lower, 1.5, 1e-12);
    EXPECT_EQ(c[0].count, 1);
    EXPECT_EQ(c[1].count, 2);

    // Plain classes for a span no unit count can hold; the largest value in the last class.
    c = histogramClasses(std::vector<double>{-1e300, 0.0, 1e300}, 5, 5);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].count, 1);
    EXPECT_EQ(c[2].count, 1);
    EXPECT_EQ(c[4].count, 1);
    c = histogramClasses(std::vector<double>{-1.7e308, 1.7e308}, 5, 3); // the span itself overflows
    EXPECT_EQ(c[0].count + c[4].count, 2);
    EXPECT_FALSE(std::isnan(c[0].upper));

    EXPECT_TRUE(histogramClasses({}, 5, 3).empty());
    EXPECT_TRUE(normalCurve(10.0, 0.0, 5, 0.1, 9.0, 11.0, 50).empty()); // no spread, no curve
}

TEST(HistogramClasses, EveryClassIsAWholeNumberOfUnitsAndHoldsAsManyPossibleReadings)
{
    struct Case {
        int minUnits, maxUnits, digits, classes;
    };
    // 5.66 to 6.36 (a width of 0.071 would make a comb), 9.800 to 10.400 (0.0601), one reading
    // short of and one past a multiple of the class count, and a single unit of spread.
    for (const Case& k : {Case{566, 636, 2, 10}, Case{9800, 10400, 3, 10}, Case{100, 149, 1, 5}, Case{100, 150, 1, 5},
                          Case{-25, 25, 0, 7}, Case{31, 32, 2, 6}}) {
        SCOPED_TRACE(::testing::Message() << k.minUnits << ".." << k.maxUnits << " /10^" << k.digits << " in " << k.classes);
        const double unit = std::pow(10.0, -k.digits);
        // Readings spread over the span by a fixed stride, both ends included.
        std::vector<long> readings{k.minUnits, k.maxUnits};
        for (long r = k.minUnits; r <= k.maxUnits; r += 7) readings.push_back(r);
        std::vector<double> values;
        for (long r : readings) values.push_back(model::parseNumber(model::formatFixed(r * unit, k.digits)));

        // The smallest width w (in units) with classes * w >= span + 1 unit, counted in whole numbers.
        long w = 1;
        while (long(k.classes) * w < k.maxUnits - k.minUnits + 1) ++w;
        std::vector<int> expected(size_t(k.classes), 0);
        for (long r : readings) ++expected[size_t((r - k.minUnits) / w)];

        const std::vector<HistogramClass> c = histogramClasses(values, k.classes, k.digits);
        ASSERT_EQ(c.size(), size_t(k.classes));
        EXPECT_NEAR(c.front().lower, (k.minUnits - 0.5) * unit, unit * 1e-6);
        std::vector<int> counts;
        for (size_t i = 0; i < c.size(); ++i) {
            EXPECT_NEAR(c[i].lower, (k.minUnits - 0.5 + double(i) * w) * unit, unit * 1e-6) << i;
            EXPECT_NEAR(c[i].upper - c[i].lower, w * unit, unit * 1e-6) << i;
            // Every possible reading of the covered range falls in exactly one class, w in each.
            int possible = 0;
            for (long r = k.minUnits - 1; r <= k.minUnits + long(k.classes) * w; ++r)
                if (r * unit >= c[i].lower && r * unit < c[i].upper) ++possible;
            EXPECT_EQ(possible, w) << i;
            counts.push_back(c[i].count);
        }
        EXPECT_EQ(counts, expected);
    }
}
