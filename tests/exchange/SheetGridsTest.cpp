// A sheet's grids built from its record as entering the sheet shows them.
#include "ExchangeTestSupport.h"

#include "exchange/SheetGrids.h"

#include <gtest/gtest.h>

using namespace exchange;

TEST(SheetGrids, ShowTheRecordAsEnteringTheSheetDoes)
{
    model::SheetRecord r;
    r.lotCount = 3;          // below the view's 10
    r.measurementCount = 0;  // below the view's 1
    r.digits = "1";
    r.enableFlags = QStringList{"1", "0"};
    r.dataLines = QStringList{"A,1.25,7", "B, 2 ,x", "C,abc"};
    const SheetGrids g(r);
    EXPECT_EQ(g.lotCount, 10);
    EXPECT_EQ(g.measurementCount, 1);
    EXPECT_EQ(g.lots.text(0, 0), "ﾛｯﾄ№");
    EXPECT_EQ(g.lots.text(0, 2), "B");
    EXPECT_EQ(g.lots.text(0, 4), "K004");
    EXPECT_TRUE(g.lots.flag(1, 1));
    EXPECT_FALSE(g.lots.flag(1, 2));
    EXPECT_TRUE(g.lots.flag(1, 10));
    EXPECT_EQ(g.cells.text(0, 0), "N1");
    EXPECT_EQ(g.cells.text(0, 1), "1.3"); // halves away from zero
    EXPECT_EQ(g.cells.text(1, 1), "");    // beyond the measurement count
    EXPECT_EQ(g.cells.text(0, 2), "2.0");
    EXPECT_EQ(g.cells.text(0, 3), "abc");
    EXPECT_EQ(g.notice, sheetview::unsuitableValueNotice());

    model::SheetRecord limits;
    limits.specUpper = "1O.5";
    ASSERT_TRUE(SheetGrids(limits).notice);
    EXPECT_EQ(SheetGrids(limits).notice->text, "規格上限「1O.5」は数値ではありません。ファイルの内容を確認してください…。");
    limits.specUpper = " 10.5 ";
    EXPECT_FALSE(SheetGrids(limits).notice);
}
