#include "MainFormFixture.h"

#include "model/DataLine.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

void fillHeader(TMainForm& f, const QString& tag)
{
    f.editProduct->setText("P-" + tag);
    f.editProcess->setText("Press");
    f.editMbc->setText("M1");
    f.editUnit->setText("mm");
}

} // namespace

TEST_F(MainFormTest, SwitchingTabsKeepsEverySheetsDataAndCaptions)
{
    start();
    fillHeader(*form, "one");
    form->editKupper->setText("10.500");
    form->gridEdit->setCell(0, 1, "1.250");
    form->gridEdit->setCell(2, 3, "9.000");
    form->gridCtrl->setCell(0, 2, "LOT,2");    // a lot number with a comma survives
    form->gridCtrl->setFlag(1, 4, false);
    form->editLabel->setText("ABC");

    clickTab(1);
    EXPECT_EQ(form->tabCtrl->tabText(0), "ABC");  // the old tab takes the item name
    EXPECT_EQ(form->editLabel->text(), "Sheet2");
    EXPECT_EQ(form->editProduct->text(), "");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "");
    form->editProduct->setText("second");

    clickTab(0);
    EXPECT_EQ(form->editProduct->text(), "P-one");
    EXPECT_EQ(form->editLabel->text(), "ABC");
    EXPECT_EQ(form->editKupper->text(), "10.500");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.250");
    EXPECT_EQ(form->gridEdit->cell(2, 3), "9.000");
    EXPECT_EQ(form->gridCtrl->cell(0, 2), "LOT,2");
    EXPECT_EQ(form->gridCalc->cell(0, 2), "LOT,2");
    EXPECT_FALSE(form->gridCtrl->flag(1, 4));
    EXPECT_TRUE(form->gridCtrl->flag(1, 3));

    clickTab(1);
    EXPECT_EQ(form->editProduct->text(), "second");
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(MainFormTest, AnEmptiedItemNameTakesTheTabCaptionBackWhenLeaving)
{
    start();
    form->editLabel->setText("  ");
    clickTab(1);
    EXPECT_EQ(form->tabCtrl->tabText(0), "Sheet1");
    EXPECT_EQ(form->sheetStore()[0].item, "Sheet1");
}

TEST_F(MainFormTest, ShrinkingTheLotCountHidesCellsThatComeBackWhenItGrows)
{
    start();
    form->spinRow->setValue(20);
    form->gridEdit->setCell(1, 18, "4.000");
    form->gridCtrl->setCell(0, 3, "custom");
    form->gridCtrl->setFlag(1, 5, false);
    form->spinRow->setValue(15);
    EXPECT_EQ(form->gridEdit->rowCount(), 16);
    EXPECT_EQ(form->gridCalc->rowCount(), 16);
    form->spinRow->setValue(20);
    EXPECT_EQ(form->gridEdit->cell(1, 18), "4.000");
    EXPECT_EQ(form->gridCtrl->cell(0, 3), "custom"); // the sheet's own lot numbers stay
    EXPECT_EQ(form->gridCtrl->cell(0, 18), "K018");
    EXPECT_TRUE(form->gridCtrl->flag(1, 5));          // and every lot enabled

    // What is hidden when the sheet is left is not saved.
    form->spinRow->setValue(15);
    clickTab(1);
    clickTab(0);
    form->spinRow->setValue(20);
    EXPECT_EQ(form->gridEdit->cell(1, 18), "");
}

TEST_F(MainFormTest, OneMeasurementPerLotSelectsTheMovingRangeChart)
{
    start();
    form->appSettings().ChartIndex = 1; // the chart kind that one measurement per lot leaves again
    form->spinCol->setValue(1);
    EXPECT_EQ(form->cmbChart->currentIndex(), 2);
    EXPECT_EQ(form->gridSpc->cell(9, 0), "Rs①");
    EXPECT_EQ(form->gridSpc->cell(16, 0), "Rs⑧");
    EXPECT_EQ(form->pageInput->tabText(2), "SPC異常判定(X側-Rs側)");
    form->spinCol->setValue(5);
    EXPECT_EQ(form->cmbChart->currentIndex(), 1);
    EXPECT_EQ(form->gridSpc->cell(9, 0), "S①");
    EXPECT_EQ(form->gridEdit->cell(4, 0), "N5");
    form->spinCol->setText("150");                  // above the maximum: cut at once
    EXPECT_EQ(form->spinCol->text(), "100");

    EXPECT_EQ(form->pnlRsUcl->text(), "S-UCL");
    EXPECT_EQ(form->editRsUcl->toolTip(), "「S-管理限界上限値」を入力してください。");

    choose(form->cmbChart, QStringLiteral("XbarR管理図"));
    EXPECT_EQ(form->pnlRsUcl->text(), "R-UCL");
    EXPECT_EQ(form->editRsUcl->toolTip(), "「R-管理限界上限値」を入力してください。");
    EXPECT_EQ(form->gridSpc->cell(9, 0), "R①");
}

TEST_F(MainFormTest, SpecKindEnablesAndClearsTheLimitFields)
{
    start();
    form->editKlower->setText("9.500");
    choose(form->cmbSpecKind, form->cmbSpecKind->itemText(1));
    EXPECT_FALSE(form->editKlower->isEnabled());
    EXPECT_EQ(form->editKlower->text(), "");
    EXPECT_TRUE(form->editKupper->isEnabled());
    choose(form->cmbSpecKind, form->cmbSpecKind->itemText(0));
    EXPECT_TRUE(form->editKlower->isEnabled());
    EXPECT_EQ(form->editKlower->text(), "");
}

TEST_F(MainFormTest, TheSheetCountDialogAddsAndRemovesSheets)
{
    start();
    auto setCount = [this](const QString& n, bool ok) {
        ui.dialogScripts.push_back([n, ok](QDialog& d) {
            auto& s = static_cast<TSheetsForm&>(d);
            s.spinTab->editor()->selectAll();
            QTest::keyClicks(s.spinTab->editor(), n + "x");   // the letter is refused
            EXPECT_EQ(s.spinTab->text(), n);
            QTest::keyClick(s.spinTab->editor(), ok ? Qt::Key_Return : Qt::Key_Escape);
            return d.result();
        });
        chooseMenuItem(form->menuSettingSheets);
    };
    setCount("5", true);
    ASSERT_EQ(form->tabCtrl->count(), 5);
    EXPECT_EQ(form->tabCtrl->tabText(4), "Sheet5");

    clickTab(2);
    form->editProduct->setText("third");
    clickTab(3);
    form->editProduct->setText("fourth");
    clickTab(0);

    setCount("3", true);
    ASSERT_EQ(form->tabCtrl->count(), 3);
    EXPECT_EQ(form->sheetStore().count(), 3);
    setCount("7", false);                               // cancelled: nothing changes
    EXPECT_EQ(form->tabCtrl->count(), 3);
    setCount("5", true);
    ASSERT_EQ(form->tabCtrl->count(), 5);
    EXPECT_EQ(form->sheetStore()[3].item, "Sheet4");
    EXPECT_EQ(form->sheetStore()[3].product, "");       // sheet 4 came back empty
    EXPECT_EQ(form->sheetStore()[2].product, "third");  // sheet 3 kept its data
}

TEST_F(MainFormTest, RemovingTheShownSheetShowsTheSelectedOne)
{
    start();
    form->spinTab->setValue(5);
    clickTab(4);
    form->editProduct->setText("gone");
    form->spinTab->setValue(2);
    EXPECT_EQ(form->tabCtrl->count(), 2);
    EXPECT_EQ(form->editLabel->text(), form->tabCtrl->tabText(form->tabCtrl->currentIndex()));
    EXPECT_EQ(form->editProduct->text(), "");
}

TEST_F(MainFormTest, LoadingFormatsMeasurementsAndWarnsOnceAtTheFirstUnsuitableValue)
{
    start();
    model::SheetRecord& r = form->sheetStore()[1];
    r.digits = "3";
    r.lotCount = 10;
    r.measurementCount = 3;
    r.specUpper = "10.5";
    r.dataLines = QStringList{"K1,1.5,2", "K2,3,  ,", "K3,4,abc,5", "K4,6"};
    clickTab(1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, "不適切な測定値が見つかりました。ファイルの内容を確認してください…");
    EXPECT_EQ(ui.messages[0].caption, "警告メッセージ");
    EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Warning);
    EXPECT_EQ(form->editKupper->text(), "10.500");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.500");
    EXPECT_EQ(form->gridEdit->cell(1, 1), "2.000");
    EXPECT_EQ(form->gridEdit->cell(1, 2), "");
    EXPECT_EQ(form->gridEdit->cell(0, 3), "4.000");
    EXPECT_EQ(form->gridEdit->cell(1, 3), "abc");   // the reformat stops here
    EXPECT_EQ(form->gridEdit->cell(2, 3), "5");
    EXPECT_EQ(form->gridEdit->cell(0, 4), "6");
    EXPECT_EQ(form->gridCtrl->cell(0, 3), "K3");
}

TEST_F(MainFormTest, AnUnsuitableLimitIsLeftEmptyAndTheRestStillLoads)
{
    start();
    model::SheetRecord& r = form->sheetStore()[1];
    r.product = "kept";
    r.digits = "";
    r.specUpper = "1O.5";
    r.specLower = "9.5";
    r.lotCount = 12;
    r.measurementCount = 1;
    r.dataLines = QStringList{"A,1.5"};
    clickTab(1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].caption, "警告メッセージ");
    EXPECT_EQ(form->editKupper->text(), "");
    EXPECT_EQ(form->editKlower->text(), "9.500");   // blank digits load as 3
    EXPECT_EQ(form->spinRow->text(), "12");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.500");
    EXPECT_EQ(form->cmbChart->currentIndex(), 2);
    // Leaving the sheet again keeps the measurements.
    clickTab(0);
    EXPECT_EQ(model::readDataLine(form->sheetStore()[1].dataLines[0]).cells, QStringList{"1.500"});
}

TEST_F(MainFormTest, ImportedRecordsWithMoreLinesThanLotsShowTheLotCount)
{
    start();
    model::SheetRecord& r = form->sheetStore()[2];
    r.lotCount = 20;
    r.measurementCount = 2;
    for (int i = 0; i < 100; ++i) {
        r.enableFlags << (i == 1 ? "0" : "1");
        r.dataLines << QString("L%1,%2,").arg(i + 1).arg(i);
    }
    clickTab(2);
    EXPECT_EQ(form->gridCtrl->rowCount(), 21);
    EXPECT_EQ(form->gridCtrl->cell(0, 20), "L20");
    EXPECT_FALSE(form->gridCtrl->flag(1, 2));
    EXPECT_EQ(form->gridEdit->cell(0, 20), "19.000");
    clickTab(0);
    EXPECT_EQ(form->sheetStore()[2].dataLines.size(), 20);
    EXPECT_EQ(form->sheetStore()[2].enableFlags.size(), 20);
    EXPECT_EQ(form->sheetStore()[2].enableFlags[1], "0");
}

TEST_F(MainFormTest, TheFullResetDiscardsEverySheet)
{
    start();
    form->appSettings().Tab = 4;
    form->appSettings().Row = 30;
    form->appSettings().Col = 5;
    form->appSettings().Unit = "um";
    form->appSettings().Keta = 2;
    form->editProduct->setText("lost");
    form->gridEdit->setCell(0, 1, "1.000");
    clickTab(1);
    form->editLabel->setText("Renamed");
    clickTab(2);

    QTest::mouseClick(form->btnReset, Qt::LeftButton);
    ASSERT_EQ(form->tabCtrl->count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(form->tabCtrl->tabText(i), QString("Sheet%1").arg(i + 1));
    EXPECT_EQ(form->tabCtrl->currentIndex(), 0);
    EXPECT_EQ(form->editProduct->text(), "");
    EXPECT_EQ(form->editUnit->text(), "um");
    EXPECT_EQ(form->spinKeta->text(), "2");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "");
    EXPECT_EQ(form->gridEdit->rowCount(), 31);
    EXPECT_EQ(form->gridEdit->colCount(), 5);
    EXPECT_EQ(form->sheetStore()[1].item, "Sheet2");
    EXPECT_EQ(form->sheetStore()[3].lotCount, 30);
    EXPECT_EQ(QApplication::focusWidget(), form->editProduct);
}

TEST_F(MainFormTest, TheHeaderClearKeepsTheGrids)
{
    start();
    form->editProduct->setText("x");
    form->editKupper->setText("1.000");
    form->gridEdit->setCell(0, 1, "1.000");
    form->specJudged = true;
    QTest::mouseClick(form->btnSpecClear, Qt::LeftButton);
    EXPECT_EQ(form->editProduct->text(), "");
    EXPECT_EQ(form->editKupper->text(), "");
    EXPECT_EQ(form->editLabel->text(), "Sheet1");
    EXPECT_FALSE(form->specJudged);
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.000");
}

TEST_F(MainFormTest, GridLayoutCaptionsAndColumnWidths)
{
    start();
    form->spinRow->setValue(10);
    EXPECT_EQ(form->gridCtrl->rowCount(), 11);
    EXPECT_EQ(form->gridCtrl->cell(0, 10), "K010");
    EXPECT_EQ(form->gridCtrl->cell(1, 0), "ﾁｪｯｸ");
    EXPECT_EQ(form->gridCalc->cell(0, 0), "ﾛｯﾄ№");
    EXPECT_EQ(form->gridCalc->cell(9, 0), "判定結果");
    EXPECT_EQ(form->gridSpc->cell(1, 0), "X①");
    EXPECT_EQ(form->gridSpc->cell(17, 0), "判定結果");
    const std::pair<ui::StringGrid*, std::vector<int>> widths[] = {
        {form->gridCtrl, {85, 60}},
        {form->gridEdit, {85, 85}},
        {form->gridCalc, {85, 82, 90, 90, 90, 90, 90, 90, 90, 96}},
        {form->gridSpc, {85, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44, 44, 96}},
    };
    for (const auto& [grid, w] : widths)
        for (size_t c = 0; c < w.size(); ++c) EXPECT_EQ(grid->colWidth(int(c)), w[c]) << grid->objectName().toStdString() << c;
}
