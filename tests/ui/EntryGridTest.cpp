#include "GuiTestEnvironment.h"

#include "ui/EntryGrid.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>

namespace {

class EntryGridTest : public GuiTest {
protected:
    void SetUp() override
    {
        grid.setColCount(2);
        grid.setRowCount(4);
        grid.resize(300, 200);
        grid.show();
        QApplication::setActiveWindow(&grid);
        grid.setFocus();
        QApplication::processEvents();
    }
    QPoint cellCentre(int col, int row) const { return grid.visualRect(grid.model()->index(row - 1, col)).center(); }

    ui::StringGrid grid;
    QStringList keysSeen;
    ui::EntryGrid entry{grid, [this](QKeyEvent& k) {
                            keysSeen << k.text();
                            if (k.key() != Qt::Key_Return && k.key() != Qt::Key_Enter) return false;
                            entry.commitAndMove();
                            return true;
                        }};
};

TEST_F(EntryGridTest, TypingEditsClicksOnlySelectAndEnterKeepsTheTextAndMovesOn)
{
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(0, 1));
    EXPECT_FALSE(grid.editingAllowed());
    for (char c : {'1', '2'}) QTest::keyClick(QApplication::focusWidget(), c);
    ASSERT_NE(grid.activeEditor(), nullptr);
    EXPECT_EQ(grid.cell(0, 1), "12");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(grid.activeEditor(), nullptr);
    EXPECT_EQ(grid.cell(0, 1), "12");
    EXPECT_EQ((QPair<int, int>(grid.currentCol(), grid.currentRow())), (QPair<int, int>(1, 1)));
    EXPECT_EQ(keysSeen.last(), "\r");
    // A press on a cell switches editing off again: a double click opens no editor.
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
    EXPECT_FALSE(grid.editingAllowed());
    EXPECT_EQ(grid.activeEditor(), nullptr);
}

TEST_F(EntryGridTest, TheMenuCutsIntoTheClipboardOnlyWhileTheGridHasTheFocus)
{
    grid.setCell(0, 1, "a");
    grid.setCell(1, 1, "b");
    grid.setCurrentCell(0, 1);
    grid.setSelection({0, 1, 1, 1});
    QApplication::clipboard()->clear();
    grid.clearFocus();
    entry.menu().cut->trigger();
    EXPECT_EQ(grid.cell(0, 1), "a");
    grid.setFocus();
    QApplication::processEvents();
    entry.menu().cut->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "a\tb\r\n");
    EXPECT_EQ(grid.cell(0, 1), "");
    EXPECT_EQ(grid.cell(1, 1), "");
}

} // namespace
