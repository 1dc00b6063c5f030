// Writes the report templates the program fills: XbarR.xlsx, XbarS.xlsx, X-Rs.xlsx and
// Histogram.xlsx, into the folder given as the only argument. Run at build time.
//
// Control chart workbooks, worksheet 1: the lot numbers (A), the lot means (B) and the lot
// dispersion (F) in rows 2 to 102, the centre line and limits of the means in C2 to E2 and those
// of the dispersion in G2 and H2. Rows 3 to 102 of C to E and G to H repeat row 2 by formula.
// Beside them the program writes each lot's own limits (I to M), the points a run rule marked
// (N, O) and the spec limits (P, Q). The charts draw from the table the program writes from
// column AM (every lot over several rows, so that a lot's own limit runs across its width and
// steps at its edges); every series points into its rows 2 to 1001, so deleting the unused rows
// with shift up leaves them covering exactly the filled rows. The chart page sits on the same
// worksheet from column S: title, the identification block the program writes, and both charts;
// it is printed first (the print area lists it before the data).
//
// Histogram workbook: worksheet 1 takes the raw measurements from A1 (at most 100 x 100) and
// holds the chart page from column CX; worksheet 2 takes the number of classes in B19 and, from
// the program, the statistics, the class table and the points of the chart's series: the bars'
// outline, the normal curve, the spec limits and the mean.
#include "reports/ReportLayout.h"

#include <xlsxwriter.h>

#include <cstdio>
#include <string>

namespace {

namespace layout = reports::layout;

const char* const kFont = "ＭＳ Ｐゴシック";
constexpr int kLastDataRow = layout::kLastDataRow;
constexpr int kLastPlotRow = layout::kFirstDataRow + layout::kPlotRows - 1;
constexpr lxw_color_t kNavy = 0x1F3864;
constexpr lxw_color_t kHeaderFill = 0xDDEBF7;
constexpr lxw_color_t kInputFill = 0xFFF2CC;
constexpr lxw_color_t kGrey = 0x7F7F7F;
constexpr lxw_color_t kGridGrey = 0xD9D9D9;
constexpr lxw_color_t kMeanLine = 0x1F4E79;
constexpr lxw_color_t kCentreLine = 0x00A050;
constexpr lxw_color_t kLimitLine = 0xC00000;
constexpr lxw_color_t kBars = 0x4472C4;

bool failed = false;

void check(lxw_error e, const char* what)
{
    if (e != LXW_NO_ERROR) {
        std::fprintf(stderr, "make_report_templates: %s: %s\n", what, lxw_strerror(e));
        failed = true;
    }
}

std::string absolute(int row, int col)
{
    char buf[32];
    lxw_rowcol_to_cell_abs(buf, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), 1, 1);
    return buf;
}

// "'統計データ'!$B$2:$B$102"
std::string area(const std::string& sheet, int firstRow, int firstCol, int lastRow, int lastCol)
{
    return "'" + sheet + "'!" + absolute(firstRow, firstCol) + ":" + absolute(lastRow, lastCol);
}

// Formats of one workbook.
struct Styles {
    lxw_format* title;
    lxw_format* header;   // column headings: bold on light blue, boxed, wrapped
    lxw_format* label;    // row headings of small tables
    lxw_format* text;     // boxed, centred
    lxw_format* number;   // boxed, 0.00000
    lxw_format* derived;  // boxed, 0.00000, grey: repeats of row 2
    lxw_format* count;    // boxed, integer
    lxw_format* plain;    // boxed, general
    lxw_format* input;    // the cell the program writes into, highlighted
    lxw_format* note;     // small grey text
    lxw_format* stampHead;
    lxw_format* stampBox;
    lxw_format* red;      // conditional: out of control
};

lxw_format* baseFormat(lxw_workbook* wb, double size = 10)
{
    lxw_format* f = workbook_add_format(wb);
    format_set_font_name(f, kFont);
    format_set_font_size(f, size);
    format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    return f;
}

lxw_format* boxed(lxw_workbook* wb)
{
    lxw_format* f = baseFormat(wb);
    format_set_border(f, LXW_BORDER_THIN);
    format_set_border_color(f, 0x808080);
    return f;
}

Styles makeStyles(lxw_workbook* wb)
{
    Styles s{};
    s.title = baseFormat(wb, 18);
    format_set_bold(s.title);
    format_set_font_color(s.title, kNavy);
    s.header = boxed(wb);
    format_set_bold(s.header);
    format_set_bg_color(s.header, kHeaderFill);
    format_set_align(s.header, LXW_ALIGN_CENTER);
    format_set_text_wrap(s.header);
    s.label = boxed(wb);
    format_set_bold(s.label);
    format_set_bg_color(s.label, kHeaderFill);
    s.text = boxed(wb);
    format_set_align(s.text, LXW_ALIGN_CENTER);
    s.number = boxed(wb);
    format_set_num_format(s.number, "0.00000");
    s.derived = boxed(wb);
    format_set_num_format(s.derived, "0.00000");
    format_set_font_color(s.derived, kGrey);
    s.count = boxed(wb);
    format_set_num_format(s.count, "0");
    format_set_align(s.count, LXW_ALIGN_CENTER);
    s.plain = boxed(wb);
    format_set_align(s.plain, LXW_ALIGN_CENTER);
    s.input = boxed(wb);
    format_set_num_format(s.input, "0");
    format_set_bold(s.input);
    format_set_bg_color(s.input, kInputFill);
    format_set_align(s.input, LXW_ALIGN_CENTER);
    s.note = baseFormat(wb, 9);
    format_set_font_color(s.note, kGrey);
    s.stampHead = boxed(wb);
    format_set_align(s.stampHead, LXW_ALIGN_CENTER);
    format_set_bg_color(s.stampHead, kHeaderFill);
    s.stampBox = boxed(wb);
    s.red = workbook_add_format(wb);
    format_set_font_color(s.red, 0xC00000);
    format_set_bold(s.red);
    return s;
}

lxw_chart_font chartFont(double size, bool bold = false, int rotation = 0)
{
    lxw_chart_font f{};
    f.name = const_cast<char*>(kFont);
    f.size = size;
    f.bold = bold;
    f.rotation = rotation;
    return f;
}

// The approval boxes of a printed report: 作成, 確認, 承認, right to left as is usual.
void stampBoxes(lxw_worksheet* ws, const Styles& st, int row, int firstCol)
{
    const char* heads[] = {"承認", "確認", "作成"};
    for (int i = 0; i < 3; ++i) {
        check(worksheet_write_string(ws, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(firstCol + i), heads[i], st.stampHead), "stamp");
        check(worksheet_write_blank(ws, static_cast<lxw_row_t>(row + 1), static_cast<lxw_col_t>(firstCol + i), st.stampBox), "stamp");
    }
}

void pageSetup(lxw_worksheet* ws, bool landscape)
{
    worksheet_set_paper(ws, 9); // A4
    if (landscape) worksheet_set_landscape(ws);
    else worksheet_set_portrait(ws);
    worksheet_set_margins(ws, 0.5, 0.5, 0.6, 0.6);
    worksheet_center_horizontally(ws);
}

// The identification block: label cells in the group's first column, the value merged over the
// next four; the program writes both.
void identityBlock(lxw_workbook* wb, lxw_worksheet* ws, const Styles& st, int left)
{
    lxw_format* value = boxed(wb);
    format_set_shrink(value);
    for (int g = 0; g < 3; ++g)
        for (int r = 0; r < layout::kIdentityRows; ++r) {
            const auto row = static_cast<lxw_row_t>(layout::kIdentityRow + r);
            const auto c = static_cast<lxw_col_t>(left + g * layout::kIdentityGroupWidth);
            worksheet_write_blank(ws, row, c, st.label);
            check(worksheet_merge_range(ws, row, c + 1, row, c + layout::kIdentityGroupWidth - 1, "", value), "identity");
        }
}

// Red points where a run rule marked a lot; blank rows leave gaps.
void markedSeries(lxw_chart* chart, const std::string& categories, const std::string& values, const std::string& name)
{
    lxw_chart_series* s = chart_add_series(chart, ("=" + categories).c_str(), ("=" + values).c_str());
    chart_series_set_name(s, name.c_str());
    lxw_chart_line none{};
    none.none = 1;
    chart_series_set_line(s, &none);
    chart_series_set_marker_type(s, LXW_CHART_MARKER_CIRCLE);
    chart_series_set_marker_size(s, 7);
    lxw_chart_fill red{};
    red.color = 0xFF0000;
    chart_series_set_marker_fill(s, &red);
    lxw_chart_line border{};
    border.color = 0xC00000;
    chart_series_set_marker_line(s, &border);
}

// A spec limit, drawn only where the program writes it: dash-dot, purple, apart from the limits.
void specSeries(lxw_chart* chart, const std::string& categories, const std::string& values)
{
    lxw_chart_series* s = chart_add_series(chart, ("=" + categories).c_str(), ("=" + values).c_str());
    lxw_chart_line line{};
    line.color = 0x7030A0;
    line.width = 1.5f;
    line.dash_type = LXW_CHART_LINE_DASH_LONG_DASH_DOT;
    chart_series_set_line(s, &line);
    chart_series_set_marker_type(s, LXW_CHART_MARKER_NONE);
}

// ---- control charts ----

struct ControlChartKind {
    const char* file;
    const char* title;      // the page title
    const char* xChart;     // title of the upper chart
    const char* xValue;     // heading of column B, legend of the points
    const char* xAxis;      // value axis of the upper chart
    const char* dChart;     // title of the lower chart
    const char* dValue;     // heading of column F
    const char* dAxis;      // value axis of the lower chart
    const char* dSymbol;    // R, S or Rs
};

const ControlChartKind kControlCharts[] = {
    {"XbarR.xlsx", "Xbar-R 管理図", "Xbar 管理図（ロットの平均値）", "平均値\nXbar", "平均値", "R 管理図（ロットの範囲）",
     "範囲\nR", "範囲", "R"},
    {"XbarS.xlsx", "Xbar-S 管理図", "Xbar 管理図（ロットの平均値）", "平均値\nXbar", "平均値", "S 管理図（ロットの標準偏差）",
     "標準偏差\nS", "標準偏差", "S"},
    {"X-Rs.xlsx", "X-Rs 管理図", "X 管理図（個々の測定値）", "測定値\nX", "測定値", "Rs 管理図（移動範囲）", "移動範囲\nRs",
     "移動範囲", "Rs"},
};

const char* const kDataSheet = "統計データ";
const char* const kChartSheet = "管理図";

lxw_chart_series* lineSeries(lxw_chart* chart, const std::string& categories, const std::string& values, const char* name,
                             lxw_color_t colour, double width, uint8_t dash, bool markers)
{
    lxw_chart_series* s = chart_add_series(chart, ("=" + categories).c_str(), ("=" + values).c_str());
    chart_series_set_name(s, name);
    lxw_chart_line line{};
    line.color = colour;
    line.width = static_cast<float>(width);
    line.dash_type = dash;
    chart_series_set_line(s, &line);
    if (markers) {
        chart_series_set_marker_type(s, LXW_CHART_MARKER_CIRCLE);
        chart_series_set_marker_size(s, 4);
        lxw_chart_fill fill{};
        fill.color = colour;
        chart_series_set_marker_fill(s, &fill);
        lxw_chart_line border{};
        border.color = colour;
        chart_series_set_marker_line(s, &border);
    } else {
        chart_series_set_marker_type(s, LXW_CHART_MARKER_NONE);
    }
    return s;
}

void styleLineChart(lxw_chart* chart, const char* title, const char* valueAxis)
{
    chart_title_set_name(chart, title);
    lxw_chart_font titleFont = chartFont(12, true);
    chart_title_set_name_font(chart, &titleFont);
    lxw_chart_font legendFont = chartFont(9);
    chart_legend_set_position(chart, LXW_CHART_LEGEND_RIGHT);
    chart_legend_set_font(chart, &legendFont);
    chart_show_blanks_as(chart, LXW_CHART_BLANKS_AS_GAP);

    lxw_chart_axis* x = chart_axis_get(chart, LXW_CHART_AXIS_TYPE_X);
    chart_axis_set_name(x, "ロット№");
    lxw_chart_font axisTitle = chartFont(9, true);
    lxw_chart_font axisNumbers = chartFont(8);
    chart_axis_set_name_font(x, &axisTitle);
    lxw_chart_font lotNumbers = chartFont(8, false, -90); // upright lot labels: 100 lots stay apart
    chart_axis_set_num_font(x, &lotNumbers);
    // A lot spans several categories (its slots): a mark at each would blacken the axis.
    chart_axis_set_major_tick_mark(x, LXW_CHART_AXIS_TICK_MARK_NONE);
    chart_axis_set_label_position(x, LXW_CHART_AXIS_LABEL_POSITION_LOW);

    lxw_chart_axis* y = chart_axis_get(chart, LXW_CHART_AXIS_TYPE_Y);
    chart_axis_set_name(y, valueAxis);
    lxw_chart_font yTitle = chartFont(9, true, 360); // horizontal: Japanese on its side reads badly
    chart_axis_set_name_font(y, &yTitle);
    chart_axis_set_num_font(y, &axisNumbers);
    lxw_chart_line grid{};
    grid.color = kGridGrey;
    grid.width = 0.75f;
    chart_axis_major_gridlines_set_line(y, &grid);

    lxw_chart_line frame{};
    frame.color = 0xBFBFBF;
    chart_chartarea_set_line(chart, &frame);
}

void writeControlChartTemplate(const std::string& folder, const ControlChartKind& kind)
{
    lxw_workbook* wb = workbook_new((folder + "/" + kind.file).c_str());
    if (!wb) {
        std::fprintf(stderr, "make_report_templates: cannot create %s\n", kind.file);
        failed = true;
        return;
    }
    const Styles st = makeStyles(wb);
    lxw_worksheet* data = workbook_add_worksheet(wb, kDataSheet);
    const std::string ds = kDataSheet;
    const std::string dSym = kind.dSymbol;
    namespace L = layout;

    // The table the program fills.
    const std::string heads[L::kLastDataColumn + 1] = {"ロット№",
                                                       kind.xValue,
                                                       "中心線\nCL",
                                                       "上方管理限界\nUCL",
                                                       "下方管理限界\nLCL",
                                                       kind.dValue,
                                                       dSym + " 中心線\nCL",
                                                       dSym + " 上方管理限界\nUCL",
                                                       "X-UCL\n(ロット別)",
                                                       "X-LCL\n(ロット別)",
                                                       dSym + "-CL\n(ロット別)",
                                                       dSym + "-UCL\n(ロット別)",
                                                       dSym + "-LCL\n(ロット別)",
                                                       "異常点\n(X)",
                                                       "異常点\n(" + dSym + ")",
                                                       "上限規格",
                                                       "下限規格"};
    worksheet_set_row_pixels(data, L::kHeaderRow, 40, nullptr);
    worksheet_set_column_pixels(data, L::kLotColumn, L::kLotColumn, 72, nullptr);
    worksheet_set_column_pixels(data, L::kMeanColumn, L::kLastDataColumn, 78, nullptr);
    worksheet_set_column_pixels(data, L::kLastDataColumn + 1, L::kLastDataColumn + 1, 24, nullptr);
    for (int c = 0; c <= L::kLastDataColumn; ++c)
        check(worksheet_write_string(data, L::kHeaderRow, static_cast<lxw_col_t>(c), heads[c].c_str(), st.header), "heading");
    const int lines[] = {L::kCentreColumn, L::kUclColumn, L::kLclColumn, L::kDispersionCentreColumn, L::kDispersionUclColumn};
    for (int r = L::kFirstDataRow; r <= kLastDataRow; ++r) {
        const auto row = static_cast<lxw_row_t>(r);
        worksheet_write_blank(data, row, L::kLotColumn, st.text);
        for (int c = L::kMeanColumn; c <= L::kLastDataColumn; ++c) worksheet_write_blank(data, row, static_cast<lxw_col_t>(c), st.number);
        if (r == L::kFirstDataRow) continue;
        for (int c : lines) {
            char f[8];
            std::snprintf(f, sizeof f, "=%c$2", 'A' + c);
            check(worksheet_write_formula(data, row, static_cast<lxw_col_t>(c), f, st.derived), "line formula");
        }
    }
    {
        // Points outside the limits stand out in the table too.
        lxw_conditional_format cf{};
        cf.type = LXW_CONDITIONAL_TYPE_FORMULA;
        cf.value_string = const_cast<char*>("=AND(ISNUMBER(B2),OR(B2>$D$2,B2<$E$2))");
        cf.format = st.red;
        check(worksheet_conditional_format_range(data, L::kFirstDataRow, L::kMeanColumn, kLastDataRow, L::kMeanColumn, &cf), "conditional format");
        lxw_conditional_format cd{};
        cd.type = LXW_CONDITIONAL_TYPE_FORMULA;
        cd.value_string = const_cast<char*>("=AND(ISNUMBER(F2),F2>$H$2)");
        cd.format = st.red;
        check(worksheet_conditional_format_range(data, L::kFirstDataRow, L::kDispersionColumn, kLastDataRow, L::kDispersionColumn, &cd),
              "conditional format");
    }
    pageSetup(data, true);
    check(worksheet_repeat_rows(data, L::kHeaderRow, L::kHeaderRow), "print titles");
    worksheet_fit_to_pages(data, 1, 0);

    // The chart page: S to AH, one A4 landscape page.
    const int left = L::kChartPageColumn;
    const auto col = [&](int i) { return static_cast<lxw_col_t>(left + i); };
    worksheet_set_column_pixels(data, col(0), col(L::kChartPageColumns - 1), 80, nullptr);
    worksheet_set_row_pixels(data, 1, 30, nullptr);
    check(worksheet_merge_range(data, 0, col(0), 1, col(8), kind.title, st.title), "title");
    stampBoxes(data, st, 0, left + L::kChartPageColumns - 3);
    identityBlock(wb, data, st, left);

    // What the charts draw, written by the program: headed, outside the printed pages.
    const char* plotHeads[L::kPlotColumns] = {"ロット№", "X 線", "X 点", "X 異常", "X CL", "X UCL", "X LCL", "上限規格", "下限規格",
                                             "ばらつき 線", "ばらつき 点", "ばらつき 異常", "ばらつき CL", "ばらつき UCL", "ばらつき LCL"};
    check(worksheet_write_string(data, 0, L::kLineNameColumn - 1, "凡例", st.label), "legend names");
    for (int c = 0; c < L::kPlotColumns; ++c)
        check(worksheet_write_string(data, L::kHeaderRow, static_cast<lxw_col_t>(L::kPlotColumn + c), plotHeads[c], st.header), "plot heading");

    const auto name = [&](int i) { return "='" + ds + "'!" + absolute(i, L::kLineNameColumn); };
    const auto plot = [&](int c) { return area(ds, L::kFirstDataRow, L::kPlotColumn + c, kLastPlotRow, L::kPlotColumn + c); };
    const std::string lots = plot(L::kPlotCategory);

    // Series in the order the program counts them (ReportLayout.h): the joining line, the points,
    // the centre line and limits, the marked points, then the specification limits.
    auto pointSeries = [&](lxw_chart* chart, int column, const char* legend) {
        lxw_chart_series* s = lineSeries(chart, lots, plot(column), legend, kMeanLine, 1.5, LXW_CHART_LINE_DASH_SOLID, true);
        lxw_chart_line none{};
        none.none = 1;
        chart_series_set_line(s, &none);
    };
    lxw_chart* xChart = workbook_add_chart(wb, LXW_CHART_LINE);
    lineSeries(xChart, lots, plot(L::kPlotXLine), kind.xAxis, kMeanLine, 1.5, LXW_CHART_LINE_DASH_SOLID, false);
    pointSeries(xChart, L::kPlotXPoint, kind.xAxis);
    lineSeries(xChart, lots, plot(L::kPlotXCentre), name(L::kXCentreName).c_str(), kCentreLine, 1.25, LXW_CHART_LINE_DASH_SOLID, false);
    lineSeries(xChart, lots, plot(L::kPlotXUcl), name(L::kXUclName).c_str(), kLimitLine, 1.25, LXW_CHART_LINE_DASH_DASH, false);
    lineSeries(xChart, lots, plot(L::kPlotXLcl), name(L::kXLclName).c_str(), kLimitLine, 1.25, LXW_CHART_LINE_DASH_DASH, false);
    markedSeries(xChart, lots, plot(L::kPlotXMarked), name(L::kMarkedName));
    specSeries(xChart, lots, plot(L::kPlotSpecUpper));
    specSeries(xChart, lots, plot(L::kPlotSpecLower));
    int16_t hidden[] = {0, 6, 7, -1};
    chart_legend_delete_series(xChart, hidden);
    styleLineChart(xChart, kind.xChart, kind.xAxis);

    lxw_chart* dChart = workbook_add_chart(wb, LXW_CHART_LINE);
    lineSeries(dChart, lots, plot(L::kPlotDLine), kind.dAxis, kMeanLine, 1.5, LXW_CHART_LINE_DASH_SOLID, false);
    pointSeries(dChart, L::kPlotDPoint, kind.dAxis);
    lineSeries(dChart, lots, plot(L::kPlotDCentre), name(L::kDispersionCentreName).c_str(), kCentreLine, 1.25, LXW_CHART_LINE_DASH_SOLID, false);
    lineSeries(dChart, lots, plot(L::kPlotDUcl), name(L::kDispersionUclName).c_str(), kLimitLine, 1.25, LXW_CHART_LINE_DASH_DASH, false);
    markedSeries(dChart, lots, plot(L::kPlotDMarked), name(L::kMarkedName));
    lineSeries(dChart, lots, plot(L::kPlotDLcl), name(L::kDispersionLclName).c_str(), kLimitLine, 1.25, LXW_CHART_LINE_DASH_DASH, false);
    static_assert(L::kDispersionLclSeries == 5, "the dispersion chart's lower limit is its sixth series");
    int16_t hiddenD[] = {0, L::kDispersionLclSeries, -1};
    chart_legend_delete_series(dChart, hiddenD);
    styleLineChart(dChart, kind.dChart, kind.dAxis);

    // Both charts span the page: 16 columns of 80 pixels.
    lxw_chart_options placement{};
    placement.x_scale = (L::kChartPageColumns * 80.0 - 8) / 480.0;
    placement.y_scale = 396.0 / 288.0;
    placement.x_offset = 4;
    placement.y_offset = 4;
    check(worksheet_insert_chart_opt(data, 7, col(0), xChart, &placement), "chart");
    check(worksheet_insert_chart_opt(data, 27, col(0), dChart, &placement), "chart");
    worksheet_write_string(data, L::kChartPageRows - 1, col(0),
                           "※ 赤い点は異常判定のルールに該当したロットです。管理図係数法ではロットごとの管理限界を階段状に描きます。", st.note);

    // The program sets the print area: the chart page first, then the rows it filled.
    worksheet_set_selection(data, 2, col(1), 2, col(1));
    worksheet_activate(data);

    check(workbook_close(wb), kind.file);
}
// ---- histogram ----

lxw_chart_series* scatterSeries(lxw_chart* chart, const std::string& sheet, int column, int points, lxw_color_t colour, double width,
                                uint8_t dash)
{
    const std::string xs = "=" + area(sheet, layout::kSeriesRow + 1, column, layout::kSeriesRow + points, column);
    const std::string ys = "=" + area(sheet, layout::kSeriesRow + 1, column + 1, layout::kSeriesRow + points, column + 1);
    lxw_chart_series* s = chart_add_series(chart, xs.c_str(), ys.c_str());
    chart_series_set_name(s, ("='" + sheet + "'!" + absolute(0, column + 1)).c_str());
    lxw_chart_line line{};
    line.color = colour;
    line.width = static_cast<float>(width);
    line.dash_type = dash;
    chart_series_set_line(s, &line);
    chart_series_set_marker_type(s, LXW_CHART_MARKER_NONE);
    return s;
}

void writeHistogramTemplate(const std::string& folder)
{
    lxw_workbook* wb = workbook_new((folder + "/Histogram.xlsx").c_str());
    if (!wb) {
        std::fprintf(stderr, "make_report_templates: cannot create Histogram.xlsx\n");
        failed = true;
        return;
    }
    const Styles st = makeStyles(wb);
    const std::string dataSheet = "測定データ", tableSheet = "集計";
    lxw_worksheet* data = workbook_add_worksheet(wb, dataSheet.c_str());
    lxw_worksheet* table = workbook_add_worksheet(wb, tableSheet.c_str());

    // Worksheet 1: the measurements, one row per lot, then the chart page from column CX.
    worksheet_set_column_pixels(data, 0, 99, 56, nullptr);
    worksheet_set_column_pixels(data, 100, 100, 24, nullptr);
    pageSetup(data, true);
    worksheet_fit_to_pages(data, 1, 0);
    check(worksheet_set_header(data, (std::string("&L&\"") + kFont + ",Bold\"ヒストグラム").c_str()), "header");
    check(worksheet_set_footer(data, "&C&P / &N"), "footer");

    const int left = layout::kHistogramPageColumn;
    const auto col = [&](int i) { return static_cast<lxw_col_t>(left + i); };
    worksheet_set_column_pixels(data, col(0), col(10), 72, nullptr);
    const int box = layout::kBoxColumn, boxValue = layout::kBoxValueColumn, boxEnd = left + layout::kHistogramPageColumns - 1;
    worksheet_set_column_pixels(data, static_cast<lxw_col_t>(box), static_cast<lxw_col_t>(boxEnd), 78, nullptr);
    worksheet_set_row_pixels(data, 1, 30, nullptr);
    check(worksheet_merge_range(data, 0, col(0), 1, col(8), "ヒストグラム", st.title), "title");
    stampBoxes(data, st, 0, boxEnd - 2);
    identityBlock(wb, data, st, left);

    // The capability box and the class table, right of the chart; the program writes them.
    lxw_format* boxNumber = boxed(wb);
    format_set_align(boxNumber, LXW_ALIGN_RIGHT);
    const auto c = [](int column) { return static_cast<lxw_col_t>(column); };
    check(worksheet_merge_range(data, layout::kBoxRow - 1, c(box), layout::kBoxRow - 1, c(boxEnd), "工程能力", st.header), "box");
    for (int r = 0; r < layout::kBoxLines; ++r) {
        const auto row = static_cast<lxw_row_t>(layout::kBoxRow + r);
        check(worksheet_merge_range(data, row, c(box), row, c(boxValue - 1), "", st.label), "box");
        check(worksheet_merge_range(data, row, c(boxValue), row, c(boxEnd), "", boxNumber), "box");
    }
    const char* classHeads[] = {"区間", "下限", "上限", "度数"};
    for (int i = 0; i < 4; ++i) worksheet_write_string(data, layout::kPageClassRow, c(layout::kPageClassColumn + i), classHeads[i], st.header);
    for (int r = 1; r <= layout::kMaxClasses; ++r)
        for (int i = 0; i < 4; ++i) worksheet_write_blank(data, static_cast<lxw_row_t>(layout::kPageClassRow + r), c(layout::kPageClassColumn + i), boxNumber);

    // Worksheet 2: the class count (B19), and what the program writes from the data.
    worksheet_set_column_pixels(table, 0, 0, 120, nullptr);
    worksheet_set_column_pixels(table, 1, 3, 90, nullptr);
    worksheet_set_column_pixels(table, layout::kSeriesColumn, layout::kSeriesColumn + layout::kSeriesColumns - 1, 80, nullptr);
    check(worksheet_write_string(table, 0, 0, "集計（ヒストグラムの元データ）", st.title), "title");
    check(worksheet_merge_range(table, layout::kStatsRow - 1, 0, layout::kStatsRow - 1, 1, "基本統計量", st.header), "stats");
    worksheet_write_string(table, layout::kClassCountRow, layout::kClassCountColumn - 1, "区間数", st.label);
    check(worksheet_write_number(table, layout::kClassCountRow, layout::kClassCountColumn, 10, st.input), "class count"); // B19, written by the program
    for (int c = 0; c < 4; ++c) worksheet_write_string(table, layout::kClassRow, static_cast<lxw_col_t>(c), classHeads[c], st.header);
    worksheet_write_string(table, layout::kClassRow + layout::kMaxClasses + 1, 0, "※ 下限以上・上限未満を数えます。", st.note);
    const char* seriesHeads[] = {"外形 x", "度数", "曲線 x", "正規分布", "上限 x", "上限規格", "下限 x", "下限規格", "平均 x", "平均値"};
    for (int c = 0; c < layout::kSeriesColumns; ++c)
        worksheet_write_string(table, 0, static_cast<lxw_col_t>(layout::kSeriesColumn + c), seriesHeads[c], st.header);
    pageSetup(table, true);
    worksheet_fit_to_pages(table, 1, 0);

    // One scatter chart: the bars as outlines over their class boundaries, the normal curve,
    // the spec limits and the mean as vertical lines.
    lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_SCATTER_STRAIGHT);
    const int c0 = layout::kSeriesColumn;
    scatterSeries(chart, tableSheet, c0 + layout::kOutlineSeries, layout::kOutlinePoints, kBars, 2.0, LXW_CHART_LINE_DASH_SOLID);
    scatterSeries(chart, tableSheet, c0 + layout::kCurveSeries, layout::kCurveRows, 0xC00000, 1.75, LXW_CHART_LINE_DASH_SOLID);
    scatterSeries(chart, tableSheet, c0 + layout::kUpperSpecSeries, 2, 0x7030A0, 2.0, LXW_CHART_LINE_DASH_LONG_DASH_DOT);
    scatterSeries(chart, tableSheet, c0 + layout::kLowerSpecSeries, 2, 0x7030A0, 2.0, LXW_CHART_LINE_DASH_LONG_DASH_DOT);
    scatterSeries(chart, tableSheet, c0 + layout::kMeanSeries, 2, kCentreLine, 1.25, LXW_CHART_LINE_DASH_DASH);
    chart_title_set_name(chart, "度数分布");
    lxw_chart_font titleFont = chartFont(12, true);
    chart_title_set_name_font(chart, &titleFont);
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    lxw_chart_font legendFont = chartFont(9);
    chart_legend_set_font(chart, &legendFont);
    lxw_chart_axis* x = chart_axis_get(chart, LXW_CHART_AXIS_TYPE_X);
    chart_axis_set_name(x, "測定値");
    lxw_chart_font axisTitle = chartFont(9, true);
    lxw_chart_font axisNumbers = chartFont(8);
    chart_axis_set_name_font(x, &axisTitle);
    chart_axis_set_num_font(x, &axisNumbers);
    lxw_chart_axis* y = chart_axis_get(chart, LXW_CHART_AXIS_TYPE_Y);
    chart_axis_set_name(y, "度数");
    lxw_chart_font yTitle = chartFont(9, true, 360);
    chart_axis_set_name_font(y, &yTitle);
    chart_axis_set_num_font(y, &axisNumbers);
    chart_axis_set_min(y, 0);
    lxw_chart_line grid{};
    grid.color = kGridGrey;
    grid.width = 0.75f;
    chart_axis_major_gridlines_set_line(y, &grid);
    lxw_chart_line frame{};
    frame.color = 0xBFBFBF;
    chart_chartarea_set_line(chart, &frame);

    lxw_chart_options placement{};
    placement.x_scale = (11 * 72.0 - 12) / 480.0;
    placement.y_scale = 560.0 / 288.0;
    placement.x_offset = 4;
    placement.y_offset = 6;
    check(worksheet_insert_chart_opt(data, static_cast<lxw_row_t>(layout::kIdentityRow + layout::kIdentityRows), col(0), chart, &placement), "chart");
    worksheet_write_string(data, layout::kHistogramPageRows - 1, col(0),
                           "※ 区間は [下限, 上限)。幅は測定単位の倍数、最初の境界は最小値より半単位下です。", st.note);
    worksheet_set_selection(data, 2, col(1), 2, col(1));
    worksheet_activate(data);

    check(workbook_close(wb), "Histogram.xlsx");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_report_templates <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const ControlChartKind& kind : kControlCharts) writeControlChartTemplate(folder, kind);
    writeHistogramTemplate(folder);
    return failed ? 1 : 0;
}
