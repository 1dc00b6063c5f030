#include "ui/GridDelegate.h"

#include "ui/FilteredLineEdit.h"
#include "ui/StringGrid.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace ui {

GridDelegate::GridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void GridDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    CellPaint c;
    c.col = index.column() + grid_->fixedCols();
    c.row = index.row() + grid_->fixedRows();
    c.rect = option.rect;
    c.text = grid_->table().text(c.col, c.row);
    c.focused = grid_->hasFocusWithin();
    c.current = grid_->currentIndex() == index;
    c.selected = option.state.testFlag(QStyle::State_Selected);
    p->save();
    grid_->paintCell(*p, c);
    p->restore();
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* e = new FilteredLineEdit(parent);
    e->setFrame(false);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid_->editor_ = e;
    grid_->editorOriginal_ = index.data(Qt::EditRole).toString();
    // Each change the operator makes goes through the grid's correction first.
    connect(e, &QLineEdit::textEdited, e, [grid = grid_, e](const QString& text) {
        if (!grid->editText_) return;
        const QString corrected = grid->editText_(text);
        if (corrected == text) return;
        const int removed = int(text.size() - corrected.size());
        const int pos = std::max(0, e->cursorPosition() - std::max(removed, 0));
        e->setText(corrected);
        e->setCursorPosition(std::min(pos, int(corrected.size())));
    });
    if (grid_->editorSetup_) grid_->editorSetup_(*e);
    // The cell holds what the editor shows, keystroke by keystroke, so whatever reads the
    // grid sees the pending edit.
    // (The editor's text, not the signal's: a correction made while the change is being
    // reported has already replaced it.)
    connect(e, &QLineEdit::textChanged, e, [grid = grid_, e, cell = QPersistentModelIndex(index)] {
        if (cell.isValid() && cell.data(Qt::EditRole).toString() != e->text())
            grid->model_->setData(cell, e->text(), Qt::EditRole);
    });
    return e;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // Also runs when the cell changes while the editor is open (the editor's own writes
    // among them): only a different text is set, so the cursor stays where it is.
    auto* e = static_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (e->text() != text) e->setText(text);
}

void GridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (grid_->editor_ == editor) grid_->editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

// Keys typed into the editor meet the grid's handlers before the editor sees them. Tab
// leaves the grid, as it does when no editor is open.
bool GridDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && object == grid_->editor_) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (grid_->dispatchKey(*k)) return true;
        if (k->key() == Qt::Key_Escape) {
            // Esc abandons the edit: the cell gets back the text it had before.
            grid_->revertEditor();
            return true;
        }
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && !(k->modifiers() & Qt::ControlModifier)) {
            grid_->closeEditorKeepingText();
            grid_->focusNextPrevChild(k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace ui
