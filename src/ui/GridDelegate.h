#pragma once
#include <QStyledItemDelegate>

namespace ui {

class StringGrid;

// Paints a string grid's cells through its painter and runs its in-place editor: a
// filtered line edit whose text the cell follows keystroke by keystroke, with the grid's key
// handlers and text correction ahead of it.
class GridDelegate final : public QStyledItemDelegate {
public:
    explicit GridDelegate(StringGrid* grid);

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // The cell already holds the editor's text.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    StringGrid* grid_;
};

} // namespace ui
