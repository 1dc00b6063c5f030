// quorvane-cli convert: the sheets of a file written as the File menu writes all sheets,
// each passed through entering and saving it first; read back by our reader and openpyxl.
#include "CliTestSupport.h"

#include "exchange/SheetReader.h"
#include "model/DataLine.h"

#include <QDir>
#include <QJsonArray>
#include <QStringDecoder>
#include <QTemporaryDir>

using namespace cli_test;

TEST(ConvertCommand, AWorkbookBecomesCsvFilesAndTheCsvFilesAWorkbookAgain)
{
    QTemporaryDir dir;
    model::SheetRecord first = sheet(q("外径"), {"K001,9.8,10,10.2", "K002,10.0,10.4", "K003,1,2,3"});
    first.enableFlags[2] = "0";
    model::SheetRecord second = sheet(q("内径"), {"A-1,5.25"}, 12, 1);
    second.digits = "1";
    second.specUpper = "6";
    second.specLower = "";
    second.specKind = q("上限規格");
    const QString source = dir.filePath("source.xlsx");
    writeWorkbook(source, {first, second});

    const QString csvFolder = dir.filePath("csv");
    QDir().mkpath(csvFolder);
    const CliResult toCsv = runCli({"convert", source, csvFolder});
    EXPECT_EQ(toCsv.status, 0) << toCsv.err.toStdString();
    EXPECT_TRUE(toCsv.out.isEmpty());
    EXPECT_EQ(QDir(csvFolder).entryList(QDir::Files), (QStringList{"Sheet1.csv", "Sheet2.csv"}));

    QFile file(csvFolder + "/Sheet2.csv");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringDecoder cp932("windows-31j");
    const QStringList lines = QString(cp932.decode(file.readAll())).split(QStringLiteral("\r\n"));
    // The headings of sheet 1, shown when the export starts; the sheet's own lots as entered.
    EXPECT_EQ(lines[1], "P-100,,,内径,mm,上限規格,1,6.0,");
    EXPECT_EQ(lines[3], "ﾛｯﾄ№,N1,N2,N3");
    EXPECT_EQ(lines[4], "A-1,5.3"); // 5.25 with one decimal
    EXPECT_EQ(lines.size(), 4 + 12 + 1);

    const QString again = dir.filePath("again.xlsx");
    const CliResult toWorkbook = runCli({"convert", csvFolder + "/Sheet1.csv", again});
    EXPECT_EQ(toWorkbook.status, 0) << toWorkbook.err.toStdString();
    const exchange::ReadResult read = exchange::ReadSheets(exchange::ReadMode::Workbook, again);
    ASSERT_EQ(read.records.size(), 1u);
    const model::SheetRecord& back = read.records[0];
    EXPECT_EQ(back.item, "外径");
    EXPECT_EQ(back.lotCount, 9); // the disabled lot was not written; the empty rows up to 10 lots were
    EXPECT_EQ(model::readDataLine(back.dataLines[1]).cells.mid(0, 3), (QStringList{"10", "10.4", ""}));

    // Another program reads the converted workbook: numbers as numbers, with the digits' format.
    const QByteArray dump = testing_support::run(testing_support::python(),
                                                 {testing_support::toolsFolder() + "/openpyxl_dump.py", again});
    const QJsonObject cells = QJsonDocument::fromJson(dump).object()[again].toObject().begin()->toObject();
    EXPECT_EQ(cells["D2"].toArray()[1].toString(), "外径");
    EXPECT_EQ(cells["B5"].toArray(), (QJsonArray{"n", "9.8"}));
    EXPECT_EQ(cells["A4"].toArray()[1].toString(), "ﾛｯﾄ№");
}

TEST(ConvertCommand, SheetsAreWrittenAsEnteredWithTheWarningsTheWindowGives)
{
    QTemporaryDir dir;
    writeCsv(dir.filePath("odd.csv"), sheet(q("外径"), {"K001,1.2.3,4"}));
    const CliResult r = runCli({"convert", dir.filePath("odd.csv"), dir.filePath("odd.xlsx")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(QString::fromUtf8(r.err).count(u'\n'), 1);
    EXPECT_TRUE(r.err.contains("シート1"));
    EXPECT_TRUE(QString::fromUtf8(r.err).contains("不適切な測定値が見つかりました"));
    EXPECT_TRUE(QFile::exists(dir.filePath("odd.xlsx")));

    // Refused: an output that is neither a workbook name nor a folder, and an unreadable input.
    for (const QStringList& args : {QStringList{"convert", dir.filePath("odd.csv"), dir.filePath("odd.txt")},
                                    QStringList{"convert", dir.filePath("none.csv"), dir.filePath("x.xlsx")},
                                    QStringList{"convert", dir.filePath("odd.csv"), dir.filePath("no/such/x.xlsx")}}) {
        const CliResult bad = runCli(args);
        EXPECT_EQ(bad.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(bad.out.isEmpty());
        EXPECT_EQ(QString::fromUtf8(bad.err).count(u'\n'), 1) << bad.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("x.xlsx")));
}
