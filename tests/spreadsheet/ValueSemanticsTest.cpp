// What a cell reads as after a number is stored or a text is entered as if typed.
#include "spreadsheet/Book.h"
#include "spreadsheet/DateSerial.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/ValueText.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using spreadsheet::Book;

TEST(NumberText, ShortestTextWithinFifteenDigits)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {10.5, "10.5"},
        {3, "3"},
        {-3, "-3"},
        {0.1 + 0.2, "0.3"},
        {2.0 / 3.0, "0.666666666666667"},
        {-0.0, "0"},
        {0.0001, "0.0001"},
        {0.00001, "0.00001"},
        {1e-7, "1E-07"},
        {1.5e-7, "1.5E-07"},
        {100, "100"},
        {1e14, "100000000000000"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {1e20, "1E+20"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {9.950, "9.95"},
        {1e308, "1E+308"},
        {-1.25e-300, "-1.25E-300"},
        {4.35, "4.35"},
        {0.30000000000000004, "0.3"},
    };
    for (const auto& c : cases) EXPECT_EQ(spreadsheet::numberText(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST(ValueSemantics, TextsEnteredAsIfTyped)
{
    // typed text, what reads back, whether it became a number
    const struct {
        const char* typed;
        const char* read;
        bool number;
    } cases[] = {
        {"10.500", "10.5", true},
        {"3", "3", true},
        {" 12 ", "12", true},
        {"0012", "12", true},
        {"+5", "5", true},
        {"-3.25", "-3.25", true},
        {"1e3", "1000", true},
        {"=1+1", "=1+1", false},
        {"=SUM(A1:A3)", "=SUM(A1:A3)", false},
        {"+A1", "+A1", false},
        {"-A1", "-A1", false},
        {"@SUM(A1)", "@SUM(A1)", false},
        {"1,000", "1,000", false},
        {"inf", "inf", false},
        {"nan", "nan", false},
        {"0x10", "0x10", false},
        {"1e999", "1e999", false},
        {"TRUE", "TRUE", false},
        {"ﾛｯﾄ№", "ﾛｯﾄ№", false},
        {"K001", "K001", false},
        {" ", " ", false},
    };
    auto book = Book::createNew(1);
    int row = 1;
    for (const auto& c : cases) {
        book->setTyped(0, row, 2, QString::fromUtf8(c.typed));
        EXPECT_EQ(book->text(0, row, 2), QString::fromUtf8(c.read)) << c.typed;
        EXPECT_EQ(book->cells(0).find(row, 2)->type == spreadsheet::CellType::Number, c.number) << c.typed;
        EXPECT_TRUE(book->formula(0, row, 2).isEmpty()) << c.typed;
        ++row;
    }
    // The same after a save and a fresh read.
    auto again = Book::fromOoxml(book->toBytes());
    row = 1;
    for (const auto& c : cases) {
        EXPECT_EQ(again->text(0, row, 2), QString::fromUtf8(c.read)) << c.typed;
        EXPECT_TRUE(again->formula(0, row, 2).isEmpty()) << c.typed;
        ++row;
    }
}

TEST(ValueSemantics, EmptyTextClearsTheValueButKeepsTheFormat)
{
    auto book = Book::createNew(1);
    book->setTyped(0, 1, 1, "5");
    book->setNumberFormat(0, {1, 1, 1, 1}, "0.000_ ");
    book->setTyped(0, 1, 1, "");
    EXPECT_EQ(book->text(0, 1, 1), "");
    EXPECT_EQ(book->numberFormat(0, 1, 1), "0.000_ ");
    book->setTyped(0, 2, 1, "x");
    book->setTyped(0, 2, 1, "");
    EXPECT_EQ(book->cells(0).find(2, 1), nullptr);
}

TEST(ValueSemantics, StoredNumbersRoundTripExactly)
{
    auto book = Book::createNew(1);
    const double values[] = {0.1 + 0.2, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, -123.456};
    int row = 1;
    for (double v : values) book->setNumber(0, row++, 1, v);
    auto again = Book::fromOoxml(book->toBytes());
    row = 1;
    for (double v : values) {
        const spreadsheet::Cell* c = again->cells(0).find(row++, 1);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->number, v);
    }
    EXPECT_THROW(book->setNumber(0, 1, 1, std::nan("")), spreadsheet::Error);
    EXPECT_THROW(book->setNumber(0, 1, 1, INFINITY), spreadsheet::Error);
}

TEST(ValueSemantics, LongTextsAndCellsOutsideTheGridAreRefused)
{
    auto book = Book::createNew(1);
    EXPECT_THROW(book->setTyped(0, 1, 1, QString(32768, u'x')), spreadsheet::Error);
    EXPECT_NO_THROW(book->setTyped(0, 1, 1, QString(32767, u'x')));
    EXPECT_THROW(book->setTyped(0, 0, 1, "1"), spreadsheet::Error);
    EXPECT_THROW(book->setTyped(0, 1048577, 1, "1"), spreadsheet::Error);
    EXPECT_THROW(book->setTyped(0, 1, 16385, "1"), spreadsheet::Error);
    EXPECT_THROW(book->setTyped(1, 1, 1, "1"), spreadsheet::Error);
}

TEST(DateSerial, DayNumbersAsSpreadsheetsCountThem)
{
    using spreadsheet::dateSerial;
    const struct {
        const char* iso;
        bool date1904;
        std::optional<double> serial;
    } cases[] = {
        {"1900-01-01", false, 1},
        {"1900-02-28", false, 59},
        {"1900-03-01", false, 61}, // after the leap day spreadsheets count in 1900
        {"2024-01-15", false, 45306},
        {"2024-01-15T13:30:00", false, 45306.5625},
        {"2024-01-15 13:30:00.5", false, 45306 + (13 * 3600 + 30 * 60 + 0.5) / 86400},
        {"2024-01-15T13:30:00Z", false, 45306.5625},
        {"2024-01-15T13:30:00+09:00", false, 45306.5625},
        {"13:30:00", false, 0.5625},
        {"T06:00", false, 0.25},
        {"1904-01-02", true, 1},
        {"2024-01-15", true, 45306 - 1462},
        {"1899-12-31", false, std::nullopt},
        {"2024-13-01", false, std::nullopt},
        {"2024-02-30", false, std::nullopt},
        {"25:00:00", false, std::nullopt},
        {"2024-01-15T13:30:00junk", false, std::nullopt},
        {"45306", false, std::nullopt},
        {"", false, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(dateSerial(c.iso, c.date1904), c.serial) << c.iso;
}
