#pragma once
#include "ui/StringGrid.h"

namespace ui {

// The lot grid: a string grid whose column 1 holds each lot's enable check. A left press on
// it toggles that lot; Space toggles every lot of a selection that starts in column 1, each
// by itself.
class TplStringGrid final : public StringGrid {
    Q_OBJECT
public:
    static constexpr int kCheckCol = 1;
    using StringGrid::StringGrid;

    void paintCell(QPainter& p, const CellPaint& cell) const override;
    // Inverts the enable flag of each lot row from `top` to `bottom`, each by itself.
    void toggleRows(int top, int bottom);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

} // namespace ui
