// Cell storage: deleting a block moves only the cells below it in its columns.
#include "TestSupport.h"

#include "spreadsheet/SheetData.h"

#include <gtest/gtest.h>

using spreadsheet::CellType;
using spreadsheet::SheetData;

namespace {

// Rows of the grid as "r.c" labels, "-" for no cell.
std::vector<std::string> picture(const SheetData& d, int rows, int columns)
{
    std::vector<std::string> out;
    for (int r = 1; r <= rows; ++r) {
        std::string line;
        for (int c = 1; c <= columns; ++c) {
            const spreadsheet::Cell* cell = d.find(r, c);
            line += cell ? cell->text.toStdString() : std::string("-");
            line += ' ';
        }
        out.push_back(line);
    }
    return out;
}

} // namespace

TEST(SheetData, DeleteShiftUpMovesOnlyTheBlocksColumns)
{
    SheetData d;
    for (int r = 1; r <= 6; ++r)
        for (int c = 1; c <= 4; ++c) {
            if (r == 5 && c == 2) continue; // a gap below the block
            spreadsheet::Cell& cell = d.at(r, c);
            cell.type = CellType::Text;
            cell.text = QStringLiteral("%1%2").arg(r).arg(QChar(u'a' + c - 1));
        }
    d.setRowAttributes(3, {{"ht", "30"}});
    d.deleteShiftUp({2, 2, 3, 3}); // B2:C3
    const std::vector<std::string> expected = {
        "1a 1b 1c 1d ",
        "2a 4b 4c 2d ",
        "3a - 5c 3d ",
        "4a 6b 6c 4d ",
        "5a - - 5d ",
        "6a - - 6d ",
    };
    EXPECT_EQ(picture(d, 6, 4), expected);
    EXPECT_EQ(d.cellCount(), 19);
    EXPECT_EQ(d.rowAttributes().at(3).front().second, "30"); // row heights stay with their rows
    EXPECT_EQ(d.usedRect(), (spreadsheet::CellRect{1, 1, 6, 4}));
}

TEST(SheetData, CellsStayInColumnOrderWhateverTheWriteOrder)
{
    SheetData d;
    for (int c : {5, 1, 3, 16384, 2}) d.at(7, c).number = c;
    std::vector<int> columns;
    for (const auto& cell : d.rows().at(7)) columns.push_back(cell.column);
    EXPECT_EQ(columns, (std::vector<int>{1, 2, 3, 5, 16384}));
    d.erase(7, 3);
    d.erase(7, 4); // absent: nothing happens
    EXPECT_EQ(d.find(7, 3), nullptr);
    EXPECT_EQ(d.find(7, 16384)->number, 16384);
    EXPECT_EQ(d.cellCount(), 4);

    // A run of columns taken at once: the cells in it kept, the missing ones made in their places.
    std::vector<int> run;
    for (const auto& cell : SheetData::cellsOf(d.rows().at(7), 2, 6)) run.push_back(cell.column * 100 + int(cell.number));
    EXPECT_EQ(run, (std::vector<int>{202, 300, 400, 505, 600}));
    columns.clear();
    for (const auto& cell : d.rows().at(7)) columns.push_back(cell.column);
    EXPECT_EQ(columns, (std::vector<int>{1, 2, 3, 4, 5, 6, 16384}));
    SheetData::Row empty;
    EXPECT_EQ(SheetData::cellsOf(empty, 3, 4).front().column, 3);
    EXPECT_EQ(empty.size(), 2u);
}
