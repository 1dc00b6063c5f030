// Reports into a "Save Files" folder where someone planted symbolic links on the time-stamped
// names: every link counts as a taken name, a report lands in a new file of its own, and
// nothing is written through a link.
#include "PlantedLinks.h"
#include "ReportTestSupport.h"
#include "ScopedHome.h"

#include "reports/ControlChartReport.h"
#include "reports/ExcelSession.h"
#include "reports/ResultReport.h"
#include "spreadsheet/Error.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace reports;
using namespace reports_testing;
using test_support::PlantedLinks;

namespace {

const QDateTime kWhen(QDate(2024, 1, 31), QTime(17, 45, 2));

} // namespace

TEST(PlantedLinks, AReportCopyIsANewFileUnderTheFirstNameNoEntryHas)
{
    PlantedLinks planted;
    planted.linkToNothing(QStringLiteral("20240131_174502_XbarR.xlsx"));
    planted.linkToVictim(QStringLiteral("20240131_174502_XbarR_2.xlsx"));
    planted.linkToNothing(QStringLiteral("20240131_174502_XbarR_3.xlsx"));

    // The whole report: copy, fill, save.
    judge::testing::TestSheet s(3);
    s.lot({"9.8", "10.0", "10.2"}).lot({"10.1", "10.0", "9.9"});
    ExcelSession session;
    const QString path = fillControlChart(session, folders(planted.folder()), kWhen, judgedModel(s, judge::ChartKind::XbarR));
    EXPECT_EQ(path, planted.path(QStringLiteral("20240131_174502_XbarR_4.xlsx")));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(spreadsheet::Book::open(path)->text(0, 2, 1), QStringLiteral("K001"));
    planted.expectNothingWrittenThrough();

    // The same for a bare copy, whose names are searched the same way.
    planted.linkToNothing(QStringLiteral("20240131_174502_Histogram.xlsx"));
    const QString copy = copyTemplate(QStringLiteral(QUORVANE_FORM_FILES "/Histogram.xlsx"), planted.folder(), kWhen).path;
    EXPECT_EQ(copy, planted.path(QStringLiteral("20240131_174502_Histogram_2.xlsx")));
    planted.expectNothingWrittenThrough();
}

TEST(PlantedLinks, AReportCopyThatCannotBeCreatedIsAnErrorNamingIt)
{
    // Before, a failed copy went unnoticed and opening the missing copy reported something else.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Save Files"));
    QFile blocker(folder); // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        copyTemplate(QStringLiteral(QUORVANE_FORM_FILES "/XbarS.xlsx"), folder, kWhen);
        ADD_FAILURE() << "no error";
    } catch (const spreadsheet::Error& e) {
        // The folder that could not be made is named, with the reason.
        EXPECT_EQ(e.message(), QStringLiteral("帳票の保存先フォルダを作成できませんでした。\n%1：同じ名前のファイルがあります")
                                   .arg(QDir::toNativeSeparators(folder)));
    }
}

TEST(PlantedLinks, TheResultWorkbookTakesAFreeNameAndTheHandOverFolderIsTheUsersOwn)
{
    PlantedLinks planted;
    planted.linkToNothing(QStringLiteral("20240131_174502_判定結果.xlsx"));
    planted.linkToVictim(QStringLiteral("20240131_174502_判定結果_2.xlsx"));
    judge::testing::TestSheet s(2);
    s.lot({"9.8", "10.0"});
    const CalcGrid calc = judgedGrid(s, judge::ChartKind::XbarR);
    model::CellTable spc;
    model::SheetRecord record;
    record.item = QStringLiteral("外径");
    ResultGrids grids;
    grids.record = &record;
    grids.grids = {exchange::GridBlock{exchange::GridKind::Measurements, &s.cells, &s.lots, 2, 2},
                   exchange::GridBlock{exchange::GridKind::Capability, &calc.table, nullptr, calc.rowCount, 10},
                   exchange::GridBlock{exchange::GridKind::Spc, &spc, nullptr, 2, 18}};
    grids.captions = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    ExcelSession session;
    EXPECT_EQ(writeResultWorkbook(session, folders(planted.folder()), kWhen, grids),
              planted.path(QStringLiteral("20240131_174502_判定結果_3.xlsx")));
    planted.expectNothingWrittenThrough();

    // A workbook without a file of its own is handed over from a folder of the user's, never
    // from one in the temporary folder that every user shares.
    const test_support::ScopedHome home;
    ExcelSession handOver;
    handOver.start();
    handOver.setWorkbook(handOver.application().addWorkbook());
    const QString handedOver = handOver.endHandOver();
    EXPECT_TRUE(handedOver.startsWith(home.path() + u'/')) << handedOver.toStdString();
    EXPECT_TRUE(QFileInfo(handedOver).isFile());
}
