// Cell references: A1 and R1C1 texts, and how formulas follow cells moved by a delete.
#include "spreadsheet/Application.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/References.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace spreadsheet;

TEST(CellRef, ColumnLettersBothWays)
{
    const struct {
        int column;
        const char* letters;
    } cases[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {101, "CW"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& c : cases) {
        EXPECT_EQ(columnLetters(c.column), QString::fromLatin1(c.letters));
        EXPECT_EQ(columnNumber(QString::fromLatin1(c.letters)), c.column);
    }
    for (const char* bad : {"", "XFE", "AAAA", "A1", "Ä"}) EXPECT_FALSE(columnNumber(QString::fromUtf8(bad))) << bad;
}

TEST(CellRef, ParsesOnlyCellsInsideTheGrid)
{
    EXPECT_EQ(parseA1(u"B2"), (CellPos{2, 2}));
    EXPECT_EQ(parseA1(u"$CW$104"), (CellPos{104, 101}));
    EXPECT_EQ(parseA1(u"xfd1048576"), (CellPos{1048576, 16384}));
    for (const char* bad : {"A0", "A01", "A1048577", "XFE1", "1A", "A", "2", "$$A1", "A1 ", "A-1", "A12345678"})
        EXPECT_FALSE(parseA1(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(parseA1Range(u"D5:B2"), (CellRect{2, 2, 5, 4}));
}

TEST(ConvertFormula, SingleCellsBetweenA1AndR1C1)
{
    EXPECT_EQ(Application::convertFormula("A4", ReferenceStyle::A1, ReferenceStyle::R1C1), "R4C1");
    EXPECT_EQ(Application::convertFormula("$A$4", ReferenceStyle::A1, ReferenceStyle::R1C1), "R4C1");
    EXPECT_EQ(Application::convertFormula("R104C101", ReferenceStyle::R1C1, ReferenceStyle::A1), "$CW$104");
    EXPECT_EQ(Application::convertFormula("=R1C1", ReferenceStyle::R1C1, ReferenceStyle::A1), "=$A$1");
    EXPECT_EQ(Application::convertFormula("r5c2", ReferenceStyle::R1C1, ReferenceStyle::A1), "$B$5");
    EXPECT_THROW(Application::convertFormula("R0C1", ReferenceStyle::R1C1, ReferenceStyle::A1), Error);
    EXPECT_THROW(Application::convertFormula("R1C16385", ReferenceStyle::R1C1, ReferenceStyle::A1), Error);
    EXPECT_THROW(Application::convertFormula("R[1]C1", ReferenceStyle::R1C1, ReferenceStyle::A1), Error);
    EXPECT_THROW(Application::convertFormula("hello", ReferenceStyle::A1, ReferenceStyle::R1C1), Error);
}

TEST(References, DeleteShiftUpAdjustsLikeASpreadsheet)
{
    // Rows 5..102 of columns A..H deleted on Sheet1.
    const CellRect deleted{5, 1, 102, 8};
    const struct {
        const char* before;
        const char* after; // nullptr: unchanged
    } cases[] = {
        {"Sheet1!$B$2:$B$102", "Sheet1!$B$2:$B$4"},   // ends inside: shrinks
        {"'Sheet1'!$B$2:$B$102", "'Sheet1'!$B$2:$B$4"},
        {"SHEET1!B2:B102", "SHEET1!B2:B4"},
        {"Sheet1!$B$2:$B$200", "Sheet1!$B$2:$B$102"}, // spans the block: shrinks by its height
        {"Sheet1!$B$5:$B$102", "Sheet1!#REF!"},       // wholly inside
        {"Sheet1!C50", "Sheet1!#REF!"},
        {"Sheet1!$C$103", "Sheet1!$C$5"},             // below: moves up
        {"Sheet1!B110:C120", "Sheet1!B12:C22"},
        {"Sheet1!B50:B120", "Sheet1!B5:B22"},         // starts inside, ends below
        {"Sheet1!$B$2:$I$102", nullptr},              // reaches beyond the moved columns
        {"Sheet1!B2:B4", nullptr},                    // above
        {"Sheet2!B2:B102", nullptr},                  // another sheet
        {"Sheet1!B:B", nullptr},
        {"Sheet1!5:102", nullptr},
        {"[1]Sheet1!B2:B102", nullptr},               // another workbook
        {"SUM(Sheet1!B2:B102)/COUNT(Sheet1!B103)", "SUM(Sheet1!B2:B4)/COUNT(Sheet1!B5)"},
        {"\"Sheet1!B103\"&Sheet1!B103", "\"Sheet1!B103\"&Sheet1!B5"},
        {"Sheet1!B102&Sheet1!B4", "Sheet1!#REF!&Sheet1!B4"},
        {"(Sheet1!$A$2:$A$102,Sheet1!$F$2:$F$102)", "(Sheet1!$A$2:$A$4,Sheet1!$F$2:$F$4)"},
    };
    for (const auto& c : cases) {
        const auto result = adjustForDeleteShiftUp(QString::fromUtf8(c.before), QString(), u"Sheet1", deleted);
        if (!c.after) EXPECT_FALSE(result) << c.before << " -> " << result->toStdString();
        else if (!result) ADD_FAILURE() << c.before << " unchanged";
        else EXPECT_EQ(*result, QString::fromUtf8(c.after)) << c.before;
    }
}

TEST(References, UnqualifiedReferencesBelongToTheFormulasSheet)
{
    const CellRect deleted{5, 1, 102, 8};
    EXPECT_EQ(adjustForDeleteShiftUp(u"AVERAGE(B2:B102)+C103", u"Sheet1", u"Sheet1", deleted), "AVERAGE(B2:B4)+C5");
    EXPECT_FALSE(adjustForDeleteShiftUp(u"AVERAGE(B2:B102)", u"Other", u"Sheet1", deleted));
    // Function names that look like cells, strings and error literals are left alone.
    EXPECT_FALSE(adjustForDeleteShiftUp(u"LOG10(A1)&\"B200\"&#N/A", u"Sheet1", u"Sheet1", deleted));
    EXPECT_EQ(adjustForDeleteShiftUp(u"LOG10(A200)", u"Sheet1", u"Sheet1", deleted), "LOG10(A102)");
}

TEST(References, SharedFormulasMoveTheirRelativeParts)
{
    EXPECT_EQ(offsetRelative(u"A1+$B$1+B$2+$C3", 2, 1), "B3+$B$1+C$2+$C5");
    EXPECT_EQ(offsetRelative(u"SUM(A:A)", 0, 2), "SUM(C:C)");
    EXPECT_EQ(offsetRelative(u"A1", -1, 0), "#REF!");
    EXPECT_EQ(offsetRelative(u"'My Sheet'!A1*2", 1, 0), "'My Sheet'!A2*2");
}

TEST(References, SheetRenamesAndPrefixes)
{
    EXPECT_EQ(renameSheetInFormula(u"Sheet1!A1+'Sheet1'!B2+Other!C3", u"Sheet1", u"測定値 1"), "'測定値 1'!A1+'測定値 1'!B2+Other!C3");
    EXPECT_EQ(sheetPrefix(u"Sheet1"), "Sheet1");
    EXPECT_EQ(sheetPrefix(u"A1"), "'A1'");
    EXPECT_EQ(sheetPrefix(u"It's"), "'It''s'");
    EXPECT_EQ(sheetPrefix(u"R1C1"), "'R1C1'");
}
