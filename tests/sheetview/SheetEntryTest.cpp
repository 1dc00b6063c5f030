// Entering a sheet into the view and saving it back, as a tab click and leaving the tab do.
#include "SheetRecords.h"

#include "sheetview/SheetEntry.h"

#include <gtest/gtest.h>

using namespace sheetview;
using sheetview_test::q;
using sheetview_test::record;

namespace {

const model::AppSettings kApp = model::AppSettings::defaults();

} // namespace

TEST(SheetEntry, EnteringShowsTheRecordWithItsDigitsLayoutAndEnableFlags)
{
    model::SheetRecord r = record({"A1,1.5,, 2 ", "A2,7", "A3,1,2,3,4"}, 3, 3);
    r.enableFlags = QStringList{"1", "0"};
    r.digits = "0";
    const EnteredSheet e = enterSheet(r, kApp);
    const SheetView& v = e.view;
    EXPECT_FALSE(e.notice);
    EXPECT_EQ(v.lotCount, 10); // within the field's range
    EXPECT_EQ(v.lotRows, 10);
    EXPECT_EQ(v.measurementColumns, 3);
    EXPECT_EQ(v.calcRowCount, 11);
    EXPECT_EQ(v.tabCaption, "Length");
    EXPECT_EQ(v.specUpper, "11"); // 10.5 with no decimals, halves away from zero
    EXPECT_EQ(v.cells.text(0, 1), "2");
    EXPECT_EQ(v.cells.text(1, 1), "");
    EXPECT_EQ(v.cells.text(2, 1), "2");
    EXPECT_EQ(v.cells.text(2, 3), "3");
    EXPECT_EQ(v.cells.text(3, 3), ""); // beyond the measurement count
    EXPECT_EQ(v.lots.text(0, 2), "A2");
    EXPECT_EQ(v.calc.text(0, 2), "A2");
    EXPECT_EQ(v.lots.text(0, 4), "K004");
    EXPECT_TRUE(v.lots.flag(1, 1));
    EXPECT_FALSE(v.lots.flag(1, 2));
    EXPECT_TRUE(v.lots.flag(1, 3)); // no entry: enabled
    EXPECT_EQ(v.cells.text(0, 0), "N1");
    EXPECT_EQ(v.spc.text(9, 0), "R①");
    EXPECT_EQ(v.chart, judge::ChartKind::XbarR);
    EXPECT_EQ(v.threshold, "1.33");
    EXPECT_TRUE(v.specResult.isEmpty());

    // Leaving the sheet saves what the view shows: the displayed lots, formatted.
    model::SheetRecord saved;
    SheetView left = v;
    saveSheet(left, saved);
    EXPECT_EQ(saved.lotCount, 10);
    ASSERT_EQ(saved.dataLines.size(), 10);
    EXPECT_EQ(saved.dataLines[0], "A1,2,,2");
    EXPECT_EQ(saved.dataLines[3], "K004,,,");
    EXPECT_EQ(saved.enableFlags.mid(0, 3), (QStringList{"1", "0", "1"}));
    EXPECT_EQ(saved.specUpper, "11");
    EXPECT_EQ(saved.digits, "0");
    // Entering the saved record again shows the same grids (the workbook export relies on it).
    const EnteredSheet again = enterSheet(saved, kApp);
    EXPECT_EQ(again.view.lotRows, v.lotRows);
    for (int row = 0; row <= 10; ++row) {
        for (int col = 0; col < 3; ++col) EXPECT_EQ(again.view.cells.text(col, row), v.cells.text(col, row)) << col << "," << row;
        EXPECT_EQ(again.view.lots.text(0, row), v.lots.text(0, row));
        EXPECT_EQ(again.view.lots.flag(1, row), v.lots.flag(1, row));
    }
}

TEST(SheetEntry, UnsuitableValuesWarnOnceAndStopTheReformatThere)
{
    model::SheetRecord r = record({"K001,1.25,2", "K002,3,abc,4", "K003,5"});
    r.specLower = "9,5";
    const EnteredSheet e = enterSheet(r, kApp);
    ASSERT_TRUE(e.notice);
    // The limit is named first, then the measurement is told of.
    EXPECT_EQ(e.notice->caption, "警告メッセージ");
    EXPECT_EQ(e.notice->text, "規格下限「9,5」は数値ではありません。ファイルの内容を確認してください…。\n"
                              "不適切な測定値が見つかりました。ファイルの内容を確認してください…");
    EXPECT_EQ(e.view.specLower, "");          // a limit that is not a number is left empty
    EXPECT_EQ(e.view.cells.text(1, 1), "2.000");
    EXPECT_EQ(e.view.cells.text(0, 2), "3.000");
    EXPECT_EQ(e.view.cells.text(1, 2), "abc");
    EXPECT_EQ(e.view.cells.text(2, 2), "4");  // after the first unsuitable cell: as read
    EXPECT_EQ(e.view.cells.text(0, 3), "5");
}

TEST(SheetEntry, OneMeasurementPerLotCouplesTheMovingRangeChart)
{
    const EnteredSheet one = enterSheet(record({"K001,10"}, 10, 1), kApp);
    EXPECT_EQ(one.view.chart, judge::ChartKind::XRs);
    EXPECT_EQ(one.view.spc.text(9, 0), "Rs①");

    // Choosing another chart with one measurement keeps the moving-range chart.
    SheetView v = one.view;
    chartChanged(v, judge::ChartKind::XbarR, true, kApp, nullptr);
    EXPECT_EQ(v.chart, judge::ChartKind::XRs);

    // Choosing it with five measurements cuts the sheet to one, and saves it so.
    SheetView five = enterSheet(record({"K001,1,2,3,4,5"}, 10, 5), kApp).view;
    model::SheetRecord saved;
    chartChanged(five, judge::ChartKind::XRs, false, kApp, &saved);
    EXPECT_EQ(five.measurementCount, 1);
    EXPECT_EQ(five.measurementColumns, 1);
    EXPECT_TRUE(five.countsChanged);
    EXPECT_EQ(saved.measurementCount, 1);
    EXPECT_EQ(saved.dataLines[0], "K001,1.000");

    // XbarS relabels the dispersion side.
    SheetView s = enterSheet(record({"K001,1,2"}, 10, 2), kApp).view;
    chartChanged(s, judge::ChartKind::XbarS, false, kApp, nullptr);
    EXPECT_EQ(s.spc.text(16, 0), "S⑧");
}

TEST(SheetEntry, KindAndHeaderClearFollowTheWindow)
{
    model::SheetRecord r = record({});
    r.specKind = "下限規格";
    SheetView v = enterSheet(r, kApp).view;
    EXPECT_FALSE(v.upperEnabled);
    EXPECT_TRUE(v.lowerEnabled);
    EXPECT_EQ(v.specUpper, "10.500"); // loaded after the kind emptied it, as the window does
    v.capabilityIndex = judge::CapabilityIndex::CP;
    specKindChanged(v);               // the index list shares the kind list's handler
    EXPECT_EQ(v.specUpper, "");

    model::AppSettings app = kApp;
    app.SpecIndex = 1;
    app.Keta = 9;
    v.specResult = "合格";
    v.specJudged = true;
    v.item = "changed";
    clearHeader(v, app);
    EXPECT_EQ(v.item, "Length");      // the tab caption
    EXPECT_EQ(v.specKind, judge::SpecKind::UpperOnly);
    EXPECT_FALSE(v.upperEnabled);     // the kind's fields are left as they were
    EXPECT_EQ(v.digits, "5");
    EXPECT_TRUE(v.specResult.isEmpty());
    EXPECT_FALSE(v.specJudged);
}
