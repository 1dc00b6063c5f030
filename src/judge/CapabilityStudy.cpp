#include "judge/CapabilityStudy.h"

#include "judge/CapabilityRatios.h"
#include "judge/Statistics.h"

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/normal.hpp>

#include <cmath>

namespace judge {

namespace {

std::optional<Interval> chiSquareInterval(std::optional<double> index, double degrees)
{
    if (!index || !(degrees > 0.0)) return std::nullopt;
    const boost::math::chi_squared_distribution<double> chi(degrees);
    return Interval{*index * std::sqrt(boost::math::quantile(chi, 0.025) / degrees),
                    *index * std::sqrt(boost::math::quantile(chi, 0.975) / degrees)};
}

// Bissell's normal approximation, not clamped at zero.
std::optional<Interval> bissellInterval(std::optional<double> index, int n, double degrees)
{
    if (!index || !(degrees > 0.0) || n < 1) return std::nullopt;
    const double z = boost::math::quantile(boost::math::normal_distribution<double>(), 0.975);
    const double half = z * std::sqrt(1.0 / (9.0 * n) + *index * *index / (2.0 * degrees));
    return Interval{*index - half, *index + half};
}

// Expected parts per million outside the limits the kind has, under a normal model.
double expectedPpm(const SpecLimits& limits, double mean, double sigma)
{
    const boost::math::normal_distribution<double> normal(mean, sigma);
    double p = 0.0;
    if (limits.kind != SpecKind::LowerOnly) p += boost::math::cdf(boost::math::complement(normal, limits.upper));
    if (limits.kind != SpecKind::UpperOnly) p += boost::math::cdf(normal, limits.lower);
    return p * 1e6;
}

} // namespace

WithinMethod withinMethodFor(SigmaWithin choice, ChartKind chart)
{
    if (chart == ChartKind::XRs) return WithinMethod::MovingRange;
    switch (choice) {
    case SigmaWithin::Pooled: return WithinMethod::Pooled;
    case SigmaWithin::RBar: return WithinMethod::RBar;
    case SigmaWithin::SBar: return WithinMethod::SBar;
    case SigmaWithin::ByChart: break;
    }
    return chartWithinMethod(chart);
}

CapabilityStudy studyCapability(const UsedLots& used, ChartKind chart, const SpecLimits& limits, const StudyOptions& options)
{
    CapabilityStudy st;
    st.withinMethod = withinMethodFor(options.sigmaWithin, chart);
    st.target = options.target;
    if (!st.target && limits.kind == SpecKind::Tolerance)
        st.target = static_cast<double>((static_cast<long double>(limits.upper) + limits.lower) / 2);
    const Summary total = summarise(used.values);
    st.n = total.count;
    if (options.distribution != Distribution::Normal)
        st.nonNormal = studyNonNormal(used, limits, options.distribution, st.withinMethod);
    if (st.n < 2) st.overallGap = st.withinGap = IndexGap::TooFewValues;
    if (st.n == 0) return st;
    st.mean = total.mean();
    const double mean = *st.mean;

    int outside = 0;
    for (double v : used.values) outside += WithinSpec(limits, v) ? 0 : 1;
    st.ppmObserved = double(outside) / st.n * 1e6;

    if (st.n >= 2) {
        st.overallDegrees = st.n - 1;
        st.sigmaOverall = total.hasSpread() ? total.sampleStdev() : 0.0;
        if (const std::optional<WithinSigma> within = withinSigma(used, st.withinMethod)) {
            st.sigmaWithin = within->sigma;
            st.withinDegrees = within->degrees;
        } else {
            st.withinGap = IndexGap::NoLots;
        }
    }

    if (st.sigmaWithin && *st.sigmaWithin > 0.0) {
        const Ratios r = sigmaRatios(limits, mean, *st.sigmaWithin);
        st.cp = r.whole, st.cpu = r.upper, st.cpl = r.lower, st.cpk = r.k;
        st.cpCi = chiSquareInterval(st.cp, st.withinDegrees);
        st.cpkCi = bissellInterval(st.cpk, st.n, st.withinDegrees);
        st.ppmWithin = expectedPpm(limits, mean, *st.sigmaWithin);
    } else if (st.sigmaWithin) {
        st.withinGap = IndexGap::NoSpread;
    }
    if (st.sigmaOverall && *st.sigmaOverall > 0.0) {
        const double sigma = *st.sigmaOverall;
        const Ratios r = sigmaRatios(limits, mean, sigma);
        st.pp = r.whole, st.ppu = r.upper, st.ppl = r.lower, st.ppk = r.k;
        st.ppCi = chiSquareInterval(st.pp, st.overallDegrees);
        st.ppkCi = bissellInterval(st.ppk, st.n, st.overallDegrees);
        st.ppmOverall = expectedPpm(limits, mean, sigma);
    } else if (st.sigmaOverall) {
        st.overallGap = IndexGap::NoSpread;
    }
    if (st.sigmaOverall && st.target && limits.kind == SpecKind::Tolerance) {
        const long double offset = mean - static_cast<long double>(*st.target), sigma = *st.sigmaOverall;
        const long double root = std::sqrt(sigma * sigma + offset * offset);
        if (root > 0.0L)
            st.cpm = static_cast<double>((static_cast<long double>(limits.upper) - limits.lower) / (6 * root));
    }
    st.andersonDarling = andersonDarling(used.values);
    return st;
}

} // namespace judge
