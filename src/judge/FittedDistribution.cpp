#include "judge/FittedDistribution.h"

#include "judge/BoxCox.h"

#include <boost/math/distributions/normal.hpp>

#include <cmath>

namespace judge {

namespace {

const boost::math::normal_distribution<double> kStandardNormal;

double lowerNormal(double z) { return boost::math::cdf(kStandardNormal, z); }
double upperNormal(double z) { return boost::math::cdf(boost::math::complement(kStandardNormal, z)); }
double normalDensity(double z) { return boost::math::pdf(kStandardNormal, z); }

} // namespace

double FittedDistribution::percentileAtZ(double z) const
{
    const double normal = location + spread * z;
    switch (family) {
    case FitFamily::Normal: return normal;
    case FitFamily::Lognormal: return std::exp(normal);
    case FitFamily::BoxCox: return inverseBoxCox(normal, lambda);
    case FitFamily::Weibull: break;
    }
    // −ln(1 − p) from whichever tail of Φ(z) is the small one.
    const double t = z <= 0 ? -std::log1p(-lowerNormal(z)) : -std::log(upperNormal(z));
    return scale * std::pow(t, 1.0 / shape);
}

double FittedDistribution::probabilityBelow(double x) const
{
    switch (family) {
    case FitFamily::Normal: return lowerNormal((x - location) / spread);
    case FitFamily::Lognormal: return x > 0.0 ? lowerNormal((std::log(x) - location) / spread) : 0.0;
    case FitFamily::BoxCox: return x > 0.0 ? lowerNormal((boxCox(x, lambda) - location) / spread) : 0.0;
    case FitFamily::Weibull: break;
    }
    return x > 0.0 ? -std::expm1(-std::pow(x / scale, shape)) : 0.0;
}

double FittedDistribution::probabilityAbove(double x) const
{
    switch (family) {
    case FitFamily::Normal: return upperNormal((x - location) / spread);
    case FitFamily::Lognormal: return x > 0.0 ? upperNormal((std::log(x) - location) / spread) : 1.0;
    case FitFamily::BoxCox: return x > 0.0 ? upperNormal((boxCox(x, lambda) - location) / spread) : 1.0;
    case FitFamily::Weibull: break;
    }
    return x > 0.0 ? std::exp(-std::pow(x / scale, shape)) : 1.0;
}

double FittedDistribution::density(double x) const
{
    switch (family) {
    case FitFamily::Normal: return normalDensity((x - location) / spread) / spread;
    case FitFamily::Lognormal: return x > 0.0 ? normalDensity((std::log(x) - location) / spread) / (spread * x) : 0.0;
    // The transformed normal's density times the transform's slope x^(λ − 1).
    case FitFamily::BoxCox:
        return x > 0.0 ? normalDensity((boxCox(x, lambda) - location) / spread) / spread * std::pow(x, lambda - 1) : 0.0;
    case FitFamily::Weibull: break;
    }
    if (!(x > 0.0)) return 0.0;
    const double r = x / scale;
    return shape / scale * std::pow(r, shape - 1) * std::exp(-std::pow(r, shape));
}

} // namespace judge
