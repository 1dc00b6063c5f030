#include "ui/StringGrid.h"

#include "model/NumberText.h"
#include "ui/FilteredLineEdit.h"
#include "ui/KeyFilters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace ui {

namespace {

QRect textArea(const QRect& cell) { return cell.adjusted(2, 0, -2, 0); }

// Shows the full text of a cell drawn shortened, or hides the tip.
bool showCutTextTip(QEvent* e, QWidget* over, const QRect& cell, const QString& fullText)
{
    auto* help = static_cast<QHelpEvent*>(e);
    if (fullText.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(help->globalPos(), fullText, over, cell);
    return true;
}

} // namespace

// ---------------------------------------------------------------- model

StringGridModel::StringGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void StringGridModel::setGridSize(int cols, int rows)
{
    cols = std::clamp(cols, fixedCols_, model::CellTable::kCols);
    rows = std::clamp(rows, fixedRows_, model::CellTable::kRows);
    if (rows < rows_) {
        beginRemoveRows({}, rows - fixedRows_, rows_ - fixedRows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows({}, rows_ - fixedRows_, rows - fixedRows_ - 1);
        rows_ = rows;
        endInsertRows();
    }
    if (cols < cols_) {
        beginRemoveColumns({}, cols - fixedCols_, cols_ - fixedCols_ - 1);
        cols_ = cols;
        endRemoveColumns();
    } else if (cols > cols_) {
        beginInsertColumns({}, cols_ - fixedCols_, cols - fixedCols_ - 1);
        cols_ = cols;
        endInsertColumns();
    }
}

void StringGridModel::setFixed(int fixedCols, int fixedRows)
{
    beginResetModel();
    fixedCols_ = std::clamp(fixedCols, 0, 1);
    fixedRows_ = std::clamp(fixedRows, 0, 1);
    cols_ = std::max(cols_, fixedCols_);
    rows_ = std::max(rows_, fixedRows_);
    endResetModel();
}

void StringGridModel::storageChanged()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void StringGridModel::cellChanged(int col, int row)
{
    const int r = row - fixedRows_, c = col - fixedCols_;
    if (r < 0 && c >= 0 && c < columnCount()) emit headerDataChanged(Qt::Horizontal, c, c);
    else if (c < 0 && r >= 0 && r < rowCount()) emit headerDataChanged(Qt::Vertical, r, r);
    else if (r >= 0 && c >= 0 && r < rowCount() && c < columnCount()) emit dataChanged(index(r, c), index(r, c));
}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_ - fixedRows_;
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : cols_ - fixedCols_;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const int col = index.column() + fixedCols_, row = index.row() + fixedRows_;
    if (role == Qt::DisplayRole || role == Qt::EditRole) return table_.text(col, row);
    return {};
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return false;
    table_.setText(index.column() + fixedCols_, index.row() + fixedRows_, value.toString());
    emit dataChanged(index, index);
    return true;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        return fixedRows_ ? QVariant(table_.text(section + fixedCols_, 0)) : QVariant();
    }
    if (section < 0 || section >= rowCount()) return {};
    return fixedCols_ ? QVariant(table_.text(0, section + fixedRows_)) : QVariant();
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

// ---------------------------------------------------------------- drawing parts

// Paints the fixed row and column through the grid's painter.
class GridHeader final : public QHeaderView {
public:
    GridHeader(Qt::Orientation o, StringGrid* grid) : QHeaderView(o, grid), grid_(grid) {}

protected:
    void paintSection(QPainter* p, const QRect& rect, int section) const override
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
        p->save();
        grid_->paintCell(*p, c);
        p->setPen(QColor(160, 160, 160));
        p->drawLine(rect.topRight(), rect.bottomRight());
        p->drawLine(rect.bottomLeft(), rect.bottomRight());
        p->restore();
    }

    bool viewportEvent(QEvent* e) override
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

private:
    StringGrid* grid_;
};

class GridDelegate final : public QStyledItemDelegate {
public:
    explicit GridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
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

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
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

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // Also runs when the cell changes while the editor is open (the editor's own writes
        // among them): only a different text is set, so the cursor stays where it is.
        auto* e = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (e->text() != text) e->setText(text);
    }

    // The cell already holds the editor's text.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (grid_->editor_ == editor) grid_->editor_ = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

protected:
    // Keys typed into the editor meet the grid's handlers before the editor sees them. Tab
    // leaves the grid, as it does when no editor is open.
    bool eventFilter(QObject* object, QEvent* event) override
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
                grid_->commitEditor();
                grid_->focusNextPrevChild(k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier));
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    StringGrid* grid_;
};

// ---------------------------------------------------------------- grid

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), model_(new StringGridModel(this))
{
    setHorizontalHeader(new GridHeader(Qt::Horizontal, this));
    setVerticalHeader(new GridHeader(Qt::Vertical, this));
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerItem);
    setSelectionMode(ContiguousSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setHighlightSections(false);
    fixedColor_ = palette().color(QPalette::Button);
    setDefaultRowHeight(20);
    if (auto* corner = findChild<QAbstractButton*>()) corner->installEventFilter(this);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int v) { emit topRowChanged(v + fixedRows()); });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        const bool within = now && (now == this || isAncestorOf(now));
        if (within == focusWithin_) return;
        focusWithin_ = within;
        viewport()->update();
        if (within) emit entered();
        else emit exited();
    });
    applyFixedLayout();
}

// The base classes move the focus away while they are destroyed; by then there is no grid
// left to tell.
StringGrid::~StringGrid() { disconnect(focusWatch_); }

void StringGrid::setRowCount(int rows)
{
    if (rows != rowCount()) discardEditor();
    model_->setGridSize(colCount(), rows);
}

void StringGrid::setColCount(int cols)
{
    if (cols != colCount()) discardEditor();
    model_->setGridSize(cols, rowCount());
}

void StringGrid::setFixedCols(int n)
{
    discardEditor();
    model_->setFixed(n, 1);
    applyFixedLayout();
}

void StringGrid::applyFixedLayout()
{
    verticalHeader()->setVisible(fixedCols() > 0);
    if (fixedCols() > 0) verticalHeader()->setFixedWidth(defaultColWidth_);
    horizontalHeader()->setVisible(fixedRows() > 0);
    horizontalHeader()->setFixedHeight(defaultRowHeight_);
    setCornerButtonEnabled(false);
}

QString StringGrid::cell(int col, int row) const
{
    return model::CellTable::contains(col, row) ? table().text(col, row) : QString();
}

void StringGrid::setCell(int col, int row, const QString& text)
{
    if (!model::CellTable::contains(col, row)) return;
    discardEditor();
    table().setText(col, row, text);
    model_->cellChanged(col, row);
}

bool StringGrid::flag(int col, int row) const
{
    return model::CellTable::contains(col, row) && table().flag(col, row);
}

void StringGrid::setFlag(int col, int row, bool on)
{
    if (!model::CellTable::contains(col, row)) return;
    table().setFlag(col, row, on);
    model_->cellChanged(col, row);
}

void StringGrid::refresh()
{
    discardEditor();
    model_->storageChanged();
    viewport()->update();
}

QModelIndex StringGrid::indexOf(int col, int row) const
{
    return model_->index(row - fixedRows(), col - fixedCols());
}

int StringGrid::currentCol() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + fixedCols() : fixedCols();
}

int StringGrid::currentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + fixedRows() : fixedRows();
}

void StringGrid::setCurrentCell(int col, int row)
{
    const QModelIndex i = indexOf(col, row);
    if (!i.isValid()) return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect |
                                             (selectionBehavior() == SelectRows ? QItemSelectionModel::Rows
                                                                                : QItemSelectionModel::NoUpdate));
    scrollTo(i);
}

GridRect StringGrid::selection() const
{
    const QItemSelection sel = selectionModel()->selection();
    if (sel.isEmpty()) return GridRect{currentCol(), currentRow(), currentCol(), currentRow()};
    GridRect r{INT_MAX, INT_MAX, -1, -1};
    for (const QItemSelectionRange& range : sel) {
        r.left = std::min(r.left, range.left() + fixedCols());
        r.top = std::min(r.top, range.top() + fixedRows());
        r.right = std::max(r.right, range.right() + fixedCols());
        r.bottom = std::max(r.bottom, range.bottom() + fixedRows());
    }
    return r;
}

void StringGrid::setSelection(const GridRect& r)
{
    const QModelIndex tl = indexOf(std::max(r.left, fixedCols()), std::max(r.top, fixedRows()));
    const QModelIndex br = indexOf(std::min(r.right, colCount() - 1), std::min(r.bottom, rowCount() - 1));
    if (!tl.isValid() || !br.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->select(QItemSelection(tl, br), QItemSelectionModel::ClearAndSelect);
}

int StringGrid::topRow() const { return verticalScrollBar()->value() + fixedRows(); }

void StringGrid::setTopRow(int row)
{
    verticalScrollBar()->setValue(std::max(row - fixedRows(), 0));
}

int StringGrid::visibleRowCount() const
{
    return std::max(1, viewport()->height() / std::max(1, defaultRowHeight_));
}

void StringGrid::setEditingAllowed(bool on)
{
    editing_ = on;
    setEditTriggers(on ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                       : QAbstractItemView::NoEditTriggers);
}

QString StringGrid::currentText() const { return cell(currentCol(), currentRow()); }

void StringGrid::commitEditor() { discardEditor(); }

void StringGrid::discardEditor()
{
    if (!editor_) return;
    QLineEdit* e = editor_;
    editor_ = nullptr;
    // The grid keeps the focus its editor had, also while a menu is open over the window.
    const bool hadFocus = e->hasFocus() || (window() && window()->focusWidget() == e);
    closeEditor(e, QAbstractItemDelegate::NoHint);
    if (hadFocus) setFocus();
}

void StringGrid::revertEditor()
{
    if (!editor_) return;
    const QModelIndex i = currentIndex();
    const QString original = editorOriginal_;
    discardEditor();
    if (i.isValid()) model_->setData(i, original, Qt::EditRole);
}

bool StringGrid::hasFocusWithin() const
{
    const QWidget* f = QApplication::focusWidget();
    return f && (f == this || isAncestorOf(f));
}

bool StringGrid::dispatchKey(QKeyEvent& e)
{
    if (keyDown_ && keyDown_(e)) return true;
    const bool enter = e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter;
    const bool typing = isTypedText(e);
    return (enter || typing) && keyPress_ && keyPress_(e);
}

void StringGrid::keyPressEvent(QKeyEvent* e)
{
    if (dispatchKey(*e)) return;
    QTableView::keyPressEvent(e);
}

void StringGrid::setBottomMargin(int px)
{
    if (px == bottomMargin_) return;
    bottomMargin_ = px;
    updateGeometries();
}

void StringGrid::updateGeometries()
{
    // A new extent can move the headers without a scroll (at the end of the rows the last one
    // is aligned with the bottom): the pixels moved with them may show rows that are no longer
    // there, so the whole grid is painted again.
    const int rowOffset = verticalHeader()->offset(), colOffset = horizontalHeader()->offset();
    // The table view sets the margins for its headers; the bottom one is added here.
    QTableView::updateGeometries();
    if (verticalHeader()->offset() != rowOffset || horizontalHeader()->offset() != colOffset) {
        verticalHeader()->viewport()->update();
        horizontalHeader()->viewport()->update();
        viewport()->update();
    }
    const QMargins m = viewportMargins();
    if (m.bottom() != bottomMargin_) setViewportMargins(m.left(), m.top(), m.right(), bottomMargin_);
}

void StringGrid::mousePressEvent(QMouseEvent* e)
{
    // The right button only opens the context menu; it leaves the selection as it is.
    if (e->button() != Qt::RightButton) QTableView::mousePressEvent(e);
    else e->accept();
    const QModelIndex i = indexAt(e->position().toPoint());
    if (i.isValid()) emit cellPressed(i.column() + fixedCols(), i.row() + fixedRows(), e->button());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click is a press like any other.
    QTableView::mouseDoubleClickEvent(e);
    const QModelIndex i = indexAt(e->position().toPoint());
    if (i.isValid() && e->button() != Qt::RightButton)
        emit cellPressed(i.column() + fixedCols(), i.row() + fixedRows(), e->button());
}

void StringGrid::setDefaultColWidth(int w)
{
    defaultColWidth_ = w;
    horizontalHeader()->setDefaultSectionSize(w);
    for (int c = fixedCols(); c < colCount(); ++c) horizontalHeader()->resizeSection(c - fixedCols(), w);
    if (fixedCols() > 0) verticalHeader()->setFixedWidth(w);
}

void StringGrid::setColWidth(int col, int w)
{
    if (col < fixedCols()) verticalHeader()->setFixedWidth(w);
    else if (col < colCount()) horizontalHeader()->resizeSection(col - fixedCols(), w);
}

int StringGrid::colWidth(int col) const
{
    if (col < fixedCols()) return verticalHeader()->width();
    if (col < colCount()) return horizontalHeader()->sectionSize(col - fixedCols());
    return defaultColWidth_;
}

void StringGrid::setDefaultRowHeight(int h)
{
    defaultRowHeight_ = h;
    verticalHeader()->setMinimumSectionSize(h);
    verticalHeader()->setDefaultSectionSize(h);
    horizontalHeader()->setFixedHeight(h);
}

void StringGrid::setPainter(Painter p)
{
    painter_ = std::move(p);
    viewport()->update();
}

void StringGrid::paintCell(QPainter& p, const CellPaint& cell) const
{
    if (painter_) painter_(p, cell);
    else defaultPaint(p, cell);
}


QString StringGrid::shownText(const QFontMetrics& fm, const QRect& rect, const QString& text)
{
    const int width = textArea(rect).width();
    if (fm.horizontalAdvance(text) <= width) return text;
    const QString mark(QChar(0x2026));
    // A number is shortened only within its decimals: without the end of its integer part or
    // its exponent it would read as another number, so then the mark stands alone.
    qsizetype least = 1;
    if (model::tryParseNumber(text)) {
        const qsizetype point = text.indexOf(u'.');
        const bool exponent = text.contains(u'e') || text.contains(u'E');
        least = exponent || point < 0 ? text.size() : std::max<qsizetype>(point, 1);
    }
    for (qsizetype n = text.size() - 1; n >= least; --n)
        if (fm.horizontalAdvance(text.left(n) + mark) <= width) return text.left(n) + mark;
    return fm.horizontalAdvance(mark) <= width ? mark : QString();
}

void StringGrid::drawText(QPainter& p, const QRect& rect, const QString& text, Qt::Alignment align)
{
    p.drawText(textArea(rect), int(align | Qt::AlignVCenter | Qt::TextSingleLine),
               shownText(p.fontMetrics(), rect, text));
}

QString StringGrid::cutTextTip(const QRect& rect, const QString& text) const
{
    // Painters may draw a cell bold; the tip is there whenever either weight is shortened.
    QFont bold = font();
    bold.setBold(true);
    const bool cut = shownText(fontMetrics(), rect, text) != text || shownText(QFontMetrics(bold), rect, text) != text;
    return cut ? text : QString();
}

bool StringGrid::viewportEvent(QEvent* e)
{
    if (e->type() != QEvent::ToolTip) return QTableView::viewportEvent(e);
    const QModelIndex i = indexAt(static_cast<QHelpEvent*>(e)->pos());
    if (!i.isValid()) return showCutTextTip(e, viewport(), {}, {});
    const QRect rect = visualRect(i);
    return showCutTextTip(e, viewport(), rect, cutTextTip(rect, table().text(i.column() + fixedCols(), i.row() + fixedRows())));
}

void StringGrid::defaultPaint(QPainter& p, const CellPaint& c) const
{
    QColor bg = c.fixed ? fixedColor_ : cellColor_;
    QColor fg = Qt::black;
    if (!c.fixed && c.focused) {
        if (c.current) bg = QColor(255, 255, 0);
        else if (c.selected) {
            bg = palette().color(QPalette::Highlight);
            fg = palette().color(QPalette::HighlightedText);
        }
    }
    p.fillRect(c.rect, bg);
    p.setPen(fg);
    drawText(p, c.rect, c.text, c.fixed ? Qt::AlignHCenter : Qt::AlignLeft);
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid()) emit currentCellChanged(current.column() + fixedCols(), current.row() + fixedRows());
}

void StringGrid::focusInEvent(QFocusEvent* e)
{
    QTableView::focusInEvent(e);
    viewport()->update();
}

void StringGrid::focusOutEvent(QFocusEvent* e)
{
    QTableView::focusOutEvent(e);
    viewport()->update();
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && qobject_cast<QAbstractButton*>(watched) && fixedCols() > 0) {
        auto* w = static_cast<QWidget*>(watched);
        QPainter p(w);
        CellPaint c;
        c.rect = w->rect();
        c.text = cell(0, 0);
        c.fixed = true;
        c.focused = hasFocusWithin();
        paintCell(p, c);
        p.setPen(QColor(160, 160, 160));
        p.drawLine(c.rect.topRight(), c.rect.bottomRight());
        p.drawLine(c.rect.bottomLeft(), c.rect.bottomRight());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace ui
