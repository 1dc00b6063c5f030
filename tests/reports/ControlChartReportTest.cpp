// The control chart report: what it takes from the result grid and the limit fields, and the
// filled copy of each template.
#include "ReportTestSupport.h"

#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "spreadsheet/SheetData.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reports;
using namespace reports_testing;
using judge::ChartKind;
using judge::testing::TestSheet;

namespace {

const judge::ControlLimitTexts kLimits{QStringLiteral("10.60000"), QStringLiteral("9.40000"), QStringLiteral("0.90000")};

// Fills a copy of the chart kind's template with the sheet's lots; returns the saved workbook.
std::unique_ptr<spreadsheet::Book> filled(const TestSheet& sheet, ChartKind kind, const QString& folder)
{
    const CalcGrid g = judgedGrid(sheet, kind);
    const ControlChartData data = controlChartData(g.table, g.rowCount, kind, kLimits);
    ExcelSession session;
    const QString path = fillControlChart(session, folders(folder), QDateTime::currentDateTime(), data);
    return spreadsheet::Book::open(path);
}

// The first and last row of a range "'統計データ'!$B$2:$B$4" on the data sheet.
std::pair<int, int> rows(const QString& range)
{
    static const QRegularExpression re(QStringLiteral("^'統計データ'!\\$[A-Q]\\$(\\d+):\\$[A-Q]\\$(\\d+)$"));
    const auto m = re.match(range);
    return m.hasMatch() ? std::pair{m.captured(1).toInt(), m.captured(2).toInt()} : std::pair{0, 0};
}

} // namespace

TEST(ControlChartReport, TakesTheGridsTextsAndTheLimitsAsNumbers)
{
    TestSheet s(3);
    s.lot({"9.8", "10.0", "10.2"}).lot({"10.1"}).lot({"10.0", "10.4"});
    const CalcGrid r = judgedGrid(s, ChartKind::XbarR);
    const ControlChartData d = controlChartData(r.table, r.rowCount, ChartKind::XbarR, kLimits);
    EXPECT_EQ(d.lots, (QStringList{"K001", "K002", "K003"}));
    EXPECT_EQ(d.means, (QStringList{"10.00000", "10.10000", "10.20000"}));
    EXPECT_EQ(d.dispersions, (QStringList{"0.40000", "0.00000", "0.40000"}));
    EXPECT_DOUBLE_EQ(d.centre, r.table.text(judge::kCalcMean, 4).toDouble());
    EXPECT_DOUBLE_EQ(d.dispersionCentre, r.table.text(judge::kCalcRange, 4).toDouble());
    EXPECT_EQ(d.ucl, 10.6);
    EXPECT_EQ(d.lcl, 9.4);
    EXPECT_EQ(d.dispersionUcl, 0.9);

    // XbarS: the lot standard deviations, blank for the lot of one value; their mean S̄ as centre,
    // the blank one counting as 0 as the S-side rules count it: (0.2 + 0 + sqrt(0.08)) / 3.
    const CalcGrid rs = judgedGrid(s, ChartKind::XbarS);
    const ControlChartData ds = controlChartData(rs.table, rs.rowCount, ChartKind::XbarS, kLimits);
    EXPECT_EQ(ds.dispersions, (QStringList{"0.20000", "", "0.28284"}));
    EXPECT_DOUBLE_EQ(ds.dispersionCentre, (0.2 + 0.28284) / 3);

    // X-Rs: the moving range, 0 for the first lot.
    TestSheet one(1);
    one.lot({"10.0"}).lot({"10.3"}).lot({"10.1"});
    const CalcGrid rx = judgedGrid(one, ChartKind::XRs);
    const ControlChartData dx = controlChartData(rx.table, rx.rowCount, ChartKind::XRs, kLimits);
    EXPECT_EQ(dx.dispersions, (QStringList{"0.00000", "0.30000", "0.20000"}));

    // All values equal: no standard deviation anywhere, and the S chart's centre line is 0.
    TestSheet flat(2);
    flat.lot({"10.0", "10.0"}).lot({"10.0", "10.0"});
    const CalcGrid rf = judgedGrid(flat, ChartKind::XbarS);
    const ControlChartData df = controlChartData(rf.table, rf.rowCount, ChartKind::XbarS, kLimits);
    EXPECT_EQ(df.dispersionCentre, 0.0);
    EXPECT_EQ(df.dispersions, (QStringList{"", ""}));
}

TEST(ControlChartReport, ALimitOrTotalThatIsNoNumberStopsBeforeAnythingIsWritten)
{
    TestSheet s(2);
    s.lot({"9.8", "10.0"}).lot({"10.1", "10.3"});
    const CalcGrid r = judgedGrid(s, ChartKind::XbarR);
    judge::ControlLimitTexts bad = kLimits;
    bad.lcl = QStringLiteral("9,4");
    try {
        controlChartData(r.table, r.rowCount, ChartKind::XbarR, bad);
        ADD_FAILURE() << "no error";
    } catch (const model::ConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'9,4' は浮動小数点数ではありません"));
    }
    // A single value in the whole sheet: the total row holds only its label.
    TestSheet single(2);
    single.lot({"10.0"});
    const CalcGrid r1 = judgedGrid(single, ChartKind::XbarR);
    EXPECT_THROW(controlChartData(r1.table, r1.rowCount, ChartKind::XbarR, kLimits), model::ConvertError);
}

TEST(ControlChartReport, ThreeLotsFillRowsTwoToFourAndEverySeriesFollows)
{
    QTemporaryDir dir;
    TestSheet s(3);
    s.lot({"9.8", "10.0", "10.2"}).lot({"10.1"}).lot({"10.0", "10.4"});
    const auto book = filled(s, ChartKind::XbarR, dir.path());
    ASSERT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(book->worksheetName(0), QStringLiteral("統計データ"));

    // A, B and F as typed texts, C2 to H2 numbers.
    EXPECT_EQ(book->text(0, 2, 1), "K001");
    EXPECT_EQ(book->text(0, 4, 1), "K003");
    EXPECT_EQ(book->text(0, 3, 2), "10.1");
    EXPECT_EQ(book->text(0, 4, 6), "0.4");
    for (int c = 3; c <= 8; ++c) {
        if (c == 6) continue;
        const spreadsheet::Cell* cell = book->cells(0).find(2, c);
        ASSERT_NE(cell, nullptr) << c;
        EXPECT_EQ(cell->type, spreadsheet::CellType::Number) << c;
        EXPECT_FALSE(cell->formula) << c;
    }
    EXPECT_EQ(book->text(0, 2, 4), "10.6");
    EXPECT_EQ(book->text(0, 2, 5), "9.4");
    EXPECT_EQ(book->text(0, 2, 8), "0.9");
    // The limit lines repeat row 2 along the data rows, and nothing is left below them.
    EXPECT_EQ(book->formula(0, 4, 3), "C$2");
    EXPECT_EQ(book->formula(0, 4, 8), "H$2");
    for (int r = 5; r <= 102; ++r)
        for (int c = 1; c <= 8; ++c) {
            EXPECT_EQ(book->text(0, r, c), "") << r << ' ' << c;
            EXPECT_EQ(book->formula(0, r, c), "") << r << ' ' << c;
        }

    // Every series' points (the limit lines' names are single cells of the page) end with the last lot.
    QStringList ranges = chartRanges(*book);
    ranges.removeIf([](const QString& r) { return !r.contains(u':'); });
    EXPECT_EQ(ranges.size(), 32); // 9 + 7 series, categories and values each
    for (const QString& range : ranges) EXPECT_EQ(rows(range), (std::pair{2, 4})) << range.toStdString();
    // The red marks of the table follow as well.
    EXPECT_TRUE(book->part(QStringLiteral("xl/worksheets/sheet1.xml")).contains("sqref=\"B2:B4\""));
}
