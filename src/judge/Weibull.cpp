#include "judge/Weibull.h"

#include <boost/math/tools/roots.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

namespace judge {

namespace {

// The likelihood equation in u = ln x − ln x_max ≤ 0 (the shape does not depend on the
// scale), so every weight e^(ku) lies in (0, 1] and the largest value weighs 1.
struct ShapeEquation {
    std::vector<double> u;
    const std::vector<int>* counts = nullptr;
    long double meanU = 0.0L;

    struct Sums {
        long double w = 0, wu = 0, wuu = 0;
    };
    Sums sums(double k) const
    {
        Sums s;
        for (size_t i = 0; i < u.size(); ++i) {
            const long double w = (*counts)[i] * static_cast<long double>(std::exp(k * u[i]));
            s.w += w;
            s.wu += w * u[i];
            s.wuu += w * u[i] * u[i];
        }
        return s;
    }
    double value(double k) const
    {
        const Sums s = sums(k);
        return static_cast<double>(s.wu / s.w - 1.0L / k - meanU);
    }
    // The value and its derivative, the weighted variance of u plus 1/k².
    std::pair<double, double> valueAndSlope(double k) const
    {
        const Sums s = sums(k);
        const long double m = s.wu / s.w;
        return {static_cast<double>(m - 1.0L / k - meanU), static_cast<double>(s.wuu / s.w - m * m + 1.0L / (k * static_cast<long double>(k)))};
    }
};

} // namespace

WeibullFit fitWeibull(const ValueCounts& values)
{
    ShapeEquation eq;
    eq.counts = &values.counts;
    const double top = std::log(values.values.back());
    long double sum = 0.0L, squares = 0.0L;
    for (size_t i = 0; i < values.values.size(); ++i) {
        eq.u.push_back(std::log(values.values[i]) - top);
        sum += values.counts[i] * static_cast<long double>(eq.u.back());
    }
    eq.meanU = sum / values.n;
    for (size_t i = 0; i < eq.u.size(); ++i) squares += values.counts[i] * (eq.u[i] - eq.meanU) * (eq.u[i] - eq.meanU);
    // The extreme-value moments of ln x give the first guess: k ≈ π / (√6 sd(ln x)).
    const double sdLog = static_cast<double>(std::sqrt(squares / values.n));
    double guess = std::numbers::pi / (std::sqrt(6.0) * sdLog);
    // Bracket the root: the equation is negative below it and positive above.
    double lo = guess, hi = guess;
    for (int i = 0; i < 200 && eq.value(lo) > 0; ++i) lo /= 2;
    for (int i = 0; i < 200 && eq.value(hi) < 0; ++i) hi *= 2;
    guess = std::clamp(guess, lo, hi);
    std::uintmax_t iterations = 200;
    const double k = boost::math::tools::newton_raphson_iterate([&](double x) { return eq.valueAndSlope(x); }, guess, lo, hi,
                                                                std::numeric_limits<double>::digits - 4, iterations);
    const ShapeEquation::Sums s = eq.sums(k);
    WeibullFit fit;
    fit.shape = k;
    fit.scale = values.values.back() * static_cast<double>(std::pow(s.w / values.n, 1.0L / k));
    return fit;
}

} // namespace judge
