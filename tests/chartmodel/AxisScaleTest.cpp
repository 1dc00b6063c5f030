// Axes fitted to what a chart draws, and lot labels thinned.
#include "chartmodel/AxisScale.h"

#include <gtest/gtest.h>

#include <cmath>

using chartmodel::fittedAxis;
using chartmodel::labelInterval;

TEST(AxisScale, AxesHoldEveryValueInWholeStepsWithoutReachingForZero)
{
    // Values of 5.66 to 6.36 are drawn on about 5.6 to 6.4, not on 0 to 8.
    const auto r = fittedAxis({5.66, 6.36, 6.01, 6.30});
    EXPECT_DOUBLE_EQ(r.min, 5.6);
    EXPECT_DOUBLE_EQ(r.max, 6.4);
    // Limits count as much as points; non-finite values are left out.
    const auto l = fittedAxis({10.0, 10.02, 9.236, 10.764, std::nan("")});
    EXPECT_LE(l.min, 9.236);
    EXPECT_GE(l.max, 10.764);
    EXPECT_GE((10.764 - 9.236) / (l.max - l.min), 0.6); // the drawing fills most of the axis
    // Small dispersions keep their digits clean: steps of 0.01 give bounds like 0.08, not 0.08000000001.
    const auto s = fittedAxis({0.0123, 0.0505, 0.08});
    EXPECT_DOUBLE_EQ(s.min, 0.0);
    EXPECT_DOUBLE_EQ(s.max, 0.09);
    // One value, or all equal: a range around it, never an empty one.
    const auto one = fittedAxis({7.5, 7.5});
    EXPECT_LT(one.min, 7.5);
    EXPECT_GT(one.max, 7.5);
    const auto zero = fittedAxis({0.0});
    EXPECT_LT(zero.min, 0.0);
    EXPECT_GT(zero.max, 0.0);
    // Nothing to draw: a default range.
    const auto none = fittedAxis({});
    EXPECT_LT(none.min, none.max);
}

TEST(AxisScale, LotLabelsAreThinnedBeyondFiftyLots)
{
    EXPECT_EQ(labelInterval(3), 1);
    EXPECT_EQ(labelInterval(50), 1);
    EXPECT_EQ(labelInterval(51), 2);
    EXPECT_EQ(labelInterval(100), 2);
    EXPECT_EQ(labelInterval(101), 3);
}
