#include "judge/CapabilityRatios.h"

#include <algorithm>
#include <cmath>

namespace judge {

namespace {

std::optional<double> finite(long double v)
{
    const double d = static_cast<double>(v);
    return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

// Cpk is the smaller side; a side that is not given does not count.
Ratios withSmaller(Ratios r)
{
    if (r.upper && r.lower) r.k = std::min(*r.upper, *r.lower);
    else r.k = r.upper ? r.upper : r.lower;
    return r;
}

} // namespace

Ratios sigmaRatios(const SpecLimits& limits, double mean, double sigma)
{
    Ratios r;
    const long double u = limits.upper, l = limits.lower, m = mean, s = sigma;
    if (limits.kind != SpecKind::LowerOnly) r.upper = finite((u - m) / (3 * s));
    if (limits.kind != SpecKind::UpperOnly) r.lower = finite((m - l) / (3 * s));
    if (limits.kind == SpecKind::Tolerance) r.whole = finite((u - l) / (6 * s));
    return withSmaller(r);
}

Ratios percentileRatios(const SpecLimits& limits, double low, double median, double high)
{
    Ratios r;
    const long double u = limits.upper, l = limits.lower, lo = low, m = median, hi = high;
    if (limits.kind != SpecKind::LowerOnly) r.upper = finite((u - m) / (hi - m));
    if (limits.kind != SpecKind::UpperOnly) r.lower = finite((m - l) / (m - lo));
    if (limits.kind == SpecKind::Tolerance) r.whole = finite((u - l) / (hi - lo));
    return withSmaller(r);
}

} // namespace judge
