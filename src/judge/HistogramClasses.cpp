#include "judge/HistogramClasses.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace judge {

namespace {

// Edges in measuring units; nothing when the span does not fit.
bool unitEdges(double min, double max, int classCount, int digits, double& first, double& width)
{
    const double unit = std::pow(10.0, -std::clamp(digits, 0, 5));
    const double spanUnits = (max - min) / unit;
    if (!std::isfinite(spanUnits) || spanUnits > 1e12) return false;
    // A span written with the sheet's decimals is a whole number of units up to rounding.
    const long long rangeUnits = static_cast<long long>(std::ceil(spanUnits - 1e-6));
    const long long readings = rangeUnits + 1; // the possible readings from min to max
    const long long widthUnits = (readings + classCount - 1) / classCount;
    width = double(widthUnits) * unit;
    first = min - unit / 2;
    return true;
}

} // namespace

std::vector<HistogramClass> histogramClasses(std::span<const double> values, int classCount, int digits)
{
    std::vector<HistogramClass> classes;
    if (values.empty() || classCount < 1) return classes;
    const auto [minIt, maxIt] = std::minmax_element(values.begin(), values.end());
    const double min = *minIt, max = *maxIt;
    std::vector<double> edges(size_t(classCount) + 1);
    double first = 0.0, width = 0.0;
    if (unitEdges(min, max, classCount, digits, first, width)) {
        for (int i = 0; i <= classCount; ++i) edges[size_t(i)] = first + width * i;
    } else {
        // Weighted between the extremes: no step overflows, however far apart they are.
        for (int i = 0; i <= classCount; ++i) {
            const double t = double(i) / classCount;
            edges[size_t(i)] = min * (1.0 - t) + max * t;
        }
    }
    classes.resize(size_t(classCount));
    for (int i = 0; i < classCount; ++i) classes[size_t(i)] = {edges[size_t(i)], edges[size_t(i) + 1], 0};
    for (double v : values) {
        // The last edge up to which the value reaches; the largest value falls into the last class.
        const auto it = std::upper_bound(edges.begin(), edges.end() - 1, v);
        const long index = std::clamp<long>(long(it - edges.begin()) - 1, 0, classCount - 1);
        ++classes[size_t(index)].count;
    }
    return classes;
}

std::vector<double> enabledValues(const Measurements& sheet)
{
    std::vector<double> values;
    for (int r = 1; r <= sheet.lotCount(); ++r)
        if (sheet.enabled(r)) sheet.appendValues(r, values);
    return values;
}

std::vector<CurvePoint> normalCurve(double mean, double sigma, int count, double width, double low, double high,
                                    int samples)
{
    std::vector<CurvePoint> curve;
    if (!(sigma > 0.0) || samples < 2 || !(high > low)) return curve;
    const double scale = count * width / (sigma * std::sqrt(2.0 * std::numbers::pi));
    curve.reserve(size_t(samples));
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / (samples - 1);
        const double x = low * (1.0 - t) + high * t;
        const double z = (x - mean) / sigma;
        curve.push_back({x, scale * std::exp(-0.5 * z * z)});
    }
    return curve;
}

} // namespace judge
