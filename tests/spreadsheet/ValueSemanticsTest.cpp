// What a cell reads as after a number is stored or a text is entered as if typed.
#include "spreadsheet/Book.h"
#include "spreadsheet/DateSerial.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/ValueText.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

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

TEST(NumberText, ADecimalOfFifteenDigitsReadsBackAsWritten)
{
    // Any decimal of at most 15 significant digits is the shortest text of the double it reads as;
    // within 1E-05 and 1E+15 it shows in plain notation, without the zeros that say nothing.
    std::mt19937_64 random(15);
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + int(random() % 15);
        std::string mantissa(1, char('1' + random() % 9));
        for (int d = 1; d < digits; ++d) mantissa += char('0' + random() % 10);
        const int point = -4 + int(random() % 20); // digits before the point; negative: zeros after it
        std::string text = random() % 2 ? "-" : "";
        if (point <= 0) text += "0." + std::string(size_t(-point), '0') + mantissa;
        else if (point >= digits) text += mantissa + std::string(size_t(point - digits), '0');
        else text += mantissa.substr(0, size_t(point)) + "." + mantissa.substr(size_t(point));
        if (text.find('.') != std::string::npos) {
            while (text.back() == '0') text.pop_back();
            if (text.back() == '.') text.pop_back();
        }
        const double value = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(spreadsheet::numberText(value), QString::fromStdString(text)) << text;
    }
}

TEST(NumberText, StoredTextIsTheShortestThatReadsBack)
{
    // What a workbook part holds is the library's shortest text, plain or with an exponent.
    std::mt19937_64 random(53);
    for (int i = 0; i < 200000; ++i) {
        const double value = (random() % 2 ? 1 : -1) * double(random() % 100000000) / std::pow(10.0, double(random() % 24));
        const double bits = std::bit_cast<double>(random());
        for (const double v : {value, bits}) {
            if (!std::isfinite(v)) continue;
            char expected[64];
            const auto end = std::to_chars(expected, expected + sizeof expected, v).ptr;
            std::string stored;
            spreadsheet::appendStoredNumber(stored, v);
            ASSERT_EQ(stored, std::string(expected, end)) << v;
        }
    }
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
