#include "model/SheetRecord.h"
#include "model/SheetTransfer.h"

#include <gtest/gtest.h>

using namespace model;

TEST(SheetTransfer, ViewToLinesAndBack)
{
    CellTable lots, cells, calc;
    lots.setText(0, 1, "K001");
    lots.setText(0, 2, "K,2");
    lots.setFlag(1, 1, true);
    cells.setText(0, 1, "1.250");
    cells.setText(2, 1, "1.300");
    cells.setText(5, 1, "hidden");     // beyond the displayed columns
    EXPECT_EQ(enableFlagsOf(lots, 3), (QStringList{"1", "0", "0"}));
    const QStringList lines = dataLinesOf(lots, cells, 3, 3);
    EXPECT_EQ(lines, (QStringList{"K001,1.250,,1.300", "\"K,2\",,,", ",,,"}));

    CellTable lots2, cells2;
    applyDataLines(lines, {&lots2, &calc}, cells2, 3);
    EXPECT_EQ(lots2.text(0, 2), "K,2");
    EXPECT_EQ(calc.text(0, 1), "K001");
    EXPECT_EQ(cells2.text(2, 1), "1.300");
    EXPECT_EQ(cells2.text(5, 1), "");
}

TEST(SheetTransfer, OneColumnLotsAndExtraFields)
{
    CellTable lots, cells;
    lots.setText(0, 1, "A");
    EXPECT_EQ(dataLinesOf(lots, cells, 1, 1), QStringList{"A,\"\""});
    applyDataLines({"A,1,2,3,4", "B"}, {&lots}, cells, 2);
    EXPECT_EQ(cells.text(1, 1), "2");
    EXPECT_EQ(cells.text(2, 1), "");   // dropped beyond the measurement count
    EXPECT_EQ(lots.text(0, 2), "");    // no comma: no lot number
    EXPECT_EQ(cells.text(0, 2), "B");
}

TEST(SheetTransfer, ReformatStopsAtTheFirstCellThatIsNotANumber)
{
    CellTable cells;
    cells.setText(0, 1, "1.5");
    cells.setText(1, 1, " \t");
    cells.setText(0, 3, "2");
    cells.setText(1, 3, "abc");
    cells.setText(2, 3, "7");
    cells.setText(0, 100, "9");
    const auto bad = reformatCells(cells, 0);
    ASSERT_TRUE(bad.has_value());
    EXPECT_EQ(*bad, (CellPos{1, 3}));
    EXPECT_EQ(cells.text(0, 1), "2");
    EXPECT_EQ(cells.text(1, 1), "");
    EXPECT_EQ(cells.text(0, 3), "2");
    EXPECT_EQ(cells.text(2, 3), "7");
    EXPECT_EQ(cells.text(0, 100), "9");
}

TEST(SheetStore, ResizeKeepsLowerRecordsAndDefaultsNewOnes)
{
    AppSettings app = AppSettings::defaults();
    app.SpecIndex = 2;
    app.Unit = "";
    SheetStore store;
    store.resize(5, false, app, 20, 4);
    store[2].product = "keep";
    store[4].product = "drop";
    store.resize(3, false, app, 20, 4);
    store.resize(5, false, app, 30, 1);
    EXPECT_EQ(store[2].product, "keep");
    EXPECT_EQ(store[4].product, "");
    EXPECT_EQ(store[4].item, "Sheet5");
    EXPECT_EQ(store[4].specKind, "下限規格");
    EXPECT_EQ(store[4].unit, "");
    EXPECT_EQ(store[4].lotCount, 30);
    store.resize(5, true, app, 10, 10);
    EXPECT_EQ(store[2].product, "");
}

TEST(SheetRecord, StoredTextsToViewValues)
{
    EXPECT_EQ(specKindIndex("上限規格"), 1);
    EXPECT_EQ(specKindIndex("下限規格"), 2);
    EXPECT_EQ(specKindIndex("whatever"), 0);
    EXPECT_EQ(digitsFromText(""), 3);
    EXPECT_EQ(digitsFromText(" 0 "), 0);
    EXPECT_EQ(digitsFromText("9"), 5);
    EXPECT_EQ(digitsFromText("x"), 3);
}
