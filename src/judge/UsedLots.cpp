#include "judge/UsedLots.h"

#include "judge/Statistics.h"

namespace judge {

namespace {

LotSample lotSample(const QString& number, std::span<const double> values)
{
    const Summary s = summarise(values);
    LotSample lot;
    lot.lot = number;
    lot.n = s.count;
    lot.mean = s.mean();
    lot.range = static_cast<double>(static_cast<long double>(s.max) - s.min);
    lot.stdev = s.sampleStdev();
    lot.squares = s.squares;
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
