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

void putRule(std::vector<std::array<Mark, 8>>& marks, int rule, bool enabled, const std::vector<bool>& flags)
{
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i][size_t(rule)] = !enabled ? Mark::Off : flags[i] ? Mark::Anomaly : Mark::Ok;
}

} // namespace

namespace {

// `perLot` empty: every lot has the bounds `common`.
std::vector<std::array<Mark, 8>> evaluate(std::span<const double> v, const LotBounds& common,
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
        if (perLot.empty()) return ruleSameSide(v, common.centre, rules.Chk2Comp1);
        std::vector<double> offsets;
        offsets.reserve(v.size());
        for (size_t i = 0; i < v.size(); ++i) offsets.push_back(v[i] - perLot[i].centre);
        return ruleSameSide(offsets, 0.0, rules.Chk2Comp1);
    };

    std::vector<std::array<Mark, 8>> marks(v.size());
    const std::vector<bool> none(v.size(), false);
    auto put = [&](int rule, bool on, auto compute) { putRule(marks, rule, on, on ? compute() : none); };
    put(0, rules.Check1, beyond);
    put(1, rules.Check2, sameSide);
    put(2, rules.Check3, [&] { return ruleTrend(v, rules.Chk3Comp1); });
    put(3, rules.Check4, [&] { return ruleAlternating(v, rules.Chk4Comp1); });
    put(4, rules.Check5, [&] { return ruleWindow(zones, rules.Chk5Comp1, rules.Chk5Comp2, ZoneHit::A); });
    put(5, rules.Check6, [&] { return ruleWindow(zones, rules.Chk6Comp1, rules.Chk6Comp2, ZoneHit::AorB); });
    put(6, rules.Check7, [&] { return ruleWindow(zones, rules.Chk7Comp1, rules.Chk7Comp1, ZoneHit::C); });
    put(7, rules.Check8, [&] { return ruleWindow(zones, rules.Chk8Comp1, rules.Chk8Comp1, ZoneHit::AorB); });
    return marks;
}

} // namespace

std::vector<std::array<Mark, 8>> evaluateSide(const SideInput& side, const model::RuleOptions& rules)
{
    return evaluate(side.values, LotBounds{side.centre, side.sigma, side.upper, side.lower}, {}, rules);
}

std::vector<std::array<Mark, 8>> evaluateSideByLot(std::span<const double> values, std::span<const LotBounds> bounds,
                                                   const model::RuleOptions& rules)
{
    return evaluate(values, LotBounds{}, bounds.first(values.size()), rules);
}

} // namespace judge
