#include "judge/UsedLots.h"

#include <algorithm>
#include <cmath>

namespace judge {

UsedLots usedLots(const Measurements& sheet)
{
    UsedLots out;
    for (int r = 1; r <= sheet.lotCount(); ++r) {
        if (!sheet.enabled(r) || sheet.valueCount(r) == 0) continue;
        const size_t first = out.values.size();
        sheet.appendValues(r, out.values);
        const auto begin = out.values.begin() + std::ptrdiff_t(first);
        LotSample lot;
        lot.lot = sheet.lotNumber(r);
        lot.n = int(out.values.size() - first);
        long double sum = 0.0L;
        for (auto it = begin; it != out.values.end(); ++it) sum += *it;
        const long double mean = sum / lot.n;
        // Two passes: the deviations from the mean, so nearly equal values keep their spread.
        for (auto it = begin; it != out.values.end(); ++it) lot.squares += (*it - mean) * (*it - mean);
        const auto [lo, hi] = std::minmax_element(begin, out.values.end());
        lot.mean = static_cast<double>(mean);
        lot.range = static_cast<double>(static_cast<long double>(*hi) - *lo);
        lot.stdev = lot.n >= 2 ? static_cast<double>(std::sqrt(lot.squares / (lot.n - 1))) : 0.0;
        out.lots.push_back(std::move(lot));
    }
    return out;
}

} // namespace judge
