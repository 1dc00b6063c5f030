// The Box-Cox transformation y = (x^λ − 1)/λ (ln x for λ = 0) of positive values, its
// inverse, and λ by maximum likelihood.
#pragma once
#include "judge/ValueCounts.h"

namespace judge {

constexpr double kMinBoxCoxLambda = -5.0;
constexpr double kMaxBoxCoxLambda = 5.0;

// x > 0. A limit at or below zero, beneath every positive value, maps to the bottom of the
// transformed range: −1/λ for λ > 0, −∞ otherwise.
double boxCox(double x, double lambda);
// The value whose transform is y; 0 or +∞ where y lies beyond the transformed range.
double inverseBoxCox(double y, double lambda);

// The λ in [−5, 5] that maximises the profile log-likelihood
// (λ − 1) Σ ln x − N/2 ln σ̂²(λ), σ̂² the variance (divisor N) of the transformed values.
// Every value > 0, at least two distinct.
double boxCoxLambda(const ValueCounts& values);

} // namespace judge
