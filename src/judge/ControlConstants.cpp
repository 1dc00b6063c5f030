#include "judge/ControlConstants.h"

#include <boost/math/special_functions/gamma.hpp>

#include <array>
#include <cmath>
#include <limits>

namespace judge {

namespace {

struct ConstantRow {
    int n;
    double d2, d3, c4;
};

constexpr ConstantRow kTable[] = {
#include "judge/ControlConstantsTable.inc"
};
static_assert(std::size(kTable) == kMaxConstantLotSize - kMinConstantLotSize + 1);

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const ConstantRow* row(int n)
{
    if (n < kMinConstantLotSize || n > kMaxConstantLotSize) return nullptr;
    return &kTable[n - kMinConstantLotSize];
}

} // namespace

double d2(int n)
{
    const ConstantRow* r = row(n);
    return r ? r->d2 : kNaN;
}

double d3(int n)
{
    const ConstantRow* r = row(n);
    return r ? r->d3 : kNaN;
}

double c4(int n)
{
    if (const ConstantRow* r = row(n)) return r->c4;
    if (n < kMinConstantLotSize) return kNaN;
    // √(2/(n − 1)) Γ(n/2) / Γ((n − 1)/2); the ratio of the gammas directly, as their
    // logarithms would cancel for large n.
    const double a = double(n - 1) / 2;
    return std::sqrt(2.0 / (n - 1)) / boost::math::tgamma_delta_ratio(a, 0.5);
}

} // namespace judge
