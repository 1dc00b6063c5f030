// The histogram report: the packed block of enabled lots, its number format and the class count.
#include "ReportTestSupport.h"

#include "reports/ExcelSession.h"
#include "reports/HistogramReport.h"
#include "spreadsheet/SheetData.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reports;
using namespace reports_testing;
using judge::testing::TestSheet;

namespace {

std::unique_ptr<spreadsheet::Book> filled(const HistogramData& data, const QString& folder)
{
    ExcelSession session;
    return spreadsheet::Book::open(fillHistogram(session, folders(folder), QDateTime::currentDateTime(), data));
}

} // namespace

TEST(HistogramReport, EnabledLotsArePackedUpwardsWithTheirBlankCells)
{
    TestSheet s(3);
    s.lot({"10.1", "", "10.3"}).lot({"9.9", "9.8", "9.7"}, false).lot({"10.0", "10.2", ""}).lot({"10.4", "10.5", "10.6"}, false);
    const HistogramData d = histogramData(s.cells, s.lots, 4, 3, QStringLiteral("1"), 7);
    ASSERT_EQ(d.block.size(), 4);
    EXPECT_EQ(d.block[0], (QStringList{"10.1", "", "10.3"}));
    EXPECT_EQ(d.block[1], (QStringList{"10.0", "10.2", ""}));
    EXPECT_EQ(d.block[2], (QStringList{"", "", ""}));
    EXPECT_EQ(d.block[3], (QStringList{"", "", ""}));
    EXPECT_EQ(d.numberFormat, QStringLiteral("0.0_ "));
    EXPECT_EQ(histogramData(s.cells, s.lots, 4, 3, QStringLiteral("5"), 7).numberFormat, QStringLiteral("0.00000_ "));
    EXPECT_EQ(d.classes, 7);
}

TEST(HistogramReport, TheCopyHoldsTheBlockItsFormatAndTheClassCount)
{
    QTemporaryDir dir;
    TestSheet s(3);
    s.lot({"10.1", "", "10.3"}).lot({"9.9", "9.8", "9.7"}, false).lot({"10.0", "10.2", "9.95"});
    for (int i = 0; i < 22; ++i) s.lot({"10.0", "10.0", "10.0"}, false);
    const auto book = filled(histogramData(s.cells, s.lots, 25, 3, QStringLiteral("0"), 6), dir.path());
    EXPECT_EQ(book->text(0, 1, 1), "10.1");
    EXPECT_EQ(book->text(0, 1, 2), "");
    EXPECT_EQ(book->text(0, 2, 3), "9.95");
    for (int r = 3; r <= 25; ++r)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(book->text(0, r, c), "") << r;
    // The format covers the whole block, E25 for 3 measurements and 25 lots, and nothing more.
    EXPECT_EQ(book->numberFormat(0, 1, 1), QStringLiteral("0_ "));
    EXPECT_EQ(book->numberFormat(0, 25, 3), QStringLiteral("0_ "));
    EXPECT_EQ(book->numberFormat(0, 26, 1), QStringLiteral("General"));
    EXPECT_EQ(book->numberFormat(0, 1, 4), QStringLiteral("General"));
    const spreadsheet::Cell* classes = book->cells(1).find(19, 2);
    ASSERT_NE(classes, nullptr);
    EXPECT_EQ(classes->type, spreadsheet::CellType::Number);
    EXPECT_EQ(book->text(1, 19, 2), "6");
}

TEST(HistogramReport, AllLotsDisabledEmptyTheBlockAndStillWriteTheClassCount)
{
    QTemporaryDir dir;
    TestSheet s(2);
    s.lot({"10.1", "10.2"}, false).lot({"10.0", "9.9"}, false);
    const HistogramData d = histogramData(s.cells, s.lots, 2, 2, QStringLiteral("3"), 5);
    EXPECT_EQ(d.block, (QList<QStringList>{{"", ""}, {"", ""}}));
    const auto book = filled(d, dir.path());
    EXPECT_EQ(book->text(0, 1, 1), "");
    EXPECT_EQ(book->text(1, 19, 2), "5");
}
