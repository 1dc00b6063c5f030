// Read-only view of the measurements as the window's grids hold them: the measurement
// grid (lot rows 1..lotCount, measurement columns 0..measurementCount-1) and the lot grid
// (column 0 the lot number, the flag of column 1 the lot's enable check).
#pragma once
#include "model/CellTable.h"

#include <QString>
#include <vector>

namespace judge {

class Measurements {
public:
    // Counts are clamped to what the tables can hold.
    Measurements(const model::CellTable& cells, const model::CellTable& lots, int lotCount, int measurementCount);

    int lotCount() const { return lotCount_; }
    int measurementCount() const { return measurementCount_; }

    // Rows are lot rows, 1..lotCount.
    bool enabled(int row) const { return lots_.flag(1, row); }
    const QString& lotNumber(int row) const { return lots_.text(0, row); }

    // Number of non-blank cells of the row.
    int valueCount(int row) const;
    // The row's non-blank cells converted, in column order; raises model::ConvertError.
    std::vector<double> values(int row) const;
    // Appends the row's values to `out`; raises model::ConvertError.
    void appendValues(int row, std::vector<double>& out) const;

private:
    const model::CellTable& cells_;
    const model::CellTable& lots_;
    int lotCount_;
    int measurementCount_;
};

} // namespace judge
