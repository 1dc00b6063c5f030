#pragma once
#include "exchange/WorksheetWriter.h"
#include "model/CellTable.h"
#include "model/SheetRecord.h"
#include "sheetview/Notice.h"

#include <optional>

namespace sheetview {
struct EnteredSheet;
}

namespace exchange {

// The lot grid and the measurement grid of a sheet as entering it shows them (the sheet view's
// own entering step): the lot and measurement counts brought into the view's ranges, the
// default lot numbers K001, K002, ..., every lot enabled, then the record's enable flags and
// data lines, and the measurements formatted with the sheet's digits up to the first cell that
// is not a number. The workbook export writes every sheet from these, so a window and a
// headless front end write the same.
struct SheetGrids {
    explicit SheetGrids(const model::SheetRecord& record);
    // The grids of a sheet just entered from its record, taken over.
    explicit SheetGrids(sheetview::EnteredSheet&& entered);

    model::CellTable lots;  // column 0 lot numbers, column 1 enable flags; row 0 captions
    model::CellTable cells; // measurements; row 0 headings N1, N2, ...
    int lotCount = 0;
    int measurementCount = 0;
    // What entering the sheet warns of: a measurement or a specification limit that is not a number.
    std::optional<sheetview::Notice> notice;

    GridBlock block() const { return {GridKind::Measurements, &cells, &lots, lotCount + 1, measurementCount}; }
};

} // namespace exchange
