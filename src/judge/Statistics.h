// Sample statistics of a set of values: count, extremes, mean and the sample standard
// deviation, with sums held in extended precision; and the capability indices.
#pragma once
#include "judge/SpecLimits.h"

#include <span>

namespace judge {

// Every standard deviation of the program comes from here (lots, totals, control limits, the
// capability study, the reports), so they all agree to the last bit.
struct Summary {
    int count = 0;
    double max = 0.0;
    double min = 0.0;
    long double sum = 0.0L;     // the mean is sum / count
    long double squares = 0.0L; // sum of squared deviations from the mean

    double mean() const; // count >= 1
    // Enough spread for a standard deviation: at least two values, not all equal.
    bool hasSpread() const { return count >= 2 && max != min; }
    // Sample standard deviation (divisor count - 1); 0 for fewer than two values.
    double sampleStdev() const;
};

// Two passes over the values: the sum, then the deviations from the mean, corrected by their
// own sum for the rounding of the mean. Values with a large common offset (1e9 + a few
// thousandths) keep their spread to the last digits, which the sum of squares would lose.
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
