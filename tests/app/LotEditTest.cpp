#include "MainFormFixture.h"

#include <QClipboard>
#include <QPushButton>

namespace {

class LotEditTest : public MainFormTest {
protected:
    void startWithLots(int lots)
    {
        start();
        form->spinRow->setValue(lots);
    }
    // Runs the editor with `script` acting on it while it is shown.
    void runEditor(const std::function<void(TLotEditForm&)>& script)
    {
        ui.dialogScripts.push_back([&, script](QDialog& d) {
            EXPECT_EQ(&d, lotEdit);
            QApplication::setActiveWindow(&d);
            lotEdit->gridLotno->setFocus();
            QApplication::processEvents();
            script(*lotEdit);
            return d.result();
        });
        form->btnLotEdit->click();
        EXPECT_TRUE(ui.dialogScripts.empty());
    }
    QStringList mainLots(int rows) const
    {
        QStringList out;
        for (int r = 0; r < rows; ++r) {
            const QString t = form->gridCtrl->cell(0, r);
            EXPECT_EQ(form->gridCalc->cell(0, r), t) << r;
            EXPECT_EQ(form->gridSpc->cell(0, r), t) << r;
            out << t;
        }
        return out;
    }
};

TEST_F(LotEditTest, OpensOnTheSheetsLotNumbersWithTheFirstLotCurrent)
{
    startWithLots(10);
    form->gridCtrl->setCell(0, 3, "custom");
    runEditor([](TLotEditForm& e) {
        EXPECT_EQ(e.windowTitle(), "ロット編集");
        ASSERT_EQ(e.gridLotno->rowCount(), 11);
        EXPECT_EQ(e.gridLotno->colCount(), 1);
        EXPECT_EQ(e.gridLotno->cell(0, 0), "ﾛｯﾄ№");
        EXPECT_EQ(e.gridLotno->cell(0, 1), "K001");
        EXPECT_EQ(e.gridLotno->cell(0, 3), "custom");
        EXPECT_EQ(e.gridLotno->cell(0, 10), "K010");
        EXPECT_EQ(e.gridLotno->currentRow(), 1);
        EXPECT_TRUE(e.gridLotno->hasFocus());
        e.btnCancel->click();
    });
}

TEST_F(LotEditTest, AnEmptyLotNumberKeepsTheEditorOpenOnThatRow)
{
    startWithLots(10);
    runEditor([&](TLotEditForm& e) {
        e.gridLotno->setCurrentCell(0, 4);
        press(Qt::Key_Delete);            // the context menu's delete, from the keyboard
        e.gridLotno->setCell(0, 7, "   "); // blanks only count as empty
        e.gridLotno->setCurrentCell(0, 1);
        e.btnOk->click();
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0].text, "ロット№に空欄が見つかりました。確認してください！！");
        EXPECT_EQ(ui.messages[0].caption, "ガイドメッセージ");
        EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::Warning);
        EXPECT_TRUE(e.isVisible());
        EXPECT_NE(e.result(), QDialog::Accepted);
        EXPECT_EQ(e.gridLotno->currentRow(), 4);
        EXPECT_TRUE(e.gridLotno->hasFocus());
        EXPECT_EQ(form->gridCtrl->cell(0, 4), "K004"); // nothing copied yet

        typeKeys("A4");
        press(Qt::Key_Return);
        EXPECT_EQ(e.gridLotno->cell(0, 4), "A4");
        EXPECT_EQ(e.gridLotno->currentRow(), 5);
        e.btnOk->click();
        EXPECT_EQ(ui.messages.size(), 2);
        EXPECT_EQ(e.gridLotno->currentRow(), 7);
        e.gridLotno->setCell(0, 7, "A7");
        e.btnOk->click();
    });
    EXPECT_EQ(lotEdit->result(), QDialog::Accepted);
    const QStringList lots = mainLots(11);
    EXPECT_EQ(lots[4], "A4");
    EXPECT_EQ(lots[7], "A7");
    EXPECT_EQ(lots[5], "K005");
    EXPECT_EQ(lots[0], "ﾛｯﾄ№");
}

TEST_F(LotEditTest, CancelChangesNothingAndOkKeepsLeadingBlanks)
{
    startWithLots(10);
    const QStringList before = mainLots(11);
    runEditor([](TLotEditForm& e) {
        e.gridLotno->setCell(0, 2, "changed");
        e.btnCancel->click();
    });
    EXPECT_EQ(lotEdit->result(), QDialog::Rejected);
    EXPECT_EQ(mainLots(11), before);

    runEditor([](TLotEditForm& e) {
        e.gridLotno->setCell(0, 2, "  L2 ");
        e.btnOk->click();
    });
    EXPECT_EQ(mainLots(11)[2], "  L2 ");
    // The record takes them with the next save.
    clickTab(1);
    clickTab(0);
    EXPECT_EQ(form->gridCtrl->cell(0, 2), "  L2 ");
}

TEST_F(LotEditTest, EnterWrapsFromTheLastRowAndPastedBlocksFillTheColumn)
{
    startWithLots(10);
    runEditor([&](TLotEditForm& e) {
        e.gridLotno->setCurrentCell(0, 10);
        typeKeys("Z#"); // lot numbers take what the name fields refuse
        press(Qt::Key_Return);
        EXPECT_EQ(e.gridLotno->cell(0, 10), "Z#");
        EXPECT_EQ(e.gridLotno->currentRow(), 1);

        // A column copied from a spreadsheet; what lies below the last lot is dropped.
        QApplication::clipboard()->setText("P1\r\nP2\r\n");
        e.gridLotno->setCurrentCell(0, 9);
        press(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(e.gridLotno->cell(0, 9), "P1");
        EXPECT_EQ(e.gridLotno->cell(0, 10), "P2");

        e.gridLotno->setSelection({0, 1, 0, 2});
        press(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "K001\r\nK002\r\n");

        // Characters the sheet files cannot hold are refused, typed or pasted.
        e.gridLotno->setCurrentCell(0, 3);
        typeKeys("Q");
        QKeyEvent emoji(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("😀"));
        QApplication::sendEvent(QApplication::focusWidget(), &emoji);
        QApplication::clipboard()->setText(QStringLiteral("😀"));
        press(Qt::Key_V, Qt::ControlModifier); // into the open editor
        press(Qt::Key_Return);
        EXPECT_EQ(e.gridLotno->cell(0, 3), "Q");
        e.gridLotno->setCurrentCell(0, 5);
        press(Qt::Key_V, Qt::ControlModifier); // into the grid
        EXPECT_EQ(e.gridLotno->cell(0, 5), "K005");
        e.btnCancel->click();
    });
}

TEST_F(LotEditTest, BothEntryGridsOpenTheSameContextMenuUnderTheRightButton)
{
    startWithLots(10);
    const QStringList items{"切り取り(&T) Ctrl+X", "-", "コピー(&C) Ctrl+C", "貼付け(&P) Ctrl+V", "削除(&D) Del", "-",
                            "すべて選択(&A) Ctrl+A"};
    form->gridEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(contextMenuShown(form->gridEdit, 1, 2), items);
    // Their shortcuts belong to the grid: Del on a button of the window leaves the cells alone.
    form->gridEdit->setCell(1, 2, "5");
    form->gridEdit->setSelection({1, 2, 1, 2});
    form->btnAllOn->setFocus();
    QApplication::processEvents();
    press(Qt::Key_Delete);
    EXPECT_EQ(form->gridEdit->cell(1, 2), "5");
    runEditor([&](TLotEditForm& e) {
        EXPECT_EQ(contextMenuShown(e.gridLotno, 0, 3), items);
        e.btnCancel->click();
    });
}

} // namespace
