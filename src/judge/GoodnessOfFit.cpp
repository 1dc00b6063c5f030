#include "judge/GoodnessOfFit.h"

#include "judge/Statistics.h"

#include <boost/math/distributions/normal.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace judge {

namespace {

// ln Φ(z) from a tail probability computed as such; where the probability underflows, the
// leading term of the tail's asymptotic series (its relative error 1/z² is below 1e-3 there).
double logTail(double probability, double z)
{
    if (probability > 0.0) return std::log(probability);
    const double t = std::fabs(z);
    return -t * t / 2 - std::log(t) - 0.5 * std::log(2 * std::numbers::pi);
}

// Upper percentage points of A*² for the extreme-value (so the Weibull) distribution with
// location and scale estimated: D'Agostino and Stephens, Goodness-of-Fit Techniques (1986),
// Table 4.17.
constexpr std::array<std::pair<double, double>, 5> kWeibullTable{
    {{0.474, 0.25}, {0.637, 0.10}, {0.757, 0.05}, {0.877, 0.025}, {1.038, 0.01}}};

} // namespace

double andersonDarlingStatistic(const ValueCounts& values, const std::function<LogTails(double)>& tails)
{
    const long double n = values.n;
    long double sum = 0.0L;
    long double first = 1; // position of the group's first value, from 1
    for (size_t g = 0; g < values.values.size(); ++g) {
        const long double c = values.counts[g];
        const LogTails t = tails(values.values[g]);
        // Σ (2i − 1) and Σ (2(N + 1 − i) − 1) over the group's positions i.
        sum += c * (2 * first + c - 2) * t.below + c * (2 * n - 2 * first - c + 2) * t.above;
        first += c;
    }
    return static_cast<double>(-n - sum / n);
}

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
    if (n < kMinTestValues) return std::nullopt;
    const Summary s = summarise(values);
    if (!s.hasSpread()) return std::nullopt;
    const double mean = s.mean(), sd = s.sampleStdev();
    if (!(sd > 0.0)) return std::nullopt;
    // Of each value the smaller tail is computed and the other is its complement, which
    // loses nothing there.
    const boost::math::normal_distribution<double> normal;
    const auto tails = [&](double x) {
        const double z = (x - mean) / sd;
        const double tail = z <= 0 ? boost::math::cdf(normal, z) : boost::math::cdf(boost::math::complement(normal, z));
        const double lnTail = logTail(tail, z), lnRest = std::log1p(-tail);
        return z <= 0 ? LogTails{lnTail, lnRest} : LogTails{lnRest, lnTail};
    };
    AndersonDarling out;
    out.a2 = andersonDarlingStatistic(countValues(values), tails);
    out.a2Adjusted = out.a2 * (1 + 0.75 / n + 2.25 / (double(n) * n));
    out.p = andersonDarlingP(out.a2Adjusted);
    return out;
}

AndersonDarling weibullAndersonDarling(double a2, int n)
{
    AndersonDarling out;
    out.a2 = a2;
    out.a2Adjusted = a2 * (1 + 0.2 / std::sqrt(double(n)));
    const double a = out.a2Adjusted;
    if (!(a > kWeibullTable.front().first)) {
        out.p = kWeibullTable.front().second;
        out.bound = PBound::AtLeast;
    } else if (a >= kWeibullTable.back().first) {
        out.p = kWeibullTable.back().second;
        out.bound = PBound::AtMost;
    } else {
        size_t i = 1;
        while (a > kWeibullTable[i].first) ++i;
        const auto [a0, p0] = kWeibullTable[i - 1];
        const auto [a1, p1] = kWeibullTable[i];
        const double t = (a - a0) / (a1 - a0);
        out.p = std::exp(std::log(p0) + t * (std::log(p1) - std::log(p0)));
    }
    return out;
}

} // namespace judge
