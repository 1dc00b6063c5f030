// The control chart report: the filled copy of each template, written from the chart model.
#include "ReportTestSupport.h"

#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/ReportLayout.h"
#include "spreadsheet/CellRef.h"
#include "spreadsheet/SheetData.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace reports;
using namespace reports_testing;
using judge::ChartKind;
using judge::LimitMethod;
using judge::testing::TestSheet;

namespace {

const judge::ControlLimitTexts kLimits{QStringLiteral("10.60000"), QStringLiteral("9.40000"), QStringLiteral("0.90000")};

std::unique_ptr<spreadsheet::Book> filled(const chartmodel::ChartModel& model, const QString& folder)
{
    ExcelSession session;
    return spreadsheet::Book::open(fillControlChart(session, folders(folder), QDateTime::currentDateTime(), model));
}

// The first and last row of a range "'統計データ'!$AN$2:$AN$4" on the data sheet.
std::pair<int, int> rows(const QString& range)
{
    static const QRegularExpression re(QStringLiteral("^'統計データ'!\\$[A-Z]+\\$(\\d+):\\$[A-Z]+\\$(\\d+)$"));
    const auto m = re.match(range);
    return m.hasMatch() ? std::pair{m.captured(1).toInt(), m.captured(2).toInt()} : std::pair{0, 0};
}

// The column letters of a plot series, from 1.
QString plotColumn(int series) { return spreadsheet::columnLetters(layout::kPlotColumn + series + 1); }

// The series of a chart part, each as its XML text.
QStringList seriesOf(const spreadsheet::Book& book, int chart)
{
    const QString xml = QString::fromUtf8(book.part(QStringLiteral("xl/charts/chart%1.xml").arg(chart + 1)));
    QStringList out;
    static const QRegularExpression ser(QStringLiteral("<c:ser>.*?</c:ser>"), QRegularExpression::DotMatchesEverythingOption);
    for (auto it = ser.globalMatch(xml); it.hasNext();) out << it.next().captured(0);
    return out;
}

} // namespace

TEST(ControlChartReport, ThreeLotsFillRowsTwoToFourAndEverySeriesFollows)
{
    QTemporaryDir dir;
    TestSheet s(3);
    s.lot({"9.8", "10.0", "10.2"}).lot({"10.1", "10.0", "9.9"}).lot({"10.0", "10.4", "10.3"});
    const chartmodel::ChartModel m = judgedModel(s, ChartKind::XbarR, LimitMethod::Specified, kLimits);
    const auto book = filled(m, dir.path());
    ASSERT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(book->worksheetName(0), QStringLiteral("統計データ"));

    // A, B and F as the grid shows them, C2 to H2 numbers.
    EXPECT_EQ(book->text(0, 2, 1), "K001");
    EXPECT_EQ(book->text(0, 4, 1), "K003");
    EXPECT_EQ(book->text(0, 3, 2), "10");
    EXPECT_EQ(book->text(0, 4, 6), "0.4");
    for (int c = 3; c <= 8; ++c) {
        if (c == 6) continue;
        const spreadsheet::Cell* cell = book->cells(0).find(2, c);
        ASSERT_NE(cell, nullptr) << c;
        EXPECT_EQ(cell->type, spreadsheet::CellType::Number) << c;
    }
    EXPECT_EQ(book->text(0, 2, 4), "10.6");
    EXPECT_EQ(book->text(0, 2, 5), "9.4");
    EXPECT_EQ(book->text(0, 2, 8), "0.9");
    // The limit lines repeat row 2 along the data rows, and nothing is left below them.
    EXPECT_EQ(book->formula(0, 4, 3), "C$2");
    for (int r = 5; r <= 102; ++r)
        for (int c = 1; c <= 8; ++c) EXPECT_EQ(book->formula(0, r, c) + book->text(0, r, c), "") << r << ' ' << c;

    // Every series (the line names are single cells) ends with the last lot's last slot.
    const int slotRows = 3 * slotsPerLot(3);
    QStringList ranges = chartRanges(*book);
    ranges.removeIf([](const QString& r) { return !r.contains(u':'); });
    EXPECT_EQ(ranges.size(), 28); // 8 + 6 series, categories and values each
    for (const QString& range : ranges) EXPECT_EQ(rows(range), (std::pair{2, 1 + slotRows})) << range.toStdString();
    // Each lot's number under its middle slot.
    const int middle = 2 + slotsPerLot(3) / 2;
    EXPECT_EQ(book->text(0, middle, layout::kPlotColumn + 1), "K001");
    EXPECT_EQ(book->text(0, middle - 1, layout::kPlotColumn + 1), "");
    // The axis titled with the unit and labelled with the sheet's digits.
    EXPECT_TRUE(book->part(QStringLiteral("xl/charts/chart1.xml")).contains(QStringLiteral("平均値 (mm)").toUtf8()));
    EXPECT_TRUE(book->part(QStringLiteral("xl/charts/chart1.xml")).contains("formatCode=\"0.000\" sourceLinked=\"0\""));
    // The identification on every printed page.
    EXPECT_TRUE(book->part(QStringLiteral("xl/worksheets/sheet1.xml")).contains(QStringLiteral("&amp;LP-100").toUtf8()));
}

TEST(ControlChartReport, UnderTheChartConstantsEachLotsLimitsAreDrawnAsStepsAndALotOfOneValueHasNoDispersion)
{
    // Lots of 5 values with lots of 4, 3 and 1 among them and one disabled, as GS-002 to GS-005 of the sample.
    QTemporaryDir dir;
    TestSheet s(5);
    for (int i = 1; i <= 8; ++i) {
        const double m = 10.0 + 0.01 * (i % 3);
        std::vector<double> v{m - 0.02, m, m + 0.01, m + 0.03, m - 0.01};
        v.resize(i == 2 ? 4 : i == 3 ? 3 : i == 4 ? 1 : 5);
        for (double& x : v) x = std::round(x * 1000) / 1000;
        s.values(v, i != 5);
    }
    const chartmodel::ChartModel m = judgedModel(s, ChartKind::XbarR, LimitMethod::Standard);
    ASSERT_TRUE(m.control.message.isEmpty());
    const auto book = filled(m, dir.path());

    // K004 holds one value: no range in F, no dispersion limits of its own (K to M).
    EXPECT_EQ(book->text(0, 5, 1), "K004");
    EXPECT_EQ(book->text(0, 5, 6), "");
    for (int c = 11; c <= 13; ++c) EXPECT_EQ(book->text(0, 5, c), "") << c;
    // One centre line: G2 is the nominal lot size's (n = 5), as the legend says and as the
    // lots of that size have it in K.
    const double g2 = book->text(0, 2, 7).toDouble();
    EXPECT_NEAR(g2, book->text(0, 2, 11).toDouble(), 1e-5);
    EXPECT_NEAR(g2, *m.control.dispersion.line(chartmodel::LineKind::Centre)->value, 1e-12);
    EXPECT_EQ(book->text(0, layout::kDispersionCentreName + 1, layout::kLineNameColumn + 1),
              QStringLiteral("CL = ") + model::formatFixed(g2, 5));

    // The X chart's upper limit is a line through each lot's own limit: constant across a lot's
    // slots, stepping at its edges, in the legend with the nominal value.
    const int perLot = slotsPerLot(7);
    const int ucl = layout::kPlotColumn + layout::kPlotXUcl + 1;
    for (int lot = 0; lot < 7; ++lot) {
        const double limit = m.control.lotLimits[size_t(lot)].ucl;
        for (int t = 0; t < perLot; ++t) EXPECT_NEAR(book->text(0, 2 + lot * perLot + t, ucl).toDouble(), limit, 1e-12) << lot;
    }
    // The dispersion chart's limit breaks at K004.
    const int dUcl = layout::kPlotColumn + layout::kPlotDUcl + 1;
    for (int t = 0; t < perLot; ++t) EXPECT_EQ(book->text(0, 2 + 3 * perLot + t, dUcl), "");
    EXPECT_NE(book->text(0, 2 + 2 * perLot, dUcl), "");

    const QStringList xSeries = seriesOf(*book, 0);
    ASSERT_EQ(xSeries.size(), 8);
    const QString& uclSeries = xSeries[3];
    EXPECT_TRUE(uclSeries.contains(QStringLiteral("$%1$2:").arg(plotColumn(layout::kPlotXUcl)))) << uclSeries.toStdString();
    EXPECT_FALSE(uclSeries.contains(QStringLiteral("<a:noFill/></a:ln>"))) << "drawn as a line";
    const QString xml = QString::fromUtf8(book->part(QStringLiteral("xl/charts/chart1.xml")));
    EXPECT_FALSE(xml.contains(QStringLiteral("<c:legendEntry><c:idx val=\"3\"/><c:delete val=\"1\"/>")));
}

TEST(ControlChartReport, AChartThatCouldNotBeBuiltStopsBeforeAnythingIsCopied)
{
    QTemporaryDir dir;
    TestSheet s(2);
    s.lot({"9.8", "10.0"}).lot({"10.1", "10.3"});
    const test_support::JudgedSheet j(recordOf(s), ChartKind::XbarR);
    sheetview::SheetView view = j.view;
    view.lcl = QStringLiteral("9,4");
    const chartmodel::ChartModel m = chartmodel::buildChartModel(view, 10, QDateTime::currentDateTime());
    ExcelSession session;
    try {
        fillControlChart(session, folders(dir.path()), QDateTime::currentDateTime(), m);
        ADD_FAILURE() << "no error";
    } catch (const model::ConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'9,4' は浮動小数点数ではありません"));
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}
