#pragma once
#include <QColor>
#include <Qt>

#include "ui/StringGrid.h"

class QPainter;
class QRect;

namespace ui {

// Background and text colour of a cell: without the keyboard focus captions in the grid's
// fixed colour and other cells in its colour, black text, no selection shown; with it the
// current data cell yellow and other selected cells in the highlight colours.
struct CellColours {
    QColor background;
    QColor text;
};
CellColours focusCellColours(const StringGrid& grid, const CellPaint& cell);

// Fills the cell and draws its text on one line, vertically centred; captions centred,
// data cells with `dataAlign`. `redBold` draws the text red and bold.
void paintFocusCell(const StringGrid& grid, QPainter& p, const CellPaint& cell, Qt::Alignment dataAlign,
                    bool redBold = false);

// The enable check of a lot row: a (h-4) x (h-4) box 5 pixels from the left and 2 from the
// top of the cell, ticked when on, then 2 pixels further "有効" in the window-text colour or
// "無効" in red.
QRect enableCheckBoxRect(const QRect& cell);
void paintEnableCheck(const QWidget& grid, QPainter& p, const QRect& cell, bool on);

} // namespace ui
