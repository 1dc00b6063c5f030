// The eight run rules on a series of lot values: zones around the centre line, the
// counting rules (limits, same side, trend, alternation) and the window rules, each
// switchable and parameterised from the rule options.
#pragma once
#include "model/RuleTable.h"

#include <QString>
#include <array>
#include <span>
#include <vector>

namespace judge {

// A: beyond 2 sigma; B: beyond 1 sigma; C: within 1 sigma. A value on a boundary
// belongs to the inner zone.
enum class Zone { A, B, C };
Zone zoneOf(double value, double centre, double sigma);

enum class Mark { Ok, Anomaly, Off };
// The marks of rules ① to ⑧ for one lot.
using RuleMarks = std::array<Mark, model::kRuleCount>;
QString markText(Mark m); // "○", "×", "－"

// One flag per value, true where the rule marks the lot.
std::vector<bool> ruleBeyondLimits(std::span<const double> values, double upper, double lower); // ①
std::vector<bool> ruleSameSide(std::span<const double> values, double centre, int runLength);   // ②
std::vector<bool> ruleTrend(std::span<const double> values, int runLength);                      // ③
std::vector<bool> ruleAlternating(std::span<const double> values, int runLength);                // ④

// Consecutive, non-overlapping windows of `window` lots from the first lot; within a
// window the lot whose hit makes the count reach `count` is marked and counting restarts.
enum class ZoneHit { A, AorB, C };
std::vector<bool> ruleWindow(std::span<const Zone> zones, int window, int count, ZoneHit hit);  // ⑤ to ⑧

// Centre line, sigma (the zone width) and control limits of one lot.
struct LotBounds {
    double centre = 0.0;
    double sigma = 0.0;
    double upper = 0.0;
    double lower = 0.0;
};

// The inputs of one side: a value per lot, centre line, sigma and control limits.
struct SideInput {
    std::span<const double> values;
    double centre = 0.0;
    double sigma = 0.0;
    double upper = 0.0;
    double lower = 0.0;
};

// Marks of rules ① to ⑧ for every lot; a switched-off rule gives Off for every lot.
std::vector<RuleMarks> evaluateSide(const SideInput& side, const model::RuleOptions& rules);
// The same with a centre, sigma and limits per lot (limits of each lot's own size); `bounds`
// holds one entry per value.
std::vector<RuleMarks> evaluateSideByLot(std::span<const double> values, std::span<const LotBounds> bounds,
                                                   const model::RuleOptions& rules);

} // namespace judge
