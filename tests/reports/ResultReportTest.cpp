// The judgement result workbook: three worksheets named after the pages, each grid with the
// sheet's header, saved under the time stamp beside the other reports.
#include "ReportTestSupport.h"

#include "reports/ExcelSession.h"
#include "reports/ResultReport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reports;
using namespace reports_testing;
using judge::testing::TestSheet;

TEST(ResultReport, ThreeWorksheetsNamedAfterThePagesUnderAFreeTimeStampedName)
{
    QTemporaryDir dir;
    TestSheet s(2);
    s.lot({"9.8", "10.0"}).lot({"10.1", "10.3"}, false).lot({"10.0", "10.4"});
    s.lots.setText(0, 0, QStringLiteral("ﾛｯﾄ№"));
    s.cells.setText(0, 0, QStringLiteral("N1"));
    s.cells.setText(1, 0, QStringLiteral("N2"));
    const CalcGrid calc = judgedGrid(s, judge::ChartKind::XbarR);
    model::CellTable spc;
    spc.setText(0, 0, QStringLiteral("ﾛｯﾄ№"));
    spc.setText(0, 1, QStringLiteral("K001"));
    spc.setText(17, 1, QStringLiteral("○異常なし"));
    model::SheetRecord record;
    record.product = QStringLiteral("品種A");
    record.item = QStringLiteral("外径");
    record.digits = QStringLiteral("3");

    ResultGrids grids;
    grids.record = &record;
    grids.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &s.cells, &s.lots, 4, 2},
                   exchange::GridBlock{exchange::GridKind::Capability, &calc.table, nullptr, calc.rowCount, 10},
                   exchange::GridBlock{exchange::GridKind::Spc, &spc, nullptr, 3, 18}};
    grids.captions = {QStringLiteral("測定値入力＆規格判定"), QStringLiteral("CP-CPK不良率判定"), QStringLiteral("SPC異常判定(X側-Rs側)")};
    const QDateTime when(QDate(2024, 1, 31), QTime(17, 45, 2));
    const QString saveFiles = dir.path() + QStringLiteral("/Save Files");

    ExcelSession session;
    const QString path = writeResultWorkbook(session, folders(saveFiles), when, grids);
    EXPECT_EQ(path, saveFiles + QStringLiteral("/20240131_174502_判定結果.xlsx"));
    EXPECT_EQ(session.workbook().fullName(), path);
    EXPECT_TRUE(session.workbook().saved());
    EXPECT_EQ(session.worksheet().number(), 1);

    const auto book = spreadsheet::Book::open(path);
    ASSERT_EQ(book->worksheetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(book->worksheetName(i), grids.captions[size_t(i)]);
        EXPECT_EQ(book->text(i, 2, 1), QStringLiteral("品種A")); // every worksheet carries the header
    }
    EXPECT_EQ(book->text(0, 5, 1), "K001");
    EXPECT_EQ(book->text(0, 6, 1), "K003"); // the disabled lot is left out
    EXPECT_EQ(book->text(1, 7, 1), QStringLiteral("＊トータル"));
    EXPECT_EQ(book->text(2, 5, 18), QStringLiteral("○異常なし"));

    // A second result in the same second keeps the first.
    ExcelSession again;
    EXPECT_EQ(writeResultWorkbook(again, folders(saveFiles), when, grids), saveFiles + QStringLiteral("/20240131_174502_判定結果_2.xlsx"));
    EXPECT_EQ(QDir(saveFiles).entryList(QDir::Files).size(), 2);
}
