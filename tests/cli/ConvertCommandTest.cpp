// quorvane-cli convert: the sheets of a file written as the File menu writes all sheets,
// each passed through entering and saving it first; read back by our reader and openpyxl.
#include "CliTestSupport.h"

#include "exchange/SheetReader.h"
#include "model/DataLine.h"

#include <QDateTime>
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

// A full disk in a small file system of its own, mounted where only the command sees it.
TEST(ConvertCommand, AFullDiskIsSaidAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.xlsx"));
    std::vector<model::SheetRecord> sheets;
    for (int i = 0; i < 5; ++i) sheets.push_back(sheet(q("外径"), {"K001,9.8,10,10.2", "K002,10.0,10.4,10.1", "K003,1,2,3"}));
    writeWorkbook(input, sheets);
    const QString full = dir.filePath(QStringLiteral("full"));
    ASSERT_TRUE(QDir().mkpath(full));
    // 16 KiB, 15 of them taken: a few small files fit as names, their contents do not.
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=16k tmpfs \"$1\" || exit 77; dd if=/dev/zero of=\"$1/fill\" bs=1k count=15 2>/dev/null;"
        "\"$0\" convert \"$2\" \"$1/out.xlsx\"; echo \"xlsx=$?\" >&2;"
        "\"$0\" convert \"$2\" \"$1/\"; echo \"csv=$?\" >&2; ls -A \"$1\" >&2");
    QProcess p;
    p.start(QStringLiteral("unshare"), {"-m", "/bin/sh", "-c", script, QStringLiteral(QUORVANE_CLI), full, input});
    ASSERT_TRUE(p.waitForFinished(120000));
    if (p.exitCode() == 77) GTEST_SKIP() << "no tmpfs can be mounted here";
    const QStringList lines = QString::fromUtf8(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].contains(q("out.xlsx")) && lines[0].contains(q("空き容量が足りません"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], q("xlsx=2"));
    EXPECT_TRUE(lines[2].contains(q("Sheet1.csv")) && lines[2].contains(q("空き容量が足りません"))) << lines[2].toStdString();
    EXPECT_EQ(lines[3], q("csv=2"));
    EXPECT_EQ(lines[4], q("fill")) << "a file or temporary was left in the full folder";
}

TEST(ConvertCommand, AFolderExportRemovesOnlyTheTemporariesAKilledExportLeft)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.csv"));
    writeCsv(input, sheet(q("外径"), {"K001,9.8,10,10.2"}));
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    // Left by a killed export hours ago; beside them the user's own files, as old, with names
    // the temporaries of earlier versions had, and a temporary still being written.
    const QStringList stale{".Sheet1.csv.quorvane-aB3dE9", ".Sheet50.csv.quorvane-Zq0000"};
    const QStringList kept{"Sheet1.csv.backup", "Sheet3.csv.before", "Sheet1.csv.aB3dE9", ".Sheet2.csv.quorvane-now001"};
    const qint64 twoHoursAgo = QDateTime::currentSecsSinceEpoch() - 7200;
    for (const QString& name : stale + kept) {
        QFile f(QDir(out).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's data");
        f.flush();
        if (!name.contains(QStringLiteral("now"))) {
            ASSERT_TRUE(f.setFileTime(QDateTime::fromSecsSinceEpoch(twoHoursAgo), QFileDevice::FileModificationTime));
        }
    }

    const CliResult r = runCli({"convert", input, out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QStringList expected = kept + QStringList{"Sheet1.csv"};
    expected.sort();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name), expected);
    QFile backup(QDir(out).filePath(QStringLiteral("Sheet1.csv.backup")));
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), "the user's data");
}

TEST(ConvertCommand, LookAlikesAreTakenAsTheWindowTakesThemAndOtherCharactersTheFilesCannotHoldRefused)
{
    QTemporaryDir dir;
    model::SheetRecord record = sheet(q("外径"), {"A−1,9.8,10,10.2"});
    record.unit = q("µm");
    const QString input = dir.filePath(QStringLiteral("in.xlsx"));
    writeWorkbook(input, {record});
    const CliResult r = runCli({"convert", input, dir.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile csv(dir.filePath(QStringLiteral("Sheet1.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    QStringDecoder cp932("windows-31j");
    const QString text = cp932.decode(csv.readAll());
    EXPECT_TRUE(text.contains(q("μm"))) << text.toStdString();
    EXPECT_TRUE(text.contains(q("\r\nA－1,"))) << text.toStdString();

    record.unit = q("é");
    writeWorkbook(input, {record});
    const CliResult refused = runCli({"convert", input, dir.filePath(QStringLiteral("out.xlsx"))});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(QString::fromUtf8(refused.err).contains(q("U+00E9"))) << refused.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out.xlsx"))));
}
