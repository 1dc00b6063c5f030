// Text files opened as one worksheet.
#include "spreadsheet/Book.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/Error.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include "TestSupport.h"

#include <gtest/gtest.h>

using spreadsheet::readCsv;

namespace {

QByteArray sjis(const QString& s)
{
    QStringEncoder enc("windows-31j");
    return enc.encode(s);
}

} // namespace

TEST(CsvReader, FieldsAndQuotingAsASpreadsheetReadsThem)
{
    const struct {
        QByteArray bytes;
        QList<QStringList> rows;
    } cases[] = {
        {"a,b,c\r\n1,2,3\r\n", {{"a", "b", "c"}, {"1", "2", "3"}}},
        {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}},                        // LF and no final break
        {"a\rb\r", {{"a"}, {"b"}}},                                     // CR alone
        {"x\r\n\r\ny\r\n", {{"x"}, {""}, {"y"}}},                        // an empty line is an empty row
        {"\"a,b\",c\r\n", {{"a,b", "c"}}},                              // quoted separator
        {"\"say \"\"hi\"\"\"\r\n", {{"say \"hi\""}}},                    // doubled quotes
        {"\"line1\r\nline2\",x\r\n", {{"line1\r\nline2", "x"}}},         // quoted line break
        {"ab\"c,d\r\n", {{"ab\"c", "d"}}},                               // a quote inside an unquoted field
        {"\"ab\"cd,e\r\n", {{"abcd", "e"}}},                             // text after the closing quote
        {"\"open\r\n", {{"open\r\n"}}},                                  // unterminated quote runs to the end
        {"0012, 10.500 ,=1+1\r\n", {{"0012", " 10.500 ", "=1+1"}}},      // kept exactly as written
        {"a,b,\r\n", {{"a", "b", ""}}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(readCsv(c.bytes), c.rows) << c.bytes.toStdString();
}

TEST(CsvReader, CodePage932)
{
    const QString text = QStringLiteral("品種名称,工程名称,ﾛｯﾄ№,①～\r\n");
    const auto rows = readCsv(sjis(text));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (QStringList{"品種名称", "工程名称", "ﾛｯﾄ№", "①～"}));
    // A byte-order mark means UTF-8.
    EXPECT_EQ(readCsv("\xEF\xBB\xBF" + text.toUtf8())[0][0], "品種名称");
}

TEST(CsvReader, BrokenTextIsRefused)
{
    const QByteArray bad[] = {
        QByteArray("a,\x81\x20,b\r\n"),        // lead byte without a valid trail byte
        QByteArray("abc\x81"),                // truncated double-byte character
        QByteArray("a,b\0c\r\n", 8),            // NUL
        QByteArray("\xEF\xBB\xBF\xC3\x28"),    // invalid UTF-8 after a BOM
        QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
    };
    for (const QByteArray& b : bad) EXPECT_THROW(readCsv(b), spreadsheet::Error) << b.toHex().toStdString();
}

TEST(CsvReader, TooManyColumnsOrBytesAreRefused)
{
    EXPECT_THROW(readCsv(QByteArray(spreadsheet::kMaxCsvSize + 1, 'a')), spreadsheet::Error);
    EXPECT_THROW(readCsv(QByteArray(16384, ',')), spreadsheet::Error);
    EXPECT_EQ(readCsv(QByteArray(16383, ','))[0].size(), 16384);
}

TEST(CsvReader, OpensAsOneWorksheetOfTexts)
{
    auto book = spreadsheet::Book::fromCsv(sjis(QStringLiteral("品種名称,規格上限\r\nP-100,10.500\r\n\r\nﾛｯﾄ№,N1\r\n0012,9.990\r\n")), "Sheet1");
    ASSERT_EQ(book->worksheetCount(), 1);
    EXPECT_EQ(book->worksheetName(0), "Sheet1");
    EXPECT_EQ(book->text(0, 2, 2), "10.500");
    EXPECT_EQ(book->text(0, 5, 1), "0012");
    EXPECT_EQ(book->text(0, 3, 1), "");
    EXPECT_EQ(book->text(0, 4, 1), "ﾛｯﾄ№");
    // Saved as a workbook, the texts stay texts.
    auto again = spreadsheet::Book::fromOoxml(book->toBytes());
    EXPECT_EQ(again->text(0, 5, 1), "0012");
    EXPECT_EQ(again->text(0, 2, 2), "10.500");
}

TEST(CsvReader, LongFieldsAreRefusedLikeLongCells)
{
    EXPECT_EQ(readCsv("a,\"" + QByteArray(32767, 'x') + "\"\r\n")[0][1].size(), 32767);
    // Characters count, not bytes: 32767 two-byte characters fit.
    EXPECT_EQ(readCsv(sjis(QString(32767, u'測')))[0][0].size(), 32767);
    try {
        readCsv("a\r\nb," + QByteArray(32768, 'x') + "\r\n");
        ADD_FAILURE() << "accepted";
    } catch (const spreadsheet::Error& e) {
        EXPECT_TRUE(e.message().contains("Line 2")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("32767")) << e.message().toStdString();
    }
}

TEST(CsvReader, TooManyFieldsAreRefusedBeforeAnyCellIsMade)
{
    QTemporaryDir dir;
    // 600 lines of 15,000 empty fields: nine million fields in 9 MB.
    const QByteArray line = QByteArray(14999, ',') + "\r\n";
    const QString path = testing_support::writeFile(dir, "fields.csv", line.repeated(600));
    const testing_support::ProbeResult r = testing_support::probe(path);
    EXPECT_FALSE(r.opened);
    EXPECT_TRUE(r.message.contains("more than 8388608 fields")) << r.message.toStdString();
    testing_support::expectPeakBelow(r, 30, "nine million fields");
}

TEST(CsvReader, MemoryFollowsTheCells)
{
    QTemporaryDir dir;
    // 24 MB of measurements: lot numbers and values with three decimals, as the program exports them.
    QByteArray measurements;
    measurements.reserve(25 << 20);
    for (int r = 0; measurements.size() < (24 << 20); ++r) {
        measurements += "L" + QByteArray::number(r);
        for (int c = 0; c < 100; ++c) measurements += ',' + QByteArray::number(10 + ((r * 7919 + c * 104729) % 1000) / 1000.0, 'f', 3);
        measurements += "\r\n";
    }
    // 24 MB of texts that are all different.
    QByteArray distinct;
    distinct.reserve(25 << 20);
    for (int r = 0; distinct.size() < (24 << 20); ++r) {
        for (int c = 0; c < 100; ++c) distinct += (c ? "," : "") + QByteArray::number(r * 100 + c, 36);
        distinct += "\r\n";
    }
    const struct {
        const char* name;
        const QByteArray& bytes;
        double timesFileSize;
    } cases[] = {{"measurements.csv", measurements, 14}, {"distinct.csv", distinct, 24}};
    for (const auto& c : cases) {
        const testing_support::ProbeResult r = testing_support::probe(testing_support::writeFile(dir, c.name, c.bytes));
        EXPECT_TRUE(r.opened) << r.message.toStdString();
        const double fileMiB = static_cast<double>(c.bytes.size()) / (1 << 20);
        testing_support::expectPeakBelow(r, fileMiB * c.timesFileSize, c.name);
    }
}
