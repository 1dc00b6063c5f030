#include "judge/Measurements.h"

#include "model/NumberText.h"
#include "model/Text.h"

#include <algorithm>

namespace judge {

Measurements::Measurements(const model::CellTable& cells, const model::CellTable& lots, int lotCount,
                           int measurementCount)
    : cells_(cells)
    , lots_(lots)
    , lotCount_(std::clamp(lotCount, 0, model::CellTable::kRows - 1))
    , measurementCount_(std::clamp(measurementCount, 0, model::CellTable::kCols))
{
}

int Measurements::valueCount(int row) const
{
    int n = 0;
    for (int c = 0; c < measurementCount_; ++c)
        if (!model::isBlank(cells_.text(c, row))) ++n;
    return n;
}

std::vector<double> Measurements::values(int row) const
{
    std::vector<double> out;
    out.reserve(size_t(measurementCount_));
    appendValues(row, out);
    return out;
}

void Measurements::appendValues(int row, std::vector<double>& out) const
{
    for (int c = 0; c < measurementCount_; ++c) {
        const QString& t = cells_.text(c, row);
        if (!model::isBlank(t)) out.push_back(model::parseNumber(t));
    }
}

} // namespace judge
