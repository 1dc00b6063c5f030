// The lots a capability study and the standard control limits are computed from: the
// enabled lots with at least one value, in row order, each with its count, mean, range and
// sample standard deviation, and all their values in row and column order.
#pragma once
#include "judge/Measurements.h"

#include <QString>
#include <functional>
#include <span>
#include <vector>

namespace judge {

struct LotSample {
    QString lot;
    int n = 0;
    double mean = 0.0;
    double range = 0.0;
    double stdev = 0.0;          // sample standard deviation; 0 for a lot of one value
    long double squares = 0.0L;  // sum of squared deviations from the lot mean
};

struct UsedLots {
    std::vector<LotSample> lots;
    std::vector<double> values;
};

// Raises model::ConvertError on the first value (row, then column order) that is not a number.
UsedLots usedLots(const Measurements& sheet);

// The same lots with every value mapped through `f` (a transformation of the data), their
// statistics computed afresh.
UsedLots transformedLots(const UsedLots& used, const std::function<double(double)>& f);

} // namespace judge
