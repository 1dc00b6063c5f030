#pragma once
#include "ui/GridOps.h"
#include "ui/StringGrid.h"

#include <QObject>

#include <functional>

namespace ui {

// How a grid the operator types into behaves (the measurement grid and the lot-number
// editor's grid): editing is switched off when the focus comes into the grid and on every
// move of the current cell or press on a cell, and any key switches it on before it is
// handled, so typing opens the in-place editor while clicks only select. The context menu
// cuts, copies, pastes, deletes and selects all while the grid has the focus.
class EntryGrid final : public QObject {
    Q_OBJECT
public:
    // `keyPress` sees the keys that type a character, and Enter; it returns true when it
    // consumed the key.
    EntryGrid(StringGrid& grid, StringGrid::KeyHandler keyPress);

    const GridMenu& menu() const { return menu_; }

    // Enter: the editor closes keeping what was typed; `settle` may then rewrite the current
    // cell and says whether the current cell moves on (the default) or stays.
    void commitAndMove(const std::function<bool()>& settle = {});

    void cut();
    void copy();
    void paste();
    void remove();
    void selectAll();

private:
    StringGrid& grid_;
    GridMenu menu_;
};

} // namespace ui
