// The histogram report: the packed block of enabled lots, its number format, the class count,
// and what prints.
#include "ReportTestSupport.h"

#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "reports/ReportLayout.h"
#include "spreadsheet/SheetData.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reports;
using namespace reports_testing;
using judge::testing::TestSheet;

namespace {

std::unique_ptr<spreadsheet::Book> filled(const chartmodel::ChartModel& model, const QString& folder)
{
    ExcelSession session;
    return spreadsheet::Book::open(fillHistogram(session, folders(folder), QDateTime::currentDateTime(), model));
}

chartmodel::ChartModel modelOf(const TestSheet& s, int classes, const QString& digits)
{
    return judgedModel(s, judge::ChartKind::XbarR, judge::LimitMethod::ThreeSigma, {}, classes, digits);
}

} // namespace

TEST(HistogramReport, TheCopyHoldsTheEnabledLotsPackedUpwardsTheirFormatAndTheClassCount)
{
    QTemporaryDir dir;
    TestSheet s(3);
    s.lot({"10.1", "", "10.3"}).lot({"9.9", "9.8", "9.7"}, false).lot({"10.0", "10.2", "9.95"});
    for (int i = 0; i < 22; ++i) s.lot({"10.0", "10.0", "10.0"}, false);
    const auto book = filled(modelOf(s, 6, QStringLiteral("2")), dir.path());
    EXPECT_EQ(book->text(0, 1, 1), "10.1");
    EXPECT_EQ(book->text(0, 1, 2), "");
    EXPECT_EQ(book->text(0, 2, 3), "9.95");
    for (int r = 3; r <= 25; ++r)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(book->text(0, r, c), "") << r;
    // The format covers the whole block, C25 for 3 measurements and 25 lots, and nothing more.
    EXPECT_EQ(book->numberFormat(0, 1, 1), QStringLiteral("0.00_ "));
    EXPECT_EQ(book->numberFormat(0, 25, 3), QStringLiteral("0.00_ "));
    EXPECT_EQ(book->numberFormat(0, 26, 1), QStringLiteral("General"));
    EXPECT_EQ(book->numberFormat(0, 1, 4), QStringLiteral("General"));
    const spreadsheet::Cell* classes = book->cells(1).find(19, 2);
    ASSERT_NE(classes, nullptr);
    EXPECT_EQ(classes->type, spreadsheet::CellType::Number);
    EXPECT_EQ(book->text(1, 19, 2), "6");

    // What prints: the chart page alone on worksheet 1, the tables of worksheet 2 without the
    // chart's points, which read in the data's decimals rather than as 6.19E-11.
    const QString workbook = QString::fromUtf8(book->part(QStringLiteral("xl/workbook.xml")));
    EXPECT_TRUE(workbook.contains(QStringLiteral("'測定データ'!$CX$1:$DM$36</definedName>"))) << workbook.toStdString();
    EXPECT_TRUE(workbook.contains(QStringLiteral("'集計'!$A$1:$D$33</definedName>"))) << workbook.toStdString();
    EXPECT_EQ(book->numberFormat(1, 3, layout::kSeriesColumn + 4), QStringLiteral("0.000_ "));
    EXPECT_EQ(modelOf(s, 6, QStringLiteral("0")).histogram.digits, 0);
    EXPECT_FALSE(book->text(1, 1, layout::kSeriesColumn + 10).isEmpty()); // the mean's line is named
}

TEST(HistogramReport, AllLotsDisabledEmptyTheBlockAndStillWriteTheClassCount)
{
    QTemporaryDir dir;
    TestSheet s(2);
    s.lot({"10.1", "10.2"}, false).lot({"10.0", "9.9"}, false);
    const chartmodel::ChartModel m = modelOf(s, 5, QStringLiteral("3"));
    EXPECT_EQ(m.histogram.block, (QList<QStringList>(10, QStringList{"", ""})));
    const auto book = filled(m, dir.path());
    EXPECT_EQ(book->text(0, 1, 1), "");
    EXPECT_EQ(book->text(1, 19, 2), "5");
}
