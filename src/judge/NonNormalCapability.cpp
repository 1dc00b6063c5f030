#include "judge/NonNormalCapability.h"

#include "judge/BoxCox.h"
#include "judge/Statistics.h"
#include "judge/Weibull.h"

#include <cmath>

namespace judge {

namespace {

double expectedPpm(const FittedDistribution& fit, const SpecLimits& limits)
{
    double p = 0.0;
    if (limits.kind != SpecKind::LowerOnly) p += fit.probabilityAbove(limits.upper);
    if (limits.kind != SpecKind::UpperOnly) p += fit.probabilityBelow(limits.lower);
    return p * 1e6;
}

// The percentiles, the expected fraction and (except for Box-Cox, whose indices are those of
// the transformed scale) the indices of the percentile method.
PercentileCapability withPercentiles(const FittedDistribution& fit, const SpecLimits& limits)
{
    PercentileCapability pc;
    pc.fit = fit;
    pc.p00135 = fit.percentileAtZ(-3);
    pc.p50 = fit.percentileAtZ(0);
    pc.p99865 = fit.percentileAtZ(3);
    if (fit.family != FitFamily::BoxCox) {
        const Ratios r = percentileRatios(limits, pc.p00135, pc.p50, pc.p99865);
        pc.pp = r.whole, pc.ppu = r.upper, pc.ppl = r.lower, pc.ppk = r.k;
    }
    pc.ppmExpected = expectedPpm(fit, limits);
    return pc;
}

PercentileCapability normalFit(std::span<const double> values, const SpecLimits& limits)
{
    const Summary s = summarise(values);
    FittedDistribution fit;
    fit.location = s.mean();
    fit.spread = s.sampleStdev();
    PercentileCapability pc = withPercentiles(fit, limits);
    pc.goodness = andersonDarling(values);
    return pc;
}

// Closed form: the mean and the standard deviation (divisor N) of the logarithms. The test
// is the normal test of the logarithms.
PercentileCapability lognormalFit(std::span<const double> values, const SpecLimits& limits)
{
    std::vector<double> logs;
    logs.reserve(values.size());
    for (double v : values) logs.push_back(std::log(v));
    const Summary s = summarise(logs);
    FittedDistribution fit;
    fit.family = FitFamily::Lognormal;
    fit.location = s.mean();
    fit.spread = static_cast<double>(std::sqrt(s.squares / s.count));
    PercentileCapability pc = withPercentiles(fit, limits);
    pc.goodness = andersonDarling(logs);
    return pc;
}

PercentileCapability weibullFit(const ValueCounts& counted, const SpecLimits& limits)
{
    const WeibullFit w = fitWeibull(counted);
    FittedDistribution fit;
    fit.family = FitFamily::Weibull;
    fit.shape = w.shape;
    fit.scale = w.scale;
    PercentileCapability pc = withPercentiles(fit, limits);
    if (counted.n >= kMinTestValues) {
        const double a2 = andersonDarlingStatistic(counted, [&](double x) {
            const double t = std::pow(x / fit.scale, fit.shape); // −ln(1 − F(x))
            return LogTails{std::log(-std::expm1(-t)), -t};
        });
        if (std::isfinite(a2)) pc.goodness = weibullAndersonDarling(a2, counted.n);
    }
    return pc;
}

PercentileCapability boxCoxFit(const UsedLots& used, const ValueCounts& counted, const SpecLimits& limits, WithinMethod method)
{
    const double lambda = boxCoxLambda(counted);
    const auto transform = [lambda](double x) { return boxCox(x, lambda); };
    const UsedLots transformed = transformedLots(used, transform);
    const Summary s = summarise(transformed.values);
    FittedDistribution fit;
    fit.family = FitFamily::BoxCox;
    fit.lambda = lambda;
    fit.location = s.mean();
    fit.spread = s.sampleStdev();
    PercentileCapability pc = withPercentiles(fit, limits);

    SpecLimits onScale{limits.kind, 0.0, 0.0};
    if (limits.kind != SpecKind::LowerOnly) pc.upperTransformed = onScale.upper = transform(limits.upper);
    if (limits.kind != SpecKind::UpperOnly) pc.lowerTransformed = onScale.lower = transform(limits.lower);
    const Ratios overall = sigmaRatios(onScale, fit.location, fit.spread);
    pc.pp = overall.whole, pc.ppu = overall.upper, pc.ppl = overall.lower, pc.ppk = overall.k;
    pc.within = withinSigma(transformed, method);
    if (pc.within && pc.within->sigma > 0.0) {
        const Ratios r = sigmaRatios(onScale, fit.location, pc.within->sigma);
        pc.cp = r.whole, pc.cpu = r.upper, pc.cpl = r.lower, pc.cpk = r.k;
    }
    pc.goodness = andersonDarling(transformed.values);
    return pc;
}

} // namespace

NonNormalStudy studyNonNormal(const UsedLots& used, const SpecLimits& limits, Distribution asked, WithinMethod within)
{
    NonNormalStudy out;
    out.asked = asked;
    const ValueCounts counted = countValues(used.values);
    if (counted.n < 2) out.refused = FitRefusal::TooFewValues;
    else if (!counted.hasSpread()) out.refused = FitRefusal::NoSpread;
    const bool positive = !counted.values.empty() && counted.values.front() > 0.0;
    if (!out.refused && !positive && asked != Distribution::Auto) out.refused = FitRefusal::NotPositive;
    if (out.refused) return out;

    switch (asked) {
    case Distribution::BoxCox: out.result = boxCoxFit(used, counted, limits, within); return out;
    case Distribution::Lognormal: out.result = lognormalFit(used.values, limits); return out;
    case Distribution::Weibull: out.result = weibullFit(counted, limits); return out;
    case Distribution::Normal:
    case Distribution::Auto: break;
    }

    std::vector<PercentileCapability> fits{normalFit(used.values, limits)};
    if (positive) {
        fits.push_back(lognormalFit(used.values, limits));
        fits.push_back(weibullFit(counted, limits));
        fits.push_back(boxCoxFit(used, counted, limits, within));
    }
    size_t best = 0;
    for (size_t i = 0; i < fits.size(); ++i) {
        out.candidates.push_back({fits[i].fit.family, fits[i].goodness});
        if (fits[i].goodness && (!fits[best].goodness || fits[i].goodness->p > fits[best].goodness->p)) best = i;
    }
    out.result = fits[best];
    return out;
}

} // namespace judge
