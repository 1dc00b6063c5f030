#include "ui/KeyFilters.h"

#include <climits>

#include <gtest/gtest.h>

using ui::CharFilter;

namespace {

TEST(FilteredInsertionTest, DropsWhatTypingWouldDropWhereverTheTextGoes)
{
    struct Case {
        std::optional<CharFilter> filter;
        QString before, after;
        int cursor, maxLength;
        QString expected;
        int expectedCursor;
    };
    const Case cases[] = {
        // Pasted at the end, in the middle, over a selection; the period and minus rules see
        // the text that stays.
        {CharFilter::Kupper, "", "ab-1.2.3", 8, -1, "-1.23", 5},
        {CharFilter::Kupper, "1.5", "1..5", 2, -1, "1.5", 2},
        {CharFilter::Kupper, "1.5", "x2.5", 2, -1, "2.5", 1},
        {CharFilter::Kupper, "10.5", "19.5", 2, -1, "19.5", 2},
        {CharFilter::Digits, "20", "20１２", 4, -1, "20", 2},
        {CharFilter::Digits, "20", "2a5x0", 4, -1, "250", 2},
        // Control characters insert nothing; a typed over-long text stops at the limit.
        {CharFilter::Product, "A", "A\tB\r\nC", 6, -1, "ABC", 3},
        {CharFilter::Digits, "10", "10a5", 4, 3, "105", 3},
        {CharFilter::Digits, "10", "10a56", 5, 3, "105", 3},
        {std::nullopt, "abc", "abcdef", 6, 4, "abcd", 4},
        // Deleting is never filtered.
        {CharFilter::Kupper, "-1.5", "1.5", 0, -1, "1.5", 0},
    };
    for (const Case& c : cases) {
        int cursor = c.cursor;
        EXPECT_EQ(ui::filteredInsertion(c.filter, c.before, c.after, cursor, c.maxLength), c.expected)
            << c.before.toStdString() << " -> " << c.after.toStdString();
        EXPECT_EQ(cursor, c.expectedCursor) << c.before.toStdString() << " -> " << c.after.toStdString();
    }
}

TEST(FilteredInsertionTest, TakesLookAlikesAndNamesWhatOnlyTheCodePageRefuses)
{
    // Names: look-alikes become the characters the files hold; one they cannot hold at all
    // is dropped and named whole (a surrogate pair is one character), the name list's own
    // refusals are not named.
    ui::FilteredText r = ui::filterInsertion(CharFilter::Product, u"A", u"A\u2212B\U0001F600C#\u00e9", 8);
    EXPECT_EQ(r.text, QStringLiteral("A\uff0dBC"));
    EXPECT_EQ(r.notHeld, QStringLiteral("\U0001F600"));
    EXPECT_EQ(r.cursor, 4);
    r = ui::filterInsertion(CharFilter::LotNumber, u"", u"\u00b5#", 2);
    EXPECT_EQ(r.text, QStringLiteral("\u03bc#"));
    EXPECT_TRUE(r.notHeld.isEmpty());
    // Number fields refuse such characters as they refuse letters, without naming them.
    r = ui::filterInsertion(CharFilter::Kupper, u"", u"\u22121\u00e9", 3);
    EXPECT_EQ(r.text, "1");
    EXPECT_TRUE(r.notHeld.isEmpty());
}

TEST(CountTextTest, OnlyAsciiDigitsMakeACount)
{
    EXPECT_EQ(ui::countFromText(u"12"), 12);
    EXPECT_EQ(ui::countFromText(u"-3"), -3);
    EXPECT_EQ(ui::countFromText(u"99999999999999999999"), INT_MAX);
    for (const char16_t* t : {u"", u"-", u"１２", u"1 2", u"+1", u"1a", u"٣"})
        EXPECT_FALSE(ui::countFromText(t).has_value()) << QString::fromUtf16(t).toStdString();
    EXPECT_TRUE(ui::isGivenCount(u"7"));
    EXPECT_FALSE(ui::isGivenCount(u"0"));
    EXPECT_FALSE(ui::isGivenCount(u"00"));
    EXPECT_FALSE(ui::isGivenCount(u"１２"));
}

TEST(EditTextTest, AMinusStaysOnlyInFront)
{
    const std::pair<QString, QString> cases[] = {
        {"1-", "1"}, {"-1", "-1"}, {"1-2", "12"}, {"--1", "-1"}, {"-1-2-", "-12"}, {"", ""}, {"-", "-"}, {"1.5", "1.5"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(ui::withLeadingMinusOnly(in), out) << in.toStdString();
}

TEST(EnterTest, FormatsNumbersEmptiesOtherTextAndKeepsBlanks)
{
    struct Case {
        QString cell, digits;
        ui::EnterResult result;
    };
    const Case cases[] = {
        {"1.5", "3", {"1.500", true}},   {"-0.0004", "3", {"0.000", true}}, {" 2 ", "0", {"2", true}},
        {"2.5", "0", {"3", true}},       {"1e2", "1", {"100.0", true}},     {"1.23456", "5", {"1.23456", true}},
        {"", "3", {"", true}},           {"   ", "3", {"   ", true}},       {"-", "3", {"", false}},
        {".", "3", {"", false}},         {"1.2.3", "3", {"", false}},       {"abc", "3", {"", false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::enterCellText(c.cell, c.digits), c.result) << c.cell.toStdString() << " / " << c.digits.toStdString();
}

TEST(LeaveFieldTest, NormalisesLimitsThresholdsAndCounts)
{
    EXPECT_EQ(ui::normalisedLimit("10.5", u"3"), "10.500");
    EXPECT_EQ(ui::normalisedLimit("10.5", u"5"), "10.50000");
    EXPECT_EQ(ui::normalisedLimit("10.5", u"0"), "11");
    EXPECT_EQ(ui::normalisedLimit("1-", u"3"), "");
    EXPECT_EQ(ui::normalisedLimit("  ", u"3"), "  ");
    EXPECT_EQ(ui::normalisedThreshold("1"), "1.00");
    EXPECT_EQ(ui::normalisedThreshold("1.375"), "1.38"); // an exact half rounds away from zero
    EXPECT_EQ(ui::normalisedThreshold("."), "1.33");
    EXPECT_EQ(ui::normalisedThreshold(""), "");
    EXPECT_EQ(ui::normalisedCount("", 10, 100), "10");
    EXPECT_EQ(ui::normalisedCount("0", 10, 100), "10");
    EXPECT_EQ(ui::normalisedCount("0", 0, 5), "0");
    EXPECT_EQ(ui::normalisedCount("150", 10, 100), "100");
    EXPECT_EQ(ui::normalisedCount("99999999999999999999", 10, 100), "100");
    EXPECT_EQ(ui::normalisedCount("5", 10, 100), "5"); // below the minimum: the spin edit raises it
    EXPECT_EQ(ui::normalisedCount("50", 10, 100), "50");
    EXPECT_EQ(ui::normalisedCount("１２", 10, 100), "10"); // no count: the minimum, not the maximum
    EXPECT_EQ(ui::normalisedCount("abc", 1, 100), "1");
}

} // namespace
