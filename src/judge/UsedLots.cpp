#include "judge/UsedLots.h"

#include "judge/Statistics.h"

namespace judge {

UsedLots usedLots(const Measurements& sheet)
{
    UsedLots out;
    for (int r = 1; r <= sheet.lotCount(); ++r) {
        if (!sheet.enabled(r) || sheet.valueCount(r) == 0) continue;
        const size_t first = out.values.size();
        sheet.appendValues(r, out.values);
        const Summary s = summarise(std::span<const double>(out.values).subspan(first));
        LotSample lot;
        lot.lot = sheet.lotNumber(r);
        lot.n = s.count;
        lot.mean = s.mean();
        lot.range = static_cast<double>(static_cast<long double>(s.max) - s.min);
        lot.stdev = s.sampleStdev();
        lot.squares = s.squares;
        out.lots.push_back(std::move(lot));
    }
    return out;
}

} // namespace judge
