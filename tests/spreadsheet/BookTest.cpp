// Reading, editing and writing workbooks with the engine alone.
#include "TestSupport.h"

#include "spreadsheet/Application.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/Zip.h"

#include <QBuffer>
#include <QDir>
#include <zip.h>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ctime>
#include <functional>

using namespace spreadsheet;
using testing_support::pack;
using testing_support::Parts;
using testing_support::unpack;

namespace {

constexpr const char* kSheetHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";

QByteArray sheetXml(const QByteArray& body) { return QByteArray(kSheetHead) + body + "</worksheet>"; }

// A workbook of two sheets with shared strings, a styled cell, column widths, merged cells,
// a defined name, a calculation chain and parts the engine does not know.
Parts richWorkbook()
{
    Parts p;
    p["[Content_Types].xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Default Extension=\"bin\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.printerSettings\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet2.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
        "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
        "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>"
        "<Override PartName=\"/xl/theme/theme1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>"
        "</Types>";
    p["_rels/.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"/xl/workbook.xml\"/>"
        "</Relationships>";
    p["xl/workbook.xml"] =
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"Calc\" sheetId=\"2\" r:id=\"rId2\"/></sheets>"
        "<definedNames><definedName name=\"Series\">Data!$B$2:$B$10</definedName>"
        "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">Data!$A$1:$H$10</definedName></definedNames>"
        "<calcPr calcId=\"191029\"/></workbook>";
    p["xl/_rels/workbook.xml.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet2.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
        "<Relationship Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "<Relationship Id=\"rId5\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/>"
        "<Relationship Id=\"rId6\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme\" Target=\"theme/theme1.xml\"/>"
        "</Relationships>";
    p["xl/styles.xml"] =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<fonts count=\"2\"><font><sz val=\"11\"/></font><font><b/><sz val=\"11\"/></font></fonts>"
        "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
        "<borders count=\"1\"><border/></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
        "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/></cellXfs></styleSheet>";
    p["xl/sharedStrings.xml"] =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"3\" uniqueCount=\"3\">"
        "<si><t>Lot</t></si><si><r><rPr><b/></rPr><t>Ri</t></r><r><t xml:space=\"preserve\">ch </t></r></si>"
        "<si><t>ﾛｯﾄ</t><rPh sb=\"0\" eb=\"1\"><t>ロット</t></rPh></si></sst>";
    p["xl/calcChain.xml"] = "<calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><c r=\"C2\" i=\"2\"/></calcChain>";
    p["xl/theme/theme1.xml"] = "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" name=\"T\">\n  <!-- kept as written -->\n</a:theme>";
    p["xl/printerSettings/printerSettings1.bin"] = QByteArray("\x00\x01\x02\xff binary", 11);
    p["xl/worksheets/sheet1.xml"] = sheetXml(
        "<dimension ref=\"A1:B12\"/><cols><col min=\"1\" max=\"1\" width=\"20.5\" customWidth=\"1\"/></cols>"
        "<sheetData>"
        "<row r=\"1\" ht=\"30\" customHeight=\"1\"><c r=\"A1\" t=\"s\" s=\"1\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
        "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>2</v></c><c r=\"B2\"><v>1.5</v></c></row>"
        "<row r=\"3\"><c r=\"B3\"><v>2.5</v></c></row>"
        "<row r=\"12\"><c r=\"B12\"><v>12</v></c></row>"
        "</sheetData><mergeCells count=\"2\"><mergeCell ref=\"D2:E3\"/><mergeCell ref=\"B5:B6\"/></mergeCells>"
        "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>");
    p["xl/worksheets/sheet2.xml"] = sheetXml(
        "<sheetData><row r=\"1\"><c r=\"A1\"><f>SUM(Data!B2:B12)</f><v>16</v></c>"
        "<c r=\"B1\" t=\"str\"><f>Data!A2&amp;\"x\"</f><v>ﾛｯﾄx</v></c>"
        "<c r=\"C1\"><f t=\"shared\" ref=\"C1:C3\" si=\"0\">Data!B2*2</f><v>3</v></c></row>"
        "<row r=\"2\"><c r=\"C2\"><f t=\"shared\" si=\"0\"/><v>5</v></c></row>"
        "<row r=\"3\"><c r=\"C3\"><f t=\"shared\" si=\"0\"/><v>0</v></c><c r=\"D3\" t=\"e\"><v>#N/A</v></c><c r=\"E3\" t=\"b\"><v>1</v></c><c r=\"F3\" t=\"s\" s=\"1\"/></row>"
        "</sheetData>");
    return p;
}

QString pathIn(const QTemporaryDir& dir, const char* name) { return dir.path() + u'/' + QString::fromUtf8(name); }

} // namespace

TEST(Book, NewWorkbookWrittenAndReadBack)
{
    auto book = Book::createNew(3);
    ASSERT_EQ(book->worksheetCount(), 3);
    EXPECT_EQ(book->worksheetName(0), "Sheet1");
    EXPECT_EQ(book->worksheetName(2), "Sheet3");
    book->setTypedBlock(1, 4, 1, {{"ﾛｯﾄ№", "N1", "N2"}, {"K001", "10.010", "9.990"}, {"K002", "10.020", ""}});
    book->renameWorksheet(2, "測定値");
    auto again = Book::fromOoxml(book->toBytes());
    ASSERT_EQ(again->worksheetCount(), 3);
    EXPECT_EQ(again->worksheetName(2), "測定値");
    EXPECT_EQ(again->text(1, 4, 1), "ﾛｯﾄ№");
    EXPECT_EQ(again->text(1, 5, 2), "10.01");
    EXPECT_EQ(again->text(1, 6, 3), "");
    EXPECT_EQ(again->cells(0).cellCount(), 0);
}

TEST(Book, ReadsStringsStylesFormulasAndCachedValues)
{
    auto book = Book::fromOoxml(pack(richWorkbook()));
    ASSERT_EQ(book->worksheetCount(), 2);
    EXPECT_EQ(book->text(0, 1, 1), "Lot");
    EXPECT_EQ(book->text(0, 1, 2), "Rich "); // runs joined
    EXPECT_EQ(book->text(0, 2, 1), "ﾛｯﾄ");   // phonetic runs left out
    EXPECT_EQ(book->text(1, 1, 1), "16");    // a formula reads as its cached value
    EXPECT_EQ(book->formula(1, 1, 1), "SUM(Data!B2:B12)");
    EXPECT_EQ(book->text(1, 1, 2), "ﾛｯﾄx");
    EXPECT_EQ(book->formula(1, 2, 3), "Data!B3*2"); // shared formula expanded
    EXPECT_EQ(book->formula(1, 3, 3), "Data!B4*2");
    EXPECT_EQ(book->text(1, 3, 4), "#N/A");
    EXPECT_EQ(book->text(1, 3, 5), "TRUE");
    EXPECT_EQ(book->text(1, 3, 6), ""); // a styled cell without a value
}

TEST(Book, SavingKeepsWhatItDoesNotEditAndDropsTheCalculationChain)
{
    const Parts original = richWorkbook();
    auto book = Book::fromOoxml(pack(original));
    book->setTyped(1, 5, 1, "new text");
    const Parts saved = unpack(book->toBytes());

    for (const char* kept : {"xl/theme/theme1.xml", "xl/printerSettings/printerSettings1.bin", "xl/worksheets/sheet1.xml",
                             "_rels/.rels", "xl/styles.xml"})
        EXPECT_EQ(saved.at(kept), original.at(kept)) << kept;
    EXPECT_EQ(saved.count("xl/calcChain.xml"), 0u);
    EXPECT_FALSE(saved.at("xl/_rels/workbook.xml.rels").contains("calcChain"));
    EXPECT_FALSE(saved.at("[Content_Types].xml").contains("calcChain"));
    EXPECT_TRUE(saved.at("xl/workbook.xml").contains("fullCalcOnLoad=\"1\""));
    EXPECT_TRUE(saved.at("xl/workbook.xml").contains("<definedName name=\"Series\">Data!$B$2:$B$10</definedName>"));

    // The new text was appended to the shared strings; the old indices still hold.
    auto again = Book::fromOoxml(book->toBytes());
    EXPECT_EQ(again->text(1, 5, 1), "new text");
    EXPECT_EQ(again->text(0, 1, 2), "Rich ");
    EXPECT_EQ(again->text(0, 2, 1), "ﾛｯﾄ");
    EXPECT_EQ(again->formula(1, 2, 3), "Data!B3*2");
    EXPECT_EQ(again->formula(1, 1, 2), "Data!A2&\"x\"");
    EXPECT_TRUE(saved.at("xl/sharedStrings.xml").contains("<rPh sb=\"0\" eb=\"1\">"));
}

TEST(Book, WorksheetsSavedPackedReadBackAsWrittenAndSaveAgainAlike)
{
    auto book = Book::createNew(3);
    for (int s = 0; s < 3; ++s) {
        book->setTyped(s, 1, 1, QStringLiteral("ﾛｯﾄ№ %1").arg(s));
        for (int r = 2; r <= 50; ++r) book->setNumber(s, r, 2, r * 0.125 + s);
    }
    const QByteArray first = book->toBytes();
    const Parts saved = unpack(first);
    // A saved worksheet is held deflated; asked for, it is the text that was saved.
    for (const char* sheet : {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet3.xml"}) EXPECT_EQ(book->part(sheet), saved.at(sheet)) << sheet;
    EXPECT_EQ(book->toBytes(), first);
    // One sheet changed: only it is written again, the others keep their bytes.
    book->setNumber(1, 60, 3, 7.5);
    const Parts second = unpack(book->toBytes());
    EXPECT_EQ(second.at("xl/worksheets/sheet1.xml"), saved.at("xl/worksheets/sheet1.xml"));
    EXPECT_NE(second.at("xl/worksheets/sheet2.xml"), saved.at("xl/worksheets/sheet2.xml"));
    auto again = Book::fromOoxml(book->toBytes());
    EXPECT_EQ(again->text(2, 1, 1), QStringLiteral("ﾛｯﾄ№ 2"));
    EXPECT_EQ(again->text(2, 50, 2), "8.25");
    EXPECT_EQ(again->text(1, 60, 3), "7.5");
}

namespace {

// The archive libzip makes of the parts itself, deflating each at the writer's level.
QByteArray zippedByLibzip(const Parts& parts)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
    zip_source_keep(memory);
    std::tm t{};
    t.tm_year = 80;
    t.tm_mday = 1;
    t.tm_isdst = -1;
    for (const auto& [name, data] : parts) {
        const zip_int64_t i = zip_file_add(zip, name.c_str(), zip_source_buffer(zip, data.constData(), zip_uint64_t(data.size()), 0), ZIP_FL_ENC_UTF_8);
        zip_set_file_compression(zip, zip_uint64_t(i), ZIP_CM_DEFLATE, kPackageLevel);
        zip_file_set_mtime(zip, zip_uint64_t(i), std::mktime(&t), 0);
    }
    zip_close(zip);
    zip_stat_t st;
    zip_source_stat(memory, &st);
    QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
    zip_source_open(memory);
    zip_source_read(memory, bytes.data(), st.size);
    zip_source_close(memory);
    zip_source_free(memory);
    zip_error_fini(&error);
    return bytes;
}

} // namespace

TEST(ZipWriter, EntriesDeflatedAheadAreTheBytesLibzipMakes)
{
    Parts parts = unpack(Book::createNew(1)->toBytes());
    parts["empty.bin"] = QByteArray();
    QByteArray text;
    for (int i = 0; i < 30000; ++i) text += "<c r=\"A" + QByteArray::number(i) + "\"><v>" + QByteArray::number(i * 0.5) + "</v></c>";
    parts["xl/worksheets/sheet1.xml"] = text;
    QBuffer ahead;
    ahead.open(QIODevice::WriteOnly);
    ZipWriter zip(ahead);
    for (const auto& [name, data] : parts) {
        if (data.isEmpty()) zip.add(name, data);
        else zip.add(name, deflatePart(data));
    }
    zip.finish();
    const QByteArray byLibzip = zippedByLibzip(parts);
    EXPECT_EQ(ahead.data(), byLibzip);
    EXPECT_EQ(pack(parts), byLibzip); // entries added as data are deflated ahead as well
    EXPECT_EQ(unpack(ahead.data()), parts);

    DeflatedPart packed = deflatePart(text);
    EXPECT_LT(packed.bytes.size(), text.size() / 3);
    EXPECT_EQ(inflatePart(packed), text);
    packed.crc ^= 1;
    EXPECT_THROW(inflatePart(packed), Error);
}

TEST(Book, EditedSheetKeepsItsLayout)
{
    auto book = Book::fromOoxml(pack(richWorkbook()));
    book->setTyped(0, 3, 1, "  padded  ");
    const QByteArray xml = unpack(book->toBytes()).at("xl/worksheets/sheet1.xml");
    EXPECT_TRUE(xml.contains("<col min=\"1\" max=\"1\" width=\"20.5\" customWidth=\"1\"/>")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<mergeCell ref=\"D2:E3\"/>"));
    EXPECT_TRUE(xml.contains("<pageMargins "));
    EXPECT_TRUE(xml.contains("<row r=\"1\" ht=\"30\" customHeight=\"1\">"));
    EXPECT_TRUE(xml.contains("<dimension ref=\"A1:B12\"/>"));
    EXPECT_TRUE(xml.contains("<c r=\"A1\" s=\"1\" t=\"s\">"));
    auto again = Book::fromOoxml(book->toBytes());
    EXPECT_EQ(again->text(0, 3, 1), "  padded  ");
}

TEST(Book, TextsWithControlCharactersAndMarkupSurvive)
{
    auto book = Book::createNew(1);
    const QString texts[] = {"a<b>&\"c\"", "tab\tand\r\nbreak", QString(QChar(1)) + "x", "_x0041_ literal", "𠮷野家"};
    int row = 1;
    for (const QString& t : texts) book->setTyped(0, row++, 1, t);
    auto again = Book::fromOoxml(book->toBytes());
    row = 1;
    for (const QString& t : texts) EXPECT_EQ(again->text(0, row++, 1), t);
}

TEST(Book, NumberFormatsAddedOnceAndAppliedToEveryCell)
{
    auto book = Book::fromOoxml(pack(richWorkbook()));
    book->setNumberFormat(0, {1, 1, 3, 2}, "0.000_ ");
    book->setNumberFormat(0, {5, 1, 6, 1}, "0.000_ ");
    book->setNumberFormat(0, {8, 3, 8, 3}, "0_ ");
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 2; ++c) EXPECT_EQ(book->numberFormat(0, r, c), "0.000_ ") << r << "," << c;
    EXPECT_EQ(book->numberFormat(0, 6, 1), "0.000_ ");
    EXPECT_EQ(book->numberFormat(0, 8, 3), "0_ ");
    EXPECT_EQ(book->numberFormat(0, 4, 1), "General");
    auto again = Book::fromOoxml(book->toBytes());
    EXPECT_EQ(again->numberFormat(0, 3, 1), "0.000_ ");
    EXPECT_EQ(again->numberFormat(0, 8, 3), "0_ ");
    EXPECT_EQ(again->text(0, 1, 1), "Lot");
    const QByteArray styles = unpack(book->toBytes()).at("xl/styles.xml");
    EXPECT_EQ(styles.count("formatCode=\"0.000_ \""), 1);
    EXPECT_EQ(styles.count("formatCode=\"0_ \""), 1);
    // The bold cell keeps its font in its new format.
    EXPECT_TRUE(styles.contains("fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\" applyNumberFormat=\"1\""))
        << styles.toStdString();
    EXPECT_THROW(book->setNumberFormat(0, {1, 1, 1048576, 16384}, "0"), Error);
}

TEST(Book, DeleteShiftUpMovesCellsAndEveryReference)
{
    auto book = Book::fromOoxml(pack(richWorkbook()));
    book->deleteShiftUp(0, {3, 1, 5, 2}); // A3:B5 of Data
    EXPECT_EQ(book->text(0, 2, 2), "1.5");
    EXPECT_EQ(book->text(0, 3, 2), "");
    EXPECT_EQ(book->text(0, 9, 2), "12");  // B12 moved to B9
    EXPECT_EQ(book->text(0, 12, 2), "");
    EXPECT_EQ(book->formula(1, 1, 1), "SUM(Data!B2:B9)");
    EXPECT_EQ(book->formula(1, 1, 3), "Data!B2*2");
    EXPECT_EQ(book->formula(1, 2, 3), "Data!#REF!*2"); // pointed at B3, deleted
    EXPECT_EQ(book->formula(1, 3, 3), "Data!#REF!*2");
    const Parts saved = unpack(book->toBytes());
    EXPECT_TRUE(saved.at("xl/workbook.xml").contains(">Data!$B$2:$B$7</definedName>"));
    EXPECT_TRUE(saved.at("xl/workbook.xml").contains(">Data!$A$1:$H$10</definedName>")); // reaches beyond A:B
    const QByteArray sheet1 = saved.at("xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheet1.contains("<mergeCell ref=\"D2:E3\"/>"));
    EXPECT_FALSE(sheet1.contains("B5:B6")) << sheet1.toStdString(); // merged area inside the block is gone
    EXPECT_TRUE(sheet1.contains("<mergeCells count=\"1\">"));
}

TEST(Application, WorkbooksWorksheetsAndRanges)
{
    QTemporaryDir dir;
    Application app;
    app.setSheetsInNewWorkbook(2);
    EXPECT_THROW(app.setSheetsInNewWorkbook(0), Error);
    EXPECT_THROW(app.activeWorkbook(), Error);
    Workbook wb = app.addWorkbook();
    EXPECT_EQ(wb.name(), "Book1");
    EXPECT_EQ(wb.worksheetCount(), 2);
    EXPECT_THROW(wb.worksheet(0), Error);
    EXPECT_THROW(wb.worksheet(3), Error);
    Worksheet ws = app.worksheet(2);
    EXPECT_EQ(ws.name(), "Sheet2");
    ws.setName("CP-CPK不良率判定");
    EXPECT_THROW(ws.setName("Sheet1"), Error);
    EXPECT_THROW(ws.setName("a/b"), Error);
    EXPECT_THROW(ws.setName(QString(32, u'x')), Error);

    Range block = ws.range("A4", "C5");
    EXPECT_EQ(block.address(true), "$A$4:$C$5");
    block.setValues({{"ﾛｯﾄ№", "N1", "N2", "ignored"}, {"K1", "10.500"}});
    EXPECT_EQ(block.values(), (QList<QStringList>{{"ﾛｯﾄ№", "N1", "N2"}, {"K1", "10.5", ""}}));
    ws.range("B5").setValue(2.5);
    ws.range("D1:E2").setValue(QStringLiteral("7"));
    EXPECT_EQ(ws.range("E2").value(), "7");
    ws.range("B5:C9").setNumberFormatLocal("0.000_ ");
    EXPECT_EQ(ws.range("C9").numberFormatLocal(), "0.000_ ");
    EXPECT_FALSE(wb.saved());
    EXPECT_THROW(ws.range("A0"), Error);
    EXPECT_THROW(ws.range("A1", "XFE1"), Error);

    // A name ending in .xls is written as .xlsx.
    const QString written = wb.saveAs(pathIn(dir, "export.xls"));
    EXPECT_EQ(written, pathIn(dir, "export.xlsx"));
    EXPECT_TRUE(wb.saved());
    EXPECT_EQ(wb.fullName(), written);
    EXPECT_FALSE(QFile::exists(pathIn(dir, "export.xls")));

    Workbook reopened = app.openWorkbook(written);
    EXPECT_EQ(reopened.worksheet(2).name(), "CP-CPK不良率判定");
    EXPECT_EQ(reopened.worksheet(2).range("B5").value(), "2.5");
    EXPECT_EQ(app.activeWorkbook().fullName(), written);
    reopened.close();
    EXPECT_THROW(reopened.worksheet(1), Error);
    EXPECT_EQ(app.activeWorkbook().name(), "export.xlsx");
    app.quit();
    EXPECT_THROW(ws.range("A1").value(), Error);
    EXPECT_EQ(app.workbookCount(), 0);
}

TEST(Application, SaveNeedsANameAndWritesOnlyWorkbooks)
{
    QTemporaryDir dir;
    Application app;
    Workbook wb = app.addWorkbook();
    EXPECT_THROW(wb.save(), Error);
    QFile csv(pathIn(dir, "in.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("a,0012\r\n");
    csv.close();
    Workbook fromCsv = app.openWorkbook(csv.fileName());
    EXPECT_EQ(fromCsv.worksheet(1).name(), "in");
    EXPECT_EQ(fromCsv.worksheet(1).range("B1").value(), "0012");
    fromCsv.save(); // never a zip under the .csv name
    EXPECT_EQ(fromCsv.fullName(), pathIn(dir, "in.xlsx"));
    QFile again(pathIn(dir, "in.csv"));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("a,0012\r\n"));
    EXPECT_THROW(app.openWorkbook(pathIn(dir, "missing.xlsx")), Error);

    // A name without an extension gets the workbook's.
    QDir(dir.path()).mkdir("a.b");
    for (const char* name : {"report", "report.", "a.b/report"}) {
        const QString written = wb.saveAs(pathIn(dir, name));
        const QString expected = pathIn(dir, name).endsWith(u'.') ? pathIn(dir, name) + "xlsx" : pathIn(dir, name) + ".xlsx";
        EXPECT_EQ(written, expected) << name;
        EXPECT_EQ(Book::open(written)->sourceFormat(), SourceFormat::OfficeOpenXml) << name;
    }
}

namespace {

// The rich workbook with a chart part whose series carry cached points.
Parts withChart()
{
    Parts p = richWorkbook();
    p["[Content_Types].xml"].replace("</Types>", "<Override PartName=\"/xl/charts/chart1.xml\" "
                                                 "ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/></Types>");
    QByteArray chart = "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart><c:plotArea><c:lineChart>"
                       "<c:ser><c:tx><c:strRef><c:f>Data!$A$1</c:f><c:strCache><c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>Lot</c:v></c:pt></c:strCache></c:strRef></c:tx>"
                       "<c:cat><c:strRef><c:f>Data!$A$2:$A$12</c:f><c:strCache><c:ptCount val=\"11\"/><c:pt idx=\"0\"><c:v>old</c:v></c:pt></c:strCache></c:strRef></c:cat>"
                       "<c:val><c:numRef><c:f>Data!$B$2:$B$12</c:f><c:numCache><c:formatCode>General</c:formatCode><c:ptCount val=\"11\"/>";
    for (int i = 0; i < 11; ++i) chart += "<c:pt idx=\"" + QByteArray::number(i) + "\"><c:v>" + QByteArray::number(i) + "</c:v></c:pt>";
    chart += "</c:numCache></c:numRef></c:val></c:ser></c:lineChart></c:plotArea></c:chart></c:chartSpace>";
    p["xl/charts/chart1.xml"] = chart;
    return p;
}

} // namespace

TEST(Book, ChartSeriesAndTheirCachedPointsFollowADelete)
{
    auto book = Book::fromOoxml(pack(withChart()));
    book->deleteShiftUp(0, {4, 1, 12, 2}); // rows 4..12 of A:B, leaving B2:B3
    const QByteArray chart = unpack(book->toBytes()).at("xl/charts/chart1.xml");
    EXPECT_TRUE(chart.contains("<c:f>Data!$B$2:$B$3</c:f><c:numCache><c:formatCode>General</c:formatCode><c:ptCount val=\"2\"/>"
                               "<c:pt idx=\"0\"><c:v>1.5</c:v></c:pt><c:pt idx=\"1\"><c:v>2.5</c:v></c:pt></c:numCache>"))
        << chart.toStdString();
    EXPECT_TRUE(chart.contains("<c:f>Data!$A$1</c:f><c:strCache><c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>Lot</c:v></c:pt></c:strCache>"));
    // Category caches without a format code are rebuilt the same way.
    EXPECT_TRUE(chart.contains("<c:f>Data!$A$2:$A$3</c:f><c:strCache><c:ptCount val=\"2\"/><c:pt idx=\"0\"><c:v>ﾛｯﾄ</c:v></c:pt></c:strCache>"))
        << chart.toStdString();
}

TEST(Book, RenamingASheetRenamesItsReferences)
{
    auto book = Book::fromOoxml(pack(withChart()));
    book->renameWorksheet(0, "測定 値");
    EXPECT_EQ(book->formula(1, 1, 1), "SUM('測定 値'!B2:B12)");
    const Parts saved = unpack(book->toBytes());
    EXPECT_TRUE(saved.at("xl/charts/chart1.xml").contains("<c:f>'測定 値'!$B$2:$B$12</c:f>"));
    EXPECT_TRUE(saved.at("xl/workbook.xml").contains(">'測定 値'!$B$2:$B$10</definedName>"));
    EXPECT_TRUE(saved.at("xl/workbook.xml").contains("name=\"測定 値\""));
    EXPECT_THROW(book->renameWorksheet(0, "calc"), Error); // names are unique regardless of case
}

TEST(Book, PrefixedWorksheetMarkupIsReadAndWrittenInItsOwnNamespace)
{
    Parts p = richWorkbook();
    p["xl/worksheets/sheet2.xml"] =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>"
        "<x:row r=\"2\"><x:c r=\"B2\" t=\"inlineStr\"><x:is><x:t>inline</x:t></x:is></x:c><x:c r=\"C2\"><x:v>4</x:v></x:c></x:row>"
        "</x:sheetData></x:worksheet>";
    auto book = Book::fromOoxml(pack(p));
    EXPECT_EQ(book->text(1, 2, 2), "inline");
    book->setTyped(1, 3, 1, "9");
    const QByteArray xml = unpack(book->toBytes()).at("xl/worksheets/sheet2.xml");
    EXPECT_TRUE(xml.contains("<x:row r=\"3\"><x:c r=\"A3\"><x:v>9</x:v></x:c></x:row>")) << xml.toStdString();
    auto again = Book::fromOoxml(book->toBytes());
    EXPECT_EQ(again->text(1, 2, 2), "inline");
    EXPECT_EQ(again->text(1, 2, 3), "4");
}

TEST(Book, FormulasAndErrorsSurviveRepeatedSaves)
{
    Parts p = richWorkbook();
    p["xl/worksheets/sheet2.xml"] = sheetXml("<sheetData><row r=\"1\"><c r=\"A1\" t=\"str\"><f>\"_x0041_\"&amp;\"a&lt;b\"</f><v>_x005F_x0041_a&lt;b</v></c></row></sheetData>");
    auto book = Book::fromOoxml(pack(p));
    EXPECT_EQ(book->text(1, 1, 1), "_x0041_a<b");
    for (int i = 0; i < 3; ++i) {
        book->setTyped(1, 2, 1, QString::number(i)); // forces the sheet to be written
        book = Book::fromOoxml(book->toBytes());
    }
    EXPECT_EQ(book->formula(1, 1, 1), "\"_x0041_\"&\"a<b\"");
    EXPECT_EQ(book->text(1, 1, 1), ""); // its result is the reading program's to compute
}

TEST(Book, ChangedCellsDropEveryCachedFormulaResult)
{
    // Untouched, a workbook keeps its formulas' cached results, byte for byte.
    const Parts original = richWorkbook();
    auto book = Book::fromOoxml(pack(original));
    EXPECT_EQ(unpack(book->toBytes()).at("xl/worksheets/sheet2.xml"), original.at("xl/worksheets/sheet2.xml"));
    EXPECT_EQ(book->text(1, 1, 1), "16");

    // One edit on the data sheet: the formulas on the other sheet lose their stale results,
    // in memory and in the file, and keep everything else.
    const struct {
        const char* label;
        std::function<void(Book&)> edit;
    } edits[] = {
        {"typed", [](Book& b) { b.setTyped(0, 3, 2, "100"); }},
        {"number", [](Book& b) { b.setNumber(0, 3, 2, 100); }},
        {"text", [](Book& b) { b.setText(0, 3, 2, "x"); }},
        {"cleared", [](Book& b) { b.setTyped(0, 3, 2, ""); }},
        {"deleted", [](Book& b) { b.deleteShiftUp(0, {3, 2, 3, 2}); }},
        {"renamed", [](Book& b) { b.renameWorksheet(0, "Other"); }},
    };
    for (const auto& e : edits) {
        auto b = Book::fromOoxml(pack(original));
        e.edit(*b);
        EXPECT_EQ(b->text(1, 1, 1), "") << e.label;
        EXPECT_EQ(b->text(1, 1, 2), "") << e.label;
        EXPECT_EQ(b->text(1, 3, 4), "#N/A") << e.label; // a plain error value is data, not a result
        EXPECT_EQ(b->text(1, 3, 5), "TRUE") << e.label;
        const QByteArray xml = unpack(b->toBytes()).at("xl/worksheets/sheet2.xml");
        EXPECT_FALSE(xml.contains("<v>16</v>")) << e.label << xml.toStdString();
        EXPECT_FALSE(xml.contains("t=\"str\"")) << e.label;
        EXPECT_TRUE(xml.contains("<c r=\"A1\"><f>")) << e.label << xml.toStdString();
        auto again = Book::fromOoxml(b->toBytes());
        EXPECT_FALSE(again->formula(1, 1, 1).isEmpty()) << e.label;
        EXPECT_EQ(again->text(1, 1, 1), "") << e.label;
        EXPECT_EQ(again->text(1, 2, 3), "") << e.label;
    }
    // Formats alone change no value.
    book->setNumberFormat(0, {1, 1, 2, 2}, "0.00");
    EXPECT_EQ(book->text(1, 1, 1), "16");
}

TEST(Book, JapaneseGeneralFormatNameMeansGeneral)
{
    auto book = Book::createNew(1);
    book->setNumberFormat(0, {1, 1, 1, 1}, "0.00");
    book->setNumberFormat(0, {1, 1, 1, 1}, "G/標準");
    EXPECT_EQ(book->numberFormat(0, 1, 1), "General");
}

TEST(Book, SharedStringsPartGrowsInPlace)
{
    const struct {
        const char* part;
        const char* expectedStart;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"9\" uniqueCount=\"1\"><si><t>a</t></si></sst >\n<!-- end -->",
         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" uniqueCount=\"2\"><si><t>a</t></si><si><t>b &amp; c</t></si></sst>\n<!-- end -->"},
        {"<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>",
         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" uniqueCount=\"1\"><si><t>b &amp; c</t></si></sst>"},
    };
    for (const auto& c : cases) {
        Parts p = richWorkbook();
        p["xl/sharedStrings.xml"] = c.part;
        p["xl/worksheets/sheet1.xml"] = sheetXml("<sheetData/>");
        auto book = Book::fromOoxml(pack(p));
        book->setTyped(0, 1, 1, "b & c");
        const QByteArray sst = unpack(book->toBytes()).at("xl/sharedStrings.xml");
        EXPECT_TRUE(sst.contains(c.expectedStart)) << sst.toStdString();
        EXPECT_EQ(Book::fromOoxml(book->toBytes())->text(0, 1, 1), "b & c");
    }
}

TEST(Book, DeleteShiftUpAdjustsConditionalFormatsValidationsAndLinks)
{
    Parts p = richWorkbook();
    p["xl/worksheets/sheet1.xml"].replace(
        "<pageMargins",
        "<conditionalFormatting sqref=\"B2:B12\"><cfRule type=\"expression\" priority=\"1\"><formula>B2&gt;AVERAGE($B$2:$B$12)</formula></cfRule></conditionalFormatting>"
        "<conditionalFormatting sqref=\"A4:B5\"><cfRule type=\"expression\" priority=\"2\"><formula>TRUE</formula></cfRule></conditionalFormatting>"
        "<dataValidations count=\"2\"><dataValidation type=\"list\" sqref=\"A4:A5\"><formula1>$B$10:$B$12</formula1></dataValidation>"
        "<dataValidation type=\"whole\" sqref=\"C3 A8\"><formula1>$B$10</formula1></dataValidation></dataValidations>"
        "<hyperlinks><hyperlink ref=\"B12\" location=\"Calc!A1\"/></hyperlinks><pageMargins");
    auto book = Book::fromOoxml(pack(p));
    book->deleteShiftUp(0, {3, 1, 5, 2});
    const QByteArray xml = unpack(book->toBytes()).at("xl/worksheets/sheet1.xml");
    EXPECT_TRUE(xml.contains("<conditionalFormatting sqref=\"B2:B9\"><cfRule type=\"expression\" priority=\"1\"><formula>B2&gt;AVERAGE($B$2:$B$9)</formula>"))
        << xml.toStdString();
    EXPECT_FALSE(xml.contains("priority=\"2\""));
    EXPECT_TRUE(xml.contains("<dataValidations count=\"1\"><dataValidation type=\"whole\" sqref=\"C3 A5\"><formula1>$B$7</formula1></dataValidation></dataValidations>"));
    EXPECT_TRUE(xml.contains("<hyperlink ref=\"B9\" location=\"Calc!A1\"/>"));
}

TEST(Book, ReadsAWorksheetWrittenInUtf16)
{
    Parts p = richWorkbook();
    const QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>測定値</t></is></c></row></sheetData></worksheet>");
    QByteArray utf16("\xFF\xFE");
    for (QChar c : xml) utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    p["xl/worksheets/sheet2.xml"] = utf16;
    auto book = Book::fromOoxml(pack(p));
    EXPECT_EQ(book->text(1, 1, 1), "測定値");
    book->setTyped(1, 2, 1, "x");
    EXPECT_EQ(Book::fromOoxml(book->toBytes())->text(1, 1, 1), "測定値");
}
