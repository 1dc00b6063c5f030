// The window and a headless front end run the same steps: a sheet entered and judged in the
// real window shows exactly what the sheet view gives for the same record and settings.
#include "MainFormFixture.h"

#include "sheetview/JudgementChain.h"
#include "sheetview/SheetEntry.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

model::SheetRecord measuredSheet()
{
    model::SheetRecord r;
    r.product = "P-7";
    r.item = "外径";
    r.unit = "mm";
    r.specKind = "上限規格";
    r.digits = "2";
    r.specUpper = "10.3";
    r.specLower = "9";
    r.lotCount = 25;
    r.measurementCount = 4;
    for (int lot = 1; lot <= 25; ++lot) {
        QString line = QStringLiteral("L-%1").arg(lot);
        for (int m = 0; m < 4; ++m) line += QStringLiteral(",%1").arg(10.0 + ((lot * 7 + m * 3) % 11 - 5) * 0.041 + lot * 0.004);
        if (lot == 6) line += ",,";
        r.dataLines << line;
        r.enableFlags << (lot == 9 || lot == 17 ? "0" : "1");
    }
    return r;
}

} // namespace

TEST_F(MainFormTest, TheWindowShowsWhatTheHeadlessSheetViewGives)
{
    start();
    form->sheetStore()[1] = measuredSheet();
    clickTab(1);
    QTest::mouseClick(form->btnSpcJudg, Qt::LeftButton);
    ASSERT_TRUE(ui.messages.isEmpty());

    model::SheetRecord headlessRecord = measuredSheet();
    sheetview::SheetView v = sheetview::enterSheet(headlessRecord, form->appSettings()).view;
    sheetview::ChainReport report;
    sheetview::judgeSpc(v, sheetview::ChainContext{&form->ruleOptions(), &headlessRecord}, report);

    EXPECT_EQ(form->pnlSpecJudg->text(), v.specResult);
    EXPECT_EQ(form->pnlCpkJudg->text(), v.capabilityResult);
    EXPECT_EQ(form->pnlSpcJudg->text(), v.spcResult);
    EXPECT_EQ(form->editUcl->text(), v.ucl);
    EXPECT_EQ(form->editRsUcl->text(), v.rsUcl);
    EXPECT_EQ(form->editKupper->text(), v.specUpper);
    EXPECT_EQ(form->editKlower->isEnabled(), v.lowerEnabled);
    ASSERT_EQ(form->gridCalc->rowCount(), v.calcRowCount);
    ASSERT_EQ(form->gridSpc->rowCount(), v.spcRowCount);
    ASSERT_EQ(form->gridEdit->rowCount(), v.lotRows + 1);
    for (int r = 0; r < v.calcRowCount; ++r)
        for (int c = 0; c < 10; ++c) ASSERT_EQ(form->gridCalc->cell(c, r), v.calc.text(c, r)) << c << "," << r;
    for (int r = 0; r < v.spcRowCount; ++r)
        for (int c = 0; c < 18; ++c) ASSERT_EQ(form->gridSpc->cell(c, r), v.spc.text(c, r)) << c << "," << r;
    for (int r = 0; r <= v.lotRows; ++r)
        for (int c = 0; c < v.measurementColumns; ++c) ASSERT_EQ(form->gridEdit->cell(c, r), v.cells.text(c, r));
    // Both saved the sheet on the way, alike.
    EXPECT_EQ(form->sheetStore()[1], headlessRecord);
    EXPECT_FALSE(v.spcResult.isEmpty());
    EXPECT_EQ(form->gridSpc->currentRow(), 1);

    // Leaving the sheet and coming back shows the saved record again, results cleared.
    clickTab(0);
    clickTab(1);
    EXPECT_EQ(form->pnlSpcJudg->text(), "");
    EXPECT_EQ(form->gridEdit->cell(0, 6), v.cells.text(0, 6));
    EXPECT_FALSE(form->gridCtrl->flag(1, 9));
}
