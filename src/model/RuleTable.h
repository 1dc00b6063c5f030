// The eight run rules as one table: for each rule its switch and parameters among the members of
// RuleOptions, the names they are stored under, and the choices of each parameter's list. The
// settings store, the rule-settings dialog, the command line and the rules themselves all go
// through it, so a rule's members are named in one place.
#pragma once
#include "model/RuleRanges.h"
#include "model/Settings.h"

#include <QString>
#include <array>

namespace model {

inline constexpr int kRuleCount = 8;

struct RuleParameter {
    int RuleOptions::*field = nullptr;
    const char* key = nullptr; // the settings name, "Chk5Comp1"
    ParameterRange range;      // the choices of its list
    int initial = 0;           // its initial value
};

struct RuleMembers {
    bool RuleOptions::*flag = nullptr;
    const char* flagKey = nullptr; // "Check5"
    // The run length or window, then the count (rules ⑤ and ⑥); `parameterCount` of them are used.
    int parameterCount = 0;
    std::array<RuleParameter, 2> parameters{};
};

// Rule ① at index 0.
const std::array<RuleMembers, kRuleCount>& ruleTable();

// The members of rule `rule` (1 to 8).
const RuleMembers& ruleMembers(int rule);

// A parameter of rule `rule` (1 to 8): `which` 0 the run length or window, 1 the count.
int ruleParameter(const RuleOptions& rules, int rule, int which);

// The circled numeral of rule `rule` (1 to 8): "①" … "⑧".
QString ruleNumeral(int rule);

} // namespace model
