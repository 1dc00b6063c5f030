// The CSV and workbook exports into a folder where someone planted symbolic links on the names
// they write: no write goes through a link, the export stops with an error naming the file.
#include "ExchangeTestSupport.h"
#include "ImportedSheet.h"
#include "PlantedLinks.h"

#include "exchange/CsvWriter.h"
#include "exchange/WorkbookExport.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <gtest/gtest.h>

using test_support::PlantedLinks;

namespace {

const QString kHeadings = QStringLiteral("ﾛｯﾄ№,N1,N2,N3");

model::SheetRecord sheet() { return test_support::importedSheet(QStringLiteral("外径"), {"K001,9.8,10.0,10.2"}); }

// The error a save into `path` raised, or a failure when it raised none.
template <class Save>
QString refusal(Save&& save)
{
    try {
        save();
    } catch (const spreadsheet::Error& e) {
        return e.message();
    }
    ADD_FAILURE() << "the save went through";
    return {};
}

} // namespace

TEST(PlantedLinks, CsvFilesAreNeverWrittenThroughALink)
{
    PlantedLinks planted;
    planted.linkToVictim(QStringLiteral("Sheet1.csv"));
    planted.linkToNothing(QStringLiteral("Sheet2.csv"));
    for (int n : {1, 2}) {
        const QString path = planted.path(exchange::csvFileName(n));
        const QString message = refusal([&] { exchange::WriteSheetCsv(path, sheet(), n, kHeadings); });
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("シンボリックリンク"))) << message.toStdString();
    }
    planted.expectNothingWrittenThrough();

    // A file of the user's at the name is replaced as before.
    ASSERT_TRUE(exchange_test::writeAll(planted.path(QStringLiteral("Sheet3.csv")), "old"));
    exchange::WriteSheetCsv(planted.path(QStringLiteral("Sheet3.csv")), sheet(), 3, kHeadings);
    EXPECT_TRUE(exchange_test::readAll(planted.path(QStringLiteral("Sheet3.csv"))).startsWith(exchange_test::cp932(QStringLiteral("品種名称"))));
}

TEST(PlantedLinks, AWorkbookIsNeverSavedThroughALinkButALinkedFolderIsFine)
{
    PlantedLinks planted;
    planted.linkToVictim(QStringLiteral("export.xlsx"));
    planted.linkToNothing(QStringLiteral("new.xlsx"));
    // A name ending in .xls is written as .xlsx: the link on that name is refused too.
    planted.linkToNothing(QStringLiteral("old.xlsx"));
    model::SheetStore store;
    store.resize(1, false, model::AppSettings::defaults(), 0, 0);
    store[0] = sheet();
    spreadsheet::Application application;
    exchange::WorkbookSheets written = exchange::WriteWorkbookSheets(application, store);
    for (const char* name : {"export.xlsx", "new.xlsx", "old.xls"}) {
        const QString message = refusal([&] { written.workbook.saveAs(planted.path(QString::fromUtf8(name))); });
        EXPECT_TRUE(message.contains(QStringLiteral("シンボリックリンク"))) << name << ": " << message.toStdString();
    }
    planted.expectNothingWrittenThrough();

    // Links higher up the path are the user's own: the workbook is saved through a linked folder.
    QTemporaryDir elsewhere;
    const QString linkedFolder = planted.path(QStringLiteral("linked"));
    ASSERT_TRUE(QFile::link(elsewhere.path(), linkedFolder));
    const QString saved = written.workbook.saveAs(linkedFolder + QStringLiteral("/book.xlsx"));
    EXPECT_EQ(saved, linkedFolder + QStringLiteral("/book.xlsx"));
    EXPECT_EQ(spreadsheet::Book::open(elsewhere.filePath(QStringLiteral("book.xlsx")))->worksheetCount(), 1);
}
