#include "judge/CapabilityStudy.h"

#include "judge/ControlConstants.h"
#include "judge/Statistics.h"

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/normal.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace judge {

namespace {

struct Ratios {
    std::optional<double> whole, upper, lower, k;
};

// The same long double expressions as the statistics grid's CP and CPK, so that the overall
// figures equal that grid's to the last bit.
Ratios ratios(const SpecLimits& limits, double mean, double sigma)
{
    Ratios r;
    const long double u = limits.upper, l = limits.lower, m = mean, s = sigma;
    if (limits.kind != SpecKind::LowerOnly) r.upper = static_cast<double>((u - m) / (3 * s));
    if (limits.kind != SpecKind::UpperOnly) r.lower = static_cast<double>((m - l) / (3 * s));
    if (limits.kind == SpecKind::Tolerance) {
        r.whole = static_cast<double>((u - l) / (6 * s));
        r.k = std::min(*r.upper, *r.lower);
    } else {
        r.k = r.upper ? r.upper : r.lower;
    }
    return r;
}

std::optional<Interval> chiSquareInterval(std::optional<double> index, int degrees)
{
    if (!index || degrees < 1) return std::nullopt;
    const boost::math::chi_squared_distribution<double> chi(degrees);
    return Interval{*index * std::sqrt(boost::math::quantile(chi, 0.025) / degrees),
                    *index * std::sqrt(boost::math::quantile(chi, 0.975) / degrees)};
}

// Bissell's normal approximation, not clamped at zero.
std::optional<Interval> bissellInterval(std::optional<double> index, int n, int degrees)
{
    if (!index || degrees < 1 || n < 1) return std::nullopt;
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

// ln Φ(z) from a tail probability computed as such; where the probability underflows, the
// leading term of the tail's asymptotic series (its relative error 1/z² is below 1e-3 there).
double logTail(double probability, double z)
{
    if (probability > 0.0) return std::log(probability);
    const double t = std::fabs(z);
    return -t * t / 2 - std::log(t) - 0.5 * std::log(2 * std::numbers::pi);
}

} // namespace

double andersonDarlingP(double a)
{
    if (a > 153.0) return 0.0;
    double p;
    if (a >= 0.6) p = std::exp(1.2937 - 5.709 * a + 0.0186 * a * a);
    else if (a >= 0.34) p = std::exp(0.9177 - 4.279 * a - 1.38 * a * a);
    else if (a >= 0.2) p = 1 - std::exp(-8.318 + 42.796 * a - 59.938 * a * a);
    else p = 1 - std::exp(-13.436 + 101.14 * a - 223.73 * a * a);
    return std::clamp(p, 0.0, 1.0);
}

std::optional<AndersonDarling> andersonDarling(std::span<const double> values)
{
    const int n = int(values.size());
    if (n < 8) return std::nullopt;
    const Summary s = summarise(values);
    if (!s.hasSpread()) return std::nullopt;
    const double mean = s.mean(), sd = s.sampleStdev();
    if (!(sd > 0.0)) return std::nullopt;
    std::vector<double> z(values.begin(), values.end());
    std::sort(z.begin(), z.end());
    for (double& v : z) v = (v - mean) / sd;
    // ln Φ(z) and ln(1 − Φ(z)) of every value with one tail probability each: the smaller
    // tail is computed, the other is its complement, which loses nothing there.
    const boost::math::normal_distribution<double> normal;
    std::vector<double> lnLower(z.size()), lnUpper(z.size());
    for (size_t i = 0; i < z.size(); ++i) {
        const double v = z[i];
        // Readings repeat (they have the sheet's decimals): a sorted repeat reuses its logarithms.
        if (i > 0 && v == z[i - 1]) {
            lnLower[i] = lnLower[i - 1];
            lnUpper[i] = lnUpper[i - 1];
            continue;
        }
        const double tail = v <= 0 ? boost::math::cdf(normal, v) : boost::math::cdf(boost::math::complement(normal, v));
        const double lnTail = logTail(tail, v), lnRest = std::log1p(-tail);
        lnLower[i] = v <= 0 ? lnTail : lnRest;
        lnUpper[i] = v <= 0 ? lnRest : lnTail;
    }
    long double sum = 0.0L;
    for (int i = 0; i < n; ++i)
        sum += static_cast<long double>(2 * i + 1) *
               (static_cast<long double>(lnLower[size_t(i)]) + lnUpper[size_t(n - 1 - i)]);
    AndersonDarling out;
    out.a2 = static_cast<double>(-n - sum / n);
    out.a2Adjusted = out.a2 * (1 + 0.75 / n + 2.25 / (double(n) * n));
    out.p = andersonDarlingP(out.a2Adjusted);
    return out;
}

CapabilityStudy studyCapability(const UsedLots& used, ChartKind chart, const SpecLimits& limits)
{
    CapabilityStudy st;
    const Summary total = summarise(used.values);
    st.n = total.count;
    if (st.n == 0) return st;
    st.mean = total.mean();
    const double mean = *st.mean;

    int outside = 0;
    for (double v : used.values) outside += WithinSpec(limits, v) ? 0 : 1;
    st.ppmObserved = double(outside) / st.n * 1e6;

    if (st.n >= 2) {
        st.overallDegrees = st.n - 1;
        st.sigmaOverall = total.hasSpread() ? total.sampleStdev() : 0.0;
    }
    if (chart == ChartKind::XRs) {
        const size_t k = used.lots.size();
        if (k >= 2) {
            long double sum = 0.0L;
            for (size_t i = 1; i < k; ++i)
                sum += std::fabs(static_cast<long double>(used.lots[i].mean) - used.lots[i - 1].mean);
            st.sigmaWithin = static_cast<double>(sum / (k - 1)) / d2(2);
            st.withinDegrees = int(k) - 1; // an approximation for moving ranges
        }
    } else {
        long double squares = 0.0L;
        int degrees = 0;
        for (const LotSample& lot : used.lots) {
            if (lot.n < 2) continue;
            squares += lot.squares;
            degrees += lot.n - 1;
        }
        if (degrees > 0) {
            const double pooled = static_cast<double>(std::sqrt(squares / degrees));
            st.sigmaWithin = pooled / c4(degrees + 1);
            st.withinDegrees = degrees;
        }
    }

    if (st.sigmaWithin && *st.sigmaWithin > 0.0) {
        const Ratios r = ratios(limits, mean, *st.sigmaWithin);
        st.cp = r.whole, st.cpu = r.upper, st.cpl = r.lower, st.cpk = r.k;
        st.cpCi = chiSquareInterval(st.cp, st.withinDegrees);
        st.cpkCi = bissellInterval(st.cpk, st.n, st.withinDegrees);
        st.ppmWithin = expectedPpm(limits, mean, *st.sigmaWithin);
    }
    if (st.sigmaOverall && *st.sigmaOverall > 0.0) {
        const double sigma = *st.sigmaOverall;
        const Ratios r = ratios(limits, mean, sigma);
        st.pp = r.whole, st.ppu = r.upper, st.ppl = r.lower, st.ppk = r.k;
        st.ppCi = chiSquareInterval(st.pp, st.overallDegrees);
        st.ppkCi = bissellInterval(st.ppk, st.n, st.overallDegrees);
        st.ppmOverall = expectedPpm(limits, mean, sigma);
    }
    if (st.sigmaOverall && limits.kind == SpecKind::Tolerance) {
        const long double target = (static_cast<long double>(limits.upper) + limits.lower) / 2;
        const long double offset = mean - target, sigma = *st.sigmaOverall;
        const long double root = std::sqrt(sigma * sigma + offset * offset);
        if (root > 0.0L)
            st.cpm = static_cast<double>((static_cast<long double>(limits.upper) - limits.lower) / (6 * root));
    }
    st.andersonDarling = andersonDarling(used.values);
    return st;
}

} // namespace judge
