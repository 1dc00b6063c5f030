#include "judge/WithinSigma.h"

#include "judge/ControlConstants.h"

#include <cmath>

namespace judge {

WithinMethod chartWithinMethod(ChartKind chart)
{
    switch (chart) {
    case ChartKind::XbarS: return WithinMethod::SBar;
    case ChartKind::XRs: return WithinMethod::MovingRange;
    case ChartKind::XbarR: break;
    }
    return WithinMethod::RBar;
}

std::optional<double> movingRangeMean(const UsedLots& used)
{
    if (used.lots.size() < 2) return std::nullopt;
    long double sum = 0.0L;
    for (size_t i = 1; i < used.lots.size(); ++i)
        sum += std::fabs(static_cast<long double>(used.lots[i].mean) - used.lots[i - 1].mean);
    return static_cast<double>(sum / (used.lots.size() - 1));
}

namespace {

std::optional<WithinSigma> pooled(const UsedLots& used)
{
    long double squares = 0.0L;
    int degrees = 0;
    for (const LotSample& lot : used.lots) {
        if (lot.n < 2) continue;
        squares += lot.squares;
        degrees += lot.n - 1;
    }
    if (degrees == 0) return std::nullopt;
    const double sd = static_cast<double>(std::sqrt(squares / degrees));
    return WithinSigma{WithinMethod::Pooled, sd / c4(degrees + 1), double(degrees)};
}

// The mean over the lots of two values or more of each lot's unbiased estimate, R/d2(n) or
// S/c4(n); its relative variance is the mean of the lots' own, (d3/d2)² or (1 − c4²)/c4²,
// over the number of lots.
std::optional<WithinSigma> meanOfLots(const UsedLots& used, WithinMethod method)
{
    long double sum = 0.0L, variance = 0.0L;
    int count = 0;
    for (const LotSample& lot : used.lots) {
        if (lot.n < 2) continue;
        if (method == WithinMethod::SBar) {
            const double c = c4(lot.n);
            sum += lot.stdev / c;
            variance += (1 - c * c) / (c * c);
        } else {
            const double d = d2(lot.n), ratio = d3(lot.n) / d;
            sum += lot.range / d;
            variance += ratio * ratio;
        }
        ++count;
    }
    if (count == 0) return std::nullopt;
    const long double relativeVariance = variance / (static_cast<long double>(count) * count);
    return WithinSigma{method, static_cast<double>(sum / count), static_cast<double>(1 / (2 * relativeVariance))};
}

} // namespace

std::optional<WithinSigma> withinSigma(const UsedLots& used, WithinMethod method)
{
    switch (method) {
    case WithinMethod::Pooled: return pooled(used);
    case WithinMethod::RBar:
    case WithinMethod::SBar: return meanOfLots(used, method);
    case WithinMethod::MovingRange: break;
    }
    const std::optional<double> mr = movingRangeMean(used);
    if (!mr) return std::nullopt;
    return WithinSigma{WithinMethod::MovingRange, *mr / d2(2), double(used.lots.size() - 1)};
}

} // namespace judge
