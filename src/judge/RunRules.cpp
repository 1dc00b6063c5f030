#include "judge/RunRules.h"

#include "judge/ResultTexts.h"

namespace judge {

Zone zoneOf(double value, double centre, double sigma)
{
    // Boundaries are formed in extended precision, like every intermediate of the judgements.
    const long double v = value, c = centre, s = sigma;
    if (v > c + 2 * s || v < c - 2 * s) return Zone::A;
    if (v > c + s || v < c - s) return Zone::B;
    return Zone::C;
}

QString markText(Mark m)
{
    return m == Mark::Ok ? kMarkOkText : m == Mark::Anomaly ? kMarkAnomalyText : kNotJudgedText;
}

std::vector<bool> ruleBeyondLimits(std::span<const double> values, double upper, double lower)
{
    std::vector<bool> out;
    out.reserve(values.size());
    for (double v : values) out.push_back(v > upper || v < lower);
    return out;
}

std::vector<bool> ruleSameSide(std::span<const double> values, double centre, int runLength)
{
    std::vector<bool> out;
    out.reserve(values.size());
    int above = 0, below = 0;
    for (double v : values) {
        if (v > centre) {
            ++above;
            below = 0;
        } else if (v < centre) {
            ++below;
            above = 0;
        } else {
            above = below = 0;
        }
        const bool marked = above >= runLength || below >= runLength;
        if (marked) above = below = 0;
        out.push_back(marked);
    }
    return out;
}

std::vector<bool> ruleTrend(std::span<const double> values, int runLength)
{
    std::vector<bool> out;
    out.reserve(values.size());
    int up = 0, down = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            const double v = values[i], p = values[i - 1];
            if (v > p) {
                ++up;
                down = 0;
            } else if (v < p) {
                ++down;
                up = 0;
            } else {
                up = down = 0;
            }
        }
        // Counters count steps: the first lot has taken none and is never marked.
        const bool marked = i > 0 && (up >= runLength || down >= runLength);
        if (marked) up = down = 0;
        out.push_back(marked);
    }
    return out;
}

std::vector<bool> ruleAlternating(std::span<const double> values, int runLength)
{
    std::vector<bool> out;
    out.reserve(values.size());
    int lastUp = 0, lastDown = 0, alternations = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        bool marked = false;
        if (i > 0) {
            const double v = values[i], p = values[i - 1];
            // A second step in the same direction breaks the alternation.
            if (v > p) {
                lastDown = 0;
                if (lastUp > 0) {
                    alternations = 0;
                } else {
                    ++lastUp;
                    ++alternations;
                }
            } else if (v < p) {
                lastUp = 0;
                if (lastDown > 0) {
                    alternations = 0;
                } else {
                    ++lastDown;
                    ++alternations;
                }
            } else {
                lastUp = lastDown = alternations = 0;
            }
            marked = alternations >= runLength;
            if (marked) lastUp = lastDown = alternations = 0;
        }
        out.push_back(marked);
    }
    return out;
}

namespace {

bool isHit(Zone z, ZoneHit hit)
{
    switch (hit) {
    case ZoneHit::A: return z == Zone::A;
    case ZoneHit::AorB: return z != Zone::C;
    case ZoneHit::C: break;
    }
    return z == Zone::C;
}

} // namespace

std::vector<bool> ruleWindow(std::span<const Zone> zones, int window, int count, ZoneHit hit)
{
    std::vector<bool> out;
    out.reserve(zones.size());
    int position = 0, hits = 0;
    for (Zone z : zones) {
        ++position;
        bool marked = false;
        if (isHit(z, hit)) {
            ++hits;
            marked = hits >= count;
            if (marked) hits = 0;
        }
        if (position >= window) position = hits = 0; // the window ends with this lot
        out.push_back(marked);
    }
    return out;
}

namespace {

void putRule(std::vector<RuleMarks>& marks, int rule, bool enabled, const std::vector<bool>& flags)
{
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i][size_t(rule)] = !enabled ? Mark::Off : flags[i] ? Mark::Anomaly : Mark::Ok;
}

} // namespace

namespace {

// `perLot` empty: every lot has the bounds `common`.
std::vector<RuleMarks> evaluate(std::span<const double> v, const LotBounds& common,
                                          std::span<const LotBounds> perLot, const model::RuleOptions& rules)
{
    auto bounds = [&](size_t i) -> const LotBounds& { return perLot.empty() ? common : perLot[i]; };
    std::vector<Zone> zones;
    zones.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) zones.push_back(zoneOf(v[i], bounds(i).centre, bounds(i).sigma));
    auto beyond = [&] {
        std::vector<bool> out;
        out.reserve(v.size());
        for (size_t i = 0; i < v.size(); ++i) out.push_back(v[i] > bounds(i).upper || v[i] < bounds(i).lower);
        return out;
    };
    // With a centre per lot, the side of each lot is the sign of its distance from its own
    // centre (exact: a difference of doubles is zero only for equal doubles).
    auto sameSide = [&] {
        const int runLength = model::ruleParameter(rules, 2, 0);
        if (perLot.empty()) return ruleSameSide(v, common.centre, runLength);
        std::vector<double> offsets;
        offsets.reserve(v.size());
        for (size_t i = 0; i < v.size(); ++i) offsets.push_back(v[i] - perLot[i].centre);
        return ruleSameSide(offsets, 0.0, runLength);
    };

    std::vector<RuleMarks> marks(v.size());
    const std::vector<bool> none(v.size(), false);
    // Rule `rule` (1 to 8), computed only when it is switched on.
    auto put = [&](int rule, auto compute) {
        const bool on = rules.enabled(rule);
        putRule(marks, rule - 1, on, on ? compute() : none);
    };
    auto parameter = [&](int rule, int which) { return model::ruleParameter(rules, rule, which); };
    put(1, beyond);
    put(2, sameSide);
    put(3, [&] { return ruleTrend(v, parameter(3, 0)); });
    put(4, [&] { return ruleAlternating(v, parameter(4, 0)); });
    put(5, [&] { return ruleWindow(zones, parameter(5, 0), parameter(5, 1), ZoneHit::A); });
    put(6, [&] { return ruleWindow(zones, parameter(6, 0), parameter(6, 1), ZoneHit::AorB); });
    put(7, [&] { return ruleWindow(zones, parameter(7, 0), parameter(7, 0), ZoneHit::C); });
    put(8, [&] { return ruleWindow(zones, parameter(8, 0), parameter(8, 0), ZoneHit::AorB); });
    return marks;
}

} // namespace

std::vector<RuleMarks> evaluateSide(const SideInput& side, const model::RuleOptions& rules)
{
    return evaluate(side.values, LotBounds{side.centre, side.sigma, side.upper, side.lower}, {}, rules);
}

std::vector<RuleMarks> evaluateSideByLot(std::span<const double> values, std::span<const LotBounds> bounds,
                                                   const model::RuleOptions& rules)
{
    return evaluate(values, LotBounds{}, bounds.first(values.size()), rules);
}

} // namespace judge
