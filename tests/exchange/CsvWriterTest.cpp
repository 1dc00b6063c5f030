// The CSV files of the export: bytes, quoting, code page and what a failure leaves behind.
#include "ExchangeTestSupport.h"

#include "exchange/CsvWriter.h"
#include "exchange/UnencodableText.h"
#include "exchange/SheetLayout.h"
#include "exchange/SheetReader.h"
#include "model/DataLine.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace exchange;
using exchange_test::readAll;
using exchange_test::writeAll;

namespace {

const QString kHeadings = QStringLiteral("ﾛｯﾄ№,N1,N2,N3");

// Ten lots of three measurements; only K001 and K002 enabled.
model::SheetRecord exampleSheet()
{
    model::SheetRecord r;
    SheetLayout::setFields(r, {"P-100", "Press", "M1", "外径①", "mm", "公差規格", "3", "10.050", "9.950"});
    r.lotCount = 10;
    r.measurementCount = 3;
    for (int lot = 1; lot <= 10; ++lot) {
        r.enableFlags << (lot <= 2 ? "1" : "0");
        r.dataLines << model::writeDataLine(QStringLiteral("K%1").arg(lot, 3, 10, QLatin1Char('0')),
                                            lot == 1   ? QStringList{"10.010", "9.990", "10.000"}
                                            : lot == 2 ? QStringList{"10.020", "", "9.980"}
                                                       : QStringList{"1.000", "2.000", "3.000"});
    }
    return r;
}

} // namespace

TEST(CsvWriter, FieldsWithCommasOrQuotesSurviveARoundTrip)
{
    model::SheetRecord r = exampleSheet();
    r.product = "A,B";
    r.process = "say \"hi\"";
    r.device = "  M 1  "; // blanks are kept, not quoted
    r.dataLines[0] = model::writeDataLine("K,3", {"1.5", "2 5", ""});
    QTemporaryDir dir;
    const QString path = dir.filePath("quoted.csv");
    WriteSheetCsv(path, r, 1, kHeadings);
    const QByteArray bytes = readAll(path);
    EXPECT_TRUE(bytes.contains("\"A,B\",\"say \"\"hi\"\"\",  M 1  ,")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("\r\n\"K,3\",1.5,\"2 5\",\r\n")) << bytes.toStdString();

    const ReadResult back = ReadSheets(ReadMode::Csv, path);
    ASSERT_EQ(back.records.size(), 1u);
    const model::SheetRecord& got = back.records[0];
    EXPECT_EQ(got.product, "A,B");
    EXPECT_EQ(got.process, "say \"hi\"");
    EXPECT_EQ(got.device, "  M 1  ");
    EXPECT_EQ(got.item, "外径①");
    EXPECT_EQ(got.specLower, "9.950");
    const model::ParsedDataLine lot = model::readDataLine(got.dataLines[0]);
    EXPECT_EQ(lot.lotNumber, "K,3");
    ASSERT_GE(lot.cells.size(), 3);
    EXPECT_EQ(lot.cells.mid(0, 3), (QStringList{"1.5", "2 5", ""}));
}

TEST(CsvWriter, ATextCodePage932CannotHoldStopsThatFileAndKeepsTheOldOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(csvFileName(2));
    ASSERT_TRUE(writeAll(path, "old content\r\n"));

    model::SheetRecord r = exampleSheet();
    r.item = "Length";
    r.unit = "µm";
    try {
        WriteSheetCsv(path, r, 2, kHeadings);
        ADD_FAILURE() << "no error";
    } catch (const UnencodableText& e) {
        EXPECT_EQ(e.sheetNumber(), 2);
        EXPECT_EQ(e.text(), "µm");
        EXPECT_TRUE(e.message().contains("Length") && e.message().contains("µm") && e.message().contains("Sheet2.csv"))
            << e.what();
    }
    EXPECT_EQ(readAll(path), "old content\r\n");

    // A look-alike is no substitute: a wave dash in a cell (code page 932 has only the full-width tilde).
    r.unit = "mm";
    r.dataLines[1] = model::writeDataLine("K002", {"10〜11"});
    try {
        WriteSheetCsv(path, r, 2, kHeadings);
        ADD_FAILURE() << "no error";
    } catch (const UnencodableText& e) {
        EXPECT_EQ(e.text(), "10〜11");
    }
    r.dataLines[1] = model::writeDataLine("K002", {"10～11"});
    WriteSheetCsv(path, r, 2, kHeadings);
    EXPECT_TRUE(readAll(path).contains("K002,10\x81\x60" "11\r\n"));
}

TEST(CsvWriter, AFileThatCannotBeCreatedIsAnError)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeAll(dir.filePath("plain"), "x"));
    EXPECT_THROW(WriteSheetCsv(dir.filePath("plain/Sheet1.csv"), exampleSheet(), 1, kHeadings), spreadsheet::Error);
}
