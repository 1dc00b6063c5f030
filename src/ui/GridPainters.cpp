#include "ui/GridPainters.h"

#include "ui/Look.h"

#include <QPainter>
#include <QPen>

namespace ui {

CellColours focusCellColours(const StringGrid& grid, const CellPaint& c)
{
    CellColours out{c.fixed ? grid.fixedColor() : grid.cellColor(), Qt::black};
    if (c.fixed || !c.focused) return out;
    if (c.current) out.background = kFocusColor;
    else if (c.selected) {
        out.background = grid.palette().color(QPalette::Highlight);
        out.text = grid.palette().color(QPalette::HighlightedText);
    }
    return out;
}

void paintFocusCell(const StringGrid& grid, QPainter& p, const CellPaint& c, Qt::Alignment dataAlign, bool redBold)
{
    const CellColours colours = focusCellColours(grid, c);
    p.fillRect(c.rect, colours.background);
    if (redBold) {
        QFont f = p.font();
        f.setBold(true);
        p.setFont(f);
        p.setPen(kFailColor);
    } else {
        p.setPen(colours.text);
    }
    StringGrid::drawText(p, c.rect, c.text, c.fixed ? Qt::AlignHCenter : dataAlign);
}

QRect enableCheckBoxRect(const QRect& cell)
{
    const int side = std::max(cell.height() - 4, 1);
    return QRect(cell.left() + 5, cell.top() + 2, side, side);
}

void paintEnableCheck(const QWidget& grid, QPainter& p, const QRect& cell, bool on)
{
    const QRect box = enableCheckBoxRect(cell);
    p.fillRect(box, Qt::white);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (on) {
        // The tick: down from the left third, up to the top right.
        const qreal w = box.width(), h = box.height();
        const QPointF tick[] = {{box.left() + w * 0.22, box.top() + h * 0.50},
                                {box.left() + w * 0.42, box.top() + h * 0.72},
                                {box.left() + w * 0.78, box.top() + h * 0.26}};
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, std::max(1.5, w / 8.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(tick, 3);
        p.restore();
    }
    const QRect text(box.right() + 1 + 2, cell.top() + 2, std::max(cell.right() - box.right() - 2, 0),
                     cell.height() - 2);
    p.setPen(on ? grid.palette().color(QPalette::WindowText) : kFailColor);
    p.drawText(text, int(Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine),
               on ? QStringLiteral("有効") : QStringLiteral("無効"));
}

} // namespace ui
