// Capability of values that are not normal: a distribution fitted to them (Box-Cox
// transformed normal, lognormal or Weibull, or the one the Anderson–Darling test rejects
// least), its 0.135 %, 50 % and 99.865 % points, the indices of the percentile method, the
// expected fraction outside the limits and the fit's goodness.
//
// Box-Cox works on the transformed scale: values and limits are transformed, and Pp, Ppk
// (overall) and Cp, Cpk (within) are the normal indices there. The others use the percentile
// method: Pp = (U − L)/(X₀.₉₉₈₆₅ − X₀.₀₀₁₃₅), Ppu = (U − X₀.₅)/(X₀.₉₉₈₆₅ − X₀.₅),
// Ppl = (X₀.₅ − L)/(X₀.₅ − X₀.₀₀₁₃₅).
#pragma once
#include "judge/CapabilityRatios.h"
#include "judge/FittedDistribution.h"
#include "judge/GoodnessOfFit.h"
#include "judge/StudyOptions.h"
#include "judge/UsedLots.h"
#include "judge/WithinSigma.h"

#include <optional>
#include <vector>

namespace judge {

// Why no distribution was fitted.
enum class FitRefusal {
    NotPositive,  // a value ≤ 0: Box-Cox, lognormal and Weibull take positive values only
    TooFewValues, // fewer than two values
    NoSpread      // all values equal
};

struct PercentileCapability {
    FittedDistribution fit;
    double p00135 = 0.0, p50 = 0.0, p99865 = 0.0;
    std::optional<double> pp, ppu, ppl, ppk;
    double ppmExpected = 0.0;
    std::optional<AndersonDarling> goodness; // 8 values or more

    // Box-Cox: the limits on the transformed scale (those the kind has) and the within
    // figures there; the overall sigma there is fit.spread.
    std::optional<double> upperTransformed, lowerTransformed;
    std::optional<WithinSigma> within;
    std::optional<double> cp, cpu, cpl, cpk;
};

// One distribution tried by the automatic choice, with its test.
struct FitCandidate {
    FitFamily family = FitFamily::Normal;
    std::optional<AndersonDarling> goodness;
};

struct NonNormalStudy {
    Distribution asked = Distribution::Auto;
    std::optional<PercentileCapability> result; // none when refused
    std::optional<FitRefusal> refused;
    // Auto: the distributions tried, in the order normal, lognormal, Weibull, Box-Cox; the
    // one with the largest p was chosen, the earlier one on a tie.
    std::vector<FitCandidate> candidates;
};

// `asked` is any distribution but Normal. `within` is the within sigma's estimator, used by
// Box-Cox on the transformed lots.
NonNormalStudy studyNonNormal(const UsedLots& used, const SpecLimits& limits, Distribution asked, WithinMethod within);

} // namespace judge
