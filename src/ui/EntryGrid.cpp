#include "ui/EntryGrid.h"

#include "ui/InputMethod.h"
#include "ui/Interaction.h"

#include <QAction>

namespace ui {

EntryGrid::EntryGrid(StringGrid& grid, StringGrid::KeyHandler keyPress)
    : QObject(&grid), grid_(grid), menu_(createGridMenu(grid))
{
    grid_.setEditingAllowed(false);
    grid_.setKeyDownHandler([this](QKeyEvent&) {
        grid_.setEditingAllowed(true);
        return false;
    });
    grid_.setKeyPressHandler(std::move(keyPress));
    connect(&grid_, &StringGrid::entered, this, [this] {
        setJapaneseInput(&grid_, false);
        grid_.setEditingAllowed(false);
    });
    const auto editingOff = [this] { grid_.setEditingAllowed(false); };
    connect(&grid_, &StringGrid::currentCellChanged, this, editingOff);
    connect(&grid_, &StringGrid::cellPressed, this, editingOff);

    // An error a command lets through reaches the standard error box.
    const auto command = [this](QAction* action, void (EntryGrid::*run)()) {
        connect(action, &QAction::triggered, this, [this, run] { guarded(grid_.window(), [&] { (this->*run)(); }); });
    };
    command(menu_.cut, &EntryGrid::cut);
    command(menu_.copy, &EntryGrid::copy);
    command(menu_.paste, &EntryGrid::paste);
    command(menu_.del, &EntryGrid::remove);
    command(menu_.selectAll, &EntryGrid::selectAll);
}

void EntryGrid::commitAndMove(const std::function<bool()>& settle)
{
    grid_.closeEditorKeepingText();
    if (!settle || settle()) MoveToNextCell(grid_);
}

void EntryGrid::cut()
{
    copy();
    remove();
}

void EntryGrid::copy()
{
    if (grid_.hasFocus()) GridCopy(grid_);
}

void EntryGrid::paste()
{
    if (grid_.hasFocus()) GridPaste(grid_);
}

void EntryGrid::remove()
{
    if (grid_.hasFocus()) GridDelete(grid_);
}

void EntryGrid::selectAll()
{
    if (grid_.hasFocus()) GridSelectAll(grid_);
}

} // namespace ui
