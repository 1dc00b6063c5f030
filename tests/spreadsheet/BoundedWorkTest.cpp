// Reading costs work in proportion to the file: files shaped to make a reader repeat itself take
// about as long as a plain file of the same size, or are refused.
#include "HostileShapes.h"
#include "LegacyFiles.h"
#include "TestSupport.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

using namespace spreadsheet;
using namespace testing_support;

namespace {

// A read more than this many times slower than the plain file's is taken as more than linear.
constexpr double kMaxRatio = 20;

// The processor time of this thread: other programs running beside the tests do not count.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double readSeconds(const QByteArray& bytes)
{
    const double start = threadSeconds();
    try {
        Book::fromBytes(bytes, "x");
    } catch (const Error&) {
    }
    return threadSeconds() - start;
}

// The best of a few reads, so a busy machine does not decide; a read clearly past the bound
// (or well within it) ends the trials.
double bestSeconds(const QByteArray& bytes, double bound = 0)
{
    double best = readSeconds(bytes);
    for (int i = 1; i < 3; ++i) {
        if (bound > 0 && (best <= bound / 2 || best > bound * 5)) break;
        best = std::min(best, readSeconds(bytes));
    }
    return best;
}

// Sizes are where today's reader shows a quadratic path clearly; a sanitizer's build, several
// times slower throughout, reads smaller files.
int sizeFactor() { return underSanitizer() ? 1 : 2; }

// Expects reading `hostile` to take less than kMaxRatio times as long as reading `plain`, a file
// of about its size.
void expectLinearRead(const QByteArray& hostile, const QByteArray& plain, const char* label)
{
    const double size = static_cast<double>(hostile.size());
    EXPECT_NEAR(static_cast<double>(plain.size()) / size, 1.0, 0.5) << label << ": the plain file is not of the same size";
    const double plainSeconds = std::max(bestSeconds(plain), 1e-3);
    const double seconds = bestSeconds(hostile, plainSeconds * kMaxRatio);
    EXPECT_LT(seconds, plainSeconds * kMaxRatio) << label << " (" << size / 1e6 << " MB): " << seconds << " s against " << plainSeconds
                                                  << " s for a plain file";
}

} // namespace

TEST(BoundedWork, LegacyRecordsSplitIntoManyPiecesReadInLinearTime)
{
    const int entries = 30000 * sizeFactor();
    const QByteArray blanks = mulBlankInPieces(entries);
    expectLinearRead(blanks, plainLegacyWorkbook(blanks.size()), "MULBLANK in pieces");
    auto book = Book::fromBytes(blanks, "x");
    EXPECT_EQ(book->text(0, 2, 1), "7");
    EXPECT_EQ(book->cells(0).cellCount(), 1);

    const int count = 20000 * sizeFactor();
    const QByteArray strings = sharedStringsInPieces(count);
    expectLinearRead(strings, plainLegacyWorkbook(strings.size()), "shared strings in pieces");
    EXPECT_EQ(Book::fromBytes(strings, "x")->text(0, 1, 1), QStringLiteral("s%1").arg(count - 1));
}

TEST(BoundedWork, ManyLegacyNumberFormatsReadInLinearTime)
{
    const int formats = 3000 * sizeFactor();
    const QByteArray bytes = manyNumberFormats(formats);
    expectLinearRead(bytes, plainLegacyWorkbook(bytes.size()), "FORMAT and XF records");
    auto book = Book::fromBytes(bytes, "x");
    EXPECT_EQ(book->numberFormat(0, 1, 1), "0.0\"u0\"");
    EXPECT_EQ(book->numberFormat(0, (formats - 1) / 100 + 1, (formats - 1) % 100 + 1), QStringLiteral("0.0\"u%1\"").arg(formats - 1));
    EXPECT_EQ(book->numberFormat(0, 12, 35), "0.0\"u1134\"");
    EXPECT_EQ(book->text(0, 12, 35), "1134.5");
}

TEST(BoundedWork, CellsGivenRightToLeftReadInLinearTimeAndInColumnOrder)
{
    for (const bool legacy : {true, false}) {
        const int rows = underSanitizer() ? 1 : 3;
        const QByteArray bytes = legacy ? legacyCellsRightToLeft(rows) : packageCellsRightToLeft(rows);
        expectLinearRead(bytes, legacy ? plainLegacyWorkbook(bytes.size()) : plainPackage(rows * kMaxColumns),
                         legacy ? "RK cells right to left" : "a row element per cell, right to left");
        auto book = Book::fromBytes(bytes, "x");
        const SheetData& cells = book->cells(0);
        EXPECT_EQ(cells.cellCount(), rows * static_cast<long long>(kMaxColumns)) << legacy;
        for (const auto& [r, row] : cells.rows()) {
            EXPECT_TRUE(std::is_sorted(row.begin(), row.end(), [](const Cell& a, const Cell& b) { return a.column <= b.column; })) << legacy;
            EXPECT_EQ(row.size(), static_cast<size_t>(kMaxColumns)) << legacy;
        }
        EXPECT_EQ(book->text(0, rows, 300), "300") << legacy;
        EXPECT_EQ(book->text(0, rows, kMaxColumns), QString::number(kMaxColumns)) << legacy;
    }

    // A cell given again out of order replaces the first; a blank one clears it.
    auto legacy = Book::fromBytes(compoundFile(biffWorkbook({{"S", numberCell(0, 2, 1) + numberCell(0, 0, 2) + numberCell(0, 0, 3) + numberCell(0, 1, 4)
                                                                      + numberCell(0, 3, 5) + biffRecord(0x0201, u16le(0) + u16le(0) + u16le(15))}})),
                                  "x");
    Parts p = newWorkbookParts();
    p["xl/worksheets/sheet1.xml"] = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                                    "<row r=\"1\"><c r=\"C1\"><v>1</v></c></row><row r=\"1\"><c r=\"A1\"><v>2</v></c></row>"
                                    "<row r=\"1\"><c r=\"A1\"><v>3</v></c><c r=\"B1\"><v>4</v></c></row><row r=\"1\"><c r=\"D1\"><v>5</v></c></row>"
                                    "</sheetData></worksheet>";
    auto package = Book::fromBytes(pack(p), "x");
    for (const auto* book : {legacy.get(), package.get()}) {
        const SheetData::Row& row = book->cells(0).rows().at(1);
        ASSERT_EQ(row.size(), 4u);
        for (int c = 0; c < 4; ++c) EXPECT_EQ(row[static_cast<size_t>(c)].column, c + 1);
        EXPECT_EQ(book->text(0, 1, 2), "4");
        EXPECT_EQ(book->text(0, 1, 3), "1");
        EXPECT_EQ(book->text(0, 1, 4), "5");
    }
    EXPECT_EQ(legacy->text(0, 1, 1), "");
    EXPECT_EQ(package->text(0, 1, 1), "3");
}

TEST(BoundedWork, DatesOverALargeStyleTableReadInLinearTime)
{
    const QByteArray bytes = datesOverManyStyles(50000, 1000);
    expectLinearRead(bytes, datesOverManyStyles(50000, 1000, false), "1,000 dates, 50,000 cell formats");
    auto book = Book::fromBytes(bytes, "x");
    EXPECT_EQ(book->text(0, 1000, 1), "45366");
    EXPECT_EQ(book->numberFormat(0, 1000, 1), "yyyy-mm-dd");
    EXPECT_EQ(book->numberFormat(0, 1, 1), "yyyy-mm-dd");
}

TEST(BoundedWork, SheetEntriesSharingOneBodyAreRefused)
{
    expectRefused(sharedWorksheetBody(255, 2000), "more than one sheet", "255 entries, one body");
    expectRefused(sharedWorksheetBody(2, 10), "more than one sheet", "two entries, one body");
    expectRefused(nestedWorksheetBodies(255, 2000), "runs into", "255 nested bodies");
    expectRefused(nestedWorksheetBodies(2, 10), "runs into", "a body inside another");
}

TEST(BoundedWork, ATextFileTooLargeToReadIsRefusedBeforeItIsRead)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/large.csv");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("lot,value\r\n");
        ASSERT_TRUE(f.resize(100LL << 20)); // sparse: costs no disk
    }
    const ProbeResult r = probe(path);
    EXPECT_FALSE(r.opened);
    EXPECT_TRUE(r.message.contains(QStringLiteral("larger than %1 bytes").arg(kMaxCsvSize))) << r.message.toStdString();
    expectPeakBelow(r, 16, "100 MB text file");
}

TEST(BoundedWork, TextsLongerThanACellHoldsAreRefused)
{
    auto inlineText = [](qsizetype length, const char* t = "x") {
        const QByteArray body = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData><row r=\"1\">"
                                "<c r=\"A1\" t=\"inlineStr\"><is><t>"
                                + QByteArray(t).repeated(length) + "</t></is></c></row></sheetData></worksheet>";
        Parts p = newWorkbookParts();
        p["xl/worksheets/sheet1.xml"] = body;
        return pack(p);
    };
    EXPECT_EQ(Book::fromBytes(inlineText(32767), "x")->text(0, 1, 1).size(), 32767);
    EXPECT_EQ(Book::fromBytes(inlineText(32767 / 7, "_x0041_"), "x")->text(0, 1, 1), QString(32767 / 7, u'A'));
    expectRefused(inlineText(32768), "32767 characters", "an inline text one character too long");
    expectRefused(inlineText(20 << 20), "32767 characters", "an inline text of 20 M characters");

    Parts p = newWorkbookParts();
    p["xl/worksheets/sheet1.xml"] = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData><row r=\"1\">"
                                    "<c r=\"A1\" t=\"str\"><f>REPT(\"x\",40000)</f><v>"
                                    + QByteArray(40000, 'x') + "</v></c></row></sheetData></worksheet>";
    expectRefused(pack(p), "32767 characters", "a formula's text result");
    p = newWorkbookParts();
    p["xl/sharedStrings.xml"] = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><r><t>" + QByteArray(20000, 'y')
                                + "</t></r><r><t>" + QByteArray(20000, 'z') + "</t></r></si></sst>";
    p["xl/_rels/workbook.xml.rels"].replace("</Relationships>", "<Relationship Id=\"rId99\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                                                                "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>");
    expectRefused(pack(p), "32767 characters", "a shared string of two long runs");
}
