// The worksheet writers and the cell-reference conversions on the real engine.
#include "ExchangeTestSupport.h"

#include "exchange/CellReference.h"
#include "exchange/SheetLayout.h"
#include "exchange/WorksheetWriter.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/SheetData.h"

#include <gtest/gtest.h>

using namespace exchange;

namespace {

struct Fixture {
    spreadsheet::Application app;
    spreadsheet::Workbook wb = app.addWorkbook();
    spreadsheet::Worksheet ws = wb.worksheet(1);
    QString text(int row, int col) const { return wb.book().text(0, row, col); }
    QString format(int row, int col) const { return wb.book().numberFormat(0, row, col); }
};

model::SheetRecord header(const QString& digits)
{
    model::SheetRecord r;
    SheetLayout::setFields(r, {"P-100", "Press", "M1", "Length", "mm", "公差規格", digits, "10.050", "9.950"});
    return r;
}

} // namespace

TEST(CellReference, ConvertsBetweenA1AndRowColumn)
{
    EXPECT_EQ(CellToRowCol("A4"), (RowCol{4, 1}));
    EXPECT_EQ(CellToRowCol("$CW$104"), (RowCol{104, 101}));
    EXPECT_EQ(CellToRowCol("AA1"), (RowCol{1, 27}));
    EXPECT_EQ(CellToRowCol("4A"), (RowCol{1, 1})); // refused: the start position stays
    EXPECT_EQ(RowColToCell(104, 101), "$CW$104");
    EXPECT_EQ(RowColToCell(4, 1), "$A$4");
    EXPECT_EQ(RowColToCell(0, 3), "");
}

TEST(WorksheetWriter, HeaderHoldsLabelsFieldsAndTheDigitsFormat)
{
    Fixture f;
    WriteSheetHeader(f.ws, header("3"));
    EXPECT_EQ(f.text(1, 1), "品種名称");
    EXPECT_EQ(f.text(1, 9), "規格下限");
    EXPECT_EQ(f.text(2, 1), "P-100");
    EXPECT_EQ(f.text(2, 6), "公差規格");
    EXPECT_EQ(f.text(2, 8), "10.05"); // entered as typed: a number
    EXPECT_EQ(f.format(2, 8), "0.000_ ");
    EXPECT_EQ(f.format(2, 9), "0.000_ ");
    EXPECT_EQ(f.format(2, 7), "General");
    EXPECT_EQ(digitsNumberFormat("0"), "0_ ");
    EXPECT_EQ(digitsNumberFormat("5"), "0.00000_ ");
    EXPECT_EQ(digitsNumberFormat(""), "0.000_ "); // as the view shows a blank digits text
}

TEST(WorksheetWriter, NamesAndLotNumbersThatTypingWouldChangeStayText)
{
    Fixture f;
    model::SheetRecord r;
    SheetLayout::setFields(r, {"007", "12", " 3", "1e3", "mm", "公差規格", "3", "10.050", "9.950"});
    model::CellTable lots, cells;
    const char* numbers[] = {"ﾛｯﾄ№", "0012", "12", "1.50", "K4"};
    for (int row = 0; row < 5; ++row) {
        lots.setText(0, row, numbers[row]);
        lots.setFlag(1, row, true);
        cells.setText(0, row, row == 0 ? "N1" : "1.000");
    }
    WriteGridBlock(f.ws, r, GridBlock{GridKind::Measurements, &cells, &lots, 5, 1});
    const spreadsheet::SheetData& data = f.wb.book().cells(0);
    auto isText = [&](int row, int col) { return data.find(row, col) && data.find(row, col)->type == spreadsheet::CellType::Text; };
    EXPECT_EQ(f.text(2, 1), "007");
    EXPECT_TRUE(isText(2, 1));
    EXPECT_FALSE(isText(2, 2)); // "12" reads back the same as a number
    EXPECT_EQ(f.text(2, 3), " 3");
    EXPECT_EQ(f.text(2, 4), "1e3");
    EXPECT_FALSE(isText(2, 7));  // the digits and the limits are numbers
    EXPECT_FALSE(isText(2, 8));
    EXPECT_EQ(f.text(5, 1), "0012");
    EXPECT_TRUE(isText(5, 1));
    EXPECT_FALSE(isText(6, 1));
    EXPECT_EQ(f.text(7, 1), "1.50");
    EXPECT_EQ(f.text(8, 1), "K4");
    EXPECT_FALSE(isText(5, 2)); // measurements stay numbers
}

TEST(WorksheetWriter, MeasurementBlockTakesEnabledLotsWithoutGaps)
{
    // 20 lots of 5 measurements, lots 2 and 3 disabled.
    model::CellTable lots, cells;
    lots.setText(0, 0, "ﾛｯﾄ№");
    for (int r = 1; r <= 20; ++r) {
        lots.setText(0, r, QStringLiteral("K%1").arg(r, 3, 10, QLatin1Char('0')));
        lots.setFlag(1, r, r != 2 && r != 3);
        for (int c = 0; c < 5; ++c) cells.setText(c, r, QString::number(r + c / 10.0, 'f', 3));
    }
    for (int c = 0; c < 5; ++c) cells.setText(c, 0, QStringLiteral("N%1").arg(c + 1));
    cells.setText(5, 1, "99"); // beyond the displayed columns: not written
    Fixture f;
    WriteGridBlock(f.ws, header("0"), {GridKind::Measurements, &cells, &lots, 21, 5});

    EXPECT_EQ(f.text(4, 1), "ﾛｯﾄ№");
    EXPECT_EQ(f.text(4, 6), "N5");
    EXPECT_EQ(f.text(5, 1), "K001");
    EXPECT_EQ(f.text(6, 1), "K004");
    EXPECT_EQ(f.text(6, 2), "4");
    EXPECT_EQ(f.text(22, 1), "K020");
    EXPECT_EQ(f.text(22, 6), "20.4");
    EXPECT_EQ(f.text(23, 1), ""); // left over by the disabled lots
    EXPECT_EQ(f.text(24, 2), "");
    EXPECT_EQ(f.text(5, 7), "");
    EXPECT_EQ(f.format(5, 2), "0_ ");
    EXPECT_EQ(f.format(24, 6), "0_ ");
    EXPECT_EQ(f.format(25, 6), "General");
    EXPECT_EQ(f.format(5, 7), "General");
    EXPECT_EQ(f.format(2, 9), "0_ ");
}

TEST(WorksheetWriter, ResultGridsAreWrittenWholeWithTheirFormats)
{
    model::CellTable calc;
    const int rows = 4; // caption, two lots, total
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 10; ++c) calc.setText(c, r, r == 0 ? QStringLiteral("H%1").arg(c) : QString::number(r * 10 + c));
    calc.setText(0, 3, "＊トータル");
    Fixture f;
    WriteGridBlock(f.ws, header("2"), {GridKind::Capability, &calc, nullptr, rows, 10});
    EXPECT_EQ(f.text(4, 1), "H0");
    EXPECT_EQ(f.text(7, 1), "＊トータル");
    EXPECT_EQ(f.text(7, 10), "39");
    EXPECT_EQ(f.format(5, 2), "General");
    EXPECT_EQ(f.format(5, 3), "0.00000_ ");
    EXPECT_EQ(f.format(7, 7), "0.00000_ ");
    EXPECT_EQ(f.format(7, 8), "0.000_ ");
    EXPECT_EQ(f.format(7, 9), "0.000_ ");
    EXPECT_EQ(f.format(8, 9), "General");
    EXPECT_EQ(f.format(7, 10), "General");

    Fixture spc;
    WriteGridBlock(spc.ws, header("2"), {GridKind::Spc, &calc, nullptr, rows, 10});
    EXPECT_EQ(spc.text(6, 2), "21");
    EXPECT_EQ(spc.format(6, 3), "General");
}
