#include "judge/UsedLots.h"

#include <algorithm>
#include <cmath>

namespace judge {

namespace {

LotSample lotSample(const QString& number, std::span<const double> values)
{
    LotSample lot;
    lot.lot = number;
    lot.n = int(values.size());
    long double sum = 0.0L;
    for (double v : values) sum += v;
    const long double mean = sum / lot.n;
    // Two passes: the deviations from the mean, so nearly equal values keep their spread.
    for (double v : values) lot.squares += (v - mean) * (v - mean);
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    lot.mean = static_cast<double>(mean);
    lot.range = static_cast<double>(static_cast<long double>(*hi) - *lo);
    lot.stdev = lot.n >= 2 ? static_cast<double>(std::sqrt(lot.squares / (lot.n - 1))) : 0.0;
    return lot;
}

} // namespace

UsedLots usedLots(const Measurements& sheet)
{
    UsedLots out;
    for (int r = 1; r <= sheet.lotCount(); ++r) {
        if (!sheet.enabled(r) || sheet.valueCount(r) == 0) continue;
        const size_t first = out.values.size();
        sheet.appendValues(r, out.values);
        out.lots.push_back(lotSample(sheet.lotNumber(r), std::span<const double>(out.values).subspan(first)));
    }
    return out;
}

UsedLots transformedLots(const UsedLots& used, const std::function<double(double)>& f)
{
    UsedLots out;
    out.values.reserve(used.values.size());
    for (double v : used.values) out.values.push_back(f(v));
    size_t first = 0;
    for (const LotSample& lot : used.lots) {
        const std::span<const double> values = std::span<const double>(out.values).subspan(first, size_t(lot.n));
        out.lots.push_back(lotSample(lot.lot, values));
        first += size_t(lot.n);
    }
    return out;
}

} // namespace judge
