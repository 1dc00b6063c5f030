// The chart data against the grids of a real judgement: points, limits, zone lines and red
// marks of the control chart for every chart kind, and the histogram's classes.
#include "judge/Capability.h"
#include "judge/ChartData.h"
#include "judge/ControlLimits.h"
#include "judge/HistogramClasses.h"
#include "judge/SpcJudgement.h"
#include "model/NumberText.h"
#include "TestSheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using namespace judge;
using judge::testing::TestSheet;
using judge::testing::q;

namespace {

// One sheet judged the way the window judges it, its result and SPC grids filled.
struct JudgedSheet {
    TestSheet sheet;
    model::CellTable calc, spc;
    int calcRows = 0;
    ControlLimitTexts limits;
    ChartKind chart = ChartKind::XbarR;

    explicit JudgedSheet(int measurements) : sheet(measurements) {}

    void judge(ChartKind kind, std::optional<ControlLimitTexts> specified = std::nullopt)
    {
        chart = kind;
        limits = specified ? *specified : *computeControlLimits(sheet.view(), kind);
        CapabilitySettings cs;
        cs.limits = readSpecLimits(SpecKind::Tolerance, u"11", u"9");
        cs.chart = kind;
        cs.thresholdText = q("1.33");
        const CapabilityResult cap = judgeCapability(sheet.view(), cs);
        ASSERT_FALSE(cap.error);
        calc.clearRows(1);
        for (size_t i = 0; i < cap.rows.size(); ++i)
            for (int c = 0; c < kCalcColumns; ++c) calc.setText(c, int(i) + 1, cap.rows[i][size_t(c)]);
        calcRows = cap.rowCount.value_or(0);
        const SpcResult spcResult = judgeSpc(cap.rows, kind, limits, model::RuleOptions::defaults());
        ASSERT_FALSE(spcResult.error);
        writeRows(spc, spcResult);
    }

    ChartInput input() const
    {
        ChartInput in;
        in.judged = true;
        in.calc = &calc;
        in.calcRowCount = calcRows;
        in.spc = &spc;
        in.limits = limits;
        in.chart = chart;
        in.cells = &sheet.cells;
        in.lots = &sheet.lots;
        in.lotCount = sheet.lotCount;
        in.measurementCount = sheet.measurementCount;
        in.specUpper = q("11");
        in.specLower = q("9");
        in.item = q("外径");
        in.unit = q("MM");
        return in;
    }
    int lotRows() const { return calcRows - 2; }
    const QString& total(int col) const { return calc.text(col, calcRows - 1); }
};

double number(const QString& t) { return model::parseNumber(t); }

const GuideLine* find(const std::vector<GuideLine>& lines, GuideKind kind)
{
    for (const GuideLine& l : lines)
        if (l.kind == kind) return &l;
    return nullptr;
}

std::vector<double> zoneValues(const ControlPanel& p)
{
    std::vector<double> v;
    for (const GuideLine& l : p.lines)
        if (l.kind == GuideKind::Zone) v.push_back(l.value);
    std::sort(v.begin(), v.end());
    return v;
}

// Twelve lots whose means rise for eight lots (rule ③ on the X side) and whose spread, or
// moving range, grows with them (rule ③ on the dispersion side); lot 10 is disabled and
// leaves no row.
JudgedSheet risingSheet(ChartKind kind)
{
    const bool single = kind == ChartKind::XRs;
    JudgedSheet j(single ? 1 : 3);
    for (int i = 1; i <= 12; ++i) {
        const double rising = single ? 10.0 + 0.005 * i * (i + 1) : 10.0 + 0.01 * i * i;
        const double m = i <= 8 ? rising : 10.2 - 0.03 * i;
        const double d = 0.01 * (i <= 8 ? i : 12 - i);
        if (single) j.sheet.values({m}, i != 10);
        else j.sheet.values({m - d, m, m + 2 * d}, i != 10);
    }
    j.judge(kind);
    return j;
}

// The mean of the lot standard deviations as the result grid shows them, a blank one as 0.
double meanLotStdev(const JudgedSheet& j)
{
    double sum = 0.0;
    for (int r = 1; r <= j.lotRows(); ++r) {
        const QString& t = j.calc.text(kCalcStdev, r);
        sum += t.isEmpty() ? 0.0 : number(t);
    }
    return sum / j.lotRows();
}

// `centre`: the centre line expected when it is not the total row's `centreColumn`.
void expectPanelFollowsGrids(const JudgedSheet& j, const ControlPanel& p, int valueColumn, int centreColumn,
                             int firstRuleColumn, const QString& upper, const QString* lower,
                             std::optional<double> expectedCentre = std::nullopt)
{
    ASSERT_EQ(int(p.points.size()), j.lotRows());
    int marked = 0;
    for (int r = 1; r <= j.lotRows(); ++r) {
        const ChartPoint& pt = p.points[size_t(r - 1)];
        const QString& text = j.calc.text(valueColumn, r);
        EXPECT_DOUBLE_EQ(pt.value, text.isEmpty() ? 0.0 : number(text)) << r;
        std::vector<int> expected;
        for (int rule = 1; rule <= 8; ++rule)
            if (j.spc.text(firstRuleColumn + rule - 1, r) == u"×") expected.push_back(rule);
        EXPECT_EQ(pt.rules, expected) << r;
        EXPECT_TRUE(pt.tip.startsWith(j.calc.text(kCalcLot, r))) << pt.tip.toStdString();
        if (pt.marked()) ++marked;
    }
    EXPECT_GT(marked, 0) << "the sheet must make the rules mark some lot";

    const double centre = expectedCentre ? *expectedCentre : number(j.total(centreColumn));
    ASSERT_TRUE(find(p.lines, GuideKind::Centre));
    EXPECT_NEAR(find(p.lines, GuideKind::Centre)->value, centre, 1e-12);
    EXPECT_DOUBLE_EQ(find(p.lines, GuideKind::Upper)->value, number(upper));
    EXPECT_EQ(find(p.lines, GuideKind::Upper)->label, "UCL = " + upper);
    if (lower) EXPECT_DOUBLE_EQ(find(p.lines, GuideKind::Lower)->value, number(*lower));
    else EXPECT_FALSE(find(p.lines, GuideKind::Lower));

    // Zone lines at one and two sigma of all values around the centre line; none below 0
    // on the dispersion side.
    const double sigma = number(j.total(kCalcStdev));
    std::vector<double> zones;
    for (int k : {-2, -1, 1, 2})
        if (lower || centre + k * sigma >= 0.0) zones.push_back(centre + k * sigma);
    const std::vector<double> got = zoneValues(p);
    ASSERT_EQ(got.size(), zones.size());
    for (size_t i = 0; i < zones.size(); ++i) EXPECT_NEAR(got[i], zones[i], 1e-12);

    for (const ChartPoint& pt : p.points) EXPECT_TRUE(pt.value >= p.low && pt.value <= p.high);
    for (const GuideLine& l : p.lines) EXPECT_TRUE(l.value >= p.low && l.value <= p.high) << l.label.toStdString();
}

} // namespace

TEST(ChartData, ControlChartFollowsTheGridsForEveryChartKind)
{
    struct Kind {
        ChartKind kind;
        int dispersionColumn;
        const char* title;
    };
    for (const Kind& k : {Kind{ChartKind::XbarR, kCalcRange, "外径　R管理図"}, Kind{ChartKind::XbarS, kCalcStdev, "外径　S管理図"},
                          Kind{ChartKind::XRs, kCalcRange, "外径　Rs管理図"}}) {
        SCOPED_TRACE(k.title);
        const JudgedSheet j = risingSheet(k.kind);
        ASSERT_EQ(j.lotRows(), 11);
        const ChartSet set = buildCharts(j.input());
        ASSERT_TRUE(set.control.message.isEmpty()) << set.control.message.toStdString();
        ASSERT_EQ(set.control.lots.size(), 11);
        for (int r = 1; r <= 11; ++r) EXPECT_EQ(set.control.lots[r - 1], j.calc.text(kCalcLot, r));
        EXPECT_EQ(set.control.lots[9], "K011"); // the disabled lot 10 left no row
        EXPECT_EQ(set.control.x.title, "外径　X管理図");
        // X-Rs plots single measurements, the other kinds lot means.
        EXPECT_EQ(set.control.x.axisTitle, k.kind == ChartKind::XRs ? q("測定値 (MM)") : q("平均値 (MM)"));
        EXPECT_EQ(set.control.dispersion.title, q(k.title));
        expectPanelFollowsGrids(j, set.control.x, kCalcMean, kCalcMean, kSpcFirstX, j.limits.ucl, &j.limits.lcl);
        // The dispersion chart's centre line is the one its rules judge around: the total
        // row's R, or S̄ (the mean of the lot standard deviations) for XbarS.
        expectPanelFollowsGrids(j, set.control.dispersion, k.dispersionColumn, k.dispersionColumn,
                                kSpcFirstDispersion, j.limits.rsUcl, nullptr,
                                k.kind == ChartKind::XbarS ? std::optional(meanLotStdev(j)) : std::nullopt);
        EXPECT_EQ(set.control.dispersion.low, 0.0);
    }
}

TEST(ChartData, MarkedPointsNameTheirRulesAndStaleMarksAreNotShown)
{
    // Specified limits that lot 3's mean exceeds: rule ① marks it on the X side.
    JudgedSheet j(3);
    for (int i = 1; i <= 6; ++i)
        j.sheet.values(i == 3 ? std::vector<double>{10.6, 10.7, 10.8} : std::vector<double>{9.9, 10.0, 10.1});
    j.judge(ChartKind::XbarR, ControlLimitTexts{q("10.5"), q("9.5"), q("0.5")});
    ChartSet set = buildCharts(j.input());
    const ChartPoint& p = set.control.x.points[2];
    EXPECT_EQ(p.rules, std::vector<int>{1});
    EXPECT_EQ(p.tip, "K003　X = 10.70000\n異常判定ルール：①");
    EXPECT_EQ(set.control.x.points[1].tip, "K002　X = 10.00000");
    EXPECT_EQ(find(set.control.x.lines, GuideKind::Lower)->label, "LCL = 9.5");

    // SPC marks that belong to an earlier judgement are not drawn.
    ChartInput stale = j.input();
    stale.spc = nullptr;
    set = buildCharts(stale);
    for (const ChartPoint& pt : set.control.x.points) EXPECT_FALSE(pt.marked());
}

TEST(ChartData, WithoutACapabilityResultBothChartsAskForAJudgement)
{
    JudgedSheet j(3);
    j.sheet.values({9.9, 10.0, 10.1}).values({10.0, 10.2, 10.1});
    j.judge(ChartKind::XbarR);

    ChartInput in = j.input();
    in.judged = false;
    ChartSet set = buildCharts(in);
    EXPECT_EQ(set.control.message, q("判定を実行してください。"));
    EXPECT_EQ(set.histogram.message, "判定を実行してください。");

    // A layout change reset the result grid's row count: the last row is no total row.
    in = j.input();
    in.calcRowCount = 11;
    EXPECT_EQ(buildCharts(in).control.message, q("判定を実行してください。"));

    // One value in the whole sheet: the total row holds only its label.
    JudgedSheet one(3);
    one.sheet.values({10.0});
    CapabilitySettings cs;
    cs.limits = readSpecLimits(SpecKind::Tolerance, u"11", u"9");
    const CapabilityResult cap = judgeCapability(one.sheet.view(), cs);
    for (size_t i = 0; i < cap.rows.size(); ++i)
        for (int c = 0; c < kCalcColumns; ++c) one.calc.setText(c, int(i) + 1, cap.rows[i][size_t(c)]);
    one.calcRows = *cap.rowCount;
    set = buildCharts(one.input());
    EXPECT_EQ(set.control.message, q("判定を実行してください。"));
    EXPECT_EQ(set.histogram.message, q("判定を実行してください。"));
}

TEST(ChartData, ALimitTextThatIsNotANumberIsReportedInTheControlChartOnly)
{
    JudgedSheet j(3);
    j.sheet.values({9.9, 10.0, 10.1}).values({10.0, 10.2, 10.1});
    j.judge(ChartKind::XbarR);
    ChartInput in = j.input();
    in.limits.lcl = q("9,5");
    const ChartSet set = buildCharts(in);
    EXPECT_EQ(set.control.message, "'9,5' は浮動小数点数ではありません");
    EXPECT_TRUE(set.histogram.message.isEmpty());
    EXPECT_EQ(set.histogram.classes.size(), 10u);
}

TEST(ChartData, OneHundredLotsReachTheTotalRowInRow101)
{
    JudgedSheet j(2);
    for (int i = 1; i <= 100; ++i) j.sheet.values({10.0 + (i % 7) * 0.01, 10.0 - (i % 5) * 0.01});
    j.judge(ChartKind::XbarR);
    ASSERT_EQ(j.calcRows, 102);
    const ChartSet set = buildCharts(j.input());
    ASSERT_TRUE(set.control.message.isEmpty());
    EXPECT_EQ(set.control.x.points.size(), 100u);
    EXPECT_EQ(set.control.lots.back(), "K100");
    EXPECT_DOUBLE_EQ(find(set.control.x.lines, GuideKind::Centre)->value, number(j.total(kCalcMean)));
}

TEST(ChartData, HistogramCountsTheEnabledLotsInUnitAlignedClasses)
{
    JudgedSheet j(3);
    j.sheet.lot({"9.800", "10.000", "10.200"}).lot({"12.000", "8.000"}, false).lot({"10.000", "10.400"});
    j.judge(ChartKind::XbarR);
    ChartInput in = j.input();
    in.classCount = 10;
    const ChartSet set = buildCharts(in);
    const Histogram& h = set.histogram;
    ASSERT_TRUE(h.message.isEmpty());
    // 9.8 to 10.4 is 601 readings of 0.001: classes of 61 units from half a unit below 9.8.
    ASSERT_EQ(h.classes.size(), 10u);
    EXPECT_NEAR(h.classes.front().lower, 9.7995, 1e-9);
    EXPECT_NEAR(h.classes.back().upper, 10.4095, 1e-9);
    std::vector<int> counts;
    for (const HistogramClass& c : h.classes) {
        EXPECT_NEAR(c.upper - c.lower, 0.061, 1e-9);
        counts.push_back(c.count);
    }
    EXPECT_EQ(counts, (std::vector<int>{1, 0, 0, 2, 0, 0, 1, 0, 0, 1})); // the disabled lot is not counted

    EXPECT_EQ(h.caption, "N = 5　平均 = 10.08000　σ = 0.22804　CP = 1.462　CPK = 1.345");
    EXPECT_EQ(h.title, "外径　ヒストグラム");
    ASSERT_TRUE(find(h.lines, GuideKind::Upper) && find(h.lines, GuideKind::Lower));
    EXPECT_EQ(find(h.lines, GuideKind::Upper)->label, "規格上限 = 11.000");
    EXPECT_EQ(find(h.lines, GuideKind::Lower)->value, 9.0);
    EXPECT_LE(h.low, 9.0);
    EXPECT_GE(h.high, 11.0);

    // The normal curve of the total row's mean and sigma, scaled to 5 values in classes of 0.061.
    ASSERT_FALSE(h.curve.empty());
    const auto peak = std::max_element(h.curve.begin(), h.curve.end(), [](auto& a, auto& b) { return a.y < b.y; });
    EXPECT_NEAR(peak->x, 10.08, (h.high - h.low) / 100);
    EXPECT_NEAR(peak->y, 5 * 0.061 / (0.22804 * std::sqrt(2 * M_PI)), 1e-3);
    EXPECT_GE(h.top, peak->y);
    EXPECT_GE(h.top, 2.0);

    // One-sided specifications draw only their own limit.
    in.specKind = SpecKind::UpperOnly;
    in.specLower = QString();
    const Histogram upperOnly = buildCharts(in).histogram;
    EXPECT_TRUE(find(upperOnly.lines, GuideKind::Upper));
    EXPECT_FALSE(find(upperOnly.lines, GuideKind::Lower));
}

TEST(HistogramClasses, EqualValuesEdgesAndSpansTooWideForUnits)
{
    // All equal: one unit per class, the value in the first, from half a unit below it.
    auto c = histogramClasses(std::vector<double>{10.0, 10.0, 10.0}, 5, 3);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].count, 3);
    EXPECT_NEAR(c[0].lower, 9.9995, 1e-9);
    EXPECT_NEAR(c[4].upper, 10.0045, 1e-9);

    // A value with more decimals than the sheet's lies on an edge and counts in the upper class.
    c = histogramClasses(std::vector<double>{1.0, 1.5, 2.0}, 5, 0);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_NEAR(c[1].lower, 1.5, 1e-12);
    EXPECT_EQ(c[0].count, 1);
    EXPECT_EQ(c[1].count, 2);

    // Plain classes for a span no unit count can hold; the largest value in the last class.
    c = histogramClasses(std::vector<double>{-1e300, 0.0, 1e300}, 5, 5);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].count, 1);
    EXPECT_EQ(c[2].count, 1);
    EXPECT_EQ(c[4].count, 1);
    c = histogramClasses(std::vector<double>{-1.7e308, 1.7e308}, 5, 3); // the span itself overflows
    EXPECT_EQ(c[0].count + c[4].count, 2);
    EXPECT_FALSE(std::isnan(c[0].upper));

    EXPECT_TRUE(histogramClasses({}, 5, 3).empty());
    EXPECT_TRUE(normalCurve(10.0, 0.0, 5, 0.1, 9.0, 11.0, 50).empty()); // no spread, no curve
}

TEST(HistogramClasses, EveryClassIsAWholeNumberOfUnitsAndHoldsAsManyPossibleReadings)
{
    struct Case {
        int minUnits, maxUnits, digits, classes;
    };
    // 5.66 to 6.36 (a width of 0.071 would make a comb), 9.800 to 10.400 (0.0601), one reading
    // short of and one past a multiple of the class count, and a single unit of spread.
    for (const Case& k : {Case{566, 636, 2, 10}, Case{9800, 10400, 3, 10}, Case{100, 149, 1, 5}, Case{100, 150, 1, 5},
                          Case{-25, 25, 0, 7}, Case{31, 32, 2, 6}}) {
        SCOPED_TRACE(::testing::Message() << k.minUnits << ".." << k.maxUnits << " /10^" << k.digits << " in " << k.classes);
        const double unit = std::pow(10.0, -k.digits);
        // Readings spread over the span by a fixed stride, both ends included.
        std::vector<long> readings{k.minUnits, k.maxUnits};
        for (long r = k.minUnits; r <= k.maxUnits; r += 7) readings.push_back(r);
        std::vector<double> values;
        for (long r : readings) values.push_back(model::parseNumber(model::formatFixed(r * unit, k.digits)));

        // The smallest width w (in units) with classes * w >= span + 1 unit, counted in whole numbers.
        long w = 1;
        while (long(k.classes) * w < k.maxUnits - k.minUnits + 1) ++w;
        std::vector<int> expected(size_t(k.classes), 0);
        for (long r : readings) ++expected[size_t((r - k.minUnits) / w)];

        const std::vector<HistogramClass> c = histogramClasses(values, k.classes, k.digits);
        ASSERT_EQ(c.size(), size_t(k.classes));
        EXPECT_NEAR(c.front().lower, (k.minUnits - 0.5) * unit, unit * 1e-6);
        std::vector<int> counts;
        for (size_t i = 0; i < c.size(); ++i) {
            EXPECT_NEAR(c[i].lower, (k.minUnits - 0.5 + double(i) * w) * unit, unit * 1e-6) << i;
            EXPECT_NEAR(c[i].upper - c[i].lower, w * unit, unit * 1e-6) << i;
            // Every possible reading of the covered range falls in exactly one class, w in each.
            int possible = 0;
            for (long r = k.minUnits - 1; r <= k.minUnits + long(k.classes) * w; ++r)
                if (r * unit >= c[i].lower && r * unit < c[i].upper) ++possible;
            EXPECT_EQ(possible, w) << i;
            counts.push_back(c[i].count);
        }
        EXPECT_EQ(counts, expected);
    }
}

TEST(ChartData, TheSChartIsCentredOnTheMeanLotDeviationBelowASpecifiedLimitAboveIt)
{
    // Lots that scatter little within themselves (s = 0.04 to 0.06, 0.05 on average) but far
    // between one another: all values together spread more than the S-UCL of 0.08.
    JudgedSheet j(3);
    for (int i = 1; i <= 10; ++i) {
        const double m = 10.0 + (i % 5 - 2) * 0.08;
        const double d = 0.04 + (i % 3) * 0.01;
        j.sheet.values({m - d, m, m + d});
    }
    j.judge(ChartKind::XbarS, ControlLimitTexts{q("10.5"), q("9.5"), q("0.08")});
    ASSERT_GT(number(j.total(kCalcStdev)), 0.08); // the old centre line lay above the S-UCL
    const ControlPanel s = buildCharts(j.input()).control.dispersion;
    const GuideLine* centre = find(s.lines, GuideKind::Centre);
    ASSERT_TRUE(centre);
    EXPECT_NEAR(centre->value, 0.05, 1e-5);
    EXPECT_EQ(centre->label, "CL = 0.05000");
    EXPECT_LT(centre->value, find(s.lines, GuideKind::Upper)->value);
    // Points on both sides of it.
    int below = 0, above = 0;
    for (const ChartPoint& p : s.points) (p.value < centre->value ? below : above) += 1;
    EXPECT_GT(below, 0);
    EXPECT_GT(above, 0);
}
