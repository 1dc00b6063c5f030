#include "judge/Capability.h"

#include "judge/Statistics.h"

#include <cmath>
#include <span>

namespace judge {

namespace {

QString fixed5(double v) { return model::formatFixed(v, 5); }

// Columns 1 to 4 and, when the values spread, 6 to 8.
void fillStatistics(CalcRow& row, const Summary& s, const SpecLimits& limits, bool withStdev)
{
    row[kCalcCount] = QString::number(s.count);
    row[kCalcMax] = fixed5(s.max);
    row[kCalcMin] = fixed5(s.min);
    const double mean = s.mean();
    row[kCalcMean] = fixed5(mean);
    if (!withStdev || !s.hasSpread()) return;
    const double stdev = s.sampleStdev();
    if (stdev <= 0.0) return; // rounding ate the spread: no index can be formed
    const Indices idx = capabilityIndices(limits, mean, stdev);
    row[kCalcStdev] = fixed5(stdev);
    row[kCalcCp] = model::formatFixed(idx.cp, 3);
    row[kCalcCpk] = model::formatFixed(idx.cpk, 3);
}

// Range, or for X-Rs the moving range between the five-decimal mean texts of this row and
// the row above (0 for the first row).
QString rangeText(const std::vector<CalcRow>& rows, const Summary& s, const QString& meanText, ChartKind chart)
{
    if (chart != ChartKind::XRs) return fixed5(static_cast<double>(static_cast<long double>(s.max) - s.min));
    if (rows.empty()) return fixed5(0.0);
    const long double current = model::parseNumber(meanText);
    const long double previous = model::parseNumber(rows.back()[kCalcMean]);
    return fixed5(static_cast<double>(std::fabs(current - previous)));
}

CalcRow lotRow(const std::vector<CalcRow>& rows, const QString& lotNumber, const Summary& s,
               const CapabilitySettings& settings)
{
    CalcRow row;
    row[kCalcLot] = lotNumber;
    fillStatistics(row, s, settings.limits, settings.chart != ChartKind::XRs);
    row[kCalcRange] = rangeText(rows, s, row[kCalcMean], settings.chart);
    return row;
}

// Mean of the lot rows' range texts, summed as doubles.
QString meanRangeText(std::span<const CalcRow> lotRows)
{
    double sum = 0.0;
    for (const CalcRow& row : lotRows) sum += model::parseNumber(row[kCalcRange]);
    return fixed5(sum / double(lotRows.size()));
}

// Writes the marks of every row; true when any row lies below the threshold.
bool markRows(std::vector<CalcRow>& rows, const CapabilitySettings& settings)
{
    const int column = settings.index == CapabilityIndex::CP ? kCalcCp : kCalcCpk;
    std::optional<double> threshold;
    bool anomaly = false;
    for (CalcRow& row : rows) {
        if (!settings.thresholdCheck) {
            row[kCalcMark] = kNotJudgedText;
            continue;
        }
        if (row[column].isEmpty()) continue;
        const double value = model::parseNumber(row[column]); // the displayed three decimals
        if (!threshold) threshold = model::parseNumber(settings.thresholdText);
        const bool below = value < *threshold;
        row[kCalcMark] = below ? kRowAnomalyText : kRowOkText;
        anomaly = anomaly || below;
    }
    return anomaly;
}

void judgeInto(CapabilityResult& result, const Measurements& sheet, const CapabilitySettings& settings)
{
    std::vector<double> all; // every lot's values, for the total row
    for (int r = 1; r <= sheet.lotCount(); ++r) {
        if (!sheet.enabled(r) || sheet.valueCount(r) == 0) continue;
        const size_t first = all.size();
        sheet.appendValues(r, all);
        const Summary s = summarise(std::span<const double>(all).subspan(first));
        result.rows.push_back(lotRow(result.rows, sheet.lotNumber(r), s, settings));
        result.lotRows = int(result.rows.size());
    }
    if (result.lotRows == 0) return;
    result.rowCount = result.lotRows + 2;
    CalcRow totalRow;
    totalRow[kCalcLot] = kTotalRowLabel;
    result.rows.push_back(totalRow);
    if (all.size() <= 1) return;
    const Summary total = summarise(all);

    CalcRow& last = result.rows.back();
    fillStatistics(last, total, settings.limits, true);
    last[kCalcRange] = meanRangeText(std::span<const CalcRow>(result.rows).first(size_t(result.lotRows)));
    result.outcome = markRows(result.rows, settings) ? Outcome::Fail : Outcome::Pass;
}

} // namespace

CapabilityResult judgeCapability(const Measurements& sheet, const CapabilitySettings& settings)
{
    CapabilityResult result;
    try {
        judgeInto(result, sheet, settings);
    } catch (const model::ConvertError& e) {
        result.outcome = Outcome::NoResult;
        result.error = e;
    }
    return result;
}

bool isBelowThresholdText(QStringView indexText, QStringView thresholdText)
{
    const auto value = model::tryParseNumber(indexText);
    const auto threshold = model::tryParseNumber(thresholdText);
    return value && threshold && *value < *threshold;
}

} // namespace judge
