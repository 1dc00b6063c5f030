#include "GuiTestEnvironment.h"

#include "ui/StringGrid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

using ui::StringGrid;

class StringGridTest : public GuiTest {};

TEST_F(StringGridTest, ModelStaysConsistentThroughResizesAndBulkChanges)
{
    StringGrid grid;
    grid.setFixedCols(1);
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid.setColCount(10);
    grid.setRowCount(101);
    grid.setRowCount(11);
    grid.setColCount(3);
    grid.setRowCount(101);
    grid.table().setText(2, 50, "x");
    grid.refresh();
    grid.setCell(0, 4, "L4");
    grid.setCell(1, 0, "caption");
    EXPECT_EQ(grid.model()->rowCount(), 100);
    EXPECT_EQ(grid.model()->columnCount(), 2);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "caption");
    EXPECT_EQ(grid.model()->headerData(3, Qt::Vertical, Qt::DisplayRole).toString(), "L4");
    EXPECT_EQ(grid.model()->data(grid.model()->index(49, 1), Qt::DisplayRole).toString(), "x");
}

TEST_F(StringGridTest, StorageSurvivesSmallerDisplayedCounts)
{
    StringGrid grid;
    grid.setColCount(100);
    grid.setRowCount(101);
    grid.setCell(99, 100, "corner");
    grid.setFlag(99, 100, true);
    grid.setColCount(2);
    grid.setRowCount(11);
    EXPECT_EQ(grid.cell(99, 100), "corner");
    grid.setColCount(100);
    grid.setRowCount(101);
    EXPECT_EQ(grid.model()->data(grid.model()->index(99, 99), Qt::DisplayRole).toString(), "corner");
    EXPECT_TRUE(grid.flag(99, 100));
    // Out-of-range addresses are ignored rather than written anywhere.
    grid.setCell(101, 0, "no");
    grid.setCell(-1, 3, "no");
    EXPECT_EQ(grid.cell(101, 0), "");
}

TEST_F(StringGridTest, CurrentCellSelectionAndTopRowUseGridCoordinates)
{
    StringGrid grid;
    grid.setFixedCols(1);
    grid.setColCount(5);
    grid.setRowCount(101);
    grid.resize(300, 200);
    grid.show();
    grid.setCurrentCell(2, 7);
    EXPECT_EQ(grid.currentCol(), 2);
    EXPECT_EQ(grid.currentRow(), 7);
    grid.setSelection({1, 3, 3, 5});
    EXPECT_EQ(grid.selection(), (ui::GridRect{1, 3, 3, 5}));
    int reported = -1;
    QObject::connect(&grid, &StringGrid::topRowChanged, [&](int r) { reported = r; });
    grid.setTopRow(40);
    EXPECT_EQ(grid.topRow(), 40);
    EXPECT_EQ(reported, 40);
}

TEST_F(StringGridTest, EditingFollowsTheSwitch)
{
    StringGrid grid;
    grid.setColCount(3);
    grid.setRowCount(5);
    grid.show();
    grid.setFocus();
    grid.setCurrentCell(0, 1);
    QTest::keyClicks(&grid, "7");
    EXPECT_FALSE(grid.isEditing());   // switched off: typing opens nothing
    grid.setEditingAllowed(true);
    QTest::keyClicks(&grid, "7");
    EXPECT_TRUE(grid.isEditing());
}
