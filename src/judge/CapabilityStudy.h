// The capability study: capability from the variation within the lots
// (Cp, Cpk) and from the overall variation (Pp, Ppk, the statistics grid's CP and CPK),
// Cpm, 95 % confidence intervals, parts per million outside the specification limits and the
// Anderson–Darling test of normality. Every figure is absent where it is undefined: too
// few values or lots, no spread, or a side the specification kind does not have.
#pragma once
#include "judge/Kinds.h"
#include "judge/SpecLimits.h"
#include "judge/UsedLots.h"

#include <optional>
#include <span>

namespace judge {

struct Interval {
    double low = 0.0;
    double high = 0.0;
};

struct AndersonDarling {
    double a2 = 0.0;
    double a2Adjusted = 0.0; // A²(1 + 0.75/N + 2.25/N²)
    double p = 0.0;
};

struct CapabilityStudy {
    int n = 0;
    std::optional<double> mean, sigmaWithin, sigmaOverall;
    std::optional<double> cp, cpu, cpl, cpk;
    std::optional<double> pp, ppu, ppl, ppk;
    std::optional<double> cpm;
    std::optional<Interval> cpCi, cpkCi, ppCi, ppkCi;
    std::optional<double> ppmWithin, ppmOverall, ppmObserved;
    std::optional<AndersonDarling> andersonDarling; // N >= 8 with spread
    // Degrees of freedom of the within and overall sigma (the intervals' ν).
    int withinDegrees = 0, overallDegrees = 0;

    bool normalityRejected() const { return andersonDarling && andersonDarling->p < 0.05; }
};

CapabilityStudy studyCapability(const UsedLots& used, ChartKind chart, const SpecLimits& limits);

// The Anderson–Darling statistic of the values against the normal with their own mean and
// sample standard deviation, and its p value (D'Agostino and Stephens). Nothing below 8
// values or without spread.
std::optional<AndersonDarling> andersonDarling(std::span<const double> values);

// The p value of the adjusted statistic A*².
double andersonDarlingP(double adjusted);

} // namespace judge
