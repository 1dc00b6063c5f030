// Where the report templates and the fill meet: the cells every template has always taken, the
// chart page beside the data on worksheet 1, its identification block, and the tables the
// charts draw from. Shared by the template generator and the fill functions; rows and columns
// are numbered from 0 here, as the generator counts them.
#pragma once

namespace reports::layout {

// ---- control charts, worksheet 1 ----
// The table: header row 1, a lot per row from row 2; lot numbers A, means B, the X centre line
// and limits C to E, the dispersion F, its centre line and upper limit G and H.
inline constexpr int kHeaderRow = 0;
inline constexpr int kFirstDataRow = 1;          // row 2
inline constexpr int kDataRows = 101;            // rows 2 to 102: room for the 100 lots a sheet holds
inline constexpr int kLastDataRow = kFirstDataRow + kDataRows - 1;
inline constexpr int kLotColumn = 0;             // A
inline constexpr int kMeanColumn = 1;            // B
inline constexpr int kCentreColumn = 2;          // C
inline constexpr int kUclColumn = 3;             // D
inline constexpr int kLclColumn = 4;             // E
inline constexpr int kDispersionColumn = 5;      // F
inline constexpr int kDispersionCentreColumn = 6; // G
inline constexpr int kDispersionUclColumn = 7;   // H
// Beside them: each lot's own limits (I to M: X-UCL, X-LCL, dispersion CL, UCL and LCL), the
// values a run rule marked (N, O) and the specification limits on every lot row (P, Q).
inline constexpr int kLotLimitColumn = 8;        // I
inline constexpr int kLotLimitColumns = 5;
inline constexpr int kXMarkedColumn = 13;        // N
inline constexpr int kDispersionMarkedColumn = 14; // O
inline constexpr int kSpecUpperColumn = 15;      // P
inline constexpr int kSpecLowerColumn = 16;      // Q
inline constexpr int kLastDataColumn = 16;
// The chart page: columns S to AH, rows 1 to 49.
inline constexpr int kChartPageColumn = 18;
inline constexpr int kChartPageColumns = 16;
inline constexpr int kChartPageRows = 49;
// The names the lines are shown with in the legends ("UCL = 10.76400"), column AK from row 1.
inline constexpr int kLineNameColumn = 36;
enum LineName { kXCentreName, kXUclName, kXLclName, kDispersionCentreName, kDispersionUclName, kDispersionLclName, kMarkedName,
                kLineNames };
inline constexpr int kControlCharts = 2; // chart 0 the X chart, chart 1 the dispersion chart

// What the charts draw, from column AM: each lot spread over a number of rows (slots) so that a
// lot's own limit runs across its width and steps at its edges. A lot's number and point stand
// on its middle slot; the limits on every slot of the lot; a blank slot is a gap in the line.
inline constexpr int kPlotColumn = 38;           // AM
inline constexpr int kPlotRows = 1000;           // rows 2 to 1001
inline constexpr int kMaxSlotsPerLot = 51;
enum PlotSeries {
    kPlotCategory,                                                           // the lot numbers
    kPlotXLine, kPlotXPoint, kPlotXMarked, kPlotXCentre, kPlotXUcl, kPlotXLcl, kPlotSpecUpper, kPlotSpecLower,
    kPlotDLine, kPlotDPoint, kPlotDMarked, kPlotDCentre, kPlotDUcl, kPlotDLcl,
    kPlotColumns
};
// The legend entries the program shows or hides (series by their order in a chart): the
// dispersion chart's lower limit, which only some lots have.
inline constexpr int kDispersionLclSeries = 5;

// ---- histogram ----
// Worksheet 1: the chart page beside the largest data block (100 columns): columns CX to DM.
inline constexpr int kHistogramPageColumn = 101;
inline constexpr int kHistogramPageColumns = 16;
inline constexpr int kHistogramPageRows = 36;
// The capability box and the class table on the chart page, right of the chart: label in the
// box's first column, the value in its third.
inline constexpr int kBoxColumn = kHistogramPageColumn + 11;
inline constexpr int kBoxValueColumn = kBoxColumn + 2;
inline constexpr int kBoxRow = 7;
inline constexpr int kBoxLines = 11;
inline constexpr int kPageClassColumn = kBoxColumn; // class number, lower, upper, count
inline constexpr int kPageClassRow = 22;            // heading row, classes below it
// Worksheet 2: the class count, the statistics from A4, the class table below it, the chart's
// series right of them.
inline constexpr int kClassCountRow = 18;        // B19
inline constexpr int kClassCountColumn = 1;
inline constexpr int kStatsRow = 3;
inline constexpr int kClassRow = 21;             // heading row (22), classes from row 23
inline constexpr int kMaxClasses = 10;
inline constexpr int kTableColumns = 4;          // A to D: what is printed of worksheet 2
inline constexpr int kSeriesColumn = 5;          // F: the first series' x, its y in the next column
inline constexpr int kSeriesRow = 1;             // names in row 1 (above each y), points from row 2
// The series by their x column counted from kSeriesColumn: the bars' outline (F, G), the normal
// curve (H, I), the upper spec limit (J, K), the lower one (L, M) and the mean (N, O).
enum HistogramSeries { kOutlineSeries = 0, kCurveSeries = 2, kUpperSpecSeries = 4, kLowerSpecSeries = 6, kMeanSeries = 8,
                       kSeriesColumns = 10 };
inline constexpr int kOutlinePoints = 4 * kMaxClasses;
inline constexpr int kCurveRows = 101;

// ---- both: the identification block, three groups of four rows from row 3 of the chart page:
// label in the group's first column, value merged over the next four.
inline constexpr int kIdentityRow = 2;
inline constexpr int kIdentityRows = 4;
inline constexpr int kIdentityGroupWidth = 5;

} // namespace reports::layout
