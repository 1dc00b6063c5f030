// Where the report templates and the fill meet beyond the cells every template has always
// taken: the chart page beside the data on worksheet 1, its identification block, and the
// tables the charts draw from. Shared by the template generator and the fill functions.
// Rows and columns are numbered from 0 here, as the generator counts them.
#pragma once

namespace reports::layout {

// ---- control charts, worksheet 1 ----
// Columns beside the template's A to H (and the lots' own limits in I to M), rows 2 to 102:
inline constexpr int kXMarkedColumn = 13;          // N: the mean where a run rule marked it
inline constexpr int kDispersionMarkedColumn = 14; // O: the dispersion where a rule marked it
inline constexpr int kSpecUpperColumn = 15;        // P: the upper spec limit on every lot row
inline constexpr int kSpecLowerColumn = 16;        // Q: the lower one
inline constexpr int kLastDataColumn = 16;
// The chart page: columns S to AH, rows 1 to 49.
inline constexpr int kChartPageColumn = 18;
inline constexpr int kChartPageColumns = 16;
inline constexpr int kChartPageRows = 49;
// The names the limit lines are shown with ("UCL = 10.76400"), column AK rows 1 to 6:
// X centre, UCL, LCL, dispersion centre, UCL, and the marked points.
inline constexpr int kLineNameColumn = 36;
inline constexpr int kControlCharts = 2; // chart 0 the X chart, chart 1 the dispersion chart

// ---- histogram ----
// Worksheet 1: the chart page beside the largest data block (100 columns): columns CX to DM.
inline constexpr int kHistogramPageColumn = 101;
inline constexpr int kHistogramPageRows = 36;
// The capability box and the class table on the chart page, right of the chart.
inline constexpr int kBoxColumn = kHistogramPageColumn + 11;
inline constexpr int kBoxRow = 7;
inline constexpr int kBoxLines = 13;
inline constexpr int kPageClassRow = 22; // heading row, classes below it
// Worksheet 2: the statistics from A4, the class table below B19, the chart's series right.
inline constexpr int kStatsRow = 3;
inline constexpr int kClassRow = 21; // heading row (22), classes from row 23
inline constexpr int kMaxClasses = 10;
inline constexpr int kSeriesColumn = 5;  // F: bars' outline x, G y; H, I the normal curve; J, K upper spec; L, M lower spec; N, O mean
inline constexpr int kSeriesRow = 1;     // names in row 1, points from row 2
inline constexpr int kOutlinePoints = 4 * kMaxClasses;
inline constexpr int kCurvePoints = 41;

// ---- both: the identification block, three groups of four rows from row 3 of the chart page:
// label in the group's first column, value merged over the next four.
inline constexpr int kIdentityRow = 2;
inline constexpr int kIdentityRows = 4;
inline constexpr int kIdentityGroupWidth = 5;

} // namespace reports::layout
