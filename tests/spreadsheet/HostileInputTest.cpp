// Broken and hostile files get a clear error, never a crash, a hang or unbounded memory.
#include "TestSupport.h"

#include "spreadsheet/Application.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/Zip.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include <cerrno>
#include <cstring>

using namespace spreadsheet;
using testing_support::newWorkbookParts;
using testing_support::pack;
using testing_support::Parts;
using testing_support::expectRefused;

namespace {

constexpr const char* kSheetHead = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";

Parts withSheet(const QByteArray& body)
{
    Parts p = newWorkbookParts();
    p["xl/worksheets/sheet1.xml"] = QByteArray(kSheetHead) + body + "</worksheet>";
    return p;
}

} // namespace

TEST(HostileInput, BrokenPackagesAndPartsAreRefused)
{
    const QByteArray good = pack(newWorkbookParts());
    QByteArray corrupt = good;
    corrupt[60] = char(corrupt[60] ^ 0x5a); // inside the first entry's packed data
    Parts noTypes = newWorkbookParts();
    noTypes.erase("[Content_Types].xml");
    Parts noWorkbook = newWorkbookParts();
    noWorkbook.erase("xl/workbook.xml");
    Parts doctypeWorkbook = newWorkbookParts();
    doctypeWorkbook["xl/workbook.xml"].prepend("<!DOCTYPE workbook [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>");
    Parts missingSheet = newWorkbookParts();
    missingSheet.erase("xl/worksheets/sheet1.xml");
    Parts badStrings = withSheet("<sheetData/>");
    badStrings["xl/sharedStrings.xml"] = "<sst><si><t>unclosed</si></sst>";
    badStrings["xl/_rels/workbook.xml.rels"].replace(
        "</Relationships>", "<Relationship Id=\"rId99\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
                            "Target=\"sharedStrings.xml\"/></Relationships>");

    const struct {
        QByteArray bytes;
        const char* fragment;
        const char* label;
    } cases[] = {
        {QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "NUL", "binary file"},
        {QByteArray("PK\x03\x04 not really a zip"), "zip", "zip signature only"},
        {good.left(good.size() / 2), "zip", "truncated package"},
        {corrupt, "corrupt", "corrupt entry"},
        {pack({{"hello.txt", "hi"}}), "not a workbook", "zip without a workbook"},
        {pack(noTypes), "not a workbook", "no content types"},
        {pack(noWorkbook), "no workbook", "no workbook part"},
        {pack(doctypeWorkbook), "document type", "DOCTYPE with entities"},
        {pack(withSheet("<!DOCTYPE x SYSTEM \"file:///etc/passwd\"><sheetData/>")), "well-formed", "DOCTYPE inside the root"},
        {pack([] {
             Parts p = newWorkbookParts();
             p["xl/worksheets/sheet1.xml"] = "<!DOCTYPE worksheet [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
                                             + QByteArray(kSheetHead) + "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&b;</t></is></c></row></sheetData></worksheet>";
             return p;
         }()),
         "document type", "DOCTYPE with entities in a worksheet"},
        {pack(missingSheet), "missing", "worksheet part missing"},
        {pack(badStrings), "well-formed", "broken shared strings"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row></sheetData>")), "shared string", "string index without strings"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>-1</v></c></row></sheetData>")), "shared string", "negative string index"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c></row></sheetData>")), "style", "style index out of range"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\" s=\"99999999999\"><v>1</v></c></row></sheetData>")), "style", "huge style index"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row></sheetData>")), "outside the grid", "column beyond XFD"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"" + QByteArray(40, 'Z') + "1\"><v>1</v></c></row></sheetData>")), "outside the grid", "reference with a long run of letters"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A" + QByteArray(40, '9') + "\"><v>1</v></c></row></sheetData>")), "outside the grid", "reference with a long run of digits"},
        {pack(withSheet("<sheetData><row r=\"1048577\"><c r=\"A1048577\"><v>1</v></c></row></sheetData>")), "row number", "row beyond the grid"},
        {pack(withSheet("<sheetData><row r=\"0\"/></sheetData>")), "row number", "row zero"},
        {pack(withSheet("<sheetData><row r=\"2\"><c r=\"A3\"><v>1</v></c></row></sheetData>")), "row", "cell outside its row"},
        {pack(withSheet("<sheetData><row r=\"1048576\"/><row><c><v>1</v></c></row></sheetData>")), "rows", "implicit row beyond the grid"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"XFD1\"/><c><v>1</v></c></row></sheetData>")), "columns", "implicit column beyond the grid"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>nan</v></c></row></sheetData>")), "number", "nan as a number"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>1e999</v></c></row></sheetData>")), "number", "overflowing number"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"zz\"><v>1</v></c></row></sheetData>")), "unknown type", "unknown cell type"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"d\"><v>soon</v></c></row></sheetData>")), "as a date", "date that is none"},
        {pack(withSheet("<sheetData><row r=\"1\"><c r=\"A1\"><f t=\"shared\" si=\"3\"/></c></row></sheetData>")), "master", "shared formula without master"},
        {pack(withSheet("<cols/>")), "no cell data", "worksheet without cells"},
        {pack(withSheet("<sheetData/><sheetData/>")), "two cell data", "two cell data elements"},
        {pack(withSheet("<sheetData><row><c><v>1</v></c></row></sheetData><bad>")), "well-formed", "unclosed element after the cells"},
        {pack(withSheet("<sheetData><row><c><v>&bogus;</v></c></row></sheetData>")), "entity", "undefined entity"},
        {pack(withSheet("<sheetData>" + QByteArray("<x>").repeated(300) + QByteArray("</x>").repeated(300) + "</sheetData>")), "nested", "deep nesting"},
        {pack(withSheet([] {
             QByteArray row = "<sheetData><row";
             for (int i = 0; i < 300; ++i) row += " a" + QByteArray::number(i) + "=\"1\"";
             return row + "/></sheetData>";
         }())),
         "attributes", "many attributes"},
    };
    for (const auto& c : cases) expectRefused(c.bytes, c.fragment, c.label);
}

TEST(HostileInput, ZipBombsAreStoppedWhileInflating)
{
    // 64 MiB of zeros packs to about 64 KiB: far beyond any real inflate ratio.
    expectRefused(pack({{"[Content_Types].xml", QByteArray(64 << 20, '\0')}}, 9), "inflates", "zip bomb");

    Parts many;
    for (int i = 0; i < 5000; ++i) many[std::to_string(i) + ".txt"] = "x";
    expectRefused(pack(many), "too many entries", "entry count");

    ZipLimits small;
    small.maxEntrySize = 1000;
    const QByteArray twoKb = pack({{"a", QByteArray(2000, 'a')}});
    EXPECT_THROW(readZip(twoKb, small), Error);
    small = {};
    small.maxTotalSize = 3000;
    EXPECT_THROW(readZip(pack({{"a", QByteArray(2000, 'a')}, {"b", QByteArray(2000, 'b')}}), small), Error);
    EXPECT_NO_THROW(readZip(twoKb));
}

TEST(HostileInput, ClaimedDimensionsSizeNothing)
{
    const QByteArray bytes = pack(withSheet(
        "<dimension ref=\"A1:XFD1048576\"/><cols><col min=\"1\" max=\"16384\" width=\"9\"/></cols>"
        "<sheetData><row r=\"1048576\" spans=\"1:16384\"><c r=\"XFD1048576\"><v>7</v></c></row></sheetData>"));
    auto book = Book::fromBytes(bytes, "x");
    EXPECT_EQ(book->cells(0).cellCount(), 1);
    EXPECT_EQ(book->text(0, 1048576, 16384), "7");
    // Saving writes the one cell, not the claimed grid.
    EXPECT_LT(book->toBytes().size(), 4000);
}

TEST(HostileInput, DeeplyNestedChartIsWalkedWithoutRecursion)
{
    Parts p = newWorkbookParts();
    QByteArray chart = "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">";
    const int depth = 200000;
    for (int i = 0; i < depth; ++i) chart += "<c:x>";
    chart += "<c:f>Sheet1!$B$2:$B$10</c:f>";
    for (int i = 0; i < depth; ++i) chart += "</c:x>";
    chart += "</c:chartSpace>";
    p["xl/charts/chart1.xml"] = chart;
    p["[Content_Types].xml"].replace("</Types>", "<Override PartName=\"/xl/charts/chart1.xml\" "
                                                 "ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/></Types>");
    auto book = Book::fromBytes(pack(p), "x");
    book->deleteShiftUp(0, {5, 1, 10, 2});
    EXPECT_TRUE(book->part("xl/charts/chart1.xml").contains("<c:f>Sheet1!$B$2:$B$4</c:f>"));
}

TEST(HostileInput, UnreadableChartLeavesTheBookAsItWas)
{
    Parts p = withSheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"3\"><c r=\"A3\"><v>3</v></c></row></sheetData>");
    p["xl/charts/chart1.xml"] = "<c:chartSpace xmlns:c=\"x\"><c:f>Sheet1!$A$1:$A$3</c:f>";
    p["[Content_Types].xml"].replace("</Types>", "<Override PartName=\"/xl/charts/chart1.xml\" "
                                                 "ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/></Types>");
    auto book = Book::fromBytes(pack(p), "x");
    EXPECT_THROW(book->deleteShiftUp(0, {1, 1, 1, 1}), Error);
    EXPECT_THROW(book->renameWorksheet(0, "Other"), Error);
    EXPECT_EQ(book->text(0, 1, 1), "1");
    EXPECT_EQ(book->text(0, 3, 1), "3");
    EXPECT_EQ(book->worksheetName(0), "Sheet1");
}

#ifdef Q_OS_UNIX
TEST(HostileInput, FailedSaveLeavesTheExistingFileIntact)
{
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/keep.xlsx");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous content");
    }
    auto book = Book::createNew(1);
    for (int r = 1; r <= 2000; ++r)
        for (int c = 1; c <= 10; ++c) book->setTyped(0, r, c, QStringLiteral("text %1 %2").arg(r).arg(c));

    // Let the file system refuse writes beyond 4 KiB for this process.
    QString message;
    testing_support::withFileSizeLimit(4096, [&] {
        try {
            book->save(target);
        } catch (const Error& e) {
            message = e.message();
        }
    });
    // The message names the file and the reason in the operator's words.
    EXPECT_EQ(message, QStringLiteral("ブックを保存できませんでした。\n%1：空き容量が足りません").arg(QDir::toNativeSeparators(target)));

    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("previous content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.xlsx"}); // no temporary left behind
    // The book is still whole: the next save succeeds.
    book->save(target);
    EXPECT_EQ(Book::open(target)->text(0, 2000, 10), "text 2000 10");
}
#endif

TEST(HostileInput, CellsOutOfOrderAreSortedNotInsertedOneByOne)
{
    // Rows of 16,384 cells written right to left; one column repeated (the last one wins).
    QByteArray body = "<sheetData>";
    for (int r = 1; r <= 40; ++r) {
        body += "<row r=\"" + QByteArray::number(r) + "\">";
        for (int c = kMaxColumns; c >= 1; --c)
            body += "<c r=\"" + columnLetters(c).toLatin1() + QByteArray::number(r) + "\"><v>" + QByteArray::number(c) + "</v></c>";
        body += "<c r=\"B" + QByteArray::number(r) + "\"><v>-2</v></c></row>";
    }
    body += "</sheetData>";
    auto book = Book::fromBytes(pack(withSheet(body)), "x");
    EXPECT_EQ(book->cells(0).cellCount(), 40LL * kMaxColumns);
    const auto& row = book->cells(0).rows().at(40);
    EXPECT_EQ(row.front().column, 1);
    EXPECT_EQ(row.back().column, kMaxColumns);
    EXPECT_EQ(book->text(0, 40, 2), "-2");
    EXPECT_EQ(book->text(0, 7, 300), "300");
}

TEST(HostileInput, FormulaTextAndChartCachesAreBounded)
{
    // One long shared formula copied into many cells.
    QByteArray body = "<sheetData><row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A20000\" si=\"0\">" + QByteArray(8000, '1').replace(1, 1, "+")
                      + "</f></c></row>";
    for (int r = 2; r <= 20000; ++r) body += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) + "\"><f t=\"shared\" si=\"0\"/></c></row>";
    body += "</sheetData>";
    expectRefused(pack(withSheet(body)), "formulas are longer", "shared formula copies");

    // A series over a whole column keeps no cached points after a delete.
    Parts p = withSheet("<sheetData><row r=\"2\"><c r=\"B2\"><v>1</v></c></row></sheetData>");
    p["xl/charts/chart1.xml"] = "<c:chartSpace xmlns:c=\"c\"><c:ser><c:val><c:numRef><c:f>Sheet1!$B$1:$B$1048576</c:f><c:numCache>"
                                "<c:formatCode>General</c:formatCode><c:ptCount val=\"1\"/><c:pt idx=\"1\"><c:v>1</c:v></c:pt></c:numCache>"
                                "</c:numRef></c:val></c:ser></c:chartSpace>";
    p["[Content_Types].xml"].replace("</Types>", "<Override PartName=\"/xl/charts/chart1.xml\" "
                                                 "ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/></Types>");
    auto book = Book::fromBytes(pack(p), "x");
    book->deleteShiftUp(0, {3, 1, 3, 2});
    EXPECT_TRUE(book->part("xl/charts/chart1.xml").contains("<c:f>Sheet1!$B$1:$B$1048575</c:f><c:numCache><c:formatCode>General</c:formatCode><c:ptCount val=\"0\"/></c:numCache>"))
        << book->part("xl/charts/chart1.xml").toStdString();
}

namespace {

// A package whose workbook lists `sheets` sheets; `target(i)` names the part of sheet i.
QByteArray manySheets(int sheets, const std::function<QByteArray(int)>& target, const QByteArray& sheetXml)
{
    Parts p = newWorkbookParts();
    QByteArray list = "<sheets>";
    QByteArray rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::set<QByteArray> parts;
    for (int i = 1; i <= sheets; ++i) {
        const QByteArray n = QByteArray::number(i);
        list += "<sheet name=\"S" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\""
                + target(i) + "\"/>";
        parts.insert(target(i));
    }
    rels += "<Relationship Id=\"rIdS\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/></Relationships>";
    QByteArray& wb = p["xl/workbook.xml"];
    wb.replace(wb.indexOf("<sheets>"), wb.indexOf("</sheets>") - wb.indexOf("<sheets>"), list);
    p["xl/_rels/workbook.xml.rels"] = rels;
    p.erase("xl/worksheets/sheet1.xml");
    for (const QByteArray& t : parts) p["xl/" + t.toStdString()] = sheetXml;
    return pack(p);
}

QByteArray worksheetOf(int rows)
{
    QByteArray body = "<sheetData>";
    for (int r = 1; r <= rows; ++r)
        body += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) + "\"><v>" + QByteArray::number(r * 1.25) + "</v></c><c r=\"B"
                + QByteArray::number(r) + "\" t=\"inlineStr\"><is><t>lot " + QByteArray::number(r) + "</t></is></c></row>";
    return QByteArray(kSheetHead) + body + "</sheetData></worksheet>";
}

} // namespace

TEST(HostileInput, APartListedForManySheetsIsRefusedBeforeItMultiplies)
{
    QTemporaryDir dir;
    const QByteArray sheet = worksheetOf(9000); // about 760 KB of cells
    const struct {
        int sheets;
        std::function<QByteArray(int)> target;
        const char* fragment;
        const char* label;
    } cases[] = {
        {1000, [](int) { return QByteArray("worksheets/shared.xml"); }, "more than one sheet", "1000 entries, one part"},
        {3000, [](int) { return QByteArray("worksheets/shared.xml"); }, "more than", "3000 entries, one part"},
        {256, [](int i) { return "worksheets/s" + QByteArray::number(i) + ".xml"; }, "more than 255 sheets", "256 parts"},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = manySheets(c.sheets, c.target, c.sheets == 256 ? worksheetOf(2) : sheet);
        const testing_support::ProbeResult r = testing_support::probe(testing_support::writeFile(dir, "many.xlsx", bytes));
        EXPECT_FALSE(r.opened) << c.label;
        EXPECT_TRUE(r.message.contains(QString::fromUtf8(c.fragment))) << c.label << ": " << r.message.toStdString();
        testing_support::expectPeakBelow(r, 50, c.label);
    }
    // 255 sheets of their own are fine.
    auto book = Book::fromBytes(manySheets(255, [](int i) { return "worksheets/s" + QByteArray::number(i) + ".xml"; }, worksheetOf(2)), "x");
    EXPECT_EQ(book->worksheetCount(), 255);
}

TEST(HostileInput, MarkupPartsShareOneBudget)
{
    // Forty worksheets, each with 2 MB of column markup besides its cells: every part is within
    // its own limit, all of them read into trees would not be.
    QByteArray cols = "<cols>";
    for (int i = 0; i < 60000; ++i) cols += "<col min=\"1\" max=\"1\" width=\"9\"/>";
    cols += "</cols>";
    const QByteArray part = QByteArray(kSheetHead) + cols + "<sheetData/></worksheet>";
    expectRefused(manySheets(40, [](int i) { return "worksheets/s" + QByteArray::number(i) + ".xml"; }, part), "markup parts", "40 large skeletons");
}

#ifdef Q_OS_UNIX
TEST(HostileInput, RunningOutOfMemoryWhileOpeningIsAnError)
{
    if (testing_support::underSanitizer()) GTEST_SKIP() << "a sanitizer needs more address space than the limit leaves";
    QTemporaryDir dir;
    auto book = Book::createNew(20);
    for (int s = 0; s < 20; ++s)
        for (int r = 1; r <= 300; ++r)
            for (int c = 1; c <= 100; ++c) book->setNumber(s, r, c, r * 0.5 + c);
    const QString path = dir.path() + QStringLiteral("/big.xlsx");
    book->save(path);
    // Address space limits from too small to start to enough: every run ends in an answer.
    int memoryErrors = 0, opened = 0;
    for (int limit : {60, 70, 80, 90, 100, 110, 120, 2000}) {
        const testing_support::ProbeResult r = testing_support::probe(path, limit);
        if (r.opened) ++opened;
        else if (r.message.contains("not enough memory")) ++memoryErrors;
        else ADD_FAILURE() << limit << " MiB: " << r.message.toStdString();
    }
    EXPECT_GT(memoryErrors, 0);
    EXPECT_GT(opened, 0);
}
#endif

TEST(HostileInput, AFileNamedAsAWorkbookIsReadAsOneOrRefused)
{
    QTemporaryDir dir;
    const QByteArray workbook = Book::createNew(1)->toBytes();
    QByteArray noise(3000, '\0');
    for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919) % 251);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason; // nullptr: opens
    } cases[] = {
        {"empty.xlsx", {}, "empty"},
        {"page.xlsx", "\xEF\xBB\xBF <!DOCTYPE html><html><body>x</body></html>", "markup"},
        {"noise.xls", noise, "another kind"},
        {"data.xlsm", "lot,value\r\nA1,10.5\r\n", "holds text"},
        {"template.XLSX", "a,b\r\n", "holds text"},
        {"renamed.xls", workbook, nullptr},  // the contents decide which kind of workbook
        {"data.csv", "lot,value\r\nA1,10.5\r\n", nullptr},
        {"data.txt", "lot,value\r\n", nullptr},
        {"data", "lot,value\r\n", nullptr},
        {"data.dat", "lot,value\r\n", nullptr},
        {"zipped.csv", workbook, nullptr},
    };
    Application app;
    for (const auto& c : cases) {
        const QString path = testing_support::writeFile(dir, c.name, c.bytes);
        if (!c.reason) {
            EXPECT_NO_THROW(app.openWorkbook(path)) << c.name;
            continue;
        }
        const int before = app.workbookCount();
        try {
            app.openWorkbook(path);
            ADD_FAILURE() << c.name << ": opened";
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(c.name) + u':')) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("damaged or is not a workbook")) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.reason))) << e.message().toStdString();
        }
        EXPECT_EQ(app.workbookCount(), before) << c.name;
    }
    EXPECT_EQ(app.activeWorkbook().worksheet(1).range("A1").value(), ""); // the zip named .csv is a workbook
}
