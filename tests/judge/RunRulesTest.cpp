#include "judge/RunRules.h"

#include <gtest/gtest.h>

using namespace judge;

namespace {

// 1-based positions of the marked lots.
std::vector<int> marked(const std::vector<bool>& flags)
{
    std::vector<int> out;
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i]) out.push_back(int(i) + 1);
    return out;
}

// Zones from a pattern such as "AACB".
std::vector<Zone> zones(const char* pattern)
{
    std::vector<Zone> out;
    for (const char* p = pattern; *p; ++p) out.push_back(*p == 'A' ? Zone::A : *p == 'B' ? Zone::B : Zone::C);
    return out;
}

using Marks = std::vector<int>;

} // namespace

TEST(RunRules, ZonesBoundariesBelongInside)
{
    struct Case { double v; Zone zone; };
    const Case cases[] = {{10, Zone::C}, {11, Zone::C}, {9, Zone::C}, {11.0001, Zone::B}, {8.9999, Zone::B},
                          {12, Zone::B}, {8, Zone::B}, {12.0001, Zone::A}, {7.5, Zone::A}};
    for (const Case& c : cases) EXPECT_EQ(zoneOf(c.v, 10, 1), c.zone) << c.v;
    EXPECT_EQ(zoneOf(10, 10, 0), Zone::C); // no spread: everything on the centre line
    EXPECT_EQ(zoneOf(10.00001, 10, 0), Zone::A);
}

TEST(RunRules, BeyondLimitsIsExclusive)
{
    EXPECT_EQ(marked(ruleBeyondLimits(std::vector<double>{12, 12.001, 8, 7.999, 10}, 12, 8)), (Marks{2, 4}));
}

TEST(RunRules, SameSideRun)
{
    struct Case { std::vector<double> v; int n; Marks expected; };
    const std::vector<Case> cases = {
        {std::vector<double>(12, 11.0), 9, {9}},
        {std::vector<double>(18, 9.0), 9, {9, 18}},
        {{11, 11, 11, 11, 10, 11, 11, 11, 11, 11, 11, 11, 11}, 9, {}},  // on the centre line: restart
        {{11, 11, 11, 11, 10, 11, 11, 11, 11, 11, 11, 11, 11, 11}, 9, {14}},
        {{11, 11, 11, 11, 9, 9, 9, 9, 9, 9, 9, 11}, 7, {11}},
    };
    for (const Case& c : cases) EXPECT_EQ(marked(ruleSameSide(c.v, 10.0, c.n)), c.expected);
}

TEST(RunRules, TrendCountsSteps)
{
    struct Case { std::vector<double> v; int n; Marks expected; };
    const std::vector<Case> cases = {
        {{1, 2, 3, 4, 5, 6, 7}, 6, {7}},
        {{1, 2, 3, 4, 5, 6}, 6, {}},
        {{7, 6, 5, 4, 3, 2, 1}, 6, {7}},
        {{1, 2, 2, 3, 4, 5, 6, 7}, 6, {}},       // the repeated value restarts the count
        {{1, 2, 2, 3, 4, 5, 6, 7, 8}, 6, {9}},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, 6, {7, 13}},
        {{1, 2, 3, 4, 3, 2, 1, 0}, 4, {8}},       // a reversal restarts the other counter
    };
    for (const Case& c : cases) EXPECT_EQ(marked(ruleTrend(c.v, c.n)), c.expected);
}

TEST(RunRules, AlternatingRun)
{
    struct Case { std::vector<double> v; int n; Marks expected; };
    const std::vector<Case> cases = {
        {{1, 2, 1, 2, 1}, 4, {5}},
        {{1, 2, 1, 2}, 4, {}},
        {{1, 2, 3, 2, 3, 2, 3}, 4, {7}},            // two ups: the count starts again at the next reversal
        {{1, 2, 1, 1, 2, 1, 2, 1}, 4, {8}},         // equal values restart everything
        {{1, 2, 1, 2, 1, 2, 1, 2, 1}, 4, {5, 9}},
        {{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}, 14, {15}},
    };
    for (const Case& c : cases) EXPECT_EQ(marked(ruleAlternating(c.v, c.n)), c.expected);
}

TEST(RunRules, WindowsDoNotOverlap)
{
    struct Case { const char* zones; int n, m; ZoneHit hit; Marks expected; };
    const std::vector<Case> cases = {
        {"AACCCC", 3, 2, ZoneHit::A, {2}},
        {"CCAACC", 3, 2, ZoneHit::A, {}},    // hits on lots 3 and 4 fall in different windows
        {"CAACCC", 3, 2, ZoneHit::A, {3}},
        {"AA", 3, 2, ZoneHit::A, {2}},       // a short last window still counts
        {"AAAA", 4, 2, ZoneHit::A, {2, 4}},  // the count restarts inside the window
        {"BABAB", 5, 4, ZoneHit::AorB, {4}},
        {"CCCCCCCCCCCCCCC", 15, 15, ZoneHit::C, {15}},
        {"ACCCCCCCCCCCCCCC", 15, 15, ZoneHit::C, {}},
        {"CCCCCCCCCCCCCC", 15, 15, ZoneHit::C, {}},
        {"ABABABAB", 8, 8, ZoneHit::AorB, {8}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(marked(ruleWindow(zones(c.zones), c.n, c.m, c.hit)), c.expected) << c.zones;
}

TEST(RunRules, SideEvaluationHonoursSwitchesAndParameters)
{
    const std::vector<double> v = {11, 11, 11, 13};
    SideInput in{v, 10.0, 1.0, 12.5, 7.5};
    model::RuleOptions rules = model::RuleOptions::defaults();
    rules.Chk2Comp1 = 3;
    rules.Check4 = false;
    const auto marks = evaluateSide(in, rules);
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[3][0], Mark::Anomaly); // 13 above 12.5
    EXPECT_EQ(marks[2][1], Mark::Anomaly); // third on the same side
    EXPECT_EQ(marks[0][3], Mark::Off);
    EXPECT_EQ(marks[3][4], Mark::Ok);      // lot 4 is in the second window

    model::RuleOptions off = rules;
    off.Check1 = off.Check2 = off.Check3 = off.Check4 = off.Check5 = off.Check6 = off.Check7 = off.Check8 = false;
    for (const auto& row : evaluateSide(in, off))
        for (Mark m : row) EXPECT_EQ(m, Mark::Off);
    EXPECT_EQ(markText(Mark::Ok), QStringLiteral("○"));
    EXPECT_EQ(markText(Mark::Anomaly), QStringLiteral("×"));
    EXPECT_EQ(markText(Mark::Off), QStringLiteral("－"));
}
