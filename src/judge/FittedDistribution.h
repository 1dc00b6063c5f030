// A distribution fitted to a sheet's values: the normal, the Box-Cox transformed normal, the
// lognormal and the two-parameter Weibull. Its percentiles give the capability indices of the
// percentile method, its tails the expected fraction outside the limits, its density the
// curve drawn over the histogram.
#pragma once

namespace judge {

enum class FitFamily { Normal, BoxCox, Lognormal, Weibull };

struct FittedDistribution {
    FitFamily family = FitFamily::Normal;
    // Normal: mean and standard deviation. Lognormal: of the logarithms (ML, divisor N).
    // Box-Cox: mean and standard deviation of the transformed values.
    double location = 0.0;
    double spread = 1.0;
    double lambda = 1.0;                  // Box-Cox
    double shape = 1.0, scale = 1.0;      // Weibull

    // The value below which the normal's probability Φ(z) lies: z = ±3 give the 0.135 % and
    // 99.865 % points, z = 0 the median.
    double percentileAtZ(double z) const;
    // P(X < x) and P(X > x), each computed as a tail so that neither is lost to rounding.
    double probabilityBelow(double x) const;
    double probabilityAbove(double x) const;
    double density(double x) const;
};

} // namespace judge
