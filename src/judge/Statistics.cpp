#include "judge/Statistics.h"

#include <algorithm>
#include <cmath>

namespace judge {

void Summary::add(double v)
{
    if (count == 0) {
        max = min = v;
    } else {
        max = std::max(max, v);
        min = std::min(min, v);
    }
    ++count;
    sum += v;
    sumSquares += static_cast<long double>(v) * v;
}

double Summary::mean() const { return static_cast<double>(sum / count); }

double Summary::sampleStdev() const
{
    const long double variance = (sumSquares - sum * sum / count) / (count - 1);
    return static_cast<double>(std::sqrt(std::max(variance, 0.0L)));
}

Summary summarise(std::span<const double> values)
{
    Summary s;
    for (double v : values) s.add(v);
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
