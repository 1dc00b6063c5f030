#include "GuiTestEnvironment.h"

#include "ui/GridOps.h"
#include "ui/GridPainters.h"
#include "ui/StringGrid.h"
#include "ui/TplStringGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QTest>

using ui::GridRect;
using ui::StringGrid;

namespace {

// A measurement-like grid: one caption row, no caption column.
void shape(StringGrid& g, int cols, int rows)
{
    g.setColCount(cols);
    g.setRowCount(rows);
    g.resize(500, 300);
}

TEST(ClipboardTextTest, CopyJoinsCellsWithTabsAndEndsRowsWithCrLf)
{
    model::CellTable t;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) t.setText(c, r, QStringLiteral("%1%2").arg(QChar(u'a' + c)).arg(r));
    EXPECT_EQ(ui::gridCopyText(t, {1, 2, 3, 3}, 5, 5), "b2\tc2\td2\r\nb3\tc3\td3\r\n");
    EXPECT_EQ(ui::gridCopyText(t, {4, 4, 4, 4}, 5, 5), "e4\r\n");
    // Clipped at the displayed extent.
    EXPECT_EQ(ui::gridCopyText(t, {3, 3, 9, 9}, 5, 4), "d3\te3\r\n");
    EXPECT_EQ(ui::gridCopyText(t, {-2, -1, 0, 0}, 5, 5), "a0\r\n");
    // Empty or outside: an empty text.
    for (GridRect b : {GridRect{2, 1, 1, 1}, GridRect{1, 2, 1, 1}, GridRect{-3, 0, -1, 0}, GridRect{0, -3, 0, -1},
                       GridRect{5, 0, 6, 1}, GridRect{0, 5, 1, 6}})
        EXPECT_EQ(ui::gridCopyText(t, b, 5, 5), "") << b.left << "," << b.top << "," << b.right << "," << b.bottom;
}

TEST(ClipboardTextTest, PasteFollowsTabsAndLineBreaksAndDropsWhatLiesOutside)
{
    struct Case {
        QString text;
        int startCol, startRow;
        QStringList expected; // rows 1..3 of columns 0..2, "|"-separated
        GridRect written;
    };
    const Case cases[] = {
        {"7.25", 1, 1, {"|7.25|", "||", "||"}, {1, 1, 1, 1}},
        {"1\t2\r\n3\t4\r\n", 0, 1, {"1|2|", "3|4|", "||"}, {0, 1, 1, 2}},
        {"1\t2\t3\t4\r\n5\t6\t7\t8\r\n9\r\n10\r\n", 1, 2, {"||", "|1|2", "|5|6"}, {1, 2, 2, 3}},
        {"a\rb\rc", 2, 1, {"||a", "||b", "||c"}, {2, 1, 2, 3}},      // CR alone breaks lines
        {"a\n\nb", 0, 1, {"ab||", "||", "||"}, {0, 1, 0, 1}},        // LF alone is ignored
        {"\tx\t", 0, 1, {"|x|", "||", "||"}, {0, 1, 1, 1}},          // tabs store empty fields
        {"", 0, 1, {"||", "||", "||"}, {}},
        {"1\t2", -4, -2, {"||", "||", "||"}, {0, 0, 1, 0}},          // raised to the origin
    };
    for (const Case& c : cases) {
        model::CellTable t;
        for (int r = 1; r <= 3; ++r)
            for (int col = 0; col < 3; ++col) t.setText(col, r, "");
        const GridRect w = ui::pasteGridText(t, c.text, c.startCol, c.startRow, 3, 4);
        QStringList rows;
        for (int r = 1; r <= 3; ++r) rows << QStringList{t.text(0, r), t.text(1, r), t.text(2, r)}.join(u'|');
        EXPECT_EQ(rows, c.expected) << c.text.toStdString();
        EXPECT_EQ(w, c.written) << c.text.toStdString();
        EXPECT_EQ(t.text(3, 2), ""); // nothing beyond the displayed columns
    }
}

class GridOpsTest : public GuiTest {};

TEST_F(GridOpsTest, CopyPasteRoundTripThroughTheClipboard)
{
    StringGrid g;
    shape(g, 5, 6);
    for (int r = 1; r < 6; ++r)
        for (int c = 0; c < 5; ++c) g.setCell(c, r, QString::number(r * 10 + c));
    g.show();
    g.setSelection({1, 2, 3, 3});
    ui::GridCopy(g);
    EXPECT_EQ(QApplication::clipboard()->text(), "21\t22\t23\r\n31\t32\t33\r\n");

    // Pasted at the bottom right, the block is cut at the last displayed column and row;
    // the storage beyond keeps what it had.
    g.table().setText(5, 5, "hidden");
    g.setCurrentCell(3, 5);
    EXPECT_TRUE(ui::GridPaste(g));
    EXPECT_EQ(g.cell(3, 5), "21");
    EXPECT_EQ(g.cell(4, 5), "22");
    EXPECT_EQ(g.cell(5, 5), "hidden");
    EXPECT_EQ(g.cell(3, 4), "43");

    // A text the sheet files cannot hold is refused whole.
    QApplication::clipboard()->setText(QStringLiteral("1\t😀"));
    g.setCurrentCell(0, 1);
    EXPECT_FALSE(ui::GridPaste(g));
    EXPECT_EQ(g.cell(0, 1), "10");
}

TEST_F(GridOpsTest, SelectAllAndDeleteEmptyOnlyTheDisplayedCells)
{
    StringGrid g;
    shape(g, 100, 101);
    for (int r = 0; r < 101; ++r)
        for (int c = 0; c < 100; ++c) g.table().setText(c, r, "v");
    g.setColCount(4);
    g.setRowCount(11);
    g.show();
    ui::GridSelectAll(g);
    EXPECT_EQ(g.selection(), (GridRect{0, 1, 3, 10}));
    EXPECT_EQ(g.currentCol(), 3);
    EXPECT_EQ(g.currentRow(), 10);
    ui::GridDelete(g);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(g.cell(c, 0), "v");  // the caption row stays
        EXPECT_EQ(g.cell(c, 1), "");
        EXPECT_EQ(g.cell(c, 10), "");
        EXPECT_EQ(g.cell(c, 11), "v"); // below the displayed rows
    }
    EXPECT_EQ(g.cell(4, 5), "v");      // beside the displayed columns
}

TEST_F(GridOpsTest, MoveToNextCellWrapsAtTheLastColumnAndTheLastRow)
{
    StringGrid g;
    shape(g, 3, 4);
    g.show();
    const std::pair<int, int> path[] = {{1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}, {0, 3}, {1, 3}, {2, 3}, {0, 1}};
    g.setCurrentCell(0, 1);
    for (const auto& [c, r] : path) {
        ui::MoveToNextCell(g);
        EXPECT_EQ(g.currentCol(), c);
        EXPECT_EQ(g.currentRow(), r);
    }
    // With a caption column the wrap goes to the first data column; one column means down.
    StringGrid one;
    one.setColCount(1);
    one.setRowCount(3);
    one.show();
    one.setCurrentCell(0, 2);
    ui::MoveToNextCell(one);
    EXPECT_EQ(one.currentRow(), 1);
}

class EnableCheckTest : public GuiTest {
protected:
    void SetUp() override
    {
        grid.setFixedCols(1);
        grid.setColCount(2);
        grid.setRowCount(11);
        grid.resize(200, 300);
        for (int r = 1; r < 11; ++r) grid.setFlag(1, r, true);
        grid.show();
        QApplication::setActiveWindow(&grid);
        grid.setFocus();
        QApplication::processEvents();
    }
    QPoint checkPoint(int row) const
    {
        return grid.visualRect(grid.model()->index(row - 1, 0)).center();
    }
    ui::TplStringGrid grid;
};

TEST_F(EnableCheckTest, APressTogglesItsRowAndSpaceInvertsEachSelectedRow)
{
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, checkPoint(2));
    EXPECT_FALSE(grid.flag(1, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, checkPoint(2));
    EXPECT_TRUE(grid.flag(1, 2));
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, checkPoint(3));
    EXPECT_TRUE(grid.flag(1, 3));

    grid.setFlag(1, 4, false);
    grid.setCurrentCell(1, 3);
    grid.setSelection({1, 3, 1, 5});
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_FALSE(grid.flag(1, 3));
    EXPECT_TRUE(grid.flag(1, 4));
    EXPECT_FALSE(grid.flag(1, 5));
    EXPECT_TRUE(grid.flag(1, 6));
    EXPECT_EQ(grid.selection(), (GridRect{1, 3, 1, 5})); // the selection stays for the next Space
}

TEST_F(EnableCheckTest, TheCheckCellShowsABoxAndTheStateInItsColour)
{
    QImage image(60, 20, QImage::Format_RGB32);
    auto paint = [&](bool on) {
        grid.setFlag(1, 1, on);
        image.fill(Qt::gray);
        QPainter p(&image);
        ui::CellPaint c;
        c.col = 1;
        c.row = 1;
        c.rect = image.rect();
        grid.paintCell(p, c);
    };
    auto count = [&](QRect area, auto pred) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) n += pred(QColor(image.pixel(x, y))) ? 1 : 0;
        return n;
    };
    const QRect box = ui::enableCheckBoxRect(image.rect());
    EXPECT_EQ(box, QRect(5, 2, 16, 16));
    const QRect text(box.right() + 3, 2, image.width() - box.right() - 3, 18);
    auto red = [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; };
    auto dark = [](QColor c) { return c.red() < 80 && c.green() < 80 && c.blue() < 80; };

    paint(false);
    EXPECT_GT(count(text, red), 5);                                       // "無効" in red
    EXPECT_EQ(count(box.adjusted(3, 3, -3, -3), dark), 0);                 // no tick
    paint(true);
    EXPECT_EQ(count(text, red), 0);                                       // "有効" in the text colour
    EXPECT_GT(count(text, dark), 5);
    EXPECT_GT(count(box.adjusted(3, 3, -3, -3), dark), 5);                 // ticked
}

} // namespace
