// What the capability study is asked for: the estimator of the within sigma, the target of
// Cpm and the distribution the capability is computed under. Each choice maps from the item
// index of its list, like the kinds in Kinds.h.
#pragma once

#include <optional>

namespace judge {

// The within sigma: the estimator of the chart kind shown, or one chosen. X-Rs always uses
// the moving ranges, whatever is chosen.
enum class SigmaWithin { ByChart = 0, Pooled = 1, RBar = 2, SBar = 3 };

// Normal: the indices from the mean and the standard deviations. The others fit the
// distribution to the values (positive values only); Auto takes the fit the Anderson–Darling
// test rejects least.
enum class Distribution { Normal = 0, BoxCox = 1, Lognormal = 2, Weibull = 3, Auto = 4 };

struct StudyOptions {
    SigmaWithin sigmaWithin = SigmaWithin::ByChart;
    std::optional<double> target; // Cpm's target; the middle of the tolerance when not given
    Distribution distribution = Distribution::Normal;
};

constexpr SigmaWithin sigmaWithinFromIndex(int i)
{
    return i >= 1 && i <= 3 ? SigmaWithin(i) : SigmaWithin::ByChart;
}
constexpr Distribution distributionFromIndex(int i)
{
    return i >= 1 && i <= 4 ? Distribution(i) : Distribution::Normal;
}

} // namespace judge
