#pragma once
#include <QString>
#include <QStringView>

#include "ui/GridRect.h"

class QAction;
class QMenu;
class QWidget;

namespace model {
class CellTable;
}

namespace ui {

class StringGrid;

// Moves the current cell one column right; from the last column to the first data column
// of the next row, from the last row back to the first data row.
void MoveToNextCell(StringGrid& grid);
// Empties every cell of the selection.
void GridDelete(StringGrid& grid);
// Puts the selection on the clipboard as text: cells joined by tabs, each row ending with
// CR LF.
void GridCopy(const StringGrid& grid);
// Stores the clipboard text from the selection's top-left cell on, clipped at the displayed
// extent, look-alikes the sheet files cannot hold replaced by the ones they can (µ → μ). A
// text with any other character code page 932 cannot hold is refused as a whole: the
// operator is told which character, and nothing changes (false).
bool GridPaste(StringGrid& grid);
// Selects every data cell; the bottom-right one becomes current.
void GridSelectAll(StringGrid& grid);

// The clipboard text of a block of cells: empty when the block is empty or lies outside
// the displayed `cols` x `rows`; otherwise the block clipped to them.
QString gridCopyText(const model::CellTable& table, GridRect block, int cols, int rows);
// Stores a clipboard text from (startCol, startRow) on, as spreadsheet programs write it:
// tab to the next column, CR to the next row, LF ignored, a last field without a line end
// stored when not empty. Fields at or beyond `cols` x `rows` are dropped. Returns the
// block that was written (empty when nothing was).
GridRect pasteGridText(model::CellTable& table, QStringView text, int startCol, int startRow, int cols, int rows);

// The grids' context menu: cut, copy, paste, delete and select all with their shortcuts,
// active while the grid (or its editor) has the focus, opened by the right button.
struct GridMenu {
    QMenu* menu = nullptr;
    QAction *cut = nullptr, *copy = nullptr, *paste = nullptr, *del = nullptr, *selectAll = nullptr;
};
GridMenu createGridMenu(StringGrid& grid);

} // namespace ui
