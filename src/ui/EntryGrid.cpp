#include "ui/EntryGrid.h"

#include "ui/InputMethod.h"
#include "ui/Interaction.h"

#include <QAction>

namespace ui {

EntryGrid::EntryGrid(StringGrid& grid, StringGrid::KeyHandler keyPress, EntryHandlers handlers)
    : QObject(&grid), grid_(grid), menu_(createGridMenu(grid))
{
    const auto fallback = [this](std::function<void()>& handler, void (EntryGrid::*own)()) {
        if (!handler) handler = [this, own] { (this->*own)(); };
    };
    fallback(handlers.enter, &EntryGrid::enter);
    fallback(handlers.click, &EntryGrid::click);
    fallback(handlers.cut, &EntryGrid::cut);
    fallback(handlers.copy, &EntryGrid::copy);
    fallback(handlers.paste, &EntryGrid::paste);
    fallback(handlers.remove, &EntryGrid::remove);
    fallback(handlers.selectAll, &EntryGrid::selectAll);
    if (!handlers.keyDown) handlers.keyDown = [this](QKeyEvent&) { return keyDown(); };

    grid_.setEditingAllowed(false);
    grid_.setKeyDownHandler(std::move(handlers.keyDown));
    grid_.setKeyPressHandler(std::move(keyPress));
    // An error a handler lets through reaches the standard error box.
    const auto wire = [this](auto* sender, auto signal, std::function<void()> handler) {
        connect(sender, signal, this, [this, handler = std::move(handler)] { guarded(grid_.window(), handler); });
    };
    wire(&grid_, &StringGrid::entered, handlers.enter);
    wire(&grid_, &StringGrid::currentCellChanged, handlers.click);
    wire(&grid_, &StringGrid::cellPressed, handlers.click);
    wire(menu_.cut, &QAction::triggered, handlers.cut);
    wire(menu_.copy, &QAction::triggered, handlers.copy);
    wire(menu_.paste, &QAction::triggered, handlers.paste);
    wire(menu_.del, &QAction::triggered, handlers.remove);
    wire(menu_.selectAll, &QAction::triggered, handlers.selectAll);
}

void EntryGrid::enter()
{
    setJapaneseInput(&grid_, false);
    grid_.setEditingAllowed(false);
}

void EntryGrid::click() { grid_.setEditingAllowed(false); }

bool EntryGrid::keyDown()
{
    grid_.setEditingAllowed(true);
    return false;
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
