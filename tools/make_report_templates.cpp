// Writes the report templates the program fills: XbarR.xlsx, XbarS.xlsx, X-Rs.xlsx and
// Histogram.xlsx, into the folder given as the only argument. Run at build time.
//
// Control chart workbooks: worksheet 1 takes the lot numbers (A), the lot means (B) and the lot
// dispersion (F) in rows 2 to 102, the centre line and limits of the means in C2 to E2 and those
// of the dispersion in G2 and H2. Rows 3 to 102 of C to E and G to H repeat row 2 by formula, so
// the limit lines run along every data row; every chart series, formula and conditional format
// points into rows 2 to 102, so deleting the unused rows with shift up leaves them covering
// exactly the filled rows. Worksheet 2 is the printable page with both charts.
//
// Histogram workbook: worksheet 1 takes the raw measurements from A1 (at most 100 x 100),
// worksheet 2 the number of classes in B19. Worksheet 2 derives the classes and their counts
// with formulas and shows them in a column chart. Spreadsheet programs cannot size a chart
// series by formula, so the chart plots a fixed row of narrow slots (hidden worksheet 3): each
// class fills an equal share of the slots, with a few empty slots at its edges as the gap
// between bars, and the class boundaries label the slots where classes begin.
#include <xlsxwriter.h>

#include <cstdio>
#include <string>

namespace {

const char* const kFont = "ＭＳ Ｐゴシック";
constexpr int kLastDataRow = 101; // row 102, zero-based
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
    chart_axis_set_num_font(x, &axisNumbers);
    chart_axis_set_major_tick_mark(x, LXW_CHART_AXIS_TICK_MARK_OUTSIDE);

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
    lxw_worksheet* page = workbook_add_worksheet(wb, kChartSheet);
    const std::string ds = kDataSheet;
    const std::string dSym = kind.dSymbol;

    // Worksheet 1: the table the program fills.
    const std::string heads[8] = {"ロット№",
                                  kind.xValue,
                                  "中心線\nCL",
                                  "上方管理限界\nUCL",
                                  "下方管理限界\nLCL",
                                  kind.dValue,
                                  dSym + " 中心線\nCL",
                                  dSym + " 上方管理限界\nUCL"};
    worksheet_set_row_pixels(data, 0, 40, nullptr);
    worksheet_set_column_pixels(data, 0, 0, 80, nullptr);
    worksheet_set_column_pixels(data, 1, 7, 96, nullptr);
    for (int c = 0; c < 8; ++c) check(worksheet_write_string(data, 0, static_cast<lxw_col_t>(c), heads[c].c_str(), st.header), "heading");
    for (int r = 1; r <= kLastDataRow; ++r) {
        const auto row = static_cast<lxw_row_t>(r);
        worksheet_write_blank(data, row, 0, st.text);
        worksheet_write_blank(data, row, 1, st.number);
        worksheet_write_blank(data, row, 5, st.number);
        if (r == 1) {
            for (int c : {2, 3, 4, 6, 7}) worksheet_write_blank(data, row, static_cast<lxw_col_t>(c), st.number);
            continue;
        }
        for (int c : {2, 3, 4, 6, 7}) {
            char f[8];
            std::snprintf(f, sizeof f, "=%c$2", 'A' + c);
            check(worksheet_write_formula(data, row, static_cast<lxw_col_t>(c), f, st.derived), "line formula");
        }
    }
    // Points outside the limits stand out in the table too.
    {
        lxw_conditional_format cf{};
        cf.type = LXW_CONDITIONAL_TYPE_FORMULA;
        cf.value_string = const_cast<char*>("=AND(ISNUMBER(B2),OR(B2>$D$2,B2<$E$2))");
        cf.format = st.red;
        check(worksheet_conditional_format_range(data, 1, 1, kLastDataRow, 1, &cf), "conditional format");
        lxw_conditional_format cd{};
        cd.type = LXW_CONDITIONAL_TYPE_FORMULA;
        cd.value_string = const_cast<char*>("=AND(ISNUMBER(F2),F2>$H$2)");
        cd.format = st.red;
        check(worksheet_conditional_format_range(data, 1, 5, kLastDataRow, 5, &cd), "conditional format");
    }
    worksheet_freeze_panes(data, 1, 0);
    pageSetup(data, false);
    check(worksheet_repeat_rows(data, 0, 0), "print titles");
    worksheet_fit_to_pages(data, 1, 0);
    check(worksheet_set_header(data, (std::string("&L&\"") + kFont + ",Bold\"" + kind.title + "　統計データ").c_str()), "header");
    check(worksheet_set_footer(data, "&C&P / &N"), "footer");

    // Worksheet 2: the page handed over, title, limits and both charts.
    worksheet_set_column_pixels(page, 0, 0, 118, nullptr);
    worksheet_set_column_pixels(page, 1, 12, 80, nullptr);
    worksheet_set_row_pixels(page, 0, 24, nullptr);
    worksheet_set_row_pixels(page, 1, 40, nullptr);
    worksheet_gridlines(page, LXW_HIDE_ALL_GRIDLINES);
    check(worksheet_merge_range(page, 0, 0, 1, 6, kind.title, st.title), "title");
    stampBoxes(page, st, 0, 10);

    const std::string means = area(ds, 1, 1, kLastDataRow, 1);
    const std::string disp = area(ds, 1, 5, kLastDataRow, 5);
    const std::string lots = area(ds, 1, 0, kLastDataRow, 0);
    const auto ref = [&](int col) { return "='" + ds + "'!" + absolute(1, col); };
    worksheet_set_row_pixels(page, 3, 36, nullptr);
    const char* tableHeads[] = {"", "中心線\nCL", "上方管理限界\nUCL", "下方管理限界\nLCL", "限界外の点"};
    for (int c = 0; c < 5; ++c) worksheet_write_string(page, 3, static_cast<lxw_col_t>(c), tableHeads[c], st.header);
    const std::string xRow = std::string(kind.xChart).substr(0, std::string(kind.xChart).find("（"));
    const std::string dRow = std::string(kind.dChart).substr(0, std::string(kind.dChart).find("（"));
    worksheet_write_string(page, 4, 0, xRow.c_str(), st.label);
    worksheet_write_formula(page, 4, 1, ref(2).c_str(), st.number);
    worksheet_write_formula(page, 4, 2, ref(3).c_str(), st.number);
    worksheet_write_formula(page, 4, 3, ref(4).c_str(), st.number);
    worksheet_write_formula(page, 4, 4,
                           ("=COUNTIF(" + means + ",\">\"&'" + ds + "'!$D$2)+COUNTIF(" + means + ",\"<\"&'" + ds + "'!$E$2)").c_str(),
                           st.count);
    worksheet_write_string(page, 5, 0, dRow.c_str(), st.label);
    worksheet_write_formula(page, 5, 1, ref(6).c_str(), st.number);
    worksheet_write_formula(page, 5, 2, ref(7).c_str(), st.number);
    worksheet_write_string(page, 5, 3, "－", st.plain);
    worksheet_write_formula(page, 5, 4, ("=COUNTIF(" + disp + ",\">\"&'" + ds + "'!$H$2)").c_str(), st.count);
    worksheet_write_string(page, 3, 6, "ロット数", st.header);
    check(worksheet_merge_range(page, 4, 6, 5, 6, "", st.count), "lot count");
    worksheet_write_formula(page, 4, 6, ("=COUNT(" + means + ")").c_str(), st.count);

    lxw_chart* xChart = workbook_add_chart(wb, LXW_CHART_LINE);
    lineSeries(xChart, lots, means, kind.xAxis, kMeanLine, 1.5, LXW_CHART_LINE_DASH_SOLID, true);
    lineSeries(xChart, lots, area(ds, 1, 2, kLastDataRow, 2), "中心線 CL", kCentreLine, 1.25, LXW_CHART_LINE_DASH_SOLID, false);
    lineSeries(xChart, lots, area(ds, 1, 3, kLastDataRow, 3), "UCL", kLimitLine, 1.25, LXW_CHART_LINE_DASH_DASH, false);
    lineSeries(xChart, lots, area(ds, 1, 4, kLastDataRow, 4), "LCL", kLimitLine, 1.25, LXW_CHART_LINE_DASH_DASH, false);
    styleLineChart(xChart, kind.xChart, kind.xAxis);

    lxw_chart* dChart = workbook_add_chart(wb, LXW_CHART_LINE);
    lineSeries(dChart, lots, disp, kind.dAxis, kMeanLine, 1.5, LXW_CHART_LINE_DASH_SOLID, true);
    lineSeries(dChart, lots, area(ds, 1, 6, kLastDataRow, 6), "中心線 CL", kCentreLine, 1.25, LXW_CHART_LINE_DASH_SOLID, false);
    lineSeries(dChart, lots, area(ds, 1, 7, kLastDataRow, 7), "UCL", kLimitLine, 1.25, LXW_CHART_LINE_DASH_DASH, false);
    styleLineChart(dChart, kind.dChart, kind.dAxis);

    // Both charts span the page's width: column A (118) + 12 columns of 80 pixels.
    lxw_chart_options placement{};
    placement.x_scale = (118.0 + 12 * 80) / 480.0;
    placement.y_scale = 340.0 / 288.0;
    placement.y_offset = 6;
    check(worksheet_insert_chart_opt(page, 7, 0, xChart, &placement), "chart");
    check(worksheet_insert_chart_opt(page, 25, 0, dChart, &placement), "chart");
    worksheet_write_string(page, 43, 0, "※ 数値とグラフは「統計データ」シートの値から作られます。", st.note);

    pageSetup(page, true);
    check(worksheet_print_area(page, 0, 0, 43, 12), "print area");
    worksheet_fit_to_pages(page, 1, 1);
    worksheet_activate(page);

    check(workbook_close(wb), kind.file);
}

// ---- histogram ----

constexpr int kSlots = 360;       // chart slots; 5, 6, 8, 9 and 10 classes divide them evenly
constexpr int kMaxClasses = 10;
constexpr int kClassTop = 23;     // first class row, zero-based (row 24)

void writeHistogramTemplate(const std::string& folder)
{
    lxw_workbook* wb = workbook_new((folder + "/Histogram.xlsx").c_str());
    if (!wb) {
        std::fprintf(stderr, "make_report_templates: cannot create Histogram.xlsx\n");
        failed = true;
        return;
    }
    const Styles st = makeStyles(wb);
    lxw_worksheet* data = workbook_add_worksheet(wb, "測定データ");
    lxw_worksheet* page = workbook_add_worksheet(wb, "ヒストグラム");
    lxw_worksheet* calc = workbook_add_worksheet(wb, "計算");
    const std::string values = area("測定データ", 0, 0, 99, 100 - 1);
    const std::string hs = "'ヒストグラム'!";
    const std::string cs = "'計算'!";

    // Worksheet 1: the measurements, one row per lot.
    worksheet_set_column_pixels(data, 0, 99, 64, nullptr);
    pageSetup(data, true);
    check(worksheet_set_header(data, (std::string("&L&\"") + kFont + ",Bold\"ヒストグラム　測定データ").c_str()), "header");
    check(worksheet_set_footer(data, "&C&P / &N"), "footer");

    // Worksheet 3 (hidden), first cells: the class count in use, the boundary digits and format.
    //   H1  classes: B19 of worksheet 2 as a whole number from 1 to 10, 10 when it is no number
    //   H2  digits of the class boundaries: enough to tell the class width to two figures
    //   H3  the TEXT format of the boundaries
    check(worksheet_write_formula(calc, 0, 7, ("=IF(ISNUMBER(" + hs + "$B$19),MAX(1,MIN(10,INT(" + hs + "$B$19))),10)").c_str(), nullptr), "calc");
    check(worksheet_write_formula(calc, 1, 7, ("=MIN(6,MAX(0,1-INT(LOG10(" + hs + "$B$20))))").c_str(), nullptr), "calc");
    check(worksheet_write_formula(calc, 2, 7, "=IF(H2=0,\"0\",\"0.\"&REPT(\"0\",H2))", nullptr), "calc");

    // Worksheet 2: statistics, class settings, the class table and the chart.
    worksheet_set_column_pixels(page, 0, 0, 104, nullptr);
    worksheet_set_column_pixels(page, 1, 2, 86, nullptr);
    worksheet_set_column_pixels(page, 3, 3, 58, nullptr);
    worksheet_set_column_pixels(page, 4, 4, 16, nullptr);
    worksheet_set_column_pixels(page, 5, 14, 70, nullptr);
    worksheet_set_row_pixels(page, 0, 24, nullptr);
    worksheet_set_row_pixels(page, 1, 40, nullptr);
    worksheet_gridlines(page, LXW_HIDE_ALL_GRIDLINES);
    check(worksheet_merge_range(page, 0, 0, 1, 8, "ヒストグラム", st.title), "title");
    stampBoxes(page, st, 0, 12);

    check(worksheet_merge_range(page, 3, 0, 3, 1, "基本統計量", st.header), "stats");
    struct Stat {
        const char* label;
        std::string formula;
        lxw_format* format;
    };
    lxw_format* shape = boxed(wb);
    format_set_num_format(shape, "0.000");
    lxw_format* counted = boxed(wb);
    format_set_num_format(counted, "0");
    const Stat stats[] = {
        {"データ数 N", "=COUNT(" + values + ")", counted},
        {"平均値", "=IF(B5>0,AVERAGE(" + values + "),\"\")", st.number},
        {"標準偏差 σ", "=IF(B5>1,STDEV(" + values + "),\"\")", st.number},
        {"最大値", "=IF(B5>0,MAX(" + values + "),\"\")", st.number},
        {"最小値", "=IF(B5>0,MIN(" + values + "),\"\")", st.number},
        {"範囲 R", "=IF(B5>0,B8-B9,\"\")", st.number},
        {"中央値", "=IF(B5>0,MEDIAN(" + values + "),\"\")", st.number},
        {"平均値＋3σ", "=IF(B5>1,B6+3*B7,\"\")", st.number},
        {"平均値－3σ", "=IF(B5>1,B6-3*B7,\"\")", st.number},
        {"歪度", "=IF(AND(B5>2,N(B7)>0),SKEW(" + values + "),\"\")", shape},
        {"尖度", "=IF(AND(B5>3,N(B7)>0),KURT(" + values + "),\"\")", shape},
    };
    int row = 4;
    for (const Stat& s : stats) {
        worksheet_write_string(page, static_cast<lxw_row_t>(row), 0, s.label, st.label);
        check(worksheet_write_formula(page, static_cast<lxw_row_t>(row), 1, s.formula.c_str(), s.format), "stat");
        ++row;
    }

    check(worksheet_merge_range(page, 17, 0, 17, 1, "区間の設定", st.header), "classes");
    worksheet_write_string(page, 18, 0, "区間数", st.label);
    check(worksheet_write_number(page, 18, 1, 10, st.input), "class count"); // B19, written by the program
    worksheet_write_string(page, 19, 0, "区間幅", st.label);
    // An empty or constant sample still gets classes: one unit centred on its value.
    check(worksheet_write_formula(page, 19, 1, ("=IF(N(B10)>0,B10,1)/" + cs + "$H$1").c_str(), st.number), "width");
    worksheet_write_string(page, 20, 0, "最初の下限", st.label);
    check(worksheet_write_formula(page, 20, 1, "=IF(N(B10)>0,B9,N(B9)-0.5)", st.number), "start");

    // The class boundaries as numbers (worksheet 3, J and K), rounded to the digits shown; the
    // table shows them as texts of exactly those digits. The first class takes everything below
    // its upper boundary and the last everything from its lower one, so every value counts once.
    const std::string k = cs + "$H$1";
    const std::string fmt = cs + "$H$3";
    for (int i = 1; i <= kMaxClasses; ++i) {
        const auto r = static_cast<lxw_row_t>(i - 1);
        const std::string n = std::to_string(i), in = "IF(" + n + ">$H$1,\"\",";
        worksheet_write_formula(calc, r, 9, ("=" + in + "ROUND(" + hs + "$B$21+" + std::to_string(i - 1) + "*" + hs + "$B$20,$H$2))").c_str(), nullptr);
        worksheet_write_formula(calc, r, 10, ("=" + in + "ROUND(" + hs + "$B$21+" + n + "*" + hs + "$B$20,$H$2))").c_str(), nullptr);
    }
    const char* classHeads[] = {"区間", "下限", "上限", "度数"};
    for (int c = 0; c < 4; ++c) worksheet_write_string(page, kClassTop - 1, static_cast<lxw_col_t>(c), classHeads[c], st.header);
    lxw_format* boundary = boxed(wb);
    format_set_align(boundary, LXW_ALIGN_RIGHT);
    for (int i = 1; i <= kMaxClasses; ++i) {
        const auto r = static_cast<lxw_row_t>(kClassTop + i - 1);
        const std::string n = std::to_string(i), in = "IF(" + n + ">" + k + ",\"\",";
        const std::string lower = cs + "$J$" + n, upper = cs + "$K$" + n;
        worksheet_write_formula(page, r, 0, ("=" + in + n + ")").c_str(), st.plain);
        worksheet_write_formula(page, r, 1, ("=" + in + "TEXT(" + lower + "," + fmt + "))").c_str(), boundary);
        worksheet_write_formula(page, r, 2, ("=" + in + "TEXT(" + upper + "," + fmt + "))").c_str(), boundary);
        const std::string count = "=" + in + "IF(" + k + "=1,COUNT(" + values + "),IF(" + n + "=1,COUNTIF(" + values + ",\"<\"&" + upper +
                                  "),IF(" + n + "=" + k + ",COUNTIF(" + values + ",\">=\"&" + lower + "),COUNTIFS(" + values + ",\">=\"&" + lower +
                                  "," + values + ",\"<\"&" + upper + ")))))";
        check(worksheet_write_formula(page, r, 3, count.c_str(), st.count), "count");
    }
    worksheet_write_string(page, kClassTop + kMaxClasses, 0, "※ 下限以上・上限未満を数えます（最後の区間は最大値を含みます）。", st.note);
    worksheet_write_string(page, kClassTop + kMaxClasses + 1, 0, "※ 区間数（B19）を 5～10 に変えると、区間・度数・グラフが計算し直されます。", st.note);

    // Worksheet 3, the chart's slots, one row each:
    //   A class of the slot, B its first slot, C the class's slot count, D bar height (0 in the
    //   gap at the class's edges), E category text (boundary where a class begins, the last
    //   boundary on the last slot), F count label in the middle of the class (#N/A elsewhere).
    const std::string counts = hs + "$D$" + std::to_string(kClassTop + 1) + ":$D$" + std::to_string(kClassTop + kMaxClasses);
    const std::string slots = std::to_string(kSlots);
    for (int s = 0; s < kSlots; ++s) {
        const auto r = static_cast<lxw_row_t>(s);
        const std::string n = std::to_string(r + 1), sv = std::to_string(s);
        const std::string A = "A" + n, B = "B" + n, C = "C" + n, p = "(" + sv + "-" + B + ")";
        worksheet_write_formula(calc, r, 0, ("=MIN($H$1,INT(" + sv + "*$H$1/" + slots + ")+1)").c_str(), nullptr);
        worksheet_write_formula(calc, r, 1, ("=ROUNDUP((" + A + "-1)*" + slots + "/$H$1,0)").c_str(), nullptr);
        worksheet_write_formula(calc, r, 2, ("=ROUNDUP(" + A + "*" + slots + "/$H$1,0)-" + B).c_str(), nullptr);
        worksheet_write_formula(calc, r, 3,
                                ("=IF(OR(" + p + "<ROUND(" + C + "*0.06,0)," + p + ">=" + C + "-ROUND(" + C + "*0.06,0)),0,INDEX(" + counts + "," + A +
                                 "))")
                                    .c_str(),
                                nullptr);
        std::string label = "IF(" + p + "=0,TEXT(INDEX($J$1:$J$10," + A + "),$H$3),\"\")";
        if (s == kSlots - 1) label = "TEXT(INDEX($K$1:$K$10,$H$1),$H$3)";
        worksheet_write_formula(calc, r, 4, ("=" + label).c_str(), nullptr);
        worksheet_write_formula(calc, r, 5, ("=IF(" + p + "=INT(" + C + "/2),INDEX(" + counts + "," + A + "),NA())").c_str(), nullptr);
    }
    worksheet_hide(calc);

    lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_COLUMN);
    const std::string cats = "='計算'!$E$1:$E$" + slots;
    lxw_chart_series* bars = chart_add_series(chart, cats.c_str(), ("='計算'!$D$1:$D$" + slots).c_str());
    chart_series_set_name(bars, "度数");
    lxw_chart_fill fill{};
    fill.color = kBars;
    chart_series_set_fill(bars, &fill);
    lxw_chart_line noLine{};
    noLine.none = 1;
    chart_series_set_line(bars, &noLine);
    lxw_chart_series* labels = chart_add_series(chart, cats.c_str(), ("='計算'!$F$1:$F$" + slots).c_str());
    chart_series_set_name(labels, "度数（値）");
    lxw_chart_fill noFill{};
    noFill.none = 1;
    chart_series_set_fill(labels, &noFill);
    chart_series_set_line(labels, &noLine);
    chart_series_set_labels(labels);
    chart_series_set_labels_position(labels, LXW_CHART_LABEL_POSITION_OUTSIDE_END);
    lxw_chart_font labelFont = chartFont(9, true);
    chart_series_set_labels_font(labels, &labelFont);
    chart_set_series_gap(chart, 0);
    chart_set_series_overlap(chart, 100);

    chart_title_set_name(chart, "度数分布");
    lxw_chart_font titleFont = chartFont(12, true);
    chart_title_set_name_font(chart, &titleFont);
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    lxw_chart_axis* x = chart_axis_get(chart, LXW_CHART_AXIS_TYPE_X);
    chart_axis_set_name(x, "測定値（区間の境界）");
    lxw_chart_font axisTitle = chartFont(9, true);
    lxw_chart_font axisNumbers = chartFont(8);
    chart_axis_set_name_font(x, &axisTitle);
    chart_axis_set_num_font(x, &axisNumbers);
    chart_axis_set_major_tick_mark(x, LXW_CHART_AXIS_TICK_MARK_NONE);
    chart_axis_set_interval_unit(x, 1);
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
    placement.x_scale = (10 * 70.0) / 480.0;
    placement.y_scale = 680.0 / 288.0;
    check(worksheet_insert_chart_opt(page, 3, 5, chart, &placement), "chart");

    pageSetup(page, true);
    check(worksheet_print_area(page, 0, 0, 37, 14), "print area");
    worksheet_fit_to_pages(page, 1, 1);
    worksheet_activate(page);

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
