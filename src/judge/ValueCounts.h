// The values in ascending order, each distinct value once with the number of times it
// occurs. Readings repeat (they carry the sheet's decimals), so the distribution fits and the
// goodness-of-fit tests work per distinct value: a full sheet of 10 000 readings often holds
// only a few hundred.
#pragma once

#include <span>
#include <vector>

namespace judge {

struct ValueCounts {
    std::vector<double> values; // ascending, distinct
    std::vector<int> counts;    // how often each occurs
    int n = 0;                  // all values

    bool hasSpread() const { return values.size() >= 2; }
};

ValueCounts countValues(std::span<const double> values);

} // namespace judge
