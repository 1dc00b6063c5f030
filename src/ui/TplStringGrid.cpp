#include "ui/TplStringGrid.h"

#include "ui/GridPainters.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace ui {

void TplStringGrid::paintCell(QPainter& p, const CellPaint& cell) const
{
    StringGrid::paintCell(p, cell);
    if (cell.col == kCheckCol && cell.row >= 1) {
        p.save();
        paintEnableCheck(*this, p, cell.rect, flag(cell.col, cell.row));
        p.restore();
    }
}

void TplStringGrid::toggleRows(int top, int bottom)
{
    for (int r = std::max(top, 1); r <= bottom && r < rowCount(); ++r) table().setFlag(kCheckCol, r, !flag(kCheckCol, r));
    refresh();
}

void TplStringGrid::mousePressEvent(QMouseEvent* e)
{
    StringGrid::mousePressEvent(e);
    if (e->button() != Qt::LeftButton) return;
    const QModelIndex i = indexAt(e->position().toPoint());
    const int col = i.column() + fixedCols(), row = i.row() + fixedRows();
    if (i.isValid() && col == kCheckCol && row >= 1) toggleRows(row, row);
}

void TplStringGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    StringGrid::mouseDoubleClickEvent(e);
    if (e->button() != Qt::LeftButton) return;
    const QModelIndex i = indexAt(e->position().toPoint());
    const int col = i.column() + fixedCols(), row = i.row() + fixedRows();
    if (i.isValid() && col == kCheckCol && row >= 1) toggleRows(row, row);
}

void TplStringGrid::keyPressEvent(QKeyEvent* e)
{
    // The item view's own Space handling would shrink the selection to the current cell;
    // Space belongs to the checks here.
    if (e->key() == Qt::Key_Space && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (dispatchKey(*e)) return;
        const GridRect sel = selection();
        if (sel.left == kCheckCol) toggleRows(sel.top, sel.bottom);
        return;
    }
    StringGrid::keyPressEvent(e);
}

} // namespace ui
