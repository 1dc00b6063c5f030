// quorvane-cli convert into a folder where someone planted symbolic links on the names it
// writes: status 2 with the file and the reason, and nothing written through a link.
#include "CliTestSupport.h"
#include "PlantedLinks.h"

#include <QDir>

using namespace cli_test;
using test_support::PlantedLinks;

TEST(ConvertLinks, NoSheetIsWrittenThroughAPlantedLink)
{
    PlantedLinks planted;
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.xlsx"));
    writeWorkbook(source, {sheet(q("外径"), {"K001,9.8,10,10.2"}), sheet(q("内径"), {"K001,5,5.1,5.2"})});

    // CSV files: Sheet1.csv is written, the link on Sheet2.csv stops the conversion there.
    planted.linkToVictim(QStringLiteral("Sheet2.csv"));
    const CliResult csv = runCli({QStringLiteral("convert"), source, planted.folder()});
    EXPECT_EQ(csv.status, 2);
    const QString error = QString::fromUtf8(csv.err);
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(planted.path(QStringLiteral("Sheet2.csv"))))) << csv.err.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("シンボリックリンク"))) << csv.err.toStdString();
    EXPECT_TRUE(QFileInfo(planted.path(QStringLiteral("Sheet1.csv"))).isFile());

    // A workbook: a link to nothing at its name is refused the same way.
    planted.linkToNothing(QStringLiteral("book.xlsx"));
    const CliResult book = runCli({QStringLiteral("convert"), source, planted.path(QStringLiteral("book.xlsx"))});
    EXPECT_EQ(book.status, 2);
    EXPECT_TRUE(QString::fromUtf8(book.err).contains(QStringLiteral("シンボリックリンク"))) << book.err.toStdString();
    planted.expectNothingWrittenThrough();
}
