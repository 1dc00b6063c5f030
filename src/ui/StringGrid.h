#pragma once
#include <QColor>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <functional>

#include "model/CellTable.h"
#include "ui/GridRect.h"
#include "ui/StringGridModel.h"

namespace ui {

class FilteredLineEdit;

// What a painter hook is told about one cell.
struct CellPaint {
    int col = 0;
    int row = 0;
    QRect rect;
    QString text;
    bool fixed = false;    // caption cell (fixed row or column)
    bool current = false;  // the current cell
    bool selected = false; // inside the selection
    bool focused = false;  // the grid has the keyboard focus
};

// A string grid: cells addressed (column, row) including the fixed row and column, storage
// for rows 0..100 and columns 0..100 that survives smaller displayed counts, an on/off flag
// per cell, a current cell, a selection rectangle, a top row, an editing switch and a
// painter hook per grid.
class StringGrid : public QTableView {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter&, const CellPaint&)>;
    // Sees a key pressed in the grid or in its in-place editor before the grid does;
    // returns true when it consumed the key.
    using KeyHandler = std::function<bool(QKeyEvent&)>;
    // Given the in-place editor's text after each change by the operator, returns the text
    // it should hold instead (or the same text).
    using EditTextHandler = std::function<QString(const QString&)>;
    using EditorSetup = std::function<void(FilteredLineEdit&)>;

    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    int rowCount() const { return model_->gridRowCount(); }
    int colCount() const { return model_->gridColCount(); }
    void setRowCount(int rows);
    void setColCount(int cols);
    int fixedRows() const { return model_->fixedRows(); }
    int fixedCols() const { return model_->fixedCols(); }
    void setFixedCols(int n);

    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);
    bool flag(int col, int row) const;
    void setFlag(int col, int row, bool on);

    // Direct access for bulk transfers; call refresh() afterwards.
    model::CellTable& table() { return model_->table(); }
    const model::CellTable& table() const { return model_->table(); }
    void refresh();

    int currentCol() const;
    int currentRow() const;
    void setCurrentCell(int col, int row);
    GridRect selection() const;
    void setSelection(const GridRect& r);
    int topRow() const;
    void setTopRow(int row);
    // Scrolls to the first row and column.
    void scrollToTopLeft();
    // Makes the first data cell current, at the top left.
    void showFirstCell();
    int visibleRowCount() const;

    bool editingAllowed() const { return editing_; }
    bool isEditing() const { return state() == EditingState; }
    void setEditingAllowed(bool on);
    // The in-place editor while one is open. While it is open the cell's text follows it
    // keystroke by keystroke: a pending edit is part of the grid. A change of the grid's
    // cells or extent by the program closes it (what was typed is already in the cell).
    QLineEdit* activeEditor() const { return editor_; }
    // The current cell's text as the operator sees it.
    QString currentText() const;
    // Closes the in-place editor; the cell keeps what was typed (it already holds it).
    void closeEditorKeepingText();
    // Closes the in-place editor and gives the cell back the text it had when editing began.
    void revertEditor();
    // The grid or its in-place editor has the keyboard focus.
    bool hasFocusWithin() const;

    // Key handling in the order a key goes through: key down (every key), then key press
    // (keys that type a character, and Enter); either may consume the key.
    void setKeyDownHandler(KeyHandler h) { keyDown_ = std::move(h); }
    void setKeyPressHandler(KeyHandler h) { keyPress_ = std::move(h); }
    void setEditTextHandler(EditTextHandler h) { editText_ = std::move(h); }
    // Runs on every in-place editor the grid creates (validators, input-method hints).
    void setEditorSetup(EditorSetup s) { editorSetup_ = std::move(s); }

    void setDefaultColWidth(int w);
    void setColWidth(int col, int w);
    int colWidth(int col) const;
    void setDefaultRowHeight(int h);
    // Space kept free below the cells (a grid without a horizontal scroll bar that scrolls
    // with one that has it keeps the same rows in view).
    void setBottomMargin(int px);

    void setPainter(Painter p);
    // The grid's own fixed colour and cell colour, as painters use them.
    QColor fixedColor() const { return fixedColor_; }
    QColor cellColor() const { return cellColor_; }

    // Paints one cell through the hook (or the default look when there is none).
    virtual void paintCell(QPainter& p, const CellPaint& cell) const;
    // Draws a cell's text on one line. A text wider than the cell is never cut at its edge
    // (a cut number reads as another number): it is shortened at its end with a mark — a
    // number only within its decimals, else the mark stands alone — and the cell's tool tip
    // shows it whole.
    static void drawText(QPainter& p, const QRect& rect, const QString& text, Qt::Alignment align);
    // The text drawText() shows for `text` in a cell of `rect` with the font metrics `fm`.
    static QString shownText(const QFontMetrics& fm, const QRect& rect, const QString& text);
    // The full text of the cell at `rect`, when it is shown shortened (bold included).
    QString cutTextTip(const QRect& rect, const QString& text) const;
    void defaultPaint(QPainter& p, const CellPaint& cell) const;

    void keyboardSearch(const QString&) override {} // typing never jumps to a matching cell

signals:
    void topRowChanged(int topRow);
    void currentCellChanged(int col, int row);
    // The keyboard focus came into the grid (or its editor) from outside, or left it.
    void entered();
    void exited();
    // A mouse button went down on a data cell.
    void cellPressed(int col, int row, Qt::MouseButton button);

protected:
    QModelIndex indexOf(int col, int row) const;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void updateGeometries() override;
    bool viewportEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // Runs the key handlers; true when one consumed the key.
    bool dispatchKey(QKeyEvent& e);

private:
    friend class GridDelegate;
    friend class GridHeader;
    void applyFixedLayout();
    StringGridModel* model_;
    Painter painter_;
    bool editing_ = false;
    QColor fixedColor_;
    QColor cellColor_ = Qt::white;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 20;
    QPointer<QLineEdit> editor_;
    QString editorOriginal_;
    KeyHandler keyDown_, keyPress_;
    EditTextHandler editText_;
    EditorSetup editorSetup_;
    bool focusWithin_ = false;
    QMetaObject::Connection focusWatch_;
    int bottomMargin_ = 0;
};

} // namespace ui
