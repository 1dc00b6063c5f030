// The two-parameter Weibull distribution fitted by maximum likelihood.
#pragma once
#include "judge/ValueCounts.h"

namespace judge {

struct WeibullFit {
    double shape = 1.0;
    double scale = 1.0;
};

// Every value > 0, at least two distinct. The shape solves the likelihood equation
// Σ xᵏ ln x / Σ xᵏ − 1/k − mean(ln x) = 0, whose left side rises with k, so its root is
// unique; the scale is then (Σ xᵏ / N)^(1/k).
WeibullFit fitWeibull(const ValueCounts& values);

} // namespace judge
