#include "ui/GridHeader.h"

#include "ui/StringGrid.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace ui {

void paintCaptionCell(const StringGrid& grid, QPainter& p, const CellPaint& cell)
{
    p.save();
    grid.paintCell(p, cell);
    p.setPen(QColor(160, 160, 160));
    p.drawLine(cell.rect.topRight(), cell.rect.bottomRight());
    p.drawLine(cell.rect.bottomLeft(), cell.rect.bottomRight());
    p.restore();
}

bool showCutTextTip(QEvent* e, QWidget* over, const QRect& cell, const QString& fullText)
{
    auto* help = static_cast<QHelpEvent*>(e);
    if (fullText.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(help->globalPos(), fullText, over, cell);
    return true;
}

GridHeader::GridHeader(Qt::Orientation o, StringGrid* grid) : QHeaderView(o, grid), grid_(grid) {}

void GridHeader::paintSection(QPainter* p, const QRect& rect, int section) const
{
    if (!rect.isValid()) return;
    CellPaint c;
    if (orientation() == Qt::Horizontal) {
        c.col = section + grid_->fixedCols();
        c.row = 0;
    } else {
        c.col = 0;
        c.row = section + grid_->fixedRows();
    }
    c.rect = rect;
    c.text = grid_->cell(c.col, c.row);
    c.fixed = true;
    c.focused = grid_->hasFocusWithin();
    paintCaptionCell(*grid_, *p, c);
}

bool GridHeader::viewportEvent(QEvent* e)
{
    if (e->type() != QEvent::ToolTip) return QHeaderView::viewportEvent(e);
    const QPoint pos = static_cast<QHelpEvent*>(e)->pos();
    const int section = logicalIndexAt(pos);
    if (section < 0) return showCutTextTip(e, viewport(), {}, {});
    const bool across = orientation() == Qt::Horizontal;
    const QRect rect = across ? QRect(sectionViewportPosition(section), 0, sectionSize(section), height())
                              : QRect(0, sectionViewportPosition(section), width(), sectionSize(section));
    const QString text = across ? grid_->cell(section + grid_->fixedCols(), 0) : grid_->cell(0, section + grid_->fixedRows());
    return showCutTextTip(e, viewport(), rect, grid_->cutTextTip(rect, text));
}

} // namespace ui
