// The estimates of sigma from the variation within the lots: the pooled standard deviation,
// R̄/d2 and S̄/c4 (each lot's own constant, so lots of unequal size weigh alike), and for
// single values the moving ranges' MR̄/d2(2). The control limits by the chart constants and
// the capability study both take their within sigma from here.
#pragma once
#include "judge/Kinds.h"
#include "judge/UsedLots.h"

#include <optional>

namespace judge {

enum class WithinMethod { Pooled, RBar, SBar, MovingRange };

struct WithinSigma {
    WithinMethod method = WithinMethod::Pooled;
    double sigma = 0.0;
    // Degrees of freedom of the estimate for its confidence intervals: exact for the pooled
    // standard deviation; for R̄/d2 and S̄/c4 the χ² equivalent of the estimate's variance,
    // ν = 1 / (2 Var(σ̂/σ)); for moving ranges the number of ranges.
    double degrees = 0.0;
};

// The estimator the chart kind's own constants use: R̄/d2 for XbarR, S̄/c4 for XbarS,
// MR̄/d2(2) for X-Rs.
WithinMethod chartWithinMethod(ChartKind chart);

// Nothing when no lot holds two values or more (or, for moving ranges, fewer than two lots).
std::optional<WithinSigma> withinSigma(const UsedLots& used, WithinMethod method);

// The mean of the moving ranges between consecutive lots' means; nothing below two lots.
std::optional<double> movingRangeMean(const UsedLots& used);

} // namespace judge
