// The choices the rule-settings dialog offers for the rule parameters: run lengths for
// rules ② to ④, ⑦ and ⑧, window and count for ⑤ and ⑥ (the window at least the count).
#pragma once

namespace model {

struct ParameterRange {
    int min = 0;
    int max = 0;
    constexpr bool contains(int v) const { return v >= min && v <= max; }
};

struct RuleRanges {
    static constexpr ParameterRange rule2{7, 11};
    static constexpr ParameterRange rule3{4, 8};
    static constexpr ParameterRange rule4{12, 16};
    static constexpr ParameterRange rule5Window{3, 7};
    static constexpr ParameterRange rule5Count{2, 6};
    static constexpr ParameterRange rule6Window{5, 9};
    static constexpr ParameterRange rule6Count{4, 8};
    static constexpr ParameterRange rule7{13, 17};
    static constexpr ParameterRange rule8{6, 10};
};

} // namespace model
