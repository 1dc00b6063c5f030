// The chart model built from a sheet view that the judgement chain has judged: each figure
// against a calculation of its own from the measurements.
#include "ImportedSheet.h"
#include "JudgedSheet.h"

#include "chartmodel/ChartModel.h"
#include "judge/Capability.h"
#include "model/NumberText.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cmath>

using namespace chartmodel;

namespace {

const QDateTime kMade(QDate(2026, 12, 7), QTime(17, 45, 2));

// A record entered and judged as "SPC異常判定" judges it.
struct Judged : test_support::JudgedSheet {
    Judged(model::SheetRecord r, int chart = 0, int method = 0, judge::ControlLimitTexts limits = {})
        : JudgedSheet(std::move(r), judge::chartKindFromIndex(chart), judge::limitMethodFromIndex(method), limits)
    {
        EXPECT_FALSE(view.spcResult.isEmpty());
    }
    ChartModel model(int classes = 10) const { return buildChartModel(view, classes, kMade); }
};

double sd(const std::vector<double>& v)
{
    double mean = 0, ss = 0;
    for (double x : v) mean += x / v.size();
    for (double x : v) ss += (x - mean) * (x - mean);
    return std::sqrt(ss / (v.size() - 1));
}

// Twelve lots of three; lot 5 disabled, lot 9 left empty, lot 11 far off on the X side.
model::SheetRecord twelveLots()
{
    model::SheetRecord r = test_support::importedSheet(QStringLiteral("軸外径"), {}, 12, 3);
    r.process = QStringLiteral("研削");
    r.device = QStringLiteral("G-2");
    for (int lot = 1; lot <= 12; ++lot) {
        const double m = lot == 11 ? 10.3 : 10.0 + (lot % 4 - 1.5) * 0.02;
        const double d = 0.01 * (1 + lot % 3);
        r.dataLines << (lot == 9 ? QStringLiteral("L%1,,,").arg(lot)
                                 : QStringLiteral("L%1,%2,%3,%4").arg(lot).arg(m - d, 0, 'f', 3).arg(m, 0, 'f', 3).arg(m + 2 * d, 0, 'f', 3));
        r.enableFlags << (lot == 5 ? "0" : "1");
    }
    return r;
}

std::vector<std::vector<double>> usedLots(const model::SheetRecord& r)
{
    std::vector<std::vector<double>> lots;
    for (int i = 0; i < r.dataLines.size(); ++i) {
        if (r.enableFlags[i] != u"1") continue;
        std::vector<double> v;
        for (const QString& t : r.dataLines[i].split(u',').mid(1))
            if (!t.isEmpty()) v.push_back(t.toDouble());
        if (!v.empty()) lots.push_back(v);
    }
    return lots;
}

} // namespace

TEST(ChartModel, TheIdentificationNamesTheSheetItsLimitsAndHowItWasJudged)
{
    model::SheetRecord r = twelveLots();
    Judged j(r, 1, 0);
    Identification id = j.model().identification;
    EXPECT_EQ(id.product, "P-100");
    EXPECT_EQ(id.process, QStringLiteral("研削"));
    EXPECT_EQ(id.device, "G-2");
    EXPECT_EQ(id.item, QStringLiteral("軸外径"));
    EXPECT_EQ(id.unit, "mm");
    EXPECT_EQ(id.specKind, QStringLiteral("公差規格"));
    EXPECT_EQ(id.specUpper, "10.500");
    EXPECT_EQ(id.specLower, "9.500");
    EXPECT_EQ(id.lotCount, 10); // twelve rows, one disabled and one empty
    EXPECT_EQ(id.measurementCount, 3);
    EXPECT_EQ(id.limitMethod, QStringLiteral("３シグマ法"));
    EXPECT_EQ(id.chartKind, QStringLiteral("XbarS管理図"));
    EXPECT_EQ(id.made, kMade);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(id.version).hasMatch()) << id.version.toStdString();

    // An upper limit alone: the lower one is not the report's to show.
    r.specKind = QStringLiteral("上限規格");
    Judged upper(r, 0, 2);
    id = upper.model().identification;
    EXPECT_EQ(id.specKind, QStringLiteral("上限規格"));
    EXPECT_EQ(id.specUpper, "10.500");
    EXPECT_EQ(id.specLower, "");
    EXPECT_EQ(id.limitMethod, QStringLiteral("管理図係数法"));
    EXPECT_EQ(id.chartKind, QStringLiteral("XbarR管理図"));

    // Every printed page carries it: "&" of a name stands for itself, and the whole stays
    // within what a spreadsheet program accepts, however long the names.
    id.product = QStringLiteral("A&B ") + QString(300, QChar(u'品'));
    const PageMargins m = pageMargins(id);
    EXPECT_TRUE(m.header.startsWith(QStringLiteral("&LA&&B "))) << m.header.toStdString();
    EXPECT_LE(m.header.size(), 255);
    EXPECT_TRUE(m.header.contains(QStringLiteral("&C軸外径 (mm)　上限規格　上限 10.500")));
    EXPECT_TRUE(m.footer.contains(QStringLiteral("&P / &N"))) << m.footer.toStdString();
    EXPECT_TRUE(m.footer.endsWith(QStringLiteral("&RQuorvane ") + id.version));
}

TEST(ChartModel, TheControlChartCarriesSBarTheRuleMarksAndEachLotsLimits)
{
    const model::SheetRecord r = twelveLots();
    const std::vector<std::vector<double>> lots = usedLots(r);
    Judged j(r, 1, 1, {QStringLiteral("10.2"), QStringLiteral("9.8"), QStringLiteral("0.05")});
    const ControlChart c = j.model().control;
    ASSERT_EQ(c.lots.size(), 10);
    EXPECT_EQ(c.lots[4], "L6");
    double sBar = 0;
    for (const auto& lot : lots) sBar += sd(lot) / lots.size();
    EXPECT_NEAR(*c.dispersion.line(LineKind::Centre)->value, sBar, 1e-5);
    EXPECT_EQ(*c.dispersion.line(LineKind::Upper)->value, 0.05);
    // Lot 11 (row 9) is beyond the specified X-UCL: rule ① marks it, and only it, on the X side.
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(c.x.points[i].marked(), i == 8) << i;
    EXPECT_TRUE(c.lotLimits.empty());

    // Under the chart constants every lot row has its own limits.
    Judged standard(r, 0, 2);
    EXPECT_EQ(standard.model().control.lotLimits.size(), 10u);
}

TEST(ChartModel, TheHistogramClassesTheEnabledValuesAndCarriesTheStudy)
{
    model::SheetRecord r = twelveLots();
    r.digits = QStringLiteral("2");
    Judged j(r);
    const ChartModel m = j.model(7);
    const Histogram& h = m.histogram;
    EXPECT_EQ(h.digits, 2);
    EXPECT_EQ(h.specKind, judge::SpecKind::Tolerance);
    EXPECT_EQ(h.specUpper, 10.5);
    EXPECT_EQ(h.specLower, 9.5);

    // The readings in hundredths, classed by hand: width w the least with 7 w >= span + 1.
    std::vector<long> units;
    for (const auto& lot : usedLots(r))
        for (double v : lot) units.push_back(std::lround(v * 100));
    const long lo = *std::min_element(units.begin(), units.end()), hi = *std::max_element(units.begin(), units.end());
    long w = 1;
    while (7 * w < hi - lo + 1) ++w;
    std::vector<int> counts(7, 0);
    for (long u : units) ++counts[size_t((u - lo) / w)];
    ASSERT_EQ(h.classes.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(h.classes[i].lower, (lo - 0.5 + double(i * w)) / 100, 1e-9) << i;
        EXPECT_EQ(h.classes[i].count, counts[i]) << i;
    }
    // The enabled lots' cells packed upwards, the rows after them empty.
    ASSERT_EQ(h.block.size(), 12);
    EXPECT_EQ(h.block[4].first(), j.view.cells.text(0, 6));
    EXPECT_EQ(h.block[11], QStringList(3, QString()));

    // The study's overall indices are the statistics grid's CP and CPK.
    ASSERT_TRUE(m.study.study);
    const judge::CapabilityStudy& st = *m.study.study;
    const int total = j.view.calcRowCount - 1;
    EXPECT_EQ(st.n, int(units.size()));
    EXPECT_EQ(model::formatFixed(*st.pp, 3), j.view.calc.text(judge::kCalcCp, total));
    EXPECT_EQ(model::formatFixed(*st.ppk, 3), j.view.calc.text(judge::kCalcCpk, total));
    // The study page's two curves over one axis, told apart by their names.
    EXPECT_EQ(m.study.histogram.curveName, QStringLiteral("正規分布 (全体σ)"));
    EXPECT_EQ(m.study.withinCurveName, QStringLiteral("正規分布 (群内σ)"));
    EXPECT_EQ(m.study.withinCurve.size(), m.study.histogram.curve.size());
}
