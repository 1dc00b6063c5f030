#include "judge/Statistics.h"

#include <algorithm>
#include <cmath>

namespace judge {

double Summary::mean() const { return static_cast<double>(sum / count); }

double Summary::sampleStdev() const { return count < 2 ? 0.0 : static_cast<double>(std::sqrt(squares / (count - 1))); }

Summary summarise(std::span<const double> values)
{
    Summary s;
    if (values.empty()) return s;
    s.count = int(values.size());
    s.max = s.min = values.front();
    for (double v : values) {
        s.max = std::max(s.max, v);
        s.min = std::min(s.min, v);
        s.sum += v;
    }
    const long double mean = s.sum / s.count;
    long double deviations = 0.0L, squares = 0.0L;
    for (double v : values) {
        const long double d = v - mean;
        deviations += d;
        squares += d * d;
    }
    // The deviations of the exact mean sum to zero; what they sum to here measures the mean's
    // rounding, whose share of the squares is taken out again.
    s.squares = std::max(squares - deviations * deviations / s.count, 0.0L);
    return s;
}

Indices capabilityIndices(const SpecLimits& limits, double mean, double stdev)
{
    const long double u = limits.upper, l = limits.lower, m = mean, s = stdev;
    const double upperRatio = static_cast<double>((u - m) / (3 * s));
    const double lowerRatio = static_cast<double>((m - l) / (3 * s));
    switch (limits.kind) {
    case SpecKind::UpperOnly: return {upperRatio, upperRatio};
    case SpecKind::LowerOnly: return {lowerRatio, lowerRatio};
    case SpecKind::Tolerance: break;
    }
    return {static_cast<double>((u - l) / (6 * s)), std::min(upperRatio, lowerRatio)};
}

} // namespace judge
