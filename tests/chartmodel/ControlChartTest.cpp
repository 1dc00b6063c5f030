// The control chart and the histogram of the chart model against the grids of a real judgement:
// points, limits, zone lines and marks for every chart kind and limit method, and the classes.
#include "JudgedSheet.h"

#include "chartmodel/ChartModel.h"
#include "judge/Capability.h"
#include "judge/SpcJudgement.h"
#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace chartmodel;
using judge::ChartKind;
using judge::LimitMethod;
using test_support::JudgedSheet;
using test_support::sheetOf;

namespace {

using Lots = std::vector<std::pair<QStringList, bool>>;

QStringList texts(std::initializer_list<double> values)
{
    QStringList out;
    for (double v : values) out << model::formatFixed(v, 3);
    return out;
}

double number(const QString& t) { return model::parseNumber(t); }

int lotRows(const JudgedSheet& j) { return j.view.calcRowCount - 2; }
const QString& total(const JudgedSheet& j, int column) { return j.view.calc.text(column, j.view.calcRowCount - 1); }

std::vector<double> zoneValues(const ControlPanel& p)
{
    std::vector<double> v;
    for (const GuideLine& l : p.lines)
        if (l.kind == LineKind::Zone) v.push_back(*l.value);
    std::sort(v.begin(), v.end());
    return v;
}

// Twelve lots whose means rise for eight lots (rule ③ on the X side) and whose spread, or
// moving range, grows with them (rule ③ on the dispersion side); lot 10 is disabled.
JudgedSheet risingSheet(ChartKind kind)
{
    const bool single = kind == ChartKind::XRs;
    Lots lots;
    for (int i = 1; i <= 12; ++i) {
        const double rising = single ? 10.0 + 0.005 * i * (i + 1) : 10.0 + 0.01 * i * i;
        const double m = i <= 8 ? rising : 10.2 - 0.03 * i;
        const double d = 0.01 * (i <= 8 ? i : 12 - i);
        lots.push_back({single ? texts({m}) : texts({m - d, m, m + 2 * d}), i != 10});
    }
    return JudgedSheet(sheetOf(lots, single ? 1 : 3, QStringLiteral("外径")), kind);
}

// The points of a panel against the result grid's column and the SPC grid's marks.
void expectPointsFollowTheGrids(const JudgedSheet& j, const ControlPanel& p, int valueColumn, int firstRuleColumn)
{
    ASSERT_EQ(int(p.points.size()), lotRows(j));
    int marked = 0;
    for (int r = 1; r <= lotRows(j); ++r) {
        const ChartPoint& pt = p.points[size_t(r - 1)];
        if (!pt.value) continue;
        const QString& text = j.view.calc.text(valueColumn, r);
        EXPECT_DOUBLE_EQ(*pt.value, text.isEmpty() ? 0.0 : number(text)) << r;
        std::vector<int> expected;
        for (int rule = 1; rule <= 8; ++rule)
            if (j.view.spc.text(firstRuleColumn + rule - 1, r) == u"×") expected.push_back(rule);
        EXPECT_EQ(pt.rules, expected) << r;
        EXPECT_TRUE(pt.tip.startsWith(j.view.calc.text(judge::kCalcLot, r))) << pt.tip.toStdString();
        if (pt.marked()) ++marked;
    }
    EXPECT_GT(marked, 0) << "the sheet must make the rules mark some lot";
    for (const ChartPoint& pt : p.points)
        if (pt.value) {
            EXPECT_TRUE(*pt.value >= p.range.min && *pt.value <= p.range.max);
        }
    for (const GuideLine& l : p.lines) EXPECT_TRUE(*l.value >= p.range.min && *l.value <= p.range.max) << l.label().toStdString();
}

// Zone lines at one and two sigma of all values around the centre line; none below 0 on the
// dispersion side.
void expectZones(const JudgedSheet& j, const ControlPanel& p, double centre, bool dispersion)
{
    const double sigma = number(total(j, judge::kCalcStdev));
    std::vector<double> zones;
    for (int k : {-2, -1, 1, 2})
        if (!dispersion || centre + k * sigma >= 0.0) zones.push_back(centre + k * sigma);
    const std::vector<double> got = zoneValues(p);
    ASSERT_EQ(got.size(), zones.size());
    for (size_t i = 0; i < zones.size(); ++i) EXPECT_NEAR(got[i], zones[i], 1e-12);
}

} // namespace

TEST(ControlChart, FollowsTheGridsForEveryChartKind)
{
    struct Kind {
        ChartKind kind;
        int dispersionColumn;
        const char* title;
    };
    for (const Kind& k : {Kind{ChartKind::XbarR, judge::kCalcRange, "外径　R管理図"}, Kind{ChartKind::XbarS, judge::kCalcStdev, "外径　S管理図"},
                          Kind{ChartKind::XRs, judge::kCalcRange, "外径　Rs管理図"}}) {
        SCOPED_TRACE(k.title);
        const JudgedSheet j = risingSheet(k.kind);
        ASSERT_EQ(lotRows(j), 11);
        const ControlChart c = controlChart(j.view);
        ASSERT_TRUE(c.message.isEmpty()) << c.message.toStdString();
        ASSERT_EQ(c.lots.size(), 11);
        EXPECT_EQ(c.lots[9], "K011"); // the disabled lot 10 left no row
        EXPECT_EQ(c.x.title, "外径　X管理図");
        // X-Rs plots single measurements, the other kinds lot means.
        EXPECT_EQ(c.x.axisTitle, k.kind == ChartKind::XRs ? QStringLiteral("測定値 (mm)") : QStringLiteral("平均値 (mm)"));
        EXPECT_EQ(c.dispersion.title, QString::fromUtf8(k.title));
        expectPointsFollowTheGrids(j, c.x, judge::kCalcMean, judge::kSpcFirstX);
        expectPointsFollowTheGrids(j, c.dispersion, k.dispersionColumn, judge::kSpcFirstDispersion);

        const double xCentre = number(total(j, judge::kCalcMean));
        EXPECT_DOUBLE_EQ(*c.x.line(LineKind::Centre)->value, xCentre);
        EXPECT_EQ(c.x.line(LineKind::Upper)->label(), "UCL = " + j.view.ucl);
        EXPECT_DOUBLE_EQ(*c.x.line(LineKind::Lower)->value, number(j.view.lcl));
        expectZones(j, c.x, xCentre, false);

        // The dispersion's centre line is the one its rules judge around: the total row's R, or
        // S̄ (the mean of the lot standard deviations, a blank one as 0) for XbarS.
        double centre = number(total(j, judge::kCalcRange));
        if (k.kind == ChartKind::XbarS) {
            centre = 0;
            for (int r = 1; r <= 11; ++r) centre += j.view.calc.text(judge::kCalcStdev, r).isEmpty() ? 0.0 : number(j.view.calc.text(judge::kCalcStdev, r)) / 11;
        }
        EXPECT_NEAR(*c.dispersion.line(LineKind::Centre)->value, centre, 1e-12);
        EXPECT_DOUBLE_EQ(*c.dispersion.line(LineKind::Upper)->value, number(j.view.rsUcl));
        EXPECT_FALSE(c.dispersion.line(LineKind::Lower));
        expectZones(j, c.dispersion, centre, true);
        EXPECT_EQ(c.dispersion.range.min, 0.0);
        // A moving range needs a lot before it: the first lot of X-Rs has no dispersion point.
        EXPECT_EQ(c.dispersion.points.front().value.has_value(), k.kind != ChartKind::XRs);
        // X-Rs compares single values with the specification limits on its X chart.
        EXPECT_EQ(c.x.line(LineKind::SpecUpper) != nullptr, k.kind == ChartKind::XRs);
    }
}

TEST(ControlChart, ALotOfOneValueHasNoDispersionPointAndTheLinesBreakThere)
{
    // Lots of 4, 3 and 1 values among lots of 5, one disabled (as GS-002 to GS-005 of the sample).
    Lots lots;
    for (int i = 1; i <= 8; ++i) {
        const double m = 10.0 + 0.01 * (i % 3);
        QStringList cells = texts({m - 0.02, m, m + 0.01, m + 0.03, m - 0.01});
        if (i == 2) cells = cells.mid(0, 4);
        if (i == 3) cells = cells.mid(0, 3);
        if (i == 4) cells = cells.mid(0, 1);
        lots.push_back({cells, i != 5});
    }
    for (LimitMethod method : {LimitMethod::Standard, LimitMethod::ThreeSigma}) {
        for (ChartKind kind : {ChartKind::XbarR, ChartKind::XbarS}) {
            SCOPED_TRACE(int(kind) * 10 + int(method));
            const JudgedSheet j(sheetOf(lots, 5), kind, method);
            ASSERT_FALSE(j.view.spcResult.isEmpty());
            const ControlChart c = controlChart(j.view);
            ASSERT_EQ(c.lots, (QStringList{"K001", "K002", "K003", "K004", "K006", "K007", "K008"}));
            const ControlPanel& d = c.dispersion;
            // K004 has one value: no R or S to draw; every other lot has its point.
            for (size_t i = 0; i < d.points.size(); ++i) EXPECT_EQ(d.points[i].value.has_value(), i != 3) << i;
            EXPECT_TRUE(d.points[3].text.isEmpty());
            EXPECT_TRUE(c.x.points[3].value.has_value());
            if (method == LimitMethod::Standard) {
                // Each lot's own limits, broken at K004 on the dispersion side; its X limits the widest.
                ASSERT_EQ(c.lotLimits.size(), 7u);
                for (LineKind kind : {LineKind::Centre, LineKind::Upper}) {
                    const GuideLine* l = d.line(kind);
                    ASSERT_TRUE(l && l->stepped());
                    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(std::isfinite(l->steps[i]), i != 3) << i;
                }
                const std::vector<double>& ucl = c.x.line(LineKind::Upper)->steps;
                EXPECT_EQ(*std::max_element(ucl.begin(), ucl.end()), ucl[3]);
                EXPECT_GT(ucl[2], ucl[0]); // 3 values: wider than 5
                // The legend's centre line is the nominal lot size's, from the same estimate as the steps.
                EXPECT_DOUBLE_EQ(*d.line(LineKind::Centre)->value, d.line(LineKind::Centre)->steps[0]);
            } else {
                // The Part's centre line stays as the grids define it (the one-value lot counts).
                const double centre = *d.line(LineKind::Centre)->value;
                if (kind == ChartKind::XbarR) {
                    EXPECT_DOUBLE_EQ(centre, number(total(j, judge::kCalcRange)));
                }
                EXPECT_FALSE(d.line(LineKind::Upper)->stepped());
            }
        }
    }
}

TEST(ControlChart, MarkedPointsNameTheirRulesAndMarksOfOtherRowsAreNotShown)
{
    // Specified limits that lot 3's mean exceeds: rule ① marks it on the X side.
    Lots lots;
    for (int i = 1; i <= 6; ++i) lots.push_back({i == 3 ? texts({10.6, 10.7, 10.8}) : texts({9.9, 10.0, 10.1}), true});
    JudgedSheet j(sheetOf(lots, 3, QStringLiteral("外径")), ChartKind::XbarR, LimitMethod::Specified,
                  {QStringLiteral("10.5"), QStringLiteral("9.5"), QStringLiteral("0.5")});
    ControlChart c = controlChart(j.view);
    EXPECT_EQ(c.x.points[2].rules, std::vector<int>{1});
    EXPECT_EQ(c.x.points[2].tip, "K003　X = 10.70000\n異常判定ルール：①");
    EXPECT_EQ(c.x.points[1].tip, "K002　X = 10.00000");
    EXPECT_EQ(c.x.line(LineKind::Lower)->label(), "LCL = 9.5");

    // Marks of an earlier judgement, or of other rows, are not drawn.
    sheetview::SheetView stale = j.view;
    stale.spcJudged = false;
    for (const ChartPoint& pt : controlChart(stale).x.points) EXPECT_FALSE(pt.marked());
    stale = j.view;
    stale.spc.setText(judge::kSpcLot, 3, QStringLiteral("K099"));
    for (const ChartPoint& pt : controlChart(stale).x.points) EXPECT_FALSE(pt.marked());

    // A limit typed after the judgement that is no number is the chart's error, not the histogram's.
    j.view.lcl = QStringLiteral("9,5");
    const ChartModel m = buildChartModel(j.view, 10, QDateTime::currentDateTime());
    EXPECT_EQ(m.control.message, "'9,5' は浮動小数点数ではありません");
    ASSERT_TRUE(m.control.error);
    EXPECT_TRUE(m.histogram.message.isEmpty());
}

TEST(ControlChart, WithoutAResultEveryChartAsksForAJudgement)
{
    Lots lots{{texts({9.9, 10.0, 10.1}), true}, {texts({10.0, 10.2, 10.1}), true}};
    JudgedSheet j(sheetOf(lots, 3));
    sheetview::SheetView view = j.view;
    view.capabilityResult.clear();
    ChartModel m = buildChartModel(view, 10, QDateTime::currentDateTime());
    for (const QString& message : {m.control.message, m.histogram.message, m.study.message}) EXPECT_EQ(message, "判定を実行してください。");

    // A layout change reset the result grid's row count: the last row is no total row.
    view = j.view;
    view.calcRowCount = 11;
    EXPECT_EQ(controlChart(view).message, "判定を実行してください。");

    // One value in the whole sheet gives no result.
    const JudgedSheet one(sheetOf({{texts({10.0}), true}}, 3));
    EXPECT_EQ(controlChart(one.view).message, "判定を実行してください。");
}

TEST(ControlChart, TheSChartIsCentredOnTheMeanLotDeviationBelowASpecifiedLimitAboveIt)
{
    // Lots that scatter little within themselves (s = 0.04 to 0.06, 0.05 on average) but far
    // between one another: all values together spread more than the S-UCL of 0.08.
    Lots lots;
    for (int i = 1; i <= 10; ++i) {
        const double m = 10.0 + (i % 5 - 2) * 0.08;
        const double d = 0.04 + (i % 3) * 0.01;
        lots.push_back({texts({m - d, m, m + d}), true});
    }
    const JudgedSheet j(sheetOf(lots, 3), ChartKind::XbarS, LimitMethod::Specified,
                        {QStringLiteral("10.5"), QStringLiteral("9.5"), QStringLiteral("0.08")});
    ASSERT_GT(number(total(j, judge::kCalcStdev)), 0.08); // the spread of all values lies above the S-UCL
    const ControlPanel s = controlChart(j.view).dispersion;
    const GuideLine* centre = s.line(LineKind::Centre);
    ASSERT_TRUE(centre);
    EXPECT_NEAR(*centre->value, 0.05, 1e-5);
    EXPECT_EQ(centre->label(), "CL = 0.05000");
    int below = 0, above = 0;
    for (const ChartPoint& p : s.points) (*p.value < *centre->value ? below : above) += 1;
    EXPECT_GT(below, 0);
    EXPECT_GT(above, 0);
}

TEST(Histogram, CountsTheEnabledLotsInUnitAlignedClassesAndNamesTheGridsIndices)
{
    const JudgedSheet j(sheetOf({{{"9.800", "10.000", "10.200"}, true}, {{"12.000", "8.000"}, false}, {{"10.000", "10.400"}, true}}, 3,
                                QStringLiteral("外径")));
    const ChartModel m = buildChartModel(j.view, 10, QDateTime::currentDateTime());
    const Histogram& h = m.histogram;
    ASSERT_TRUE(h.message.isEmpty());
    // 9.8 to 10.4 is 601 readings of 0.001: classes of 61 units from half a unit below 9.8.
    ASSERT_EQ(h.classes.size(), 10u);
    EXPECT_NEAR(h.classes.front().lower, 9.7995, 1e-9);
    std::vector<int> counts;
    for (const judge::HistogramClass& c : h.classes) counts.push_back(c.count);
    EXPECT_EQ(counts, (std::vector<int>{1, 0, 0, 2, 0, 0, 1, 0, 0, 1})); // the disabled lot is not counted

    // The grid's CP and CPK stand on the sigma of all values, and say so.
    const QString cp = total(j, judge::kCalcCp), cpk = total(j, judge::kCalcCpk);
    EXPECT_EQ(h.caption, QStringLiteral("N = 5　平均 = 10.08000　σ (全体) = 0.22804　CP (全体σ) = %1　CPK (全体σ) = %2").arg(cp, cpk));
    EXPECT_EQ(h.title, "外径　ヒストグラム");
    EXPECT_EQ(h.axisTitle, "測定値 (mm)");
    EXPECT_EQ(h.lines.front().label(), "平均 = 10.08000");
    EXPECT_LE(h.valueRange.min, 9.5);
    EXPECT_GE(h.valueRange.max, 10.5);

    // The normal curve of the values' mean and sigma, scaled to 5 values in classes of 0.061.
    ASSERT_EQ(h.curve.size(), size_t(kCurvePoints));
    const auto peak = std::max_element(h.curve.begin(), h.curve.end(), [](auto& a, auto& b) { return a.y < b.y; });
    EXPECT_NEAR(peak->x, 10.08, (h.valueRange.max - h.valueRange.min) / 100);
    EXPECT_NEAR(peak->y, 5 * 0.061 / (0.22804 * std::sqrt(2 * M_PI)), 1e-3);
    EXPECT_GE(h.countRange.max, peak->y);

    // The report's box shows CP and Pp (equal) once, under both names.
    ASSERT_EQ(h.box.size(), 11u);
    EXPECT_EQ(h.box[3], (std::pair<QString, QString>{"CP・Pp (全体σ)", cp}));
    EXPECT_EQ(h.box[4], (std::pair<QString, QString>{"CPK・Ppk (全体σ)", cpk}));
    EXPECT_EQ(h.box[5].first, "σ (群内: R̄/d2)"); // the XbarR chart's own estimator
    for (const auto& [label, value] : h.box) EXPECT_FALSE(label.startsWith(QStringLiteral("Pp"))) << label.toStdString();
}
