// The capability study: capability from the variation within the lots
// (Cp, Cpk) and from the overall variation (Pp, Ppk, the statistics grid's CP and CPK),
// Cpm, 95 % confidence intervals, parts per million outside the specification limits, the
// Anderson–Darling test of normality and, when asked, capability under a fitted non-normal
// distribution. Every figure is absent where it is undefined: too few values or lots, no
// spread, or a side the specification kind does not have; the study says why.
#pragma once
#include "judge/GoodnessOfFit.h"
#include "judge/Kinds.h"
#include "judge/NonNormalCapability.h"
#include "judge/SpecLimits.h"
#include "judge/StudyOptions.h"
#include "judge/UsedLots.h"
#include "judge/WithinSigma.h"

#include <optional>

namespace judge {

struct Interval {
    double low = 0.0;
    double high = 0.0;
};

// Why a sigma, and so the indices from it, is not given.
enum class IndexGap {
    TooFewValues, // overall: fewer than two values
    NoLots,       // within: no lot of two values or more (X-Rs: fewer than two lots)
    NoSpread      // the sigma is 0
};

struct CapabilityStudy {
    int n = 0;
    std::optional<double> mean, sigmaWithin, sigmaOverall;
    WithinMethod withinMethod = WithinMethod::Pooled; // the estimator the within sigma was asked of
    std::optional<double> cp, cpu, cpl, cpk;
    std::optional<double> pp, ppu, ppl, ppk;
    std::optional<double> target; // Cpm's: as given, or the middle of a tolerance
    std::optional<double> cpm;    // tolerance only
    std::optional<Interval> cpCi, cpkCi, ppCi, ppkCi;
    std::optional<double> ppmWithin, ppmOverall, ppmObserved;
    std::optional<AndersonDarling> andersonDarling; // N >= 8 with spread
    // Degrees of freedom of the within and overall sigma (the intervals' ν).
    double withinDegrees = 0.0, overallDegrees = 0.0;
    std::optional<IndexGap> withinGap, overallGap;
    std::optional<NonNormalStudy> nonNormal; // a distribution other than the normal asked

    bool normalityRejected() const { return andersonDarling && andersonDarling->p < 0.05; }
};

CapabilityStudy studyCapability(const UsedLots& used, ChartKind chart, const SpecLimits& limits,
                                const StudyOptions& options = {});

// The estimator a choice means under a chart kind: the chart's own unless one is chosen, and
// the moving ranges under X-Rs whatever is chosen.
WithinMethod withinMethodFor(SigmaWithin choice, ChartKind chart);

} // namespace judge
