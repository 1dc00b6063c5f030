// The Anderson–Darling test of a fitted distribution with estimated parameters: the
// statistic A², its adjusted form and the p value. For the normal distribution (and so for
// logarithms or transformed values tested as normal) p comes from D'Agostino and Stephens'
// curves; for the Weibull distribution from their table for the extreme-value distribution
// with both parameters estimated, interpolated, and bounded by the table's ends.
#pragma once
#include "judge/ValueCounts.h"

#include <functional>
#include <optional>
#include <span>

namespace judge {

// Whether p is the value itself or a bound of the table it was read from.
enum class PBound { Exact, AtLeast, AtMost };

struct AndersonDarling {
    double a2 = 0.0;
    double a2Adjusted = 0.0; // normal: A²(1 + 0.75/N + 2.25/N²); Weibull: A²(1 + 0.2/√N)
    double p = 0.0;
    PBound bound = PBound::Exact;
};

// The tests need at least this many values.
constexpr int kMinTestValues = 8;

// ln F(x) and ln(1 − F(x)) of one value under the fitted distribution.
struct LogTails {
    double below = 0.0;
    double above = 0.0;
};

// A² = −N − (1/N) Σ (2i − 1)(ln F(x₍ᵢ₎) + ln(1 − F(x₍N+1−i₎))), repeated values sharing their terms.
double andersonDarlingStatistic(const ValueCounts& values, const std::function<LogTails(double)>& tails);

// The values against the normal with their own mean and sample standard deviation. Nothing
// below 8 values or without spread.
std::optional<AndersonDarling> andersonDarling(std::span<const double> values);

// The normal test's p value of the adjusted statistic A*².
double andersonDarlingP(double adjusted);

// The Weibull test's p value of A*² = A²(1 + 0.2/√N): log-linear between the table's points,
// 0.25 (at least) below its first and 0.01 (at most) above its last.
AndersonDarling weibullAndersonDarling(double a2, int n);

} // namespace judge
