// The capability indices of a study as ratios of the limits' distances: from a mean and a
// sigma (Cp, CPU, CPL, Cpk and their P counterparts), or from three percentiles of a fitted
// distribution (the percentile method). Only the sides the specification kind has are given;
// a ratio that is not finite (a limit beyond a transformation's range) is not given either.
#pragma once
#include "judge/SpecLimits.h"

#include <optional>

namespace judge {

struct Ratios {
    std::optional<double> whole, upper, lower, k;
};

// (U − L)/6σ, (U − x̄)/3σ, (x̄ − L)/3σ and the smaller of the two; the same long double
// expressions as the statistics grid's CP and CPK, so the overall figures equal that grid's
// to the last bit.
Ratios sigmaRatios(const SpecLimits& limits, double mean, double sigma);

// (U − L)/(X₀.₉₉₈₆₅ − X₀.₀₀₁₃₅), (U − X₀.₅)/(X₀.₉₉₈₆₅ − X₀.₅), (X₀.₅ − L)/(X₀.₅ − X₀.₀₀₁₃₅), the smaller.
Ratios percentileRatios(const SpecLimits& limits, double low, double median, double high);

} // namespace judge
