#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <random>
#include <QRegularExpression>

using namespace model;

TEST(NumberParse, AcceptsDecimalForms)
{
    struct Case { const char16_t* text; double value; };
    const Case cases[] = {
        {u"1.5", 1.5}, {u"-2", -2}, {u"+3.25", 3.25}, {u".5", 0.5}, {u"5.", 5.0},
        {u"1e3", 1000}, {u"1E-2", 0.01}, {u"-1.5e+2", -150}, {u"  7.25\t", 7.25},
        {u"\x01" "10\r\n", 10}, {u"0", 0}, {u"-0", 0}, {u"1e-400", 0},
        {u"1.7976931348623157e308", DBL_MAX}, {u"0000012", 12},
    };
    for (const Case& c : cases) {
        const auto v = tryParseNumber(QString::fromUtf16(c.text));
        ASSERT_TRUE(v.has_value()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(*v, c.value) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(NumberParse, RefusesEverythingElse)
{
    for (const char16_t* t : {u"", u"   ", u"abc", u"1,000", u"1.2.3", u"--1", u"+-1", u"1e", u"1e+",
                              u"e5", u".", u"-", u"inf", u"-inf", u"nan", u"NaN", u"infinity",
                              u"0x10", u"1e309", u"-1e400", u"1 2", u"１２", u"1.5x", u"1,5",
                              u"12-", u"1d3"}) {
        EXPECT_FALSE(tryParseNumber(QString::fromUtf16(t)).has_value()) << QString::fromUtf16(t).toStdString();
    }
}

TEST(NumberParse, AgreesWithTheStandardConversionOnEveryLengthOfDecimal)
{
    // Short decimals take a quicker way than long ones; both must give the nearest double.
    std::mt19937_64 random(20240613);
    for (int i = 0; i < 200000; ++i) {
        const int intDigits = int(random() % 18), fracDigits = int(random() % 26);
        std::string text = random() % 2 ? "-" : "";
        for (int d = 0; d < intDigits; ++d) text += char('0' + random() % 10);
        if (fracDigits || !intDigits) text += '.';
        for (int d = 0; d < std::max(fracDigits, intDigits ? 0 : 1); ++d) text += char('0' + random() % 10);
        double expected = 0;
        const char* first = text.data() + (text[0] == '-');
        std::from_chars(first, text.data() + text.size(), expected);
        if (text[0] == '-') expected = -expected;
        const auto v = tryParseNumber(QString::fromStdString(text));
        ASSERT_TRUE(v.has_value()) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(*v), std::bit_cast<std::uint64_t>(expected)) << text;
        // The worksheet reader's quick way for unsigned texts: the same value, or none past 15 digits.
        const auto plain = plainDecimal(std::string_view(first, text.data() + text.size() - first));
        if (intDigits + fracDigits <= 15) {
            ASSERT_TRUE(plain.has_value()) << text;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(*plain), std::bit_cast<std::uint64_t>(std::fabs(expected))) << text;
        } else {
            ASSERT_FALSE(plain.has_value()) << text;
        }
    }
    for (const char* t : {"", ".", "-1", "+1", " 1", "1 ", "1e3", "1.2.3", "0x1", "inf", "1,5"})
        EXPECT_FALSE(plainDecimal(t).has_value()) << t;
}

TEST(NumberParse, ErrorCarriesTheOperatorMessage)
{
    try {
        parseNumber(u"abc");
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'abc' は浮動小数点数ではありません"));
        EXPECT_EQ(e.text(), QStringLiteral("abc"));
    }
}

TEST(NumberFormat, RoundsExactHalvesAwayFromZero)
{
    EXPECT_EQ(formatFixed(0.125, 2), "0.13");
    EXPECT_EQ(formatFixed(-0.125, 2), "-0.13");
    EXPECT_EQ(formatFixed(2.5, 0), "3");
    EXPECT_EQ(formatFixed(-2.5, 0), "-3");
    EXPECT_EQ(formatFixed(0.5, 0), "1");
    EXPECT_EQ(formatFixed(1.5, 0), "2");
    EXPECT_EQ(formatFixed(1.0625, 3), "1.063");
    // Not exact halves in binary: the exact value decides.
    EXPECT_EQ(formatFixed(2.675, 2), "2.67");  // 2.67499999...
    EXPECT_EQ(formatFixed(1.005, 2), "1.00");  // 1.00499999...
    EXPECT_EQ(formatFixed(0.15, 1), "0.1");    // 0.1499999...
    EXPECT_EQ(formatFixed(0.35, 1), "0.3");    // 0.34999...
    EXPECT_EQ(formatFixed(10.5, 0), "11");
    EXPECT_EQ(formatFixed(1.5, 3), "1.500");
    EXPECT_EQ(formatFixed(12.3, 5), "12.30000");
    EXPECT_EQ(formatFixed(1e20, 2), "100000000000000000000.00");
}

TEST(NumberFormat, NoMinusOnZeroResults)
{
    EXPECT_EQ(formatFixed(-0.0, 3), "0.000");
    EXPECT_EQ(formatFixed(-0.0004, 3), "0.000");
    EXPECT_EQ(formatFixed(-0.0005, 3), "-0.001");
}

TEST(NumberFormat, MatchesCorrectRoundingOnRandomValues)
{
    // Away from ties the result must equal glibc's correctly rounded printf.
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> dist(-1000.0, 1000.0);
    for (int i = 0; i < 20000; ++i) {
        const double v = dist(rng);
        const int d = i % 6;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", d, v);
        QString expected = QString::fromLatin1(buf);
        if (expected.startsWith('-') && expected.count('0') + 2 >= expected.size() && !expected.contains(QRegularExpression("[1-9]")))
            expected.remove(0, 1);
        ASSERT_EQ(formatFixed(v, d), expected) << v << " " << d;
    }
}

TEST(NumberFormat, ValuesBesideAHalfRoundToTheirSide)
{
    // The doubles next to an exact half lie a hair from it: the exact value decides, as in
    // glibc's correctly rounded printf.
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const int d = i % 6;
        const double half = (double(rng() % 2000000) - 1000000.5) / std::pow(10.0, d);
        for (double v : {std::nextafter(half, 0.0), std::nextafter(half, half * 2), std::nextafter(std::nextafter(half, 0.0), 0.0)}) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*f", d, v);
            QString expected = QString::fromLatin1(buf);
            if (!expected.contains(QRegularExpression("[1-9]"))) expected.remove(u'-');
            ASSERT_EQ(formatFixed(v, d), expected) << v << " " << d;
        }
    }
}

TEST(NumberFormat, TextsReadBackToTheSameDigits)
{
    for (double v : {0.1, 9.5, 10.08, 0.22804, 1e-5, 123456.789}) {
        const QString t = formatFixed(v, 5);
        EXPECT_EQ(formatFixed(parseNumber(t), 5), t);
    }
    EXPECT_EQ(formatWithDigits(1.5, u"0"), "2");
    EXPECT_EQ(formatWithDigits(1.5, u"3"), "1.500");
    EXPECT_EQ(shortestText(10.5), "10.5");
    EXPECT_EQ(shortestText(3.0), "3");
}
