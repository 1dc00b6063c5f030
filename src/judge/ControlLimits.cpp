#include "judge/ControlLimits.h"

#include "judge/Statistics.h"
#include "model/NumberText.h"
#include "model/Text.h"

#include <cmath>
#include <utility>
#include <vector>

namespace judge {

namespace {

// One entry per enabled lot with values, in row order.
struct LotSeries {
    std::vector<double> means, ranges, stdevs;
};

// The values of every enabled lot that holds any, in row order; converting them in this
// order reports the first bad cell in row and column order.
std::vector<std::vector<double>> enabledLotValues(const Measurements& sheet)
{
    std::vector<std::vector<double>> lots;
    for (int r = 1; r <= sheet.lotCount(); ++r) {
        if (!sheet.enabled(r)) continue;
        std::vector<double> values = sheet.values(r);
        if (!values.empty()) lots.push_back(std::move(values));
    }
    return lots;
}

LotSeries lotSeries(const std::vector<std::vector<double>>& lots, ChartKind chart)
{
    LotSeries series;
    for (const std::vector<double>& values : lots) {
        const Summary s = summarise(values);
        series.means.push_back(s.mean());
        series.ranges.push_back(chart == ChartKind::XRs ? 0.0 : static_cast<double>(static_cast<long double>(s.max) - s.min));
        series.stdevs.push_back(chart != ChartKind::XRs && s.hasSpread() ? s.sampleStdev() : 0.0);
    }
    return series;
}

// Moving ranges between neighbouring entries of the series, led by 0.
std::vector<double> movingRanges(const std::vector<double>& means)
{
    std::vector<double> out;
    out.reserve(means.size());
    for (size_t i = 0; i < means.size(); ++i)
        out.push_back(i == 0 ? 0.0 : static_cast<double>(std::fabs(static_cast<long double>(means[i]) - means[i - 1])));
    return out;
}

const std::vector<double>& dispersionSeries(const LotSeries& series, ChartKind chart, std::vector<double>& moving)
{
    switch (chart) {
    case ChartKind::XbarS: return series.stdevs;
    case ChartKind::XRs: return moving = movingRanges(series.means);
    case ChartKind::XbarR: break;
    }
    return series.ranges;
}

} // namespace

bool anyLimitBlank(const ControlLimitTexts& limits)
{
    return model::isBlank(limits.ucl) || model::isBlank(limits.lcl) || model::isBlank(limits.rsUcl);
}

std::optional<ControlLimitTexts> computeControlLimits(const Measurements& sheet, ChartKind chart)
{
    int count = 0;
    for (int r = 1; r <= sheet.lotCount(); ++r)
        if (sheet.enabled(r)) count += sheet.valueCount(r);
    if (count < 2) return std::nullopt;

    const std::vector<std::vector<double>> lots = enabledLotValues(sheet);
    std::vector<double> all;
    for (const std::vector<double>& values : lots) all.insert(all.end(), values.begin(), values.end());
    const Summary total = summarise(all);
    const double m = total.mean();
    const double s = total.sampleStdev();

    const LotSeries series = lotSeries(lots, chart);
    std::vector<double> moving;
    const Summary dispersion = summarise(dispersionSeries(series, chart, moving));

    const long double spread = 3 * static_cast<long double>(s);
    ControlLimitTexts out;
    out.ucl = model::formatFixed(static_cast<double>(m + spread), 5);
    out.lcl = model::formatFixed(static_cast<double>(m - spread), 5);
    out.rsUcl = model::formatFixed(static_cast<double>(dispersion.mean() + spread), 5);
    return out;
}

} // namespace judge
