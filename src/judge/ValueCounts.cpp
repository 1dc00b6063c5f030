#include "judge/ValueCounts.h"

#include <algorithm>

namespace judge {

ValueCounts countValues(std::span<const double> values)
{
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    ValueCounts out;
    out.n = int(sorted.size());
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && sorted[i] == sorted[i - 1]) {
            ++out.counts.back();
            continue;
        }
        out.values.push_back(sorted[i]);
        out.counts.push_back(1);
    }
    return out;
}

} // namespace judge
