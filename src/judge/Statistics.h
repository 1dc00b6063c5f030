// Sample statistics of a set of values: count, extremes, mean and the one-pass sample
// standard deviation, with sums held in extended precision; and the capability indices.
#pragma once
#include "judge/SpecLimits.h"

#include <span>

namespace judge {

struct Summary {
    int count = 0;
    double max = 0.0;
    double min = 0.0;
    long double sum = 0.0L;
    long double sumSquares = 0.0L;

    void add(double v);
    double mean() const; // count >= 1
    // Enough spread for a standard deviation: at least two values, not all equal.
    bool hasSpread() const { return count >= 2 && max != min; }
    // Sample standard deviation from the sums (divisor count - 1); count >= 2.
    // Rounding can leave a tiny negative variance for nearly equal values: that counts as 0.
    double sampleStdev() const;
};

Summary summarise(std::span<const double> values);

struct Indices {
    double cp = 0.0;
    double cpk = 0.0;
};

// CP and CPK from a mean and standard deviation under the limits' kind. The two one-sided
// ratios of CPK are rounded to double before the smaller one is taken; with one limit only,
// CPK is CP.
Indices capabilityIndices(const SpecLimits& limits, double mean, double stdev);

} // namespace judge
