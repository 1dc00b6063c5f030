// A bounded read keeps only the cells within its bounds and reads of a file only what they need.
#include "BigInputs.h"
#include "TestSupport.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace spreadsheet;

TEST(BoundedRead, KeepsOnlyTheCellsWithinItsBounds)
{
    QTemporaryDir dir;
    const QString book = dir.filePath("big.xlsx");
    big_inputs::writeWorkbook(book, 5000);
    const auto b = Book::open(book, {104, 2});
    ASSERT_EQ(b->worksheetCount(), 1);
    EXPECT_EQ(b->cells(0).usedRect(), (CellRect{2, 1, 104, 2}));
    EXPECT_EQ(b->cells(0).cellCount(), 2 + 100 * 2);
    EXPECT_EQ(b->text(0, 5, 1), "L0000005"); // shared strings read for the cells kept
    EXPECT_EQ(b->text(0, 104, 1), "L0000104");
    EXPECT_EQ(b->text(0, 104, 2), QString::fromLatin1(big_inputs::measurement(104, 1)));
    // A workbook read in part is never written: it would lose the rest.
    EXPECT_THROW(b->save(dir.filePath("out.xlsx")), Error);
    EXPECT_FALSE(QFile::exists(dir.filePath("out.xlsx")));

    const QString csv = dir.filePath("big.csv");
    big_inputs::writeCsv(csv, 3000, 120);
    const auto t = Book::open(csv, {104, 101});
    EXPECT_EQ(t->cells(0).usedRect(), (CellRect{1, 1, 104, 101}));
    EXPECT_EQ(t->cells(0).cellCount(), 9 + 9 + 101 + 100 * 101);
    EXPECT_EQ(t->text(0, 104, 101), QString::fromLatin1(big_inputs::measurement(104, 100)));

    // The whole read is what it was.
    EXPECT_EQ(Book::open(csv)->cells(0).usedRect(), (CellRect{1, 1, 3000, 120}));
}

TEST(BoundedRead, TheCellsReadAreCheckedAsEver)
{
    QTemporaryDir dir;
    const QString small = dir.filePath("small.xlsx");
    big_inputs::writeWorkbook(small, 104);
    QFile f(small);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    testing_support::Parts parts = testing_support::unpack(f.readAll());
    // A shared string beyond the table, in a row that is kept.
    QByteArray& sheet = parts["xl/worksheets/sheet1.xml"];
    ASSERT_TRUE(sheet.contains("<c t=\"s\"><v>99</v>"));
    sheet.replace("<c t=\"s\"><v>99</v>", "<c t=\"s\"><v>100</v>");
    const QString beyond = testing_support::writeFile(dir, "beyond.xlsx", testing_support::pack(parts));
    try {
        Book::open(beyond, {104, 101});
        ADD_FAILURE() << "a shared string beyond the table was taken";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("shared string 100 of 100")) << e.message().toStdString();
    }
}

TEST(BoundedRead, PartsAreInflatedOnlyWhenNeededAndWithinTheLimits)
{
    QTemporaryDir dir;
    const QByteArray head = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    // A part nothing needs is never inflated, however it would inflate.
    testing_support::Parts parts = testing_support::newWorkbookParts();
    parts["xl/worksheets/sheet1.xml"] = head + "<row r=\"1\"><c r=\"A1\"><v>7</v></c></row></sheetData></worksheet>";
    parts["xl/media/unused.bin"] = QByteArray(64 << 20, '\0');
    const QString unused = testing_support::writeFile(dir, "unused.xlsx", testing_support::pack(parts, 9));
    EXPECT_EQ(Book::open(unused, {104, 101})->text(0, 1, 1), "7");
    EXPECT_THROW(Book::open(unused), Error);

    // The worksheet is inflated piece by piece, under the same limits.
    parts.erase("xl/media/unused.bin");
    parts["xl/worksheets/sheet1.xml"] = head + QByteArray(64 << 20, ' ') + "</sheetData></worksheet>";
    const QString bomb = testing_support::writeFile(dir, "bomb.xlsx", testing_support::pack(parts, 9));
    try {
        Book::open(bomb, {104, 101});
        ADD_FAILURE() << "a worksheet inflating without bound was read";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("inflates")) << e.message().toStdString();
    }
}
