#include "ui/KeyFilters.h"

#include <gtest/gtest.h>

using ui::CharFilter;

namespace {

struct CharCase {
    CharFilter filter;
    const char16_t* text; // the field's text before the key
    const char16_t* typed;
    bool accepted;
};

class CharFilterTest : public testing::TestWithParam<CharCase> {};

TEST_P(CharFilterTest, AcceptsOrDropsTheKey)
{
    const CharCase& c = GetParam();
    EXPECT_EQ(ui::acceptsKeyText(c.filter, QStringView(c.typed), QStringView(c.text)), c.accepted)
        << "typed '" << QString::fromUtf16(c.typed).toStdString() << "' into '" << QString::fromUtf16(c.text).toStdString()
        << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Table, CharFilterTest,
    testing::Values(
        // Names: everything but the characters spreadsheet sheet names and files refuse.
        CharCase{CharFilter::Product, u"", u"A", true}, CharCase{CharFilter::Product, u"", u"品", true},
        CharCase{CharFilter::Product, u"", u" ", true}, CharCase{CharFilter::Product, u"", u"-", true},
        CharCase{CharFilter::Product, u"", u"#", false}, CharCase{CharFilter::Product, u"", u"*", false},
        CharCase{CharFilter::Product, u"", u",", false}, CharCase{CharFilter::Product, u"", u"/", false},
        CharCase{CharFilter::Product, u"", u":", false}, CharCase{CharFilter::Product, u"", u"?", false},
        CharCase{CharFilter::Product, u"", u"[", false}, CharCase{CharFilter::Product, u"", u"\\", false},
        CharCase{CharFilter::Product, u"", u"]", false},
        // Limits: digits, one period, one minus (anywhere: the field has no later correction).
        CharCase{CharFilter::Kupper, u"", u"7", true}, CharCase{CharFilter::Kupper, u"1", u".", true},
        CharCase{CharFilter::Kupper, u"1.5", u".", false}, CharCase{CharFilter::Kupper, u"", u"-", true},
        CharCase{CharFilter::Kupper, u"-1", u"-", false}, CharCase{CharFilter::Kupper, u"1", u"e", false},
        CharCase{CharFilter::Kupper, u"1", u"+", false}, CharCase{CharFilter::Kupper, u"1", u",", false},
        CharCase{CharFilter::Klower, u"2.", u".", false}, CharCase{CharFilter::Klower, u"", u"\b", true},
        // Counts and digits.
        CharCase{CharFilter::Digits, u"", u"0", true}, CharCase{CharFilter::Digits, u"", u"7", true},
        CharCase{CharFilter::Digits, u"", u"9", true}, CharCase{CharFilter::Digits, u"", u"-", false},
        CharCase{CharFilter::Digits, u"", u".", false}, CharCase{CharFilter::Digits, u"1", u"\b", true},
        CharCase{CharFilter::Keta, u"", u"0", true}, CharCase{CharFilter::Keta, u"", u"5", true},
        CharCase{CharFilter::Keta, u"", u"6", false}, CharCase{CharFilter::Keta, u"", u"9", false},
        // Threshold: digits and one period, no minus.
        CharCase{CharFilter::CpCpk, u"1", u".", true}, CharCase{CharFilter::CpCpk, u"1.3", u".", false},
        CharCase{CharFilter::CpCpk, u"", u"-", false}, CharCase{CharFilter::CpCpk, u"1.3", u"3", true},
        // Measurement cells, against the current cell's text.
        CharCase{CharFilter::GridEdit, u"1.500", u".", false}, CharCase{CharFilter::GridEdit, u"1", u"-", true},
        CharCase{CharFilter::GridEdit, u"-1", u"-", false}, CharCase{CharFilter::GridEdit, u"", u"a", false},
        CharCase{CharFilter::GridEdit, u"", u" ", false}, CharCase{CharFilter::GridEdit, u"", u"\r", true},
        // A key carrying several characters passes only as a whole.
        CharCase{CharFilter::Digits, u"", u"12", true}, CharCase{CharFilter::Digits, u"", u"1a", false}));

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
}

} // namespace
