// Legacy workbooks (.xls): what LibreOffice writes reads as LibreOffice itself reads it, and
// broken or hostile files are refused at a bounded cost.
#include "LegacyFiles.h"
#include "TestSupport.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace spreadsheet;
using namespace testing_support;

namespace {

QByteArray sheetWithCells(int rows, int columns)
{
    QByteArray records = dimensions(static_cast<std::uint32_t>(rows), static_cast<std::uint16_t>(columns));
    records += numberCell(0, 0, 1.5);
    return records;
}

} // namespace

TEST(LegacyXls, ReadsWhatLibreOfficeWritesAsLibreOfficeReadsIt)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    run(python(), {toolsFolder() + QStringLiteral("/make_legacy_fixture.py"), d + "/legacy.xlsx"});
    soffice({"--convert-to", "xls:MS Excel 97", "--outdir", d + "/xls", d + "/legacy.xlsx"});
    // LibreOffice's own reading of the .xls, written back out as Office Open XML.
    soffice({"--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", d + "/lo", d + "/xls/legacy.xls"});

    auto xls = Book::open(d + "/xls/legacy.xls");
    auto lo = Book::open(d + "/lo/legacy.xlsx");
    EXPECT_EQ(xls->sourceFormat(), SourceFormat::LegacyXls);
    ASSERT_EQ(xls->worksheetCount(), 2);
    EXPECT_EQ(xls->worksheetName(0), "計算");
    EXPECT_EQ(xls->worksheetName(1), "Second");

    // Formula cells read as their results; booleans, errors, dates and formats as written.
    const struct {
        int sheet, row, column;
        const char* text;
        const char* format;
    } expected[] = {
        {0, 1, 2, "4", "General"},       {0, 1, 3, "TRUE", "General"},    {0, 1, 4, "FALSE", "General"},
        {0, 1, 5, "大", "General"},      {0, 1, 6, "#DIV/0!", "General"}, {0, 1, 7, "", "General"},
        {0, 1, 8, "2", "General"},       {0, 2, 1, "10.5", "0.000"},      {0, 2, 2, "0.25", "0.00%"},
        {0, 2, 3, "45306.5625", "yyyy\\-mm\\-dd\\ hh:mm:ss"},              {0, 2, 4, "45306", "yyyy/m/d"},
        {0, 2, 5, "1234.5", "#,##0.00"}, {0, 2, 6, "21", "0.0"},          {0, 2, 7, "", "0.000"},
        {0, 3, 2, "ﾛｯﾄ№-1", "General"}, {1, 1, 1, "42", "General"},      {1, 1, 2, "-3.25E-07", "General"},
    };
    for (const auto& e : expected) {
        const std::string where = std::to_string(e.sheet) + "!" + formatA1({e.row, e.column}).toStdString();
        EXPECT_EQ(xls->text(e.sheet, e.row, e.column), QString::fromUtf8(e.text)) << where;
        EXPECT_EQ(xls->numberFormat(e.sheet, e.row, e.column), QString::fromUtf8(e.format)) << where;
        EXPECT_TRUE(xls->formula(e.sheet, e.row, e.column).isEmpty()) << where;
    }
    EXPECT_EQ(xls->cells(0).find(1, 3)->type, CellType::Boolean);

    // Every cell, value and format alike, reads as it does after LibreOffice's reading.
    for (int s = 0; s < 2; ++s) {
        const auto ours = xls->cells(s).usedRect();
        const auto theirs = lo->cells(s).usedRect();
        ASSERT_TRUE(ours && theirs);
        for (int r = 1; r <= std::max(ours->bottom, theirs->bottom); ++r)
            for (int c = 1; c <= std::max(ours->right, theirs->right); ++c) {
                const std::string where = std::to_string(s) + "!" + formatA1({r, c}).toStdString();
                EXPECT_EQ(xls->text(s, r, c), lo->text(s, r, c)) << where;
                EXPECT_EQ(xls->numberFormat(s, r, c), lo->numberFormat(s, r, c)) << where;
            }
    }

    // Saved as a workbook of our own, dates stay dates and formats stay.
    const QString saved = d + "/ours.xlsx";
    xls->save(saved);
    auto again = Book::open(saved);
    EXPECT_EQ(again->text(0, 2, 3), "45306.5625");
    EXPECT_EQ(again->numberFormat(0, 2, 3), "yyyy\\-mm\\-dd\\ hh:mm:ss");
    EXPECT_EQ(again->text(0, 1, 3), "TRUE");
}

TEST(LegacyXls, CellRecordsOfOtherWriters)
{
    // Shared strings split over a CONTINUE record, as Excel writes long tables.
    const QString longText = QString(5000, u'測');
    QByteArray sst = u32le(3) + u32le(3);
    sst += u16le(3) + QByteArray(1, '\0') + "abc";
    QByteArray second = u16le(static_cast<unsigned>(longText.size())) + QByteArray(1, '\x01');
    QByteArray chars;
    for (QChar c : longText) chars += u16le(c.unicode());
    const qsizetype firstPart = (8000 - sst.size() - second.size()) & ~qsizetype(1); // whole characters
    sst += second + chars.left(firstPart);
    // The characters go on behind an option byte; the next string starts in the same part.
    QByteArray continued = QByteArray(1, '\x01') + chars.mid(firstPart) + u16le(2) + QByteArray(1, '\0') + "ok";
    const QByteArray globals = biffRecord(0x00FC, sst) + biffRecord(0x003C, continued)
                               + biffRecord(0x041E, u16le(164) + u16le(5) + QByteArray(1, '\0') + "0.000")
                               + biffRecord(0x0022, u16le(1)); // 1904 date system
    // XF 16 uses the custom format, XF 17 a built-in date format.
    QByteArray xfs = biffRecord(0x00E0, u16le(0) + u16le(164) + QByteArray(16, '\0')) + biffRecord(0x00E0, u16le(0) + u16le(14) + QByteArray(16, '\0'));
    QByteArray cells = dimensions(10, 6);
    cells += biffRecord(0x00FD, u16le(0) + u16le(0) + u16le(15) + u32le(0));
    cells += biffRecord(0x00FD, u16le(0) + u16le(1) + u16le(15) + u32le(1));
    cells += biffRecord(0x00FD, u16le(0) + u16le(2) + u16le(15) + u32le(2));
    cells += boolCell(1, 0, true) + boolCell(1, 1, false) + boolCell(1, 2, 0x2A, true);
    cells += numberCell(2, 0, 10.5, 16) + numberCell(2, 1, 43000, 17);
    // RK values: an integer, and a hundredth of one.
    cells += biffRecord(0x027E, u16le(3) + u16le(0) + u16le(15) + u32le((12345u << 2) | 2u | 1u));
    cells += biffRecord(0x00BD, u16le(3) + u16le(1) + u16le(15) + u32le((7u << 2) | 2u) + u16le(16) + u32le(((0xFFFFFFFFu - 2) << 2) | 2u) + u16le(2));
    cells += labelCell(4, 0, QStringLiteral("ラベル"));
    cells += biffRecord(0x0201, u16le(5) + u16le(0) + u16le(16)); // formatted, empty
    cells += biffRecord(0x0201, u16le(5) + u16le(1) + u16le(15)); // plain, empty: no cell
    const QByteArray stream = biffWorkbook({{QStringLiteral("Data"), cells}}, globals + xfs);

    auto book = Book::fromBytes(compoundFile(stream), "x");
    ASSERT_EQ(book->worksheetCount(), 1);
    EXPECT_EQ(book->text(0, 1, 1), "abc");
    EXPECT_EQ(book->text(0, 1, 2), longText);
    EXPECT_EQ(book->text(0, 1, 3), "ok");
    EXPECT_EQ(book->text(0, 2, 1), "TRUE");
    EXPECT_EQ(book->text(0, 2, 2), "FALSE");
    EXPECT_EQ(book->text(0, 2, 3), "#N/A");
    EXPECT_EQ(book->text(0, 3, 1), "10.5");
    EXPECT_EQ(book->numberFormat(0, 3, 1), "0.000");
    EXPECT_EQ(book->text(0, 3, 2), "44462"); // a 1904 date becomes the same day in the 1900 system
    EXPECT_EQ(book->numberFormat(0, 3, 2), "mm-dd-yy");
    EXPECT_EQ(book->text(0, 4, 1), "123.45");
    EXPECT_EQ(book->text(0, 4, 2), "7");
    EXPECT_EQ(book->text(0, 4, 3), "-3");
    EXPECT_EQ(book->text(0, 5, 1), "ラベル");
    EXPECT_EQ(book->numberFormat(0, 6, 1), "0.000");
    EXPECT_EQ(book->text(0, 6, 1), "");
    EXPECT_EQ(book->cells(0).find(6, 2), nullptr);
}

TEST(LegacyXls, BrokenFilesAreRefused)
{
    const QByteArray good = compoundFile(biffWorkbook({{QStringLiteral("S"), sheetWithCells(2, 2)}}));
    ASSERT_NO_THROW(Book::fromBytes(good, "x"));

    // A text claiming far more characters than its record holds: a reader trusting the count reads past it.
    QByteArray overrun = dimensions(2, 2) + biffRecord(0x0204, u16le(0) + u16le(0) + u16le(15) + u16le(65535) + QByteArray(1, '\x01') + "AB");
    // A FORMULA whose string result is announced; the STRING record is cut short.
    QByteArray shortString = dimensions(2, 2) + biffRecord(0x0006, u16le(0) + u16le(0) + u16le(15) + QByteArray(6, '\0') + "\xFF\xFF" + QByteArray(8, '\0'))
                             + biffRecord(0x0207, u16le(500) + QByteArray(1, '\0') + "abc");
    // A record whose length runs past the end of the stream (the sheet's EOF lies inside it).
    QByteArray pastEnd = compoundFile(biffWorkbook({{QStringLiteral("S"), sheetWithCells(2, 2) + u16le(0x0203) + u16le(8000)}}));
    QByteArray loop = good;
    {
        // The stream's first sector points back at itself in the allocation table.
        const qsizetype fat = (qFromLittleEndian<quint32>(good.constData() + 76) + 1) * 512;
        loop.replace(fat, 4, u32le(0));
    }
    QByteArray outside = good;
    outside.replace(76, 4, u32le(900000)); // the allocation table's sector lies beyond the file
    QByteArray wrongOffset = biffWorkbook({{QStringLiteral("S"), sheetWithCells(2, 2)}});
    wrongOffset.replace(wrongOffset.indexOf(QByteArray("\x85\x00", 2)) + 4, 4, u32le(3));
    const QByteArray password = compoundFile(biffWorkbook({{QStringLiteral("S"), sheetWithCells(2, 2)}}, biffRecord(0x002F, QByteArray(54, '\0'))));
    QByteArray version = biffWorkbook({{QStringLiteral("S"), sheetWithCells(2, 2)}});
    version.replace(4, 2, u16le(0x0400));
    QByteArray noWorkbook = compoundFile(biffWorkbook({{QStringLiteral("S"), sheetWithCells(2, 2)}}), QStringLiteral("Other"));
    QByteArray bigSheetIndex = dimensions(2, 2) + biffRecord(0x00FD, u16le(0) + u16le(0) + u16le(15) + u32le(7));

    const struct {
        QByteArray bytes;
        const char* fragment;
        const char* label;
    } cases[] = {
        {compoundFile(biffWorkbook({{QStringLiteral("S"), overrun}})), "damaged", "text past its record"},
        {compoundFile(biffWorkbook({{QStringLiteral("S"), shortString}})), "damaged", "string result past its record"},
        {pastEnd, "damaged", "record past the stream"},
        {loop, "damaged", "sector chain in a loop"},
        {outside, "damaged", "table sector outside the file"},
        {compoundFile(wrongOffset), "damaged", "sheet offset pointing elsewhere"},
        {password, "password", "encrypted"},
        {compoundFile(version), "version", "BIFF4"},
        {noWorkbook, "without a workbook", "no workbook stream"},
        {compoundFile(biffWorkbook({{QStringLiteral("S"), bigSheetIndex}})), "shared string", "string index without strings"},
        {good.left(300), "damaged", "truncated header"},
    };
    for (const auto& c : cases) expectRefused(c.bytes, c.fragment, c.label);
}

TEST(LegacyXls, ClaimedDimensionsAreRefusedBeforeAnythingIsAllocated)
{
    QTemporaryDir dir;
    // Three, six and forty sheets each claiming the whole BIFF8 grid.
    for (int sheets : {3, 6, 40}) {
        std::vector<LegacySheet> list;
        for (int i = 0; i < sheets; ++i) list.push_back({QStringLiteral("S%1").arg(i), sheetWithCells(65536, 256)});
        const QString path = writeFile(dir, "claims.xls", compoundFile(biffWorkbook(list)));
        const ProbeResult r = probe(path);
        EXPECT_FALSE(r.opened) << sheets;
        EXPECT_TRUE(r.message.contains("claims")) << r.message.toStdString();
        EXPECT_TRUE(r.message.contains("claims.xls")) << r.message.toStdString();
        expectPeakBelow(r, 16, "claimed grid");
    }
    // A claim beyond the format's grid is refused as such.
    expectRefused(compoundFile(biffWorkbook({{QStringLiteral("S"), sheetWithCells(70000, 2)}})), "claims", "rows beyond BIFF8");

    // A shared string table claiming four billion strings holds two: it costs what it holds.
    const QByteArray sst = biffRecord(0x00FC, u32le(0xFFFFFFFF) + u32le(0xFFFFFFFF) + u16le(1) + QByteArray(1, '\0') + "a" + u16le(1) + QByteArray(1, '\0') + "b");
    QByteArray cells = dimensions(1, 1) + biffRecord(0x00FD, u16le(0) + u16le(0) + u16le(15) + u32le(1));
    const QString path = writeFile(dir, "strings.xls", compoundFile(biffWorkbook({{QStringLiteral("S"), cells}}, sst)));
    const ProbeResult r = probe(path);
    EXPECT_TRUE(r.opened) << r.message.toStdString();
    expectPeakBelow(r, 16, "claimed strings");
    EXPECT_EQ(Book::open(path)->text(0, 1, 1), "b");
}
