#include "MainFormFixture.h"

#include <QPushButton>
#include <QSettings>
#include <QTabWidget>

// A value typed into a cell and not yet confirmed with Enter is part of the sheet: every way
// of leaving the cell or starting an operation sees it.
class PendingEditTest : public MainFormTest {
protected:
    void SetUp() override
    {
        start();
        form->spinRow->setValue(10);
        form->spinCol->setValue(3);
        form->editKupper->setText("50.000");
        form->editKlower->setText("40.000");
        for (int c = 0; c < 3; ++c)
            for (int r = 1; r <= 2; ++r) form->gridEdit->setCell(c, r, "45.000");
    }
    // Types into a measurement cell without confirming it.
    void typePending(int col, int row, const char* text)
    {
        QTest::mouseClick(form->gridEdit->viewport(), Qt::LeftButton, {}, cellCentre(col, row));
        QApplication::processEvents();
        typeKeys(text);
        ASSERT_TRUE(form->gridEdit->activeEditor());
        ASSERT_EQ(form->gridEdit->activeEditor()->text(), text);
    }
    QPoint cellCentre(int col, int row) const
    {
        return form->gridEdit->visualRect(form->gridEdit->model()->index(row - 1, col)).center();
    }
    void clickButton(QPushButton* b)
    {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    void clickPage(int page)
    {
        QTabBar* bar = form->pageInput->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
        QApplication::processEvents();
    }
};

TEST_F(PendingEditTest, ASheetTabClickKeepsTheTypedValue)
{
    typePending(1, 3, "42");
    clickTab(1);
    EXPECT_TRUE(form->sheetStore()[0].dataLines[2].startsWith("K003,,42,"));
    EXPECT_EQ(form->gridEdit->cell(1, 3), ""); // the other sheet is shown
    clickTab(0);
    EXPECT_EQ(form->gridEdit->cell(1, 3), "42.000");
    EXPECT_FALSE(form->gridEdit->activeEditor());
}

TEST_F(PendingEditTest, EveryJudgementSeesTheTypedValueAndKeepsItOnScreen)
{
    // The judgement menu items (the mouse on the menu takes no focus from the cell).
    for (QAction* item : {form->menuExecSpec, form->menuExecOperation, form->menuExecSpc}) {
        SCOPED_TRACE(item->text().toStdString());
        form->pageInput->setCurrentIndex(0);
        typePending(2, 1, "55");
        chooseMenuItem(item);
        EXPECT_EQ(form->pnlSpecJudg->text(), "不合格"); // 55 is above the upper limit
        EXPECT_EQ(form->gridEdit->cell(2, 1), "55");
        form->pageInput->setCurrentIndex(0);
        form->gridEdit->setCell(2, 1, "45.000");
    }
    // The menu reached with the keyboard: Alt+E, then the item's letter.
    typePending(0, 2, "39");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
    QMenu* exec = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(exec);
    QTest::keyClick(exec, Qt::Key_K);
    QApplication::processEvents();
    EXPECT_EQ(form->pnlSpecJudg->text(), "不合格"); // 39 is below the lower limit
    EXPECT_EQ(form->gridEdit->cell(0, 2), "39");
}

TEST_F(PendingEditTest, JudgementButtonsOnEveryPageSeeTheTypedValue)
{
    typePending(0, 1, "60");
    clickButton(form->btnSpecJudg);
    EXPECT_EQ(form->pnlSpecJudg->text(), "不合格");

    form->gridEdit->setCell(0, 1, "45.000");
    typePending(0, 1, "44");
    clickPage(1); // the page tab takes no focus either
    clickButton(form->btnCpkCalc);
    EXPECT_EQ(form->gridCalc->cell(3, 1), "44.00000"); // MIN of lot 1 includes the typed value

    clickPage(0);
    typePending(1, 2, "61");
    clickPage(2);
    clickButton(form->btnSpcJudg);
    EXPECT_EQ(form->pnlSpecJudg->text(), "不合格");
    EXPECT_EQ(form->gridCalc->cell(2, 2), "61.00000"); // MAX of lot 2
}

TEST_F(PendingEditTest, EscGivesTheCellItsTextBackAndEnterConfirms)
{
    typePending(0, 1, "12");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "12"); // the cell follows the editor
    press(Qt::Key_Escape);
    EXPECT_FALSE(form->gridEdit->activeEditor());
    EXPECT_EQ(form->gridEdit->cell(0, 1), "45.000");
    typeKeys("13");
    press(Qt::Key_Backspace);
    typeKeys("5");
    press(Qt::Key_Return);
    EXPECT_EQ(form->gridEdit->cell(0, 1), "15.000");
}

TEST_F(PendingEditTest, TheHeaderClearAndALoadCloseTheEditorWithoutWritingIntoTheNewSheet)
{
    typePending(2, 2, "77");
    // The sheet's view is reset and loaded while the editor is open: what was typed belongs
    // to the sheet left, never to the one entered.
    clickTab(2);
    EXPECT_EQ(form->gridEdit->cell(2, 2), "");
    clickTab(0);
    EXPECT_EQ(form->gridEdit->cell(2, 2), "77.000");
    EXPECT_EQ(form->sheetStore()[2].dataLines.value(1), "K002" + QString(",").repeated(10));
}

TEST_F(PendingEditTest, ClosingWithAPendingEditWritesTheSettings)
{
    typePending(0, 1, "41");
    form->close();
    QApplication::processEvents();
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
    EXPECT_EQ(s.value("Settings/Row").toString(), "100");
    EXPECT_TRUE(s.contains("Windows/Width"));
}

TEST_F(PendingEditTest, ALotNumberTypedInTheEditorCountsWhenOkIsClicked)
{
    ui.dialogScripts.push_back([&](QDialog& d) {
        QApplication::setActiveWindow(&d);
        ui::StringGrid* g = lotEdit->gridLotno;
        g->setFocus();
        QApplication::processEvents();
        g->setCurrentCell(0, 2);
        typeKeys("X-9");
        EXPECT_TRUE(g->activeEditor());
        QTest::mouseClick(lotEdit->btnOk, Qt::LeftButton);
        return d.result();
    });
    clickButton(form->btnLotEdit);
    EXPECT_EQ(form->gridCtrl->cell(0, 2), "X-9");
    EXPECT_EQ(form->gridSpc->cell(0, 2), "X-9");
    clickTab(1);
    EXPECT_TRUE(form->sheetStore()[0].dataLines[1].startsWith("X-9,"));
}
