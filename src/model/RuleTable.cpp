#include "model/RuleTable.h"

#include <stdexcept>

namespace model {

const std::array<RuleMembers, kRuleCount>& ruleTable()
{
    using R = RuleOptions;
    using G = RuleRanges;
    static const std::array<RuleMembers, kRuleCount> table{{
        {&R::Check1, "Check1", 0, {}},
        {&R::Check2, "Check2", 1, {{{&R::Chk2Comp1, "Chk2Comp1", G::rule2, 9}, {}}}},
        {&R::Check3, "Check3", 1, {{{&R::Chk3Comp1, "Chk3Comp1", G::rule3, 6}, {}}}},
        {&R::Check4, "Check4", 1, {{{&R::Chk4Comp1, "Chk4Comp1", G::rule4, 14}, {}}}},
        {&R::Check5, "Check5", 2, {{{&R::Chk5Comp1, "Chk5Comp1", G::rule5Window, 3}, {&R::Chk5Comp2, "Chk5Comp2", G::rule5Count, 2}}}},
        {&R::Check6, "Check6", 2, {{{&R::Chk6Comp1, "Chk6Comp1", G::rule6Window, 5}, {&R::Chk6Comp2, "Chk6Comp2", G::rule6Count, 4}}}},
        {&R::Check7, "Check7", 1, {{{&R::Chk7Comp1, "Chk7Comp1", G::rule7, 15}, {}}}},
        {&R::Check8, "Check8", 1, {{{&R::Chk8Comp1, "Chk8Comp1", G::rule8, 8}, {}}}},
    }};
    return table;
}

const RuleMembers& ruleMembers(int rule)
{
    if (rule < 1 || rule > kRuleCount) throw std::out_of_range("rule");
    return ruleTable()[size_t(rule - 1)];
}

int ruleParameter(const RuleOptions& rules, int rule, int which)
{
    const RuleMembers& m = ruleMembers(rule);
    if (which < 0 || which >= m.parameterCount) throw std::out_of_range("rule parameter");
    return rules.*m.parameters[size_t(which)].field;
}

QString ruleNumeral(int rule)
{
    // ① is U+2460; the eight rules take the next seven code points.
    if (rule < 1 || rule > kRuleCount) return {};
    return QString(QChar(char16_t(0x2460 + rule - 1)));
}

} // namespace model
