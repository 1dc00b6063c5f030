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
//
// The grid's events and menu commands go to the form's own named handlers, which forward to
// the behaviour here (enter(), click(), keyDown(), cut() ...); without one, straight here.
struct EntryHandlers {
    std::function<void()> enter, click;
    std::function<bool(QKeyEvent&)> keyDown;
    std::function<void()> cut, copy, paste, remove, selectAll;
};

class EntryGrid final : public QObject {
    Q_OBJECT
public:
    // `keyPress` sees the keys that type a character, and Enter; it returns true when it
    // consumed the key.
    EntryGrid(StringGrid& grid, StringGrid::KeyHandler keyPress, EntryHandlers handlers = {});

    const GridMenu& menu() const { return menu_; }

    // The focus came into the grid: Japanese input and editing off.
    void enter();
    // The current cell moved or a cell was pressed: editing off.
    void click();
    // A key was pressed: editing on before the key is handled. Never consumes the key.
    bool keyDown();

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
