// Reading CSV files and workbooks into records, as the imports do.
#include "ExchangeTestSupport.h"

#include "exchange/SheetLayout.h"
#include "exchange/SheetReader.h"
#include "model/DataLine.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace exchange;
using exchange_test::cp932;
using exchange_test::writeAll;

namespace {

QString header()
{
    return QStringLiteral("品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n"
                          " P 1 ,Press,M1,外径,mm,上限規格,2,10.500,\r\n\r\nﾛｯﾄ№,N1,N2,N3,N4\r\n");
}

QString csvFile(QTemporaryDir& dir, const QString& text)
{
    const QString path = dir.filePath("in.csv");
    EXPECT_TRUE(writeAll(path, cp932(text)));
    return path;
}

// A workbook of `sheets` worksheets written by the engine, worksheet d with item "Item<d>".
QString engineWorkbook(QTemporaryDir& dir, int sheets)
{
    spreadsheet::Application app;
    app.setSheetsInNewWorkbook(sheets);
    spreadsheet::Workbook wb = app.addWorkbook();
    for (int d = 1; d <= sheets; ++d) {
        spreadsheet::Worksheet ws = wb.worksheet(d);
        ws.range("D2").setValue(QStringLiteral("Item%1").arg(d));
        ws.range("H2").setValue(QStringLiteral("10.500"));
        ws.range("A5").setValue(QStringLiteral("L%1").arg(d));
        ws.range("B5").setValue(QStringLiteral("1.250"));
    }
    return wb.saveAs(dir.filePath(QStringLiteral("book%1.xlsx").arg(sheets)));
}

} // namespace

TEST(SheetReader, CsvCellsAreTakenExactlyAsWritten)
{
    QTemporaryDir dir;
    QString text = header();
    text += "0012,10.500,\"1,5\",,4\r\n";        // quoting undone; a cell with a comma stays one cell
    text += "K002, 1 ,2,3,4,5,6\r\n";              // more cells than line 5: the count comes from line 5
    text += ",,,\r\n";                              // a blank lot number hides no lot after it
    for (int i = 0; i < 147; ++i) text += QStringLiteral("X%1,1\r\n").arg(i);
    QString wide = "W";
    for (int c = 0; c < 120; ++c) wide += QStringLiteral(",%1").arg(c);
    text += wide + "\r\n";                          // line 155: beyond the 100 lots read

    const ReadResult result = ReadSheets(ReadMode::Csv, csvFile(dir, text));
    EXPECT_EQ(result.count, 1);
    ASSERT_EQ(result.records.size(), 1u);
    const model::SheetRecord& r = result.records[0];
    EXPECT_EQ(r.product, " P 1 ");     // not trimmed
    EXPECT_EQ(r.specKind, "上限規格");
    EXPECT_EQ(r.specUpper, "10.500");  // a CSV text is not a number yet
    EXPECT_EQ(r.specLower, "");
    EXPECT_EQ(r.measurementCount, 4); // the blank third cell does not hide the fourth
    EXPECT_EQ(r.lotCount, 100);       // up to the last lot number read
    ASSERT_EQ(r.enableFlags, QStringList(100, "1"));
    ASSERT_EQ(r.dataLines.size(), 100);
    EXPECT_EQ(r.dataLines[0], "0012,10.500,\"1,5\",,4," + QString(",").repeated(96));
    const model::ParsedDataLine first = model::readDataLine(r.dataLines[0]);
    EXPECT_EQ(first.lotNumber, "0012");
    EXPECT_EQ(first.cells.mid(0, 4), (QStringList{"10.500", "1,5", "", "4"}));
    EXPECT_EQ(model::readDataLine(r.dataLines[1]).cells.value(0), "1"); // cells are trimmed
    EXPECT_EQ(model::readDataLine(r.dataLines[2]).lotNumber, "");
    EXPECT_EQ(model::readDataLine(r.dataLines[99]).lotNumber, "X96");
}

TEST(SheetReader, WorkbookNumbersReadInTheirShortestText)
{
    QTemporaryDir dir;
    const ReadResult result = ReadSheets(ReadMode::Workbook, engineWorkbook(dir, 2));
    EXPECT_EQ(result.count, 2);
    ASSERT_EQ(result.records.size(), 2u);
    EXPECT_EQ(result.records[1].item, "Item2");
    EXPECT_EQ(result.records[1].specUpper, "10.5");
    EXPECT_EQ(result.records[1].lotCount, 1);
    EXPECT_EQ(result.records[1].measurementCount, 1);
    EXPECT_TRUE(result.records[1].dataLines[0].startsWith("L2,1.25,,"));

    // CSV mode reads worksheet 1 only.
    const ReadResult one = ReadSheets(ReadMode::Csv, dir.filePath("book2.xlsx"));
    EXPECT_EQ(one.count, 2);
    ASSERT_EQ(one.records.size(), 1u);
    EXPECT_EQ(one.records[0].item, "Item1");
}

TEST(SheetReader, MoreThanAHundredWorksheetsAreRefusedUnread)
{
    QTemporaryDir dir;
    const ReadResult hundred = ReadSheets(ReadMode::Workbook, engineWorkbook(dir, 100));
    EXPECT_EQ(hundred.records.size(), 100u);
    EXPECT_FALSE(hundred.tooManySheets());
    const ReadResult over = ReadSheets(ReadMode::Workbook, engineWorkbook(dir, 101));
    EXPECT_EQ(over.count, 101);
    EXPECT_TRUE(over.tooManySheets());
    EXPECT_TRUE(over.records.empty());
}

TEST(SheetReader, UnreadableFilesAreErrors)
{
    QTemporaryDir dir;
    EXPECT_THROW(ReadSheets(ReadMode::Workbook, dir.filePath("missing.xlsx")), spreadsheet::Error);
    const QString zip = dir.filePath("broken.xlsx");
    ASSERT_TRUE(writeAll(zip, QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x')));
    EXPECT_THROW(ReadSheets(ReadMode::Workbook, zip), spreadsheet::Error);
    const QString binary = dir.filePath("binary.csv");
    ASSERT_TRUE(writeAll(binary, QByteArray("a,b\r\n\0\0", 7)));
    EXPECT_THROW(ReadSheets(ReadMode::Csv, binary), spreadsheet::Error);
}

// The imports read the layout's rows and nothing below them: what lies further down a file,
// however broken, is never read, while the rows read are checked as before.
TEST(SheetReader, NothingBelowTheLayoutIsRead)
{
    QTemporaryDir dir;
    // A quoted lot number spans two lines: rows are records, not lines.
    QString text = header() + "\"K\r\n001\",1,2\r\n";
    for (int lot = 2; lot <= 100; ++lot) text += QStringLiteral("K%1,1,2\r\n").arg(lot, 3, 10, QLatin1Char('0'));
    const QByteArray layout = cp932(text);
    const QByteArray broken("X,\x81\x20,\0\r\n", 8); // a byte pair code page 932 lacks, and a NUL
    const QString csv = dir.filePath("below.csv");
    ASSERT_TRUE(writeAll(csv, layout + broken + "K102,1,2\r\n"));
    const ReadResult r = ReadSheets(ReadMode::Csv, csv);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].lotCount, 100);
    EXPECT_EQ(model::readDataLine(r.records[0].dataLines[0]).lotNumber, "K\r\n001");
    EXPECT_TRUE(r.records[0].dataLines[99].startsWith("K100,1,2,"));
    // The same line as row 104 is read, and refused.
    const QString last = dir.filePath("last.csv");
    ASSERT_TRUE(writeAll(last, layout.left(layout.lastIndexOf("K100")) + broken));
    EXPECT_THROW(ReadSheets(ReadMode::Csv, last), spreadsheet::Error);

    // A worksheet: a value no number reads as below row 104, and a cell beyond column XFD.
    auto sheet = [](const QByteArray& after, const QByteArray& row104 = "104") {
        testing_support::Parts p = testing_support::newWorkbookParts();
        QByteArray rows = "<row r=\"2\"><c r=\"D2\" t=\"inlineStr\"><is><t>Deep</t></is></c></row>";
        for (int r = 5; r <= 104; ++r)
            rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) + "\"><v>" + QByteArray::number(r) + "</v></c></row>";
        rows.replace("<v>104</v>", "<v>" + row104 + "</v>");
        p["xl/worksheets/sheet1.xml"] = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + rows
                                        + after + "</sheetData></worksheet>";
        return testing_support::pack(p);
    };
    const QString book = testing_support::writeFile(dir, "below.xlsx", sheet("<row r=\"105\"><c r=\"A105\"><v>oops</v></c><c r=\"ZZZZ105\"/></row>"));
    const ReadResult w = ReadSheets(ReadMode::Workbook, book);
    ASSERT_EQ(w.records.size(), 1u);
    EXPECT_EQ(w.records[0].item, "Deep");
    EXPECT_EQ(w.records[0].lotCount, 100);
    EXPECT_TRUE(w.records[0].dataLines[99].startsWith("104,"));
    const QString bad = testing_support::writeFile(dir, "bad.xlsx", sheet("<row r=\"106\"/>", "oops"));
    EXPECT_THROW(ReadSheets(ReadMode::Workbook, bad), spreadsheet::Error);
}
