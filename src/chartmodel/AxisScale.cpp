#include "chartmodel/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace chartmodel {

namespace {

double niceStep(double span)
{
    const double raw = span / 8;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0})
        if (f * power >= raw) return f * power;
    return 10 * power;
}

} // namespace

AxisRange fittedAxis(const std::vector<double>& values)
{
    double lo = 0, hi = 0;
    bool any = false;
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    if (!any) return {};
    // One value, or all equal: a range around it.
    const double span = hi > lo ? hi - lo : std::max(std::abs(hi) * 0.1, 1e-6);
    // Values too far apart for whole steps: their own extremes.
    if (!std::isfinite(span) || !std::isfinite(lo - span * 0.05) || !std::isfinite(hi + span * 0.05)) return {lo, hi, 0.0};
    lo -= span * 0.05;
    hi += span * 0.05;
    const double step = niceStep(hi - lo);
    AxisRange r{std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
    // Sums of steps land a hair beside the decimal they mean; keep the bounds' digits clean.
    const double digits = std::pow(10.0, std::max(0.0, -std::floor(std::log10(step))) + 1);
    r.min = std::round(r.min * digits) / digits;
    r.max = std::round(r.max * digits) / digits;
    return r;
}

int AxisRange::stepDecimals() const
{
    if (!(step > 0.0) || !std::isfinite(step)) return 0;
    return std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
}

AxisRange fittedAxisFromZero(std::vector<double> values)
{
    const bool positive = std::all_of(values.begin(), values.end(), [](double v) { return !std::isfinite(v) || v >= 0.0; });
    if (positive) values.push_back(0.0);
    AxisRange r = fittedAxis(values);
    if (positive) r.min = std::max(0.0, r.min);
    return r;
}

AxisRange fittedCountAxis(double top)
{
    AxisRange r = fittedAxisFromZero({top});
    if (r.step < 1.0) r = {0.0, std::max(1.0, std::ceil(r.max)), 1.0};
    return r;
}

int labelInterval(int lots, int room) { return lots <= room ? 1 : (lots + room - 1) / room; }

} // namespace chartmodel
