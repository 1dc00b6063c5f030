// The report model built from a sheet view that the judgement chain has judged: each figure
// against a calculation of its own from the measurements.
#include "ImportedSheet.h"
#include "ReportTestSupport.h"

#include "judge/Capability.h"
#include "model/NumberText.h"
#include "reports/ReportModel.h"
#include "sheetview/JudgementChain.h"
#include "sheetview/SheetEntry.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cmath>

using namespace reports;

namespace {

const QDateTime kMade(QDate(2026, 12, 7), QTime(17, 45, 2));

// A record entered and judged as "SPC異常判定" judges it.
struct Judged {
    model::SheetRecord record;
    sheetview::SheetView view;

    Judged(model::SheetRecord r, int chart = 0, int method = 0, judge::ControlLimitTexts limits = {})
        : record(std::move(r))
    {
        view = sheetview::enterSheet(record, model::AppSettings::defaults()).view;
        view.chart = judge::chartKindFromIndex(chart);
        view.limitMethod = judge::limitMethodFromIndex(method);
        if (method == 1) view.ucl = limits.ucl, view.lcl = limits.lcl, view.rsUcl = limits.rsUcl;
        sheetview::ChainReport report;
        const model::RuleOptions rules = model::RuleOptions::defaults();
        sheetview::judgeSpc(view, {&rules, &record}, report);
        EXPECT_FALSE(view.spcResult.isEmpty());
    }
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

TEST(ReportModel, TheIdentificationNamesTheSheetItsLimitsAndHowItWasJudged)
{
    model::SheetRecord r = twelveLots();
    Judged j(r, 1, 0);
    ReportIdentity id = controlChartData(j.view, kMade).identity;
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
    id = histogramData(upper.view, 10, kMade).identity;
    EXPECT_EQ(id.specKind, QStringLiteral("上限規格"));
    EXPECT_EQ(id.specUpper, "10.500");
    EXPECT_EQ(id.specLower, "");
    EXPECT_EQ(id.limitMethod, QStringLiteral("管理図係数法"));
    EXPECT_EQ(resultGrids(upper.view, upper.record, kMade).identity.chartKind, QStringLiteral("XbarR管理図"));
}

TEST(ReportModel, TheControlChartCarriesSBarTheRuleMarksAndEachLotsLimits)
{
    const model::SheetRecord r = twelveLots();
    const std::vector<std::vector<double>> lots = usedLots(r);
    Judged j(r, 1, 1, {QStringLiteral("10.2"), QStringLiteral("9.8"), QStringLiteral("0.05")});
    const ControlChartData d = controlChartData(j.view, kMade);
    ASSERT_EQ(d.lots.size(), 10);
    EXPECT_EQ(d.lots[4], "L6");
    double sBar = 0;
    for (const auto& lot : lots) sBar += sd(lot) / lots.size();
    EXPECT_NEAR(d.dispersionCentre, sBar, 1e-5);
    EXPECT_EQ(d.dispersionUcl, 0.05);
    // Lot 11 (row 9) is beyond the specified X-UCL: rule ① marks it, and only it, on the X side.
    ASSERT_EQ(d.xMarked.size(), 10u);
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(d.xMarked[i], i == 8) << i;
    ASSERT_EQ(d.dispersionMarked.size(), 10u);
    EXPECT_TRUE(d.lotLimits.empty());

    // Marks that belong to an earlier judgement are not drawn.
    sheetview::SheetView stale = j.view;
    stale.spcJudged = false;
    const ControlChartData s = controlChartData(stale, kMade);
    for (bool m : s.xMarked) EXPECT_FALSE(m);

    // Under the chart constants every lot row has its own limits.
    Judged standard(r, 0, 2);
    EXPECT_EQ(controlChartData(standard.view, kMade).lotLimits.size(), 10u);
}

TEST(ReportModel, TheHistogramClassesTheEnabledValuesAndCarriesTheStudy)
{
    model::SheetRecord r = twelveLots();
    r.digits = QStringLiteral("2");
    Judged j(r);
    const HistogramData h = histogramData(j.view, 7, kMade);
    EXPECT_EQ(h.digits, 2);
    EXPECT_EQ(h.numberFormat, "0.00_ ");
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
    ASSERT_EQ(h.classTable.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(h.classTable[i].lower, (lo - 0.5 + double(i * w)) / 100, 1e-9) << i;
        EXPECT_EQ(h.classTable[i].count, counts[i]) << i;
    }

    // The study's overall indices are the statistics grid's CP and CPK.
    ASSERT_TRUE(h.study);
    const int total = j.view.calcRowCount - 1;
    EXPECT_EQ(h.study->n, int(units.size()));
    EXPECT_EQ(model::formatFixed(*h.study->pp, 3), j.view.calc.text(judge::kCalcCp, total));
    EXPECT_EQ(model::formatFixed(*h.study->ppk, 3), j.view.calc.text(judge::kCalcCpk, total));
}
