#include "ui/StringGrid.h"

#include "ui/GridDelegate.h"
#include "ui/GridHeader.h"
#include "ui/InputMethod.h"
#include "ui/KeyFilters.h"
#include "ui/ShortenedText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace ui {

namespace {

QRect textArea(const QRect& cell) { return cell.adjusted(2, 0, -2, 0); }

} // namespace

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
    if (rows != rowCount()) closeEditorKeepingText();
    model_->setGridSize(colCount(), rows);
}

void StringGrid::setColCount(int cols)
{
    if (cols != colCount()) closeEditorKeepingText();
    model_->setGridSize(cols, rowCount());
}

void StringGrid::setFixedCols(int n)
{
    closeEditorKeepingText();
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
    closeEditorKeepingText();
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
    closeEditorKeepingText();
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

void StringGrid::scrollToTopLeft()
{
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void StringGrid::showFirstCell()
{
    setCurrentCell(fixedCols(), fixedRows());
    scrollToTopLeft();
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

void StringGrid::closeEditorKeepingText()
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
    closeEditorKeepingText();
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
    return shortenedText(fm, textArea(rect).width(), text);
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
    // The view switches the input method on for a current cell it may edit; the grid's own
    // choice (direct input in the measurement grids) stands.
    reapplyJapaneseInput(this);
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
        paintCaptionCell(*this, p, c);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace ui
