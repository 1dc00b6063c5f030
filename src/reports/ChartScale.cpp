#include "reports/ChartScale.h"

#include <algorithm>
#include <cmath>

namespace reports {

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
    lo -= span * 0.05;
    hi += span * 0.05;
    const double step = niceStep(hi - lo);
    AxisRange r{std::floor(lo / step) * step, std::ceil(hi / step) * step};
    // Sums of steps land a hair beside the decimal they mean; keep the bounds' digits clean.
    const double digits = std::pow(10.0, std::max(0.0, -std::floor(std::log10(step))) + 1);
    r.min = std::round(r.min * digits) / digits;
    r.max = std::round(r.max * digits) / digits;
    return r;
}

int labelInterval(int lots, int room) { return lots <= room ? 1 : (lots + room - 1) / room; }

} // namespace reports
