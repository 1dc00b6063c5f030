#include "judge/BoxCox.h"

#include <boost/math/tools/minima.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace judge {

double boxCox(double x, double lambda)
{
    if (!(x > 0.0)) return lambda > 0.0 ? -1.0 / lambda : -std::numeric_limits<double>::infinity();
    if (lambda == 0.0) return std::log(x);
    return std::expm1(lambda * std::log(x)) / lambda;
}

double inverseBoxCox(double y, double lambda)
{
    if (lambda == 0.0) return std::exp(y);
    const double t = lambda * y;
    if (!(t > -1.0)) return lambda > 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
    return std::exp(std::log1p(t) / lambda);
}

namespace {

struct LogValues {
    std::vector<double> logs; // ln of each distinct value, ascending
    const std::vector<int>* counts = nullptr;
    long double n = 0;
    long double sumLogs = 0;             // Σ ln x over all values
    mutable std::vector<double> buffer; // the transformed values of one λ
};

// ln of the variance (divisor N) of the transformed values. x^λ = e^(λc) e^(λ(ln x − c)) with
// c the largest logarithm for λ > 0 and the smallest for λ < 0, so every power stays within
// (0, 1] and nothing overflows; expm1 keeps the transform exact as λ approaches 0.
double logVariance(const LogValues& v, double lambda)
{
    const double c = lambda > 0.0 ? v.logs.back() : v.logs.front();
    std::vector<double>& y = v.buffer;
    y.resize(v.logs.size());
    long double sum = 0.0L;
    for (size_t i = 0; i < v.logs.size(); ++i) {
        y[i] = lambda == 0.0 ? v.logs[i] - c : std::expm1(lambda * (v.logs[i] - c)) / lambda;
        sum += (*v.counts)[i] * static_cast<long double>(y[i]);
    }
    const long double mean = sum / v.n;
    long double squares = 0.0L;
    for (size_t i = 0; i < y.size(); ++i) {
        const long double d = y[i] - mean;
        squares += (*v.counts)[i] * d * d;
    }
    const long double variance = squares / v.n;
    if (!(variance > 0.0L)) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(std::log(variance) + 2 * static_cast<long double>(lambda) * c);
}

// The negative profile log-likelihood, to be minimised; +∞ where the variance vanishes.
double negativeLogLikelihood(const LogValues& v, double lambda)
{
    const double lv = logVariance(v, lambda);
    if (!std::isfinite(lv)) return std::numeric_limits<double>::infinity();
    return static_cast<double>(v.n / 2 * lv - (lambda - 1) * v.sumLogs);
}

} // namespace

double boxCoxLambda(const ValueCounts& values)
{
    LogValues v;
    v.counts = &values.counts;
    v.n = values.n;
    v.logs.reserve(values.values.size());
    for (size_t i = 0; i < values.values.size(); ++i) {
        v.logs.push_back(std::log(values.values[i]));
        v.sumLogs += values.counts[i] * static_cast<long double>(v.logs.back());
    }
    // A coarse scan finds the best of 41 points, so a second local maximum cannot hold the
    // search; Brent's method then refines within the neighbouring steps.
    constexpr int kSteps = 40;
    constexpr double kStep = (kMaxBoxCoxLambda - kMinBoxCoxLambda) / kSteps;
    double best = 0.0, bestValue = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= kSteps; ++i) {
        const double lambda = kMinBoxCoxLambda + i * kStep;
        const double value = negativeLogLikelihood(v, lambda);
        if (value < bestValue) best = lambda, bestValue = value;
    }
    const double lo = std::max(kMinBoxCoxLambda, best - kStep), hi = std::min(kMaxBoxCoxLambda, best + kStep);
    std::uintmax_t iterations = 200;
    const auto [lambda, value] = boost::math::tools::brent_find_minima(
        [&](double l) { return negativeLogLikelihood(v, l); }, lo, hi, std::numeric_limits<double>::digits / 2, iterations);
    return value <= bestValue ? lambda : best;
}

} // namespace judge
