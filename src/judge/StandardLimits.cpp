#include "judge/StandardLimits.h"

#include "judge/ControlConstants.h"
#include "judge/WithinSigma.h"
#include "model/NumberText.h"

#include <cmath>

namespace judge {

namespace {

std::optional<double> positive(double v) { return v > 0.0 ? std::optional<double>(v) : std::nullopt; }

} // namespace

LotLimits lotLimits(ChartKind chart, int n, double centre, double sigma, double movingRangeMean, bool dispersionPoint)
{
    LotLimits out;
    out.n = n;
    out.cl = centre;
    // X-Rs charts single lot values: the moving ranges already measure their spread.
    const double spread = chart == ChartKind::XRs ? 3 * sigma : 3 * sigma / std::sqrt(double(n));
    out.ucl = centre + spread;
    out.lcl = centre - spread;
    if (!dispersionPoint) return out;
    switch (chart) {
    case ChartKind::XbarR: {
        const double a = d2(n), b = 3 * d3(n);
        out.dispersionCl = a * sigma;
        out.dispersionUcl = (a + b) * sigma;
        out.dispersionLcl = positive((a - b) * sigma);
        break;
    }
    case ChartKind::XbarS: {
        const double c = c4(n), b = 3 * std::sqrt(1 - c * c);
        out.dispersionCl = c * sigma;
        out.dispersionUcl = (c + b) * sigma;
        out.dispersionLcl = positive((c - b) * sigma);
        break;
    }
    case ChartKind::XRs:
        out.dispersionCl = movingRangeMean;
        out.dispersionUcl = (d2(2) + 3 * d3(2)) / d2(2) * movingRangeMean;
        break;
    }
    return out;
}

std::optional<StandardLimits> standardLimits(const UsedLots& used, ChartKind chart, int nominalSize,
                                             const std::optional<LimitBasis>& basis)
{
    std::optional<double> mr = movingRangeMean(used);
    std::optional<double> sigma;
    if (basis) {
        if (used.values.empty()) return std::nullopt;
        sigma = basis->sigma;
        mr = basis->sigma * d2(2);
    } else if (const std::optional<WithinSigma> within = withinSigma(used, chartWithinMethod(chart))) {
        sigma = within->sigma;
    }
    if (!sigma) return std::nullopt;

    StandardLimits out;
    out.sigma = *sigma;
    if (basis) {
        out.centre = basis->centre;
    } else {
        long double sum = 0.0L;
        for (double v : used.values) sum += v;
        out.centre = static_cast<double>(sum / used.values.size());
    }
    const double movingMean = mr.value_or(0.0);
    for (size_t i = 0; i < used.lots.size(); ++i) {
        const LotSample& lot = used.lots[i];
        out.lots.push_back(lotLimits(chart, lot.n, out.centre, out.sigma, movingMean, hasDispersionPoint(chart, i, lot.n)));
        out.lots.back().lot = lot.lot;
    }
    const int nominal = chart == ChartKind::XRs ? 1 : nominalSize;
    out.nominal = lotLimits(chart, nominal, out.centre, out.sigma, movingMean,
                            chart == ChartKind::XRs || nominal >= 2);
    return out;
}

ControlLimitTexts nominalLimitTexts(const StandardLimits& limits)
{
    ControlLimitTexts out;
    out.ucl = model::formatFixed(limits.nominal.ucl, 5);
    out.lcl = model::formatFixed(limits.nominal.lcl, 5);
    if (limits.nominal.dispersionUcl) out.rsUcl = model::formatFixed(*limits.nominal.dispersionUcl, 5);
    return out;
}

} // namespace judge
