// Control limits by the control chart constants ("管理図係数法"): sigma estimated from the
// variation within the lots (R̄/d2, S̄/c4 or MR̄/d2(2)), and every lot with limits for its own
// size, so lots of unequal size get limits drawn as steps.
#pragma once
#include "judge/ControlLimits.h"
#include "judge/Kinds.h"
#include "judge/UsedLots.h"

#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

namespace judge {

struct LotLimits {
    QString lot;
    int n = 0;
    double cl = 0.0, ucl = 0.0, lcl = 0.0; // X side
    // Dispersion side: none for a lot of one value (XbarR, XbarS) and the first lot of X-Rs;
    // the lower limit only where it is positive.
    std::optional<double> dispersionCl, dispersionUcl, dispersionLcl;
};

// A frozen basis for the limits: X̿ and σ̂ kept from an earlier range of lots, so later lots are
// judged against them instead of against their own estimate.
struct LimitBasis {
    double centre = 0.0;
    double sigma = 0.0;
    friend bool operator==(const LimitBasis&, const LimitBasis&) = default;
};

struct StandardLimits {
    double sigma = 0.0;            // the chart's estimate of sigma
    double centre = 0.0;           // mean of all used values
    std::vector<LotLimits> lots;   // one per used lot, in order
    LotLimits nominal;             // for the nominal lot size; its lot text is empty
};

// Whether a lot has a point on the dispersion side: a range or standard deviation needs two
// values, a moving range a lot before it. `index` counts the lot rows from 0.
constexpr bool hasDispersionPoint(ChartKind chart, size_t index, int n)
{
    return chart == ChartKind::XRs ? index > 0 : n >= 2;
}

// Limits of one lot of `n` values around `centre` with the chart's sigma; `movingRangeMean`
// is read for X-Rs only. A lot without a dispersion point gets none there.
LotLimits lotLimits(ChartKind chart, int n, double centre, double sigma, double movingRangeMean, bool dispersionPoint);

// Nothing when no lot holds two values or more (XbarR, XbarS) or fewer than two lots are
// used (X-Rs). `nominalSize` is the measurement count of the sheet. With a basis, its centre
// and sigma stand for the sheet's own (X-Rs: MR̄ = d2(2)·σ̂), and only an empty sheet gives nothing.
std::optional<StandardLimits> standardLimits(const UsedLots& used, ChartKind chart, int nominalSize,
                                             const std::optional<LimitBasis>& basis = std::nullopt);

// The three limit fields for the nominal lot size, five decimals each; the dispersion
// field is the upper dispersion limit.
ControlLimitTexts nominalLimitTexts(const StandardLimits& limits);

} // namespace judge
