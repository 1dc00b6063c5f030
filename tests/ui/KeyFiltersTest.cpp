#include "ui/KeyFilters.h"

#include <climits>

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

const char* filterName(CharFilter f)
{
    switch (f) {
    case CharFilter::Product: return "Name";
    case CharFilter::Kupper: return "UpperLimit";
    case CharFilter::Klower: return "LowerLimit";
    case CharFilter::Digits: return "Count";
    case CharFilter::Keta: return "Digits";
    case CharFilter::CpCpk: return "Threshold";
    case CharFilter::GridEdit: return "Cell";
    case CharFilter::LotNumber: return "LotNumber";
    }
    return "Filter";
}

// "Count_Refuses_Minus_Into_Empty": what is typed, into what, and the outcome, so that the
// test list says what each case checks.
std::string caseName(const testing::TestParamInfo<CharCase>& info)
{
    auto spell = [](QStringView text) {
        std::string out;
        for (QChar c : text) {
            if (c.isLetterOrNumber() && c.unicode() < 128) out += char(c.unicode());
            else if (c == u'.') out += "Period";
            else if (c == u'-') out += "Minus";
            else if (c == u' ') out += "Blank";
            else out.append(c.unicode() < 32 ? "Control" : "U").append(std::to_string(c.unicode()));
        }
        return out.empty() ? std::string("Empty") : out;
    };
    const CharCase& c = info.param;
    std::string name = filterName(c.filter);
    name.append(c.accepted ? "_Takes_" : "_Refuses_").append(spell(QStringView(c.typed)));
    name.append("_Into_").append(spell(QStringView(c.text))).append("_").append(std::to_string(info.index));
    return name;
}

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
        CharCase{CharFilter::Digits, u"", u"12", true}, CharCase{CharFilter::Digits, u"", u"1a", false},
        // Full-width digits are no digits; names and lot numbers hold only what the files can.
        CharCase{CharFilter::Digits, u"", u"１", false}, CharCase{CharFilter::Keta, u"", u"３", false},
        CharCase{CharFilter::Kupper, u"", u"１", false}, CharCase{CharFilter::Product, u"", u"😀", false},
        CharCase{CharFilter::Product, u"", u"µ", false}, CharCase{CharFilter::Product, u"", u"ｶ", true},
        CharCase{CharFilter::LotNumber, u"", u"#", true}, CharCase{CharFilter::LotNumber, u"", u"😀", false}),
    caseName);

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
